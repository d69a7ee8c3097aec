#!/usr/bin/env bash
# The calculator font as the build makes it: its face name, a symbol cmap only, every printable
# ASCII byte and every named calculator byte drawn, no two bytes drawn alike (0x5C and 0xC4, the
# calculator's backslash, excepted), one advance for all.
source "$(dirname "$0")/lib/common.sh"
root=$(cd "$lib/../../.." && pwd)
python=/usr/bin/python3  # fontTools is a Debian python3 package
"$python" "$root/scripts/make-font.py" font.ttf || { echo "FAIL: font not built"; exit 1; }
"$python" - font.ttf "$root/app/resources/string_table.cpp" <<'PY' || fail "font check"
import re, sys
from fontTools.pens.recordingPen import RecordingPen
from fontTools.ttLib import TTFont
font = TTFont(sys.argv[1])
ids = [int(i) for i in re.findall(r"\{(\d+), \"", open(sys.argv[2], encoding="utf-8").read())]
named = [i - 372 for i in ids if 500 <= i <= 627]  # glyph names are strings 500-627
problems = [] if len(named) == 58 else [f"{len(named)} named glyph bytes, not 58"]
if font["name"].getDebugName(1) != "TM-QV7" or font["cmap"].getcmap(3, 1) is not None:
    problems.append("not the symbol face TM-QV7")
cmap, glyphs, drawings = font["cmap"].getcmap(3, 0).cmap, font.getGlyphSet(), {}
for byte in list(range(0x20, 0x7F)) + named:
    name = cmap.get(0xF000 + byte)
    if name is None or cmap.get(byte) != name:
        problems.append(f"byte 0x{byte:02X} not mapped at U+{byte:04X} and U+F0{byte:02X}")
        continue
    pen = RecordingPen()
    glyphs[name].draw(pen)
    if byte != 0x20 and not pen.value:
        problems.append(f"byte 0x{byte:02X} draws nothing")
    drawings.setdefault(repr(pen.value), []).append(byte)
problems += [f"drawn alike: {same}" for same in drawings.values() if len(same) > 1 and set(same) != {0x5C, 0xC4}]
if len({font["hmtx"][g][0] for g in font.getGlyphOrder()}) != 1:
    problems.append("glyphs differ in width")
print("\n".join(problems))
sys.exit(1 if problems else 0)
PY
finish
