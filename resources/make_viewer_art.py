#!/usr/bin/python3
"""Draws the viewer's toolbar strips and the image view's hand cursors.

    make_viewer_art.py <out-dir>

Toolbar strips: 20 images of 16x16 side by side (320x16), in the order of the
viewer toolbar's image indexes. Each strip exists three times (normal, hot,
disabled) and in two forms:
  viewer_toolbar32*.bmp  32-bit BI_RGB, bottom-up, premultiplied-free BGRA
                         with a real alpha channel (for 32-bit image lists);
  viewer_toolbar*.bmp    24-bit BI_RGB, bottom-up, magenta (255,0,255) where
                         the picture is transparent (for masked image lists).
Cursors: hand_open.cur and hand_closed.cur, 32x32 monochrome, with the hot
spot in the middle of the palm.
"""
import os
import struct
import sys

from PIL import Image, ImageDraw

SIZE = 16
COUNT = 20
INK = (40, 40, 40, 255)


def glyph(index):
    """One 16x16 RGBA toolbar image."""
    img = Image.new("RGBA", (SIZE, SIZE), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    blue, green, red, yellow = (50, 100, 200, 255), (40, 150, 60, 255), (200, 40, 40, 255), (230, 190, 40, 255)
    paper = (250, 250, 250, 255)
    if index == 0:  # browse: a folder
        d.polygon([(1, 4), (6, 4), (7, 5), (14, 5), (14, 13), (1, 13)], fill=yellow, outline=INK)
    elif index == 1:  # save: a disk
        d.rectangle([2, 2, 13, 13], fill=blue, outline=INK)
        d.rectangle([5, 2, 10, 6], fill=paper, outline=INK)
        d.rectangle([4, 9, 11, 13], fill=(200, 200, 200, 255))
    elif index == 2:  # print: a printer
        d.rectangle([4, 1, 11, 6], fill=paper, outline=INK)
        d.rectangle([1, 6, 14, 11], fill=(160, 160, 160, 255), outline=INK)
        d.rectangle([4, 10, 11, 14], fill=paper, outline=INK)
    elif index in (3, 4, 5):  # first, previous, next
        if index == 5:
            d.polygon([(5, 3), (12, 8), (5, 13)], fill=green, outline=INK)
        else:
            d.polygon([(11, 3), (4, 8), (11, 13)], fill=green, outline=INK)
            if index == 3:
                d.rectangle([2, 3, 3, 13], fill=INK)
    elif index in (6, 7):  # move to folder, copy to folder
        d.polygon([(1, 6), (5, 6), (6, 7), (14, 7), (14, 14), (1, 14)], fill=yellow, outline=INK)
        colour = red if index == 6 else green
        d.polygon([(6, 0), (10, 3), (6, 6)], fill=colour)
        d.rectangle([2, 2, 6, 4], fill=colour)
    elif index == 8:  # delete: a cross
        d.line([(3, 3), (12, 12)], fill=red, width=3)
        d.line([(12, 3), (3, 12)], fill=red, width=3)
    elif index == 9:  # add to favorites: a star
        d.polygon([(8, 1), (10, 6), (15, 6), (11, 9), (13, 15), (8, 11), (3, 15), (5, 9), (1, 6), (6, 6)],
                  fill=yellow, outline=INK)
    elif index in (10, 11):  # zoom in, zoom out: a magnifier
        d.ellipse([1, 1, 10, 10], fill=paper, outline=INK)
        d.line([(9, 9), (14, 14)], fill=INK, width=3)
        d.line([(3, 5), (8, 5)], fill=INK)
        if index == 10:
            d.line([(5, 3), (5, 8)], fill=INK)
    elif index == 12:  # rotate counter-clockwise
        d.arc([2, 2, 13, 13], 200, 520, fill=blue, width=2)
        d.polygon([(1, 3), (6, 3), (2, 8)], fill=blue)
    elif index == 13:  # rotate clockwise: the mirror image
        return glyph(12).transpose(Image.FLIP_LEFT_RIGHT)
    elif index == 14:  # marquee: a dashed rectangle
        for x in range(2, 14, 3):
            d.line([(x, 2), (x + 1, 2)], fill=INK)
            d.line([(x, 13), (x + 1, 13)], fill=INK)
        for y in range(2, 14, 3):
            d.line([(2, y), (2, y + 1)], fill=INK)
            d.line([(13, y), (13, y + 1)], fill=INK)
    elif index == 15:  # full screen: a screen with corner marks
        d.rectangle([1, 2, 14, 12], fill=paper, outline=INK)
        d.rectangle([3, 4, 12, 10], fill=blue)
    elif index == 16:  # slide show: play on a screen
        d.rectangle([1, 2, 14, 12], fill=paper, outline=INK)
        d.polygon([(6, 4), (11, 7), (6, 10)], fill=green)
    elif index == 17:  # wallpaper: a monitor on a stand
        d.rectangle([1, 1, 14, 10], fill=(90, 160, 220, 255), outline=INK)
        d.rectangle([6, 11, 9, 12], fill=INK)
        d.rectangle([3, 13, 12, 14], fill=INK)
    elif index == 18:  # editor: a pencil
        d.polygon([(11, 1), (14, 4), (5, 13), (2, 14), (2, 11)], fill=yellow, outline=INK)
    elif index == 19:  # properties: a sheet with lines
        d.rectangle([3, 1, 12, 14], fill=paper, outline=INK)
        for y in (4, 7, 10):
            d.line([(5, y), (10, y)], fill=blue)
    return img


# Explorer toolbar images 0..18: open viewer, save, print, back, forward, up,
# move, copy, delete, add to favorites, rotate CCW, rotate CW, view mode,
# marquee, slide show, wallpaper, editor, hot track, properties.
EXPLORER_GLYPHS = (15, 1, 2, 4, 5, 0, 6, 7, 8, 9, 12, 13, 19, 14, 16, 17, 18, 10, 19)


def variant(img, kind):
    """normal, hot (brighter) or disabled (grey and faded)."""
    out = img.copy()
    px = out.load()
    for y in range(SIZE):
        for x in range(SIZE):
            r, g, b, a = px[x, y]
            if kind == "hot":
                px[x, y] = (min(255, r + 40), min(255, g + 40), min(255, b + 40), a)
            elif kind == "disabled":
                grey = (r * 30 + g * 59 + b * 11) // 100
                grey = 128 + grey // 2
                px[x, y] = (grey, grey, grey, a * 3 // 4)
    return out


def write_bmp(path, strip, bits):
    width, height = strip.size
    stride = ((width * bits // 8) + 3) & ~3
    px = strip.load()
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b, a = px[x, y]
            if bits == 32:
                row += bytes((b, g, r, a))
            elif a < 128:
                row += bytes((255, 0, 255))
            else:
                row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows += row
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(rows), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + bytes(rows))


def hand(closed):
    """A 32x32 hand: 'L' mask of the outline (ink) and 'L' mask of the fill."""
    fill = Image.new("L", (32, 32), 0)
    d = ImageDraw.Draw(fill)
    d.rounded_rectangle([9, 13, 23, 27], radius=4, fill=255)  # palm
    if closed:
        for x in (10, 14, 18):
            d.rounded_rectangle([x, 10, x + 4, 15], radius=2, fill=255)
        d.rounded_rectangle([5, 15, 10, 21], radius=2, fill=255)  # thumb
    else:
        for x, top in ((9, 5), (13, 3), (17, 4), (21, 7)):
            d.rounded_rectangle([x, top, x + 3, 15], radius=1, fill=255)
        d.rounded_rectangle([4, 13, 10, 17], radius=2, fill=255)  # thumb
    grown = Image.new("L", (32, 32), 0)
    src = fill.load()
    dst = grown.load()
    for y in range(32):
        for x in range(32):
            if any(0 <= x + dx < 32 and 0 <= y + dy < 32 and src[x + dx, y + dy]
                   for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                dst[x, y] = 255
    return fill, grown


def write_cursor(path, closed, hotspot):
    fill, outline = hand(closed)
    f, o = fill.load(), outline.load()
    xor = bytearray()
    mask = bytearray()
    for y in range(31, -1, -1):
        xrow = bytearray(4)
        mrow = bytearray(4)
        for x in range(32):
            bit = 0x80 >> (x % 8)
            if not o[x, y]:
                mrow[x // 8] |= bit  # transparent
            elif f[x, y]:
                xrow[x // 8] |= bit  # white inside
            # else black outline: AND 0, XOR 0
        xor += xrow
        mask += mrow
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    images = [glyph(i) for i in range(COUNT)]
    for kind, suffix in (("normal", ""), ("hot", "_hot"), ("disabled", "_disabled")):
        strip = Image.new("RGBA", (SIZE * COUNT, SIZE), (0, 0, 0, 0))
        for i, img in enumerate(images):
            strip.paste(variant(img, kind), (i * SIZE, 0))
        write_bmp(os.path.join(out, "viewer_toolbar32%s.bmp" % suffix), strip, 32)
        write_bmp(os.path.join(out, "viewer_toolbar%s.bmp" % suffix), strip, 24)
    # The explorer's strip reuses the pictures in the order of its buttons.
    explorer = [glyph(i) for i in EXPLORER_GLYPHS]
    for kind, suffix in (("normal", ""), ("hot", "_hot"), ("disabled", "_disabled")):
        strip = Image.new("RGBA", (SIZE * len(explorer), SIZE), (0, 0, 0, 0))
        for i, img in enumerate(explorer):
            strip.paste(variant(img, kind), (i * SIZE, 0))
        write_bmp(os.path.join(out, "explorer_toolbar32%s.bmp" % suffix), strip, 32)
        write_bmp(os.path.join(out, "explorer_toolbar%s.bmp" % suffix), strip, 24)
    write_cursor(os.path.join(out, "hand_open.cur"), False, (16, 18))
    write_cursor(os.path.join(out, "hand_closed.cur"), True, (16, 18))


if __name__ == "__main__":
    main()
