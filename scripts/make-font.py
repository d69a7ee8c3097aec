#!/usr/bin/env python3
"""Builds the calculator font WTMQV7.TTF (face "TM-QV7") from the DejaVu fonts.

Program text is shown in this font, so each byte of calculator text must draw the
calculator's own character: printable ASCII as usual and the bytes 0x80-0xFF as the
calculator glyphs (subscript digits, theta, pi, the store arrow, ...). The font is a symbol
font: its Windows cmap (3,0) maps every byte b both at U+00bb and at U+F000+b, so the bytes
reach their glyphs whatever the ANSI code page of the system.

usage: make-font.py OUTPUT.TTF [--sample OUTPUT.txt]
"""
import argparse
import os
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.recordingPen import DecomposingRecordingPen
from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont, newTable
from fontTools.ttLib.tables._c_m_a_p import cmap_format_4

DEJAVU = "/usr/share/fonts/truetype/dejavu"
FACE = "TM-QV7"

# Metrics of DejaVu Sans Mono (units per em 2048), which every glyph keeps.
UPM = 2048
ADVANCE = 1233
X_HEIGHT = 1120
CAP_HEIGHT = 1493


class Sources:
    """Outlines of DejaVu glyphs by Unicode character, composites decomposed."""

    def __init__(self):
        self.fonts = {}

    def outline(self, style, char):
        if style not in self.fonts:
            font = TTFont(os.path.join(DEJAVU, f"DejaVuSansMono{style}.ttf"))
            self.fonts[style] = (font.getGlyphSet(), font.getBestCmap())
        glyph_set, cmap = self.fonts[style]
        name = cmap.get(ord(char))
        if name is None:
            raise SystemExit(f"DejaVu Sans Mono{style} has no glyph for U+{ord(char):04X}")
        pen = DecomposingRecordingPen(glyph_set)
        glyph_set[name].draw(pen)
        return pen


SOURCES = Sources()


def part(char, style="", scale=1.0, sx=None, dx=0, dy=0, slant=0.0):
    """One source character placed in the glyph: scaled about the origin, then moved."""
    sx = scale if sx is None else sx
    return ("char", SOURCES.outline(style, char), (sx, 0, slant * scale, scale, dx, dy))


def box(x0, y0, x1, y1):
    """A filled rectangle, drawn clockwise as TrueType outer contours are."""
    return ("box", (x0, y0, x1, y1), None)


def centred(char, style="", scale=1.0, dy=0, sx=None):
    """A character scaled and centred horizontally in the cell."""
    sx = scale if sx is None else sx
    return part(char, style, scale, sx, dx=ADVANCE * (1 - sx) / 2, dy=dy)


def superscript(char, style=""):
    return centred(char, style, 0.62, dy=760)


def above(char, accent, dy):
    """A letter with an accent (macron, circumflex) moved above it."""
    return [part(char), part(accent, dy=dy)]


def pair(first, second, scale=0.62, dy=0, squeeze=0.55):
    """Two characters squeezed side by side into one cell."""
    width = ADVANCE * squeeze
    return [part(first, scale=scale, sx=squeeze, dx=ADVANCE / 2 - width, dy=dy),
            part(second, scale=scale, sx=squeeze, dx=ADVANCE / 2, dy=dy)]


STROKE = 150


def corner(right):
    """The fraction glyph (a corner open to the upper left) and its mirror, the unit mark."""
    x0, x1, top = 260, 980, 900
    if right:
        return [box(x1 - STROKE, 0, x1, top), box(x0, 0, x1, STROKE)]
    return [box(x0, 0, x0 + STROKE, top), box(x0, 0, x1, STROKE)]


# The calculator glyphs: byte -> the parts drawn in its cell.
CALCULATOR_GLYPHS = {
    **{0x82 + d: [part(chr(0x2080 + d), dy=-260)] for d in range(10)},  # subscript digits
    0x8C: [part("a", "-Oblique")],      # statistics coefficients and variables
    0x91: [part("b", "-Oblique")],
    0x92: [part("c", "-Oblique")],
    0x93: [part("d", "-Oblique")],
    0x94: [part("e", "-Oblique")],
    0x95: [part("r", "-Oblique")],
    0x96: [part("R", "-Oblique")],
    0x97: [superscript("g")],           # grads
    0x98: [part("n", "-Oblique")],
    0x99: [centred("E", scale=0.72)],   # exponent mark
    0x9A: [box(360, 820, 873, 960)],    # negative sign: short and raised
    0x9B: [part("\u00b0")],             # degrees
    0x9C: [superscript("r")],           # radians
    0x9F: [part("i", "-Oblique")],      # imaginary unit
    0xA1: [part("\u2220")],             # complex angle
    0xA9: [part("\u03b8")],
    0xAA: [superscript("T")],
    0xAB: [part("\u03c0")],
    0xAC: above("p", "\u02c6", 80),     # p hat
    0xAD: above("x", "\u00af", 40),     # x mean
    0xAE: above("y", "\u00af", 40),     # y mean
    0xB1: [part("\u2260")],
    0xB2: [part("\u2265")],
    0xB3: [part("\u2264")],
    0xB6: [part("\u00f7")],             # integer division (int followed by this byte)
    0xB7: [superscript("x")],           # x-th root, a b^x
    0xB8: corner(True),                 # fraction
    0xB9: [part("P", "-Bold")],         # permutations
    0xBA: [part("C", "-Bold")],         # combinations
    0xBB: [part("\u00b2")],
    0xBC: pair("\u207b", "\u00b9", scale=1.0, squeeze=0.6),   # superscript -1
    0xBD: [part("\u00b3")],
    0xBE: [part("\u2192")],             # store arrow
    0xBF: [part("\u221a")],
    0xC1: pair("1", "0", scale=0.8),    # the 10 of 10^
    0xC2: [part("\u03a3")],
    0xC3: [part("\u222b")],
    0xC4: [part("\\")],
    0xC8: [part("N", "-Oblique")],      # finance: number of payments
    0xCA: corner(False),                # unit of a mixed fraction
    0xCB: [part("\u03c3")],
    0xCD: [part("\u03c7")],
    0xCE: [part("F", "-Oblique")],      # F distribution
    0xCF: [centred("+", scale=0.75)],   # the plus of x+yi
    0xD1: [part("\u25a1")],             # plot marks: box, cross, dot
    0xD2: [part("\u00d7")],
    0xD3: [part("\u2022")],
    0xD8: [part("\u25b8")],             # conversion arrow
    0xF9: [part("\u2074")],
    0xFE: [part("\u1d47")],             # superscript b
}


