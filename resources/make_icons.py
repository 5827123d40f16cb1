#!/usr/bin/python3
"""Draws the program's icons and writes them as .ico files.

    make_icons.py <out-dir>

Every icon holds a 16x16 and a 32x32 image, each stored as a 32-bit
top-down-inverted DIB with an AND mask (the classic icon layout that every
resource loader reads), so no PNG-in-ICO support is needed at run time.
"""
import os
import sys

from PIL import Image, ImageDraw

from ico_writer import write_ico

# id -> (file name, fill colour, label). The labels keep tiny icons legible.
ICONS = {
    9: ("app", (40, 90, 170), "V"),
    10: ("jpeg", (200, 120, 40), "J"),
    11: ("bmp", (60, 120, 200), "B"),
    12: ("gif", (60, 160, 80), "G"),
    13: ("emf", (150, 90, 160), "E"),
    14: ("ico", (200, 170, 40), "I"),
    15: ("pcd", (120, 120, 120), "C"),
    16: ("png", (40, 160, 160), "P"),
    17: ("psd", (40, 80, 150), "D"),
    18: ("psp", (170, 60, 60), "S"),
    19: ("tiff", (100, 100, 180), "T"),
    20: ("wmf", (130, 70, 130), "W"),
    21: ("tga", (160, 110, 60), "A"),
    22: ("pcx", (90, 140, 60), "X"),
    23: ("wbmp", (70, 70, 70), "w"),
    24: ("ras", (180, 80, 120), "R"),
    264: ("favorites", (220, 180, 30), "*"),
    265: ("collections", (60, 130, 60), "M"),
    301: ("search", (80, 110, 190), "?"),
    310: ("info_edit_hot", (230, 150, 40), "i"),
    403: ("info_edit", (70, 110, 170), "i"),
    365: ("tray", (40, 90, 170), "V"),
}


def draw(size, colour, label):
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    m = max(1, size // 16)
    d.rounded_rectangle([m, m, size - 1 - m, size - 1 - m], radius=size // 5,
                        fill=colour + (255,), outline=(20, 20, 20, 255))
    # A white glyph, scaled up from the default bitmap font.
    glyph = Image.new("L", (8, 12), 0)
    ImageDraw.Draw(glyph).text((1, 0), label, fill=255)
    box = glyph.getbbox() or (0, 0, 8, 12)
    glyph = glyph.crop(box)
    side = size - 6 * m
    scale = side / max(glyph.size)
    glyph = glyph.resize((max(1, int(glyph.size[0] * scale)), max(1, int(glyph.size[1] * scale))))
    ox = (size - glyph.size[0]) // 2
    oy = (size - glyph.size[1]) // 2
    img.paste((255, 255, 255, 255), (ox, oy), glyph.point(lambda v: 255 if v > 100 else 0))
    return img


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, colour, label in ICONS.values():
        write_ico(os.path.join(out, name + ".ico"), [draw(16, colour, label), draw(32, colour, label)])


if __name__ == "__main__":
    main()
