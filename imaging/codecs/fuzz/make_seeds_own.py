"""Writes seed inputs for the fuzz targets of the program's own readers into
<outdir>/<target>/ (gif, psd, psp, sunras, wbmp, tga, pcx, pcd, ico): the
small fixtures that the test fixture scripts generate, one folder per reader.

  /usr/bin/python3 make_seeds_own.py <outdir>
"""

import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "..", "tests", "fixtures")

# target: (fixture folder, extension)
TARGETS = {
    "gif": ("own_gif", ".gif"),
    "psd": ("own_psd", ".psd"),
    "psp": ("own_psp", ".psp"),
    "sunras": ("own_sunras", ".ras"),
    "wbmp": ("own_wbmp", ".wbmp"),
    "tga": ("own_tga", ".tga"),
    "pcx": ("own_pcx", ".pcx"),
    "ico": ("own_ico", ".ico"),
}


def main():
    out = sys.argv[1]
    with tempfile.TemporaryDirectory() as work:
        for script in ("make_own_gif.py", "make_own_psd.py", "make_own_psp.py",
                       "make_own_sunras.py", "make_own_tga_pcx.py", "make_own_ico.py"):
            subprocess.run(["/usr/bin/python3", os.path.join(FIXTURES, script), work], check=True)
        for target, (folder, ext) in TARGETS.items():
            dest = os.path.join(out, target)
            os.makedirs(dest, exist_ok=True)
            for name in sorted(os.listdir(os.path.join(work, folder))):
                if name.endswith(ext) and not name.startswith("_"):
                    shutil.copy(os.path.join(work, folder, name), os.path.join(dest, name))
    # Photo CD: a whole base image is 786,432 bytes; a short file and one
    # with the base image present but the row order byte varied will do.
    dest = os.path.join(out, "pcd")
    os.makedirs(dest, exist_ok=True)
    with open(os.path.join(dest, "short.pcd"), "wb") as f:
        f.write(bytes(0x30000 + 100))
    body = bytes((i * 7) % 256 for i in range(256 * 2304))
    head = bytearray(0x30000)
    head[72] = 8
    with open(os.path.join(dest, "top.pcd"), "wb") as f:
        f.write(bytes(head) + body)


if __name__ == "__main__":
    main()
