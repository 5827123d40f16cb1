#!/usr/bin/python3
"""Builds the archives the zip benchmark extracts, from a fixed seed.

    make_archives.py <work folder>

Writes into <work folder>:
  big.zip      one 8192 x 8192 RGB scan as a raw PPM (about 200 MB), deflated
               by Info-ZIP zip at its default level;
  photos.zip   5,000 JPEG-like files of 20-200 KB in 50 folders, added by
               Info-ZIP zip, which stores or deflates each as it sees fit;
  listing.zip  65,535 tiny stored entries written by Python's zipfile;
  crypt.zip    the first 1,000 photos, encrypted by Info-ZIP zip -e
               (traditional encryption, password "secret");
  src/         the files the Info-ZIP archives were made from;
  manifest.txt one line per archive: name, entries, entries that are files,
               total uncompressed bytes, central directory bytes.
The same seed gives the same bytes on every run, so figures compare across
machines and revisions.
"""
import os
import random
import subprocess
import sys
import zipfile

from PIL import Image, ImageChops

SEED = 20240615
PASSWORD = "secret"
SCAN_SIDE = 8192
PHOTO_FOLDERS = 50
PHOTOS_PER_FOLDER = 100
CRYPT_FOLDERS = 10
LISTING_ENTRIES = 65535

# A JFIF start and quantisation tables, the same in every file as in the
# output of one camera.
JPEG_HEADER = (
    b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x48\x00\x48\x00\x00"
    b"\xff\xdb\x00\x43\x00" + bytes(range(2, 66)) +
    b"\xff\xdb\x00\x43\x01" + bytes(range(4, 68)) +
    b"\xff\xc0\x00\x11\x08\x0b\xb8\x0f\xa0\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01"
    b"\xff\xda\x00\x0c\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00")


def scan_channel(rng, angle):
    """One channel: a smooth gradient at an angle plus small seeded noise."""
    gradient = Image.linear_gradient("L").rotate(angle).resize((SCAN_SIDE, SCAN_SIDE))
    noise_bytes = rng.randbytes(SCAN_SIDE * SCAN_SIDE).translate(bytes(i >> 5 for i in range(256)))
    noise = Image.frombytes("L", (SCAN_SIDE, SCAN_SIDE), noise_bytes)
    return ImageChops.add(gradient, noise)


def make_scan(rng, path):
    channels = [scan_channel(rng, angle) for angle in (0, 30, 75)]
    Image.merge("RGB", channels).save(path, format="PPM")


def jpeg_like(rng, size):
    """Entropy-coded-looking bytes: nearly uniform, with a slight skew in some
    files so that deflate gains a little on those and nothing on the others,
    as with real camera files."""
    body_size = size - len(JPEG_HEADER) - 2
    body = rng.randbytes(body_size)
    skew = rng.choice((0, 0, 8, 24))
    if skew:
        table = bytes(i + 128 if i < skew else i for i in range(256))
        body = body.translate(table)
    return JPEG_HEADER + body + b"\xff\xd9"


def make_photos(rng, root):
    names = []
    for folder in range(PHOTO_FOLDERS):
        sub = os.path.join("DCIM", "%03dCAMERA" % (100 + folder))
        os.makedirs(os.path.join(root, sub), exist_ok=True)
        for i in range(PHOTOS_PER_FOLDER):
            name = os.path.join(sub, "IMG_%04d.JPG" % (folder * PHOTOS_PER_FOLDER + i + 1))
            size = rng.randint(20 * 1024, 200 * 1024)
            with open(os.path.join(root, name), "wb") as f:
                f.write(jpeg_like(rng, size))
            names.append(name)
    return names


def run_zip(args, cwd):
    subprocess.run(["zip", "-q"] + args, cwd=cwd, check=True)


def archive_totals(path):
    with zipfile.ZipFile(path) as z:
        infos = z.infolist()
        files = sum(1 for i in infos if not i.is_dir())
        directory = os.path.getsize(path) - z.start_dir - 22 - len(z.comment)
        return len(infos), files, sum(i.file_size for i in infos), directory


def make_listing(rng, path):
    # Small names and contents: the directory dominates, as in a large
    # catalogue of thumbnails.
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as z:
        for i in range(LISTING_ENTRIES):
            name = "thumbs/%02d/%05d_%08x.jpg" % (i % 100, i, rng.getrandbits(32))
            info = zipfile.ZipInfo(name, date_time=(2021, 3, 14, 15, 9, 26))
            z.writestr(info, rng.randbytes(rng.randint(0, 32)))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_archives.py <work folder>")
    work = os.path.abspath(sys.argv[1])
    src = os.path.join(work, "src")
    os.makedirs(src, exist_ok=True)
    rng = random.Random(SEED)

    make_scan(rng, os.path.join(src, "scan.ppm"))
    run_zip(["-j", os.path.join(work, "big.zip"), "scan.ppm"], src)

    photos = make_photos(rng, src)
    run_zip(["-r", os.path.join(work, "photos.zip"), "DCIM"], src)
    crypt = photos[:CRYPT_FOLDERS * PHOTOS_PER_FOLDER]
    run_zip(["-e", "-P", PASSWORD, os.path.join(work, "crypt.zip")] + crypt, src)

    make_listing(rng, os.path.join(work, "listing.zip"))

    with open(os.path.join(work, "manifest.txt"), "w") as m:
        for name in ("big.zip", "photos.zip", "listing.zip", "crypt.zip"):
            totals = archive_totals(os.path.join(work, name))
            m.write("%s %d %d %d %d\n" % ((name,) + totals))


if __name__ == "__main__":
    main()
