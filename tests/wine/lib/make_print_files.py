#!/usr/bin/env python3
"""Writes the pictures the printing test prints: make_print_files.py FOLDER.

screen.bin: a random screen (eight bands of 132 columns, top pixel in the high bit, the last five
columns blank); Pict1.g6i: that screen as a picture file; show.g6s: a slide show "MY SLIDES" of
twelve pages of it, compressed as slide show records are."""
import random
import struct
import sys

from make_slide_show import compress

folder = sys.argv[1]
random.seed(11)
screen = bytearray(1056)
for band in range(8):
    for col in range(127):
        screen[band * 132 + col] = random.getrandbits(8)
open(f'{folder}/screen.bin', 'wb').write(screen)
pic = bytearray(b'6i' + b'\x10\x0d' + b' ' * 9 + b'\0' * 41 + b'\x10\x0d\x00')
for band in range(8):
    pic += screen[band * 132: band * 132 + 127]
open(f'{folder}/Pict1.g6i', 'wb').write(pic)


show = bytearray(b'6s' + b'SHOW'.ljust(11, b'\xff') + b'MY SLIDES'.ljust(40, b'\0') + b'\0\0')
for n in range(12):
    c = compress(screen)
    show += struct.pack('<II', len(c) + 8, 0) + c
show += bytes(8)
open(f'{folder}/show.g6s', 'wb').write(show)
