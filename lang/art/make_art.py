#!/usr/bin/env python3
"""Draws the pictures of the language libraries and the tray icon.

    python3 lang/art/make_art.py

writes, beside this script:
  Vantrel.ico          tray and program icon, 16x16 and 32x32, 32-bit
  drag.cur             cursor 6000: arrow carrying a menu item
  palette_toolbar.bmp  bitmap 6002: pin, pin pressed, help (16x15 each)
  splash.bmp           bitmap 6001: start-up picture (ImageMagick draws it)

The outputs are kept in the tree, so the build never runs this script.
Only the Python standard library and ImageMagick's `convert` are used.
"""
import os
import zlib
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

TEAL_TOP = (0x24, 0x7F, 0x9E)
TEAL_BOTTOM = (0x12, 0x48, 0x5E)
AMBER = (0xF2, 0xA3, 0x3A)
WHITE = (0xFF, 0xFF, 0xFF)
INK = (0x1B, 0x2B, 0x34)


# ---- shapes, sampled 4x4 per pixel for smooth edges -----------------------

def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def render(size, layers, scale):
    """layers: list of (inside(x, y) in design units, colour or colour(y))."""
    pixels = []
    n = 4
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / scale
                    y = (py + (sy + 0.5) / n) / scale
                    colour = None
                    for inside, fill in layers:
                        if inside(x, y):
                            colour = fill(y) if callable(fill) else fill
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            cover = acc[3]
            if cover == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / cover), round(acc[1] / cover),
                            round(acc[2] / cover), round(255 * cover / (n * n))))
        pixels.append(row)
    return pixels


def teal(y, top=1.0, bottom=31.0):
    t = min(max((y - top) / (bottom - top), 0.0), 1.0)
    return tuple(round(a + (b - a) * t) for a, b in zip(TEAL_TOP, TEAL_BOTTOM))


def icon_layers(size):
    """The program's mark: a pop-up menu card with its middle item chosen."""
    if size == 16:
        # Pixel-aligned so that the one-pixel bars stay sharp.
        return [
            (rounded_rect(0, 0, 16, 16, 3), lambda y: teal(y, 0, 16)),
            (rounded_rect(3, 2, 13, 14, 1), WHITE),
            (rounded_rect(3, 6, 13, 9, 0), AMBER),
            (rounded_rect(5, 4, 11, 5, 0), INK),
            (rounded_rect(5, 7, 11, 8, 0), WHITE),
            (rounded_rect(5, 11, 9, 12, 0), INK),
        ]
    return [
        (rounded_rect(1, 1, 31, 31, 6), lambda y: teal(y)),
        (rounded_rect(6.5, 4.5, 25.5, 27.5, 2), WHITE),
        (rounded_rect(6.5, 12.5, 25.5, 19.5, 0), AMBER),
        (rounded_rect(10, 8, 22, 10, 1), INK),
        (rounded_rect(10, 15, 22, 17, 1), WHITE),
        (rounded_rect(10, 22, 18, 24, 1), INK),
    ]


# ---- file writers ----------------------------------------------------------

def dib32(pixels):
    """A 32-bit BITMAPINFOHEADER image with its AND mask, as icons hold it."""
    size = len(pixels)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(xor) + bytes(mask)


def write_icon_file(path, images, kind=1, hotspot=(0, 0)):
    """kind 1: .ico; kind 2: .cur (planes/bits fields hold the hot spot)."""
    count = len(images)
    out = bytearray(struct.pack('<HHH', 0, kind, count))
    offset = 6 + 16 * count
    blobs = []
    for pixels in images:
        blob = dib32(pixels)
        size = len(pixels)
        if kind == 1:
            a, b = 1, 32
        else:
            a, b = hotspot
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, a, b, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    for blob in blobs:
        out += blob
    with open(path, 'wb') as f:
        f.write(out)


def write_bmp24(path, rows):
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        data += line
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def write_png_rgba(path, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))
    height = len(pixels)
    width = len(pixels[0])
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for p in row:
            raw += bytes(p)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n'
                + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
                + chunk(b'IEND', b''))


# ---- pixel art --------------------------------------------------------------

def from_art(art, palette):
    return [[palette[c] for c in line] for line in art]


