#!/usr/bin/env python3
"""Checks the PostScript job of the print test: pages 2 and 3 of three
solid-colour pictures (red, green, blue), two copies collated, so the four
pages must come out green, blue, green, blue. Each page is rendered with
Ghostscript and sampled at its centre."""
import os
import subprocess
import sys
import tempfile

from PIL import Image

job = sys.argv[1]
expected = [(0, 255, 0), (0, 0, 255), (0, 255, 0), (0, 0, 255)]

with open(job, "rb") as f:
    text = f.read().decode("latin-1")
if "%%Title: Velmorantix XP" not in text:
    sys.exit("the job's title is not the program's")

with tempfile.TemporaryDirectory() as out:
    subprocess.run(["gs", "-q", "-dSAFER", "-dNOPAUSE", "-dBATCH", "-sDEVICE=png16m", "-r30",
                    "-sOutputFile=" + os.path.join(out, "page%d.png"), job], check=True)
    pages = sorted(p for p in os.listdir(out) if p.endswith(".png"))
    if len(pages) != len(expected):
        sys.exit(f"{len(pages)} pages rendered, expected {len(expected)}")
    for n, want in enumerate(expected, 1):
        page = Image.open(os.path.join(out, f"page{n}.png")).convert("RGB")
        got = page.getpixel((page.width // 2, page.height // 2))
        if any(abs(a - b) > 16 for a, b in zip(got, want)):
            sys.exit(f"page {n}: centre {got}, expected {want}")
        corner = page.getpixel((1, 1))
        if any(c < 240 for c in corner):
            sys.exit(f"page {n}: the unprintable edge is {corner}, not white")
print("print job: 4 pages in the order 2, 3, 2, 3")
