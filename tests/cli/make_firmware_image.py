#!/usr/bin/env python3
"""usage: make_firmware_image.py OUT PAGE... [--bad-sum] [--length N] - an image for the default repro.ini
(pages 0-59 large, 60-65 small, the rest blank, the sum made to match); or --expect-flash IMAGE OUT."""
import random
import sys


def page_span(index):
    return (index * 0x4000, 0x4000) if index < 60 else (0xF0000 + (index - 60) * 0x2000, 0x2000)


args = sys.argv[1:]
if args[0] == "--expect-flash":
    image, flash = open(args[1], "rb").read(), bytearray(b"\xff" * 0x100000)
    for at, n in map(page_span, range(66)):
        if image[at:at + n] != b"\xff" * n:
            flash[at:at + n] = image[at:at + n]
    open(args[2], "wb").write(flash)
    sys.exit(0)
length = int(args[args.index("--length") + 1], 0) if "--length" in args else 0x100000
image = bytearray(b"\xff" * 0xFC000 + bytes(0x4000))
rng = random.Random(7)
for at, n in (page_span(int(a)) for a in args[1:] if a.isdigit()):
    image[at:at + n] = bytes(rng.getrandbits(8) for _ in range(n))
image[11903:11907] = b"7300"
image[0xFBFE0:0xFBFE2] = (0x5A3C).to_bytes(2, "little")
missing, i = (0x5A3C - sum(image)) & 0xFFFF, 0xFC000
while missing:
    image[i] = min(missing, 255)
    missing -= image[i]
    i += 1
if "--bad-sum" in args:
    image[0xFF000] ^= 1
open(args[0], "wb").write(image[:length])
