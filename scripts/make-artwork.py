#!/usr/bin/env python3
"""Draws the application's own pictures: the About picture (a 500 x 300 8-bit Windows bitmap
that the About box writes its texts on) and the window icons.

usage: make-artwork.py about OUTPUT.bmp
       make-artwork.py icon KIND OUTPUT.ico     (KIND: frame, editor, screen, keypad,
                                                 functions, slides)
"""
import math
import struct
import sys

WIDTH, HEIGHT = 500, 300

# Palette: 0 black, 1-64 the sky gradient, named colours above, 255 white (the legal notice).
BLACK, WHITE = 0, 255
BODY, KEY, KEY_LIGHT, SCREEN, CURVE_DARK, GRID, CURVE, ACCENT, BAND = range(65, 74)
NAMED = {
    BODY: (52, 58, 70), KEY: (96, 104, 120), KEY_LIGHT: (150, 160, 176),
    SCREEN: (178, 200, 160), CURVE_DARK: (40, 70, 40), GRID: (214, 226, 240),
    CURVE: (120, 170, 230), ACCENT: (240, 150, 40), BAND: (30, 50, 96),
}


def palette():
    colours = [(0, 0, 0)] * 256
    for i in range(1, 65):  # from pale at the bottom of the gradient to white-blue
        t = (i - 1) / 63
        colours[i] = (int(250 - 40 * t), int(252 - 28 * t), 255)
    for index, rgb in NAMED.items():
        colours[index] = rgb
    colours[WHITE] = (255, 255, 255)
    return colours


def about_picture():
    pixels = [[0] * WIDTH for _ in range(HEIGHT)]  # pixels[y][x], y from the bottom

    def fill(x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(HEIGHT, y1)):
            row = pixels[y]
            for x in range(max(0, x0), min(WIDTH, x1)):
                row[x] = colour

    for y in range(HEIGHT):  # sky gradient, lightest behind the texts
        fill(0, y, WIDTH, y + 1, 1 + min(63, y * 64 // HEIGHT))
    for x in range(150, WIDTH, 20):  # faint graph paper on the right
        fill(x, 28, x + 1, HEIGHT - 12, GRID)
    for y in range(40, HEIGHT - 12, 20):
        fill(150, y, WIDTH, y + 1, GRID)
    for x in range(150, WIDTH):  # a damped wave across it
        t = (x - 150) / 350
        y = int(95 + 55 * math.exp(-1.2 * t) * math.sin(14 * t))
        fill(x, y - 1, x + 1, y + 2, CURVE)
    fill(0, HEIGHT - 12, WIDTH, HEIGHT, BAND)  # top and bottom bands
    fill(0, HEIGHT - 15, WIDTH, HEIGHT - 12, ACCENT)
    fill(0, 0, WIDTH, 28, BAND)

    # A calculator on the left, above the corner that the OK button takes.
    fill(28, 72, 132, 276, BODY)
    fill(38, 198, 122, 266, SCREEN)
    for x in range(40, 120):
        t = (x - 40) / 80
        y = int(232 + 24 * math.sin(2 * math.pi * t) * (1 - 0.4 * t))
        fill(x, y, x + 2, y + 2, CURVE_DARK)
    fill(38, 231, 122, 232, CURVE_DARK)
    for row in range(5):
        for column in range(4):
            x, y = 40 + column * 21, 82 + row * 22
            fill(x, y, x + 16, y + 14, ACCENT if (row, column) == (0, 3) else KEY)
            fill(x + 1, y + 12, x + 15, y + 14, KEY_LIGHT)
    return pixels


def write_bmp(path, pixels, colours):
    header_size, info_size = 14, 40
    offset = header_size + info_size + 256 * 4
    image = bytearray()
    for row in pixels:  # bottom-up: the first stored row is the bottom one
        image += bytes(row)
    data = bytearray(b"BM")
    data += struct.pack("<IHHI", offset + len(image), 0, 0, offset)
    data += struct.pack("<IiiHHIIiiII", info_size, WIDTH, HEIGHT, 1, 8, 0, len(image),
                        2835, 2835, 256, 0)
    for r, g, b in colours:
        data += bytes((b, g, r, 0))
    data += image
    with open(path, "wb") as out:
        out.write(data)


ICON_COLOURS = {
    "frame": ((30, 50, 96), (240, 150, 40)), "editor": ((255, 255, 255), (30, 50, 96)),
    "screen": ((178, 200, 160), (40, 70, 40)), "keypad": ((52, 58, 70), (150, 160, 176)),
    "functions": ((214, 226, 240), (30, 50, 96)), "slides": ((240, 150, 40), (255, 255, 255)),
}


def write_icon(path, kind):
    """A 32 x 32 icon: a small calculator-like tile in the colours of the window kind."""
    size = 32
    back, front = ICON_COLOURS[kind]
    rows = []
    for y in range(size):  # bottom-up
        row = bytearray()
        for x in range(size):
            inside = 3 <= x < 29 and 1 <= y < 31
            screen = 7 <= x < 25 and 19 <= y < 27
            key = 7 <= x < 25 and 4 <= y < 16 and (x - 7) % 6 < 4 and (y - 4) % 4 < 3
            if not inside:
                row += bytes((0, 0, 0, 0))
            elif screen or key:
                row += bytes((front[2], front[1], front[0], 255))
            else:
                row += bytes((back[2], back[1], back[0], 255))
        rows.append(row)
    mask = bytes(size * 4)  # AND mask, rows padded to 32 bits; alpha decides
    image = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    image += b"".join(rows) + mask
    data = struct.pack("<HHH", 0, 1, 1)
    data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(data + image)


def main(argv):
    if len(argv) == 3 and argv[1] == "about":
        write_bmp(argv[2], about_picture(), palette())
    elif len(argv) == 4 and argv[1] == "icon" and argv[2] in ICON_COLOURS:
        write_icon(argv[3], argv[2])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
