"""Writes seed inputs for the JPEG, PNG, TIFF and EXIF fuzz targets, one folder
per target under <outdir>: small files of the variants the readers handle.

  /usr/bin/python3 make_seeds_lib.py <outdir>
"""

import io
import os
import struct
import sys

from PIL import Image


def picture(mode, size=(13, 7)):
    image = Image.new("RGB", size)
    image.putdata([((x * 37) % 256, (y * 53) % 256, ((x + y) * 19) % 256)
                   for y in range(size[1]) for x in range(size[0])])
    return image.convert(mode)


def saved(image, fmt, **options):
    out = io.BytesIO()
    image.save(out, fmt, **options)
    return out.getvalue()


def exif_block(byte_order):
    """A small TIFF-structured EXIF block with texts, a rational and a sub-IFD."""
    e = "<" if byte_order == b"II" else ">"
    entries = [(271, 2, 6, b"Maker\0"), (272, 2, 3, b"M1\0\0"), (274, 3, 1, struct.pack(e + "HH", 6, 0))]
    data_offset = 8 + 2 + 12 * (len(entries) + 1) + 4
    body = b""
    ifd = struct.pack(e + "H", len(entries) + 1)
    for tag, kind, count, value in entries:
        if len(value) <= 4:
            ifd += struct.pack(e + "HHI", tag, kind, count) + value.ljust(4, b"\0")
        else:
            ifd += struct.pack(e + "HHII", tag, kind, count, data_offset + len(body))
            body += value
    sub_offset = data_offset + len(body)
    ifd += struct.pack(e + "HHII", 34665, 4, 1, sub_offset)
    ifd += struct.pack(e + "I", 0)
    rational_offset = sub_offset + 2 + 12 + 4
    sub = struct.pack(e + "H", 1) + struct.pack(e + "HHII", 33434, 5, 1, rational_offset)
    sub += struct.pack(e + "I", 0) + struct.pack(e + "II", 10, 600)
    return byte_order + struct.pack(e + "HI", 42, 8) + ifd + body + sub


def main(outdir):
    seeds = {
        "jpeg": {
            "rgb.jpg": saved(picture("RGB"), "JPEG", quality=80),
            "grey.jpg": saved(picture("L"), "JPEG"),
            "progressive.jpg": saved(picture("RGB", (17, 9)), "JPEG", progressive=True),
            "cmyk.jpg": saved(picture("CMYK"), "JPEG"),
            "exif.jpg": saved(picture("RGB"), "JPEG", exif=b"Exif\0\0" + exif_block(b"II")),
        },
        "png": {
            "rgb.png": saved(picture("RGB"), "PNG"),
            "rgba.png": saved(picture("RGBA"), "PNG"),
            "palette.png": saved(picture("P"), "PNG"),
            "grey.png": saved(picture("L"), "PNG"),
            "bilevel.png": saved(picture("1"), "PNG"),
            "interlaced.png": saved(picture("RGB"), "PNG", interlace=1),
        },
        "tiff": {
            "rgb.tif": saved(picture("RGB"), "TIFF"),
            "lzw.tif": saved(picture("RGB"), "TIFF", compression="tiff_lzw"),
            "packbits.tif": saved(picture("L"), "TIFF", compression="packbits"),
            "bilevel.tif": saved(picture("1"), "TIFF", compression="group4"),
            "palette.tif": saved(picture("P"), "TIFF"),
            "cmyk.tif": saved(picture("CMYK"), "TIFF"),
        },
        "exif": {
            "little.bin": exif_block(b"II"),
            "big.bin": exif_block(b"MM"),
        },
    }
    for target, files in seeds.items():
        folder = os.path.join(outdir, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
