#!/usr/bin/env python3
"""Draws the application's own pictures: the About picture (a 500 x 300 8-bit Windows bitmap
that the About box writes its texts on) and the window icons.

usage: make-artwork.py about OUTPUT.bmp
       make-artwork.py icon KIND OUTPUT.ico     (KIND: frame, editor, screen, keypad,
                                                 functions, slides)
       make-artwork.py toolbar OUTPUT.bmp       (ten 25 x 22 buttons, normal row above
                                                 the pressed row)
       make-artwork.py keyboard LABELS.tsv NORMAL.bmp PRESSED.bmp
                                                (the 292 x 430 key panel, normal and with
                                                 every key pressed)
       make-artwork.py indicator OUTPUT.bmp     (four 36 x 21 shift indicators, stacked)
"""
import math
import struct
import subprocess
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


BUTTON_W, BUTTON_H = 25, 22


def toolbar_picture():
    """Ten buttons: New, Open, Save, Print, Cut, Copy, Paste, Screen Capture, Receive, Send.
    Returns rows of (r, g, b), top row first."""
    width, height = 10 * BUTTON_W, 2 * BUTTON_H
    face, white, grey, dark = (192, 192, 192), (255, 255, 255), (127, 127, 127), (0, 0, 0)
    pixels = [[face] * width for _ in range(height)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(height, y1)):
            for x in range(max(0, x0), min(width, x1)):
                pixels[y][x] = colour

    def line(x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            fill(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps),
                 round(x0 + (x1 - x0) * i / steps) + 1, round(y0 + (y1 - y0) * i / steps) + 1,
                 colour)

    def page(x, y, w, h):
        fill(x, y, x + w, y + h, dark)
        fill(x + 1, y + 1, x + w - 1, y + h - 1, white)

    def arrow(x, y, down, colour):
        for i in range(5):
            row = y + (i if down else 4 - i) + 5
            fill(x + i, row, x + 11 - i, row + 1, colour)
        fill(x + 4, y if down else y + 10, x + 7, y + 5 if down else y + 15, colour)

    glyphs = [
        lambda x, y: (page(x + 3, y + 1, 10, 13), fill(x + 10, y + 1, x + 13, y + 4, face)),
        lambda x, y: (fill(x, y + 4, x + 14, y + 13, (160, 120, 0)),
                      fill(x + 1, y + 5, x + 13, y + 12, (250, 210, 80)),
                      fill(x + 1, y + 2, x + 6, y + 4, (160, 120, 0))),
        lambda x, y: (fill(x + 1, y + 1, x + 14, y + 14, (30, 50, 120)),
                      fill(x + 4, y + 1, x + 11, y + 6, white),
                      fill(x + 4, y + 9, x + 11, y + 14, (90, 90, 90))),
        lambda x, y: (page(x + 3, y, 9, 6), fill(x, y + 6, x + 15, y + 12, (90, 90, 90)),
                      fill(x + 3, y + 10, x + 12, y + 14, white), fill(x + 11, y + 7, x + 13, y + 8, (0, 200, 0))),
        lambda x, y: (line(x + 3, y, x + 10, y + 9, dark), line(x + 11, y, x + 4, y + 9, dark),
                      fill(x + 1, y + 9, x + 5, y + 13, (200, 0, 0)), fill(x + 9, y + 9, x + 13, y + 13, (200, 0, 0)),
                      fill(x + 2, y + 10, x + 4, y + 12, face), fill(x + 10, y + 10, x + 12, y + 12, face)),
        lambda x, y: (page(x + 1, y, 9, 10), page(x + 5, y + 4, 9, 10)),
        lambda x, y: (fill(x + 1, y + 2, x + 12, y + 14, (140, 90, 40)), page(x + 4, y + 5, 10, 9),
                      fill(x + 4, y + 1, x + 9, y + 3, (90, 90, 90))),
        lambda x, y: (fill(x + 1, y + 1, x + 14, y + 13, (52, 58, 70)),
                      fill(x + 3, y + 3, x + 12, y + 9, (178, 200, 160)),
                      line(x + 3, y + 7, x + 6, y + 4, (40, 70, 40)), line(x + 6, y + 4, x + 11, y + 8, (40, 70, 40))),
        lambda x, y: (arrow(x + 2, y, True, (0, 110, 0)), fill(x + 1, y + 12, x + 14, y + 14, dark)),
        lambda x, y: (arrow(x + 2, y, False, (0, 60, 170)), fill(x + 1, y, x + 14, y + 2, dark)),
    ]
    for i, glyph in enumerate(glyphs):
        for pressed in (0, 1):
            x0, y0 = i * BUTTON_W, pressed * BUTTON_H
            top_left, bottom_right = (dark, white) if pressed else (white, grey)
            fill(x0, y0, x0 + BUTTON_W, y0 + 1, top_left)
            fill(x0, y0, x0 + 1, y0 + BUTTON_H, top_left)
            fill(x0, y0 + BUTTON_H - 1, x0 + BUTTON_W, y0 + BUTTON_H, bottom_right)
            fill(x0 + BUTTON_W - 1, y0, x0 + BUTTON_W, y0 + BUTTON_H, bottom_right)
            glyph(x0 + 5 + pressed, y0 + 4 + pressed)
    return pixels


