"""Writes seed inputs for bmp_fuzz into <outdir>: one small file per variant
the bitmap reader handles, with and without the file header.

  /usr/bin/python3 make_seeds.py <outdir>
"""

import os
import struct
import sys


def info40(width, height, bits, compression=0, colors_used=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, 0, 0, 0,
                       colors_used, 0)


def with_file_header(dib, pixel_offset):
    return b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, 14 + pixel_offset) + dib


def rows(width, height, bits):
    row = (bits * width + 31) // 32 * 4
    return bytes((i * 37 + 11) % 256 for i in range(row * height))


def seeds():
    pal = lambda n: bytes((i * 13 + c) % 256 for i in range(n) for c in range(4))
    yield "rgb24", info40(5, 3, 24), rows(5, 3, 24)
    yield "topdown24", info40(3, -2, 24), rows(3, 2, 24)
    yield "rgb32", info40(3, 2, 32), rows(3, 2, 32)
    yield "bf32", info40(2, 2, 32, 3) + struct.pack("<3I", 0xFF0000, 0xFF00, 0xFF), rows(2, 2, 32)
    yield "rgb555", info40(3, 2, 16), rows(3, 2, 16)
    yield "rgb565", info40(3, 2, 16, 3) + struct.pack("<3I", 0xF800, 0x7E0, 0x1F), rows(3, 2, 16)
    yield "pal1", info40(13, 3, 1) + pal(2), rows(13, 3, 1)
    yield "pal4", info40(5, 3, 4) + pal(16), rows(5, 3, 4)
    yield "pal8", info40(4, 3, 8, 0, 6) + pal(6), rows(4, 3, 8)
    yield "rle8", info40(6, 4, 8, 1, 8) + pal(8), bytes(
        [3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2, 1, 2, 5, 0, 0, 6, 7, 0, 1])
    yield "rle4", info40(7, 3, 4, 2) + pal(16), bytes(
        [5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0x67, 0x89, 0xA0, 0, 2, 0xBC, 0, 0,
         0, 2, 3, 0, 4, 0xDE, 0, 1])
    core = struct.pack("<IHHHH", 12, 10, 2, 1, 1) + bytes([0, 0, 0, 255, 255, 255])
    yield "core1", core, rows(10, 2, 1)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, head, pixels in seeds():
        with open(os.path.join(out, name + ".bmp"), "wb") as f:
            f.write(with_file_header(head + pixels, len(head)))
        with open(os.path.join(out, name + ".dib"), "wb") as f:
            f.write(head + pixels)


if __name__ == "__main__":
    main()
