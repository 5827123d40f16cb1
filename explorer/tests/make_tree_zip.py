"""Writes dirs.zip: an archive of three directory entries, "a\\", "a\\b\\"
and "c\\", with backslashes as the program's archives name them, for the
folder tree's archive tests."""
import os
import sys
import zipfile

out = sys.argv[1]
with zipfile.ZipFile(os.path.join(out, "dirs.zip"), "w") as archive:
    for name in ("a\\", "a\\b\\", "c\\"):
        info = zipfile.ZipInfo(name, date_time=(2020, 1, 2, 3, 4, 6))
        info.create_system = 0  # MS-DOS attributes
        info.external_attr = 0x10  # directory
        archive.writestr(info, b"")
