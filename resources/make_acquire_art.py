#!/usr/bin/python3
"""Draws the screen-capture finder tool's pictures.

    make_acquire_art.py <out-dir>

camera.ico       the finder tool at rest: a camera in a frame (16 and 32 px)
camera_drag.ico  the empty frame left behind while the camera is dragged
capture.cur      the cursor while dragging: cross-hairs around a small camera,
                 32x32 monochrome, hot spot in the centre
"""
import os
import struct
import sys

from PIL import Image, ImageDraw

from ico_writer import write_ico

INK = (30, 30, 30, 255)


def frame(size, with_camera):
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    s = size / 32.0
    d.rectangle([0, 0, size - 1, size - 1], fill=(255, 255, 255, 255), outline=INK)
    if with_camera:
        d.rectangle([4 * s, 10 * s, 27 * s, 25 * s], fill=(70, 70, 80, 255), outline=INK)
        d.rectangle([10 * s, 7 * s, 18 * s, 10 * s], fill=(70, 70, 80, 255), outline=INK)
        d.ellipse([10 * s, 12 * s, 21 * s, 23 * s], fill=(120, 170, 230, 255), outline=INK)
        d.rectangle([23 * s, 12 * s, 25 * s, 14 * s], fill=(240, 200, 40, 255))
    return img


def write_cursor(path):
    ink = Image.new("L", (32, 32), 0)
    d = ImageDraw.Draw(ink)
    d.line([16, 0, 16, 10], fill=255)
    d.line([16, 22, 16, 31], fill=255)
    d.line([0, 16, 10, 16], fill=255)
    d.line([22, 16, 31, 16], fill=255)
    d.rectangle([11, 13, 21, 20], outline=255)
    d.rectangle([14, 11, 17, 13], outline=255)
    px = ink.load()
    xor = bytearray()
    mask = bytearray()
    for y in range(31, -1, -1):
        xrow = bytearray(4)
        mrow = bytearray(4)
        for x in range(32):
            if not px[x, y]:
                mrow[x // 8] |= 0x80 >> (x % 8)  # transparent; ink is black
        xor += xrow
        mask += mrow
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 2, 0, 16, 16, len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_ico(os.path.join(out, "camera.ico"), [frame(16, True), frame(32, True)])
    write_ico(os.path.join(out, "camera_drag.ico"), [frame(16, False), frame(32, False)])
    write_cursor(os.path.join(out, "capture.cur"))


if __name__ == "__main__":
    main()
