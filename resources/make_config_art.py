#!/usr/bin/python3
"""Draws the configuration wizard's picture.

    make_config_art.py <out-dir>

wizard.bmp  the strip at the left of every wizard page: a blue gradient with
            a stack of framed pictures, 164x314, 24-bit
"""
import os
import sys

from PIL import Image, ImageDraw

WIDTH, HEIGHT = 164, 314


def gradient():
    img = Image.new("RGB", (WIDTH, HEIGHT))
    px = img.load()
    top, bottom = (40, 78, 150), (150, 190, 235)
    for y in range(HEIGHT):
        t = y / (HEIGHT - 1)
        row = tuple(int(a + (b - a) * t) for a, b in zip(top, bottom))
        for x in range(WIDTH):
            px[x, y] = row
    return img


def picture(d, x, y, w, h, sky, hill):
    """A framed landscape: white mount, sky, sun and two hills."""
    d.rectangle([x, y, x + w, y + h], fill=(250, 250, 250), outline=(30, 30, 40))
    ix, iy, iw, ih = x + 6, y + 6, w - 12, h - 12
    d.rectangle([ix, iy, ix + iw, iy + ih], fill=sky)
    d.ellipse([ix + iw - 22, iy + 6, ix + iw - 8, iy + 20], fill=(250, 210, 60))
    d.polygon([(ix, iy + ih), (ix + iw * 0.35, iy + ih * 0.45), (ix + iw * 0.7, iy + ih)],
              fill=hill)
    d.polygon([(ix + iw * 0.4, iy + ih), (ix + iw * 0.75, iy + ih * 0.55), (ix + iw, iy + ih)],
              fill=tuple(max(0, c - 40) for c in hill))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    img = gradient()
    d = ImageDraw.Draw(img)
    picture(d, 22, 48, 104, 80, (120, 170, 230), (70, 150, 70))
    picture(d, 38, 118, 104, 80, (230, 150, 90), (110, 90, 60))
    picture(d, 18, 190, 104, 80, (170, 200, 240), (60, 120, 90))
    img.save(os.path.join(out, "wizard.bmp"))


if __name__ == "__main__":
    main()
