#!/usr/bin/env python3
"""Writes test slide shows: make_slide_show.py OUT PAGES TITLE [--first-empty].

Each page is 132 x 64 pixels in eight bands of one byte per column (top pixel in the high bit):
a border, vertical bars spaced by the page number and a filled block as wide as four times the
page number, so that every page looks different. With --first-empty the first record length is
0 and a page record follows it unread."""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', '..', 'cli', 'lib'))
from media import compress  # noqa: E402


def page_screen(number):
    pixels = [[False] * 132 for _ in range(64)]
    for x in range(132):
        pixels[0][x] = pixels[63][x] = True
    for y in range(64):
        pixels[y][0] = pixels[y][131] = True
        for x in range(4, 132, number + 3):
            if 8 <= y < 24:
                pixels[y][x] = True
    for y in range(32, 56):
        for x in range(8, min(8 + 4 * number, 124)):
            pixels[y][x] = True
    screen = bytearray()
    for band in range(8):
        for x in range(132):
            byte = 0
            for bit in range(8):
                if pixels[band * 8 + bit][x]:
                    byte |= 0x80 >> bit
            screen.append(byte)
    return bytes(screen)


def main():
    out, pages, title = sys.argv[1], int(sys.argv[2]), sys.argv[3].encode()
    first_empty = "--first-empty" in sys.argv
    header = bytearray(b"6s" + b"SLIDES\0\0\0\0\0")
    header += title[:40].ljust(41, b"\0") + b"\0"
    body = bytearray()
    if first_empty:
        body += struct.pack("<II", 0, 0)
    for number in range(1, pages + 1):
        data = compress(page_screen(number))
        body += struct.pack("<II", len(data) + 8, 0) + data
    body += struct.pack("<II", 0, 0)
    with open(out, "wb") as f:
        f.write(bytes(header) + bytes(body))


if __name__ == "__main__":
    main()
