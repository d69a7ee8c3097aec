#!/usr/bin/env python3
"""Checks a built calculator font: face name, symbol cmap, coverage of every printable ASCII
byte and every named calculator glyph byte, one advance for all, and no two calculator bytes
drawn alike. With --sample PNG it also renders all glyphs in a grid for a person to look at.

usage: font_check.py FONT.TTF STRING_TABLE.cpp [--sample OUT.png]
"""
import re
import subprocess
import sys

from fontTools.pens.recordingPen import RecordingPen
from fontTools.ttLib import TTFont

# Bytes that are meant to share a drawing: 0xC4 is the calculator's own backslash.
SAME_DRAWING = {frozenset({0x5C, 0xC4})}


def named_glyph_bytes(string_table_source):
    """Calculator bytes that have a glyph name (string ids 500-627 = byte + 372)."""
    text = open(string_table_source, encoding="utf-8").read()
    ids = [int(m) for m in re.findall(r"\{(\d+), \"", text)]
    return sorted(i - 372 for i in ids if 500 <= i <= 627)


def main():
    font_path, table_path = sys.argv[1], sys.argv[2]
    sample = sys.argv[4] if len(sys.argv) > 4 and sys.argv[3] == "--sample" else None
    failures = []
    font = TTFont(font_path)

    faces = {(r.platformID, r.platEncID): r.toUnicode() for r in font["name"].names if r.nameID == 1}
    for key in [(3, 0), (1, 0)]:
        if faces.get(key) != "TM-QV7":
            failures.append(f"family name on platform {key} is {faces.get(key)!r}")
    if font["name"].getDebugName(4) != "TM-QV7":
        failures.append("full name is not TM-QV7")

    symbol = font["cmap"].getcmap(3, 0)
    if symbol is None:
        failures.append("no Windows symbol cmap (3,0)")
        symbol_map = {}
    else:
        symbol_map = symbol.cmap
    if font["cmap"].getcmap(3, 1) is not None:
        failures.append("a Unicode cmap (3,1) would make Windows treat the font as text")
    if not font["OS/2"].ulCodePageRange1 & (1 << 31):
        failures.append("OS/2 does not declare the symbol character set")
    if not 0xF020 <= font["OS/2"].usFirstCharIndex <= 0xF0FF:
        failures.append("OS/2 character range does not start in the U+F0xx block")

    named = named_glyph_bytes(table_path)
    if len(named) != 58:
        failures.append(f"expected 58 named glyph bytes in the string table, found {len(named)}")
    wanted = list(range(0x20, 0x7F)) + named
    glyph_set = font.getGlyphSet()
    drawings = {}
    for byte in wanted:
        low, high = symbol_map.get(byte), symbol_map.get(0xF000 + byte)
        if low is None or high is None:
            failures.append(f"byte 0x{byte:02X} is not mapped at U+{byte:04X} and U+F0{byte:02X}")
            continue
        if low != high:
            failures.append(f"byte 0x{byte:02X} maps to two glyphs")
        pen = RecordingPen()
        glyph_set[low].draw(pen)
        if byte != 0x20 and not pen.value:
            failures.append(f"byte 0x{byte:02X} draws nothing")
        drawings.setdefault(repr(pen.value), []).append(byte)
    for same in drawings.values():
        if len(same) > 1 and frozenset(same) not in SAME_DRAWING:
            failures.append("bytes drawn alike: " + ", ".join(f"0x{b:02X}" for b in same))

    advances = {font["hmtx"][name][0] for name in font.getGlyphOrder()}
    if len(advances) != 1:
        failures.append(f"glyphs differ in width: {sorted(advances)}")
    head = font["head"]
    if head.yMax > font["hhea"].ascent or head.yMin < font["hhea"].descent:
        failures.append("outlines reach beyond the ascent or descent")

    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(wanted)} bytes checked, {len(failures)} failures")
    if sample:
        render(font_path, sorted(b for b in symbol_map if b < 0x100), sample)
    return 1 if failures else 0


def render(font_path, covered, out):
    """A 16-column grid, one row per high nibble, with the glyph of every covered byte."""
    cell, margin = 44, 60
    quoted = lambda c: c.replace("\\", "\\\\").replace("'", "\\'").replace('"', '\\"')
    draw = [f"text {margin + b % 16 * cell},{margin + (b // 16 - 2) * cell + 30} "
            f"'{quoted(chr(0xF000 + b))}'" for b in covered]
    labels = [f"text {margin + c * cell},{margin - 16} '{c:X}'" for c in range(16)] + \
        [f"text 10,{margin + r * cell + 30} '{r + 2:X}_'" for r in range(14)]
    subprocess.run(["/usr/bin/convert", "-size", f"{margin + 16 * cell}x{margin + 14 * cell}",
                    "xc:white", "-fill", "gray50", "-font",
                    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "-pointsize", "14",
                    "-draw", " ".join(labels), "-fill", "black", "-font", font_path,
                    "-pointsize", "30", "-draw", " ".join(draw), out], check=True)


if __name__ == "__main__":
    sys.exit(main())
