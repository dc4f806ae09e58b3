#!/usr/bin/env python3
"""Draws the tool window's bitmaps (item images, tool-bar glyphs, title strip,
title-strip buttons, icon) and writes them as BMP/ICO files next to this
script. Run it again after changing a drawing; its output is committed."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MASK = (255, 0, 255)  # transparent colour of the image lists


class Canvas:
    def __init__(self, w, h, fill=MASK):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):  # inclusive, filled
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def blit(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                self.set(ox + x, oy + y, other.px[y][x])


def write_bmp(path, canvas):
    row = (canvas.w * 3 + 3) & ~3
    data = bytearray()
    for y in range(canvas.h - 1, -1, -1):
        line = bytearray()
        for r, g, b in canvas.px[y]:
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_ico(path, canvases):
    images = []
    for c in canvases:
        xor = bytearray()
        for y in range(c.h - 1, -1, -1):
            for p in c.px[y]:
                if p == MASK:
                    xor += b"\0\0\0\0"
                else:
                    xor += bytes((p[2], p[1], p[0], 255))
        and_row = ((c.w + 31) // 32) * 4
        andmask = bytearray()
        for y in range(c.h - 1, -1, -1):
            bits = bytearray(and_row)
            for x in range(c.w):
                if c.px[y][x] == MASK:
                    bits[x // 8] |= 0x80 >> (x % 8)
            andmask += bits
        info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
        images.append((c.w, c.h, info + xor + andmask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, blob in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, _, blob in images:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


# A 5 x 7 pixel font for the few letters the title uses.
FONT = {
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "u": ["00000", "00000", "10001", "10001", "10001", "10011", "01101"],
    "i": ["00100", "00000", "01100", "00100", "00100", "00100", "01110"],
    "l": ["01100", "00100", "00100", "00100", "00100", "00100", "01110"],
    "t": ["01000", "01000", "11100", "01000", "01000", "01001", "00110"],
    "o": ["00000", "00000", "01110", "10001", "10001", "10001", "01110"],
    "r": ["00000", "00000", "10110", "11001", "10000", "10000", "10000"],
}


def text(canvas, s, x, y, c):
    for ch in s:
        glyph = FONT[ch]
        for gy, bits in enumerate(glyph):
            for gx, b in enumerate(bits):
                if b == "1":
                    canvas.set(x + gx, y + gy, c)
        x += 6
    return x


BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
LIGHT = (212, 208, 200)
VARIANT = [(220, 40, 40), (230, 140, 20), (200, 180, 0), (40, 160, 60), (30, 110, 220), (150, 60, 200)]


def item_image(index):
    c = Canvas(14, 14)
    if index < 6:  # script: a page with lines and a coloured fold
        col = VARIANT[index]
        c.rect(2, 1, 11, 12, WHITE)
        c.frame(2, 1, 11, 12, GREY)
        for y in (4, 6, 8, 10):
            c.line(4, y, 9, y, (90, 90, 90))
        c.rect(8, 1, 11, 3, col)
        c.line(8, 4, 11, 4, GREY)
        c.rect(2, 11, 4 + index, 12, col)
    elif index < 12:  # module: a small box with a coloured lid
        col = VARIANT[index - 6]
        dark = tuple(v // 2 for v in col)
        c.rect(1, 5, 10, 12, col)
        c.frame(1, 5, 10, 12, dark)
        for i in range(3):
            c.line(2 + i, 4 - i, 11 + i, 4 - i, dark if i == 0 else col)
        c.line(11, 5, 12, 4, dark)
        c.line(11, 12, 13, 10, dark)
        c.line(11, 5, 11, 12, dark)
        c.line(12, 4, 12, 11, dark)
        c.line(13, 2, 13, 10, dark)
        c.line(4, 8, 7, 8, WHITE)
        c.line(4, 9, 7, 9, WHITE)
    else:  # menu: a list with an arrow
        c.rect(1, 1, 10, 12, WHITE)
        c.frame(1, 1, 10, 12, GREY)
        for y in (3, 6, 9):
            c.rect(3, y, 4, y + 1, (30, 110, 220))
            c.line(6, y, 8, y, BLACK)
        for i in range(3):
            c.line(11 + i - 1, 5 + i, 11 + i - 1, 9 - i, BLACK)
    return c


def tool_glyph(name):
    c = Canvas(16, 16)
    if name == "mode":  # two linked rings
        for cx, col in ((5, (30, 110, 220)), (10, (220, 40, 40))):
            c.frame(cx - 3, 5, cx + 3, 10, col)
            c.frame(cx - 2, 4, cx + 2, 11, col)
    elif name == "new":
        c.rect(3, 1, 12, 14, WHITE)
        c.frame(3, 1, 12, 14, GREY)
        c.rect(9, 1, 12, 4, LIGHT)
        c.line(9, 1, 12, 4, GREY)
        c.rect(10, 9, 14, 10, (40, 160, 60))
        c.rect(11, 8, 13, 11, (40, 160, 60))
    elif name == "open":
        c.rect(1, 4, 7, 5, (200, 160, 40))
        c.rect(1, 5, 14, 13, (240, 200, 80))
        c.frame(1, 5, 14, 13, (150, 110, 20))
        c.line(3, 8, 13, 8, (150, 110, 20))
    elif name == "close":
        c.rect(3, 1, 12, 14, WHITE)
        c.frame(3, 1, 12, 14, GREY)
        c.line(5, 5, 10, 10, (220, 40, 40))
        c.line(6, 5, 11, 10, (220, 40, 40))
        c.line(10, 5, 5, 10, (220, 40, 40))
        c.line(11, 5, 6, 10, (220, 40, 40))
    elif name == "exec":
        for i in range(7):
            c.line(4 + i, 2 + i, 4 + i, 13 - i, (40, 160, 60))
        c.line(4, 2, 10, 8, (20, 90, 30))
        c.line(4, 13, 10, 8, (20, 90, 30))
        c.line(4, 2, 4, 13, (20, 90, 30))
    elif name == "repeat":
        col = (30, 110, 220)
        c.frame(3, 4, 12, 12, col)
        c.frame(4, 5, 11, 11, col)
        c.rect(3, 3, 7, 4, MASK)
        for i in range(4):
            c.line(8 + i, 1 + i, 8 + i, 7 - i, col)
    elif name == "loomwork":  # a quilt of coloured squares
        for j in range(3):
            for i in range(3):
                col = VARIANT[(i + j * 2) % 6]
                c.rect(1 + i * 5, 1 + j * 5, 4 + i * 5, 4 + j * 5, col)
        c.frame(0, 0, 15, 15, GREY)
    return c


def title(active):
    w, h = 270, 15
    c = Canvas(w, h)
    a = (10, 36, 106) if active else (128, 128, 128)
    b = (166, 202, 240) if active else (192, 192, 192)
    for x in range(w):
        t = x / (w - 1)
        col = tuple(round(a[k] + (b[k] - a[k]) * t) for k in range(3))
        for y in range(h):
            c.set(x, y, col)
    # a running stitch along the edges
    stitch = (255, 255, 255) if active else (224, 224, 224)
    for x in range(2, w - 2, 4):
        c.set(x, 1, stitch)
        c.set(x + 1, 1, stitch)
        c.set(x, h - 2, stitch)
        c.set(x + 1, h - 2, stitch)
    text(c, "Quiltor", 5, 4, WHITE if active else (235, 235, 235))
    return c


def icon(size):
    c = Canvas(size, size)
    cell = size // 3
    for j in range(3):
        for i in range(3):
            col = VARIANT[(i + j * 2) % 6]
            c.rect(i * cell, j * cell, (i + 1) * cell - 1, (j + 1) * cell - 1, col)
    for k in range(0, size, 2):  # stitches between the patches
        for m in (cell, 2 * cell):
            c.set(k, m, WHITE)
            c.set(m, k, WHITE)
    return c


def speed_glyphs():
    # Fix (pin), shrink (up), stretch (down), minimise, exit: 9 x 9 each.
    glyphs = []
    for name in ("fix", "shrink", "stretch", "min", "exit"):
        c = Canvas(9, 9)
        if name == "fix":
            c.rect(2, 0, 6, 3, (220, 40, 40))
            c.line(1, 4, 7, 4, BLACK)
            c.line(4, 5, 4, 8, BLACK)
        elif name == "shrink":
            for i in range(4):
                c.line(4 - i, 2 + i, 4 + i, 2 + i, BLACK)
            c.line(1, 7, 7, 7, BLACK)
        elif name == "stretch":
            for i in range(4):
                c.line(4 - i, 6 - i, 4 + i, 6 - i, BLACK)
            c.line(1, 1, 7, 1, BLACK)
        elif name == "min":
            c.rect(1, 6, 6, 7, BLACK)
        elif name == "exit":
            c.line(1, 1, 7, 7, BLACK)
            c.line(2, 1, 7, 6, BLACK)
            c.line(7, 1, 1, 7, BLACK)
            c.line(6, 1, 1, 6, BLACK)
        glyphs.append(c)
    strip = Canvas(9 * len(glyphs), 9)
    for i, g in enumerate(glyphs):
        strip.blit(g, i * 9, 0)
    return strip


def main():
    # 13 item images and a blank 14th, which keeps the captions of text items
    # in line with those that show an image.
    items = Canvas(14 * 14, 14)
    for i in range(13):
        items.blit(item_image(i), i * 14, 0)
    write_bmp(os.path.join(HERE, "items.bmp"), items)
    names = ["mode", "new", "open", "close", "exec", "repeat", "loomwork"]
    tools = Canvas(16 * len(names), 16)
    for i, n in enumerate(names):
        tools.blit(tool_glyph(n), i * 16, 0)
    write_bmp(os.path.join(HERE, "tools.bmp"), tools)
    write_bmp(os.path.join(HERE, "title1.bmp"), title(True))
    write_bmp(os.path.join(HERE, "title2.bmp"), title(False))
    write_bmp(os.path.join(HERE, "icon15.bmp"), icon(15))
    write_bmp(os.path.join(HERE, "speed.bmp"), speed_glyphs())
    write_ico(os.path.join(HERE, "quiltor.ico"), [icon(32), icon(16)])


if __name__ == "__main__":
    main()
