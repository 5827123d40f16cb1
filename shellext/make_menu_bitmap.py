#!/usr/bin/python3
"""Draws the small picture shown beside the context-menu items.

    make_menu_bitmap.py <out.bmp>

A 13x13 24-bit bottom-up DIB (the size of a menu check mark) of a framed
landscape, written with the standard library alone.
"""
import struct
import sys

SIZE = 13
SKY, HILL, SUN, FRAME, PAPER = (90, 150, 220), (60, 140, 70), (250, 200, 40), (40, 60, 110), (255, 255, 255)


def pixel(x, y):
    if x in (0, SIZE - 1) or y in (0, SIZE - 1):
        return FRAME
    if (x - 8) ** 2 + (y - 4) ** 2 <= 3:
        return SUN
    if y >= 8 - (x % 6 if x < 6 else 5 - x % 6) // 2:
        return HILL
    return SKY if y < 11 else PAPER


def main():
    row_bytes = (SIZE * 3 + 3) & ~3
    rows = []
    for y in range(SIZE - 1, -1, -1):
        row = b"".join(bytes((b, g, r)) for r, g, b in (pixel(x, y) for x in range(SIZE)))
        rows.append(row + b"\0" * (row_bytes - len(row)))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(sys.argv[1], "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    main()
