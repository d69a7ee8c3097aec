#!/usr/bin/env python3
"""Writes the pictures the printing test prints: make_print_files.py FOLDER.

screen.bin: a random screen (eight bands of 132 columns, top pixel in the high bit, the last five
columns blank); Pict1.g6i: that screen as a picture file; show.g6s: a slide show "MY SLIDES" of
twelve pages of it, compressed as slide show records are."""
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', '..', 'cli', 'lib'))
from media import compress, picture, slide_show  # noqa: E402

folder = sys.argv[1]
random.seed(11)
screen = bytearray(1056)
for band in range(8):
    for col in range(127):
        screen[band * 132 + col] = random.getrandbits(8)
open(f'{folder}/screen.bin', 'wb').write(screen)
open(f'{folder}/Pict1.g6i', 'wb').write(picture(screen))
open(f'{folder}/show.g6s', 'wb').write(slide_show(b'6', b'SHOW', b'MY SLIDES', [compress(screen)] * 12))