def draw_glyph(parts):
    pen = TTGlyphPen(None)
    for kind, what, transform in parts:
        if kind == "char":
            what.replay(TransformPen(pen, transform))
        else:
            x0, y0, x1, y1 = what
            pen.moveTo((x0, y0))
            pen.lineTo((x0, y1))
            pen.lineTo((x1, y1))
            pen.lineTo((x1, y0))
            pen.closePath()
    return pen.glyph()


def glyph_name(byte):
    return f"cb{byte:02X}"


def build(path):
    glyphs = {".notdef": draw_glyph([box(150, 0, 1083, 1493)])}
    for byte in range(0x20, 0x7F):
        glyphs[glyph_name(byte)] = draw_glyph([part(chr(byte))])
    for byte, parts in sorted(CALCULATOR_GLYPHS.items()):
        glyphs[glyph_name(byte)] = draw_glyph(parts)
    order = list(glyphs)

    fb = FontBuilder(UPM, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({})
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({name: (ADVANCE, glyphs[name].xMin if glyphs[name].numberOfContours else 0)
                               for name in order})
    fb.setupHorizontalHeader(ascent=1901, descent=-483)
    names = {
        "copyright": "Glyphs derived from the DejaVu fonts (Bitstream Vera license).",
        "familyName": FACE,
        "styleName": "Regular",
        "uniqueFontIdentifier": f"{FACE} Regular 1.1",
        "fullName": FACE,
        "version": "Version 1.1",
        "psName": FACE,
    }
    fb.setupNameTable(names, mac=True)
    # A symbol font names itself with the symbol encoding as well, as Windows looks for it there.
    name_table = fb.font["name"]
    for record in list(name_table.names):
        if record.platformID == 3:
            name_table.setName(record.toUnicode(), record.nameID, 3, 0, record.langID)
    fb.setupOS2(sTypoAscender=1556, sTypoDescender=-492, sTypoLineGap=410,
                usWinAscent=1901, usWinDescent=483, sxHeight=X_HEIGHT, sCapHeight=CAP_HEIGHT,
                achVendID="ZLTA", fsType=0, usWeightClass=400,
                ulCodePageRange1=1 << 31, ulCodePageRange2=0,
                ulUnicodeRange1=0, ulUnicodeRange2=0, ulUnicodeRange3=0, ulUnicodeRange4=0)
    fb.setupPost(keepGlyphNames=False, isFixedPitch=1)
    fb.font["head"].fontRevision = 1.1

    # Windows symbol cmap: each byte at U+00bb and at U+F0bb.
    mapping = {}
    for byte in range(0x20, 0x100):
        if glyph_name(byte) in glyphs:
            mapping[byte] = glyph_name(byte)
            mapping[0xF000 + byte] = glyph_name(byte)
    subtable = cmap_format_4(4)
    subtable.platformID, subtable.platEncID, subtable.language = 3, 0, 0
    subtable.cmap = mapping
    cmap = newTable("cmap")
    cmap.tableVersion = 0
    cmap.tables = [subtable]
    fb.font["cmap"] = cmap
    # A symbol font states its range in the U+F0xx block, where Windows maps single bytes (the
    # range's high byte is the page that bytes are looked up in). fontTools would recompute the
    # range from the lowest code point when it writes the table, so that is switched off here.
    os2 = fb.font["OS/2"]
    os2.usFirstCharIndex = 0xF020
    os2.usLastCharIndex = 0xF0FF
    os2.updateFirstAndLastCharIndex = lambda font: None
    fb.font.save(path)
    return sorted(b for b in range(0x20, 0x100) if glyph_name(b) in glyphs)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("output")
    args = parser.parse_args()
    build(args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