def write_bmp24(path, rows):
    """A bottom-up 24-bit bitmap file of rows given top row first."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    image = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        image += line + bytes(stride - len(line))
    data = bytearray(b"BM") + struct.pack("<IHHI", 54 + len(image), 0, 0, 54)
    data += struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(data + image)


LABEL_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf"
BOLD_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
CONDENSED_BOLD_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"
WIDTH_KEYS, HEIGHT_KEYS = 292, 430


def read_labels(path):
    """The labels written by the application's keyboard_labels tool: key id, kind, box, text."""
    labels = []
    with open(path, encoding="utf-8") as source:
        for line in source:
            key, kind, x, y, w, h, text = line.rstrip("\n").split("\t", 6)
            labels.append((int(key), kind, int(x), int(y), int(w), int(h), text))
    return labels


def ink_sizes(requests):
    """Width and height of each (font, point size, text)'s ink, one pixel a point, measured
    in one run of ImageMagick."""
    args = ["/usr/bin/convert"]
    for font, size, text in requests:
        args += ["(", "-font", font, "-pointsize", str(size), "label:" + text, "-trim", ")"]
    args += ["-format", "%w %h\n", "info:"]
    out = subprocess.run(args, check=True, capture_output=True, text=True).stdout.split()
    return [(int(out[2 * i]), int(out[2 * i + 1])) for i in range(len(requests))]


def fitted_sizes(requests):
    """For each (font, preferred size, text, width, height), the largest point size up to the
    preferred one whose ink fits the box (at least 5)."""
    sizes = [preferred for _, preferred, _, _, _ in requests]
    pending = list(range(len(requests)))
    while pending:
        measured = ink_sizes([(requests[i][0], sizes[i], requests[i][2]) for i in pending])
        still = []
        for i, (w, h) in zip(pending, measured):
            if (w > requests[i][3] or h > requests[i][4]) and sizes[i] > 5:
                sizes[i] -= 1
                still.append(i)
        pending = still
    return sizes


def key_face(key, main, pressed):
    if key == 117:  # 2ndF
        return "#a86810" if pressed else "#e8a040"
    if key == 118:  # ALPHA
        return "#2a5aa0" if pressed else "#5a8ad0"
    if main.isdigit() or main in (".", "(\u2212)", "Exp", "ENTER"):
        return "#a0a0a0" if pressed else "#e6e6e6"
    return "#383e4a" if pressed else "#606878"


