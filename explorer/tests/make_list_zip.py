"""Writes pictures.zip: two picture entries in the folder "trip\\" of the
archive (names only matter; the bytes are no real pictures), for the
thumbnail list's clipboard tests."""
import os
import sys
import zipfile

out = sys.argv[1]
with zipfile.ZipFile(os.path.join(out, "pictures.zip"), "w") as archive:
    for name in ("trip\\a.jpg", "trip\\b.png"):
        info = zipfile.ZipInfo(name, date_time=(2020, 1, 2, 3, 4, 6))
        info.create_system = 0  # MS-DOS attributes
        archive.writestr(info, b"not a picture")