# Cursor 6000: the standard arrow carrying a small menu item (the drag of an
# item onto a panel). '#' black, 'o' white, '.' transparent, 'a' amber.
DRAG_CURSOR = [
    "#...............",
    "##..............",
    "#o#.............",
    "#oo#............",
    "#ooo#...........",
    "#oooo#..........",
    "#ooooo#.........",
    "#oooooo#........",
    "#ooooooo#.......",
    "#oooooooo#......",
    "#ooooo#####.....",
    "#oo#oo#.........",
    "#o#.#oo#........",
    "##..#oo#........",
    "#....#oo#.......",
    ".....#oo#.......",
    "......##........",
    "...#############",
    "...#aaaaaaaaaaa#",
    "...#a#######aaa#",
    "...#aaaaaaaaaaa#",
    "...#############",
]

# Bitmap 6002, 16x15 per image on the toolbar's mapped grey (C0C0C0).
# Image 0: pin lying down (not pinned); 1: pin pushed in (pinned); 2: help.
PIN_OUT = [
    "................",
    "................",
    "................",
    "........#.......",
    "........##.#####",
    "........#o#o...#",
    "........#o#o...#",
    ".########o#o...#",
    "........#o#o...#",
    "........#o#s####",
    "........##.#####",
    "........#.......",
    "................",
    "................",
    "................",
]
PIN_IN = [
    "................",
    "....#######.....",
    "....#o....#.....",
    "....#o....#.....",
    "....#o....#.....",
    "....#o....#.....",
    "....#o....#.....",
    "...#########....",
    "....#oooooo#....",
    "......###.......",
    ".......#........",
    ".......#........",
    ".......#........",
    ".......#........",
    "................",
]
HELP = [
    "................",
    ".....bbbbbb.....",
    "....bbbbbbbb....",
    "...bbb....bbb...",
    "...bbb....bbb...",
    "..........bbb...",
    ".........bbb....",
    "........bbb.....",
    ".......bbb......",
    ".......bbb......",
    ".......bbb......",
    "................",
    ".......bbb......",
    ".......bbb......",
    "................",
]


def make_icon():
    images = [render(16, icon_layers(16), 1.0), render(32, icon_layers(32), 1.0)]
    write_icon_file(os.path.join(HERE, 'Vantrel.ico'), images, kind=1)


def make_cursor():
    palette = {'#': (0, 0, 0, 255), 'o': (255, 255, 255, 255), '.': (0, 0, 0, 0),
               'a': AMBER + (255,)}
    art = [line.ljust(32, '.') for line in DRAG_CURSOR]
    art += ['.' * 32] * (32 - len(art))
    write_icon_file(os.path.join(HERE, 'drag.cur'), [from_art(art, palette)], kind=2,
                    hotspot=(0, 0))


def make_toolbar():
    grey = (0xC0, 0xC0, 0xC0)
    palette = {'.': grey, '#': (0, 0, 0), 'o': WHITE, 's': (0x80, 0x80, 0x80),
               'b': (0x00, 0x3C, 0xB4)}
    rows = []
    for y in range(15):
        rows.append([palette[c] for c in PIN_OUT[y] + PIN_IN[y] + HELP[y]])
    write_bmp24(os.path.join(HERE, 'palette_toolbar.bmp'), rows)


def make_splash():
    """A 460x260 card: the mark, the name and a line of what it does."""
    out = os.path.join(HERE, 'splash.bmp')
    mark = os.path.join(HERE, 'splash_mark.png')
    # The mark drawn large, with its transparency, for ImageMagick to place.
    write_png_rgba(mark, render(112, icon_layers(32), 112 / 32))
    try:
        subprocess.run([
            'convert', '-size', '460x260', 'gradient:#1F7595-#0E3A4C',
            mark, '-geometry', '+34+66', '-composite',
            '-fill', '#F2A33A', '-draw', 'rectangle 0,252 460,260',
            '-font', 'DejaVu-Sans-Bold', '-pointsize', '46', '-fill', 'white',
            '-annotate', '+170+132', 'Vantrel',
            '-font', 'DejaVu-Sans', '-pointsize', '15', '-fill', '#E4F1F5',
            '-annotate', '+172+162', 'Your own menu on every right click',
            '-pointsize', '11', '-fill', '#A9CCD8',
            '-annotate', '+172+232', 'Amber Heron, Inc.',
            '-alpha', 'off', '-type', 'TrueColor', 'BMP3:' + out,
        ], check=True)
    finally:
        os.remove(mark)


def main():
    make_icon()
    make_cursor()
    make_toolbar()
    make_splash()
    return 0


if __name__ == '__main__':
    sys.exit(main())
