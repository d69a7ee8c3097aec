#!/usr/bin/env python3
"""Writes a firmware image for the default repro.ini layout: the model field "7300" at 11903,
the given pages (0-59 large, 60-65 small) filled with a pattern, the rest blank (0xFF), and the
stored sum at 0xFBFE0 made to match by the bytes after the last page.

usage: make_firmware_image.py OUT PAGE... [--bad-sum] [--length N]
       make_firmware_image.py --expect-flash IMAGE OUT
The second form writes the flash an update of IMAGE leaves in the simulated calculator: the
image's non-blank pages, blank (0xFF) everywhere else."""
import random
import sys

SIZE = 0x100000
SUM_AT = 0xFBFE0
PAGES_END = 0xFC000


def page_span(index):
    if index < 60:
        return index * 0x4000, 0x4000
    return 0xF0000 + (index - 60) * 0x2000, 0x2000


def expect_flash(image_path, out):
    image = open(image_path, "rb").read()
    flash = bytearray(b"\xff" * SIZE)
    for index in range(66):
        at, n = page_span(index)
        page = image[at:at + n]
        if page != b"\xff" * n:
            flash[at:at + n] = page
    open(out, "wb").write(flash)


def main(args):
    if args[0] == "--expect-flash":
        expect_flash(args[1], args[2])
        return
    out, rest = args[0], args[1:]
    bad_sum = "--bad-sum" in rest
    length = SIZE
    if "--length" in rest:
        length = int(rest[rest.index("--length") + 1], 0)
        rest = [a for a in rest if a not in ("--length", rest[rest.index("--length") + 1])]
    pages = [int(a) for a in rest if not a.startswith("--")]
    image = bytearray(b"\xff" * SIZE)
    rng = random.Random(7)
    for p in pages:
        at, n = page_span(p)
        image[at:at + n] = bytes(rng.getrandbits(8) for _ in range(n))
    image[11903:11907] = b"7300"
    stored = 0x5A3C
    image[SUM_AT:SUM_AT + 2] = stored.to_bytes(2, "little")
    for i in range(PAGES_END, SIZE):
        image[i] = 0
    missing = (stored - sum(image)) & 0xFFFF
    i = PAGES_END
    while missing:
        add = min(missing, 255)
        image[i] = add
        missing -= add
        i += 1
    if bad_sum:
        image[PAGES_END + 0x3000] ^= 1
    with open(out, "wb") as f:
        f.write(image[:length])


if __name__ == "__main__":
    main(sys.argv[1:])
