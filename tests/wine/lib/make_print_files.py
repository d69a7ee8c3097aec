#!/usr/bin/env python3
"""Writes the picture the printing test prints: make_print_files.py FOLDER.

screen.bin: a random screen (eight bands of 132 columns, top pixel in the high bit, the last five
columns blank); Pict1.g6i: that screen as a picture file."""
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', '..', 'cli', 'lib'))
from media import picture  # noqa: E402

random.seed(11)
screen = bytearray(1056)
for band in range(8):
    for col in range(127):
        screen[band * 132 + col] = random.getrandbits(8)
open(f'{sys.argv[1]}/screen.bin', 'wb').write(screen)
open(f'{sys.argv[1]}/Pict1.g6i', 'wb').write(picture(screen))