def label_style(kind, text):
    """Font, preferred point size and placement in its box of a label."""
    if kind == "key":
        short = len(text) <= 3
        return (BOLD_FONT if short else CONDENSED_BOLD_FONT), (12 if short else 9), "center"
    return LABEL_FONT, 8, ("west" if kind == "second" else "east")


def keyboard_pictures(labels_path, normal_path, pressed_path):
    """The key panel drawn with ImageMagick, normal and with every key pressed: body, model
    name, the shift indicator's window, the keys, and every label fitted into its own box
    (never drawn outside it)."""
    labels = read_labels(labels_path)
    sizes = fitted_sizes([label_style(kind, text)[:2] + (text, w, h)
                          for _, kind, _, _, w, h, text in labels])
    for path, pressed in ((normal_path, False), (pressed_path, True)):
        draw = ["fill #343a46 rectangle 0,0 291,429",
                "fill #2a2f38 roundrectangle 180,66 240,106 4,4",
                "fill #b2c8a0 rectangle 188,73 231,101"]
        faces = {}
        for key, kind, x, y, w, h, text in labels:
            if kind == "key":
                faces[key] = key_face(key, text, pressed)
                x0, y0, x1, y1 = x - 2, y - 2, x + w + 1, y + h + 1  # the key around its label
                draw.append(f"fill {faces[key]} roundrectangle {x0},{y0} {x1},{y1} 4,4")
        args = ["/usr/bin/convert", "-size", f"{WIDTH_KEYS}x{HEIGHT_KEYS}", "xc:black",
                "-draw", " ".join(draw), "-font", BOLD_FONT, "-pointsize", "18",
                "-fill", "#c8ccd4", "-gravity", "NorthWest", "-annotate", "+16+22", "RQ-7310"]
        for (key, kind, x, y, w, h, text), size in zip(labels, sizes):
            font, _, gravity = label_style(kind, text)
            if kind == "key":
                colour = "#202020" if faces[key] in ("#e6e6e6", "#a0a0a0") else "white"
            else:
                colour = "#f0b050" if kind == "second" else "#80b0ff"
            args += ["(", "-background", "none", "-fill", colour, "-font", font, "-pointsize",
                     str(size), "label:" + text, "-trim", "+repage", "-gravity", gravity,
                     "-extent", f"{w}x{h}", ")", "-gravity", "NorthWest", "-geometry",
                     f"+{x}+{y}", "-composite"]
        args += ["-type", "Palette", "-depth", "8", f"BMP3:{path}"]
        subprocess.run(args, check=True)


def indicator_picture(path):
    """Four 36 x 21 images stacked: none, 2ndF, ALPHA, ALPHA lock."""
    draw = ["fill #b2c8a0 rectangle 0,0 35,83"]
    args = ["/usr/bin/convert", "-size", "36x84", "xc:black", "-draw", " ".join(draw)]
    for i, label in enumerate(["", "2ndF", "ALPHA", "A-LCK"]):
        if label:
            args += ["-font", BOLD_FONT, "-pointsize", "8", "-fill", "#203020", "-gravity",
                     "NorthWest", "-annotate", f"+{18 - len(label) * 3}+{21 * i + 5}", label]
    args += ["-type", "Palette", "-depth", "8", f"BMP3:{path}"]
    subprocess.run(args, check=True)


def main(argv):
    if len(argv) == 3 and argv[1] == "about":
        write_bmp(argv[2], about_picture(), palette())
    elif len(argv) == 5 and argv[1] == "keyboard":
        keyboard_pictures(argv[2], argv[3], argv[4])
    elif len(argv) == 3 and argv[1] == "indicator":
        indicator_picture(argv[2])
    elif len(argv) == 3 and argv[1] == "toolbar":
        write_bmp24(argv[2], toolbar_picture())
    elif len(argv) == 4 and argv[1] == "icon" and argv[2] in ICON_COLOURS:
        write_icon(argv[3], argv[2])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
