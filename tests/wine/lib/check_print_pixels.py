#!/usr/bin/env python3
"""Compares a printed picture with its screen: check_print_pixels.py PAGE.pgm SCREEN.bin SCALE.

PAGE.pgm is the first page at the printer's resolution without smoothing; the picture's frame
has its left edge in the left margin's column (150 at 300 dpi) and every screen pixel is SCALE x
SCALE printer pixels inside it, sampled at its centre."""
import sys

parts = open(sys.argv[1], 'rb').read().split(b'\n', 3)
w, h = map(int, parts[1].split())
pixels = parts[3]
screen = open(sys.argv[2], 'rb').read()
scale = int(sys.argv[3])
m, half = 150, scale // 2


def dark(x, y):
    return pixels[y * w + x] < 128


# The frame's left edge: the first dark run in the margin column as tall as the picture.
top, run = None, 0
for y in range(h):
    run = run + 1 if dark(m, y) else 0
    if run >= 64 * scale:
        top = y - run + 1
        break
if top is None:
    sys.exit("no picture frame found")
bad = sum(1 for py in range(64) for px in range(132)
          if dark(m + 1 + scale * px + half, top + 1 + scale * py + half) !=
          bool(px < 127 and (screen[(py // 8) * 132 + px] >> (7 - py % 8)) & 1))
if bad:
    sys.exit(f"{bad} picture pixels differ (frame top {top})")
