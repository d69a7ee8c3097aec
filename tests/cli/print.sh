#!/usr/bin/env bash
# travex-cli print end to end: the PDF of a program holds the three header lines on every page
# in the embedded calculator font and the program's lines in order; a picture prints its
# variable line and its exact pixels; a slide show prints "No.1".."No.n"; paper sizes; unknown
# and damaged inputs are refused with exit 1 and leave an existing output untouched.
source "$(dirname "$0")/lib/common.sh"
python=/usr/bin/python3
[ -x $python ] || python=python3

# --- a program of 200 lines --------------------------------------------------------------------
for i in $(seq -w 1 200); do printf '"LINE %s"\r\n' "$i"; done >long.txt
expect 0 "tok" "$cli" tok long.txt -o LONG.g6p --title "PRINT TEST"
expect 0 "print program" "$cli" print LONG.g6p -o long.pdf --paper letter
pages=$(pdfinfo long.pdf | awk '/^Pages:/ {print $2}')
pdfinfo long.pdf | grep -q "Page size: *612 x 792 pts" || fail "letter paper: $(pdfinfo long.pdf | grep size)"
[ "${pages:-0}" -ge 2 ] || fail "200 lines on ${pages:-0} pages"
# pdftotext gives runs of spaces as one (-raw): every page's header lines, spaces loosely.
header_lines() { # file type name title
    grep -qx ";FILE TYPE *: *$2" "$1" || fail "$1: type line"
    grep -qx ";FILE NAME *: *$3" "$1" || fail "$1: name line"
    grep -qx ";TITLE *: *$4" "$1" || fail "$1: title line"
}
for p in $(seq 1 "${pages:-0}"); do
    pdftotext -raw -f "$p" -l "$p" long.pdf "page$p.txt"
    header_lines "page$p.txt" PROGRAM LONG.g6p "PRINT TEST"
done
# The exact columns from the words' boxes: the header font advances 6 points (10 points, the
# calculator font's 0.6 em), so ";FILE TYPE  :  PROGRAM" has TYPE in column 6, ":" in 12 and
# PROGRAM in 15; the lines start at the margin m = 300 pixels at 600 dpi = 36 points.
pdftotext -bbox -l 1 long.pdf bbox.html
$python - <<'PY' || fail "header columns"
import re, sys
words = re.findall(r'<word xMin="([0-9.]+)" yMin="([0-9.]+)"[^>]*>([^<]*)</word>', open('bbox.html').read())
lines = {}
for x, y, w in words:
    lines.setdefault(round(float(y), 1), []).append((float(x), w.replace('&quot;', '"')))
rows = [sorted(lines[y]) for y in sorted(lines)][:3]
want = [[(0, ';FILE'), (6, 'TYPE'), (12, ':'), (15, 'PROGRAM')],
        [(0, ';FILE'), (6, 'NAME'), (12, ':'), (15, 'LONG.g6p')],
        [(0, ';TITLE'), (12, ':'), (15, 'PRINT'), (21, 'TEST')]]
for row, expected in zip(rows, want):
    got = [(round((x - 36.0) / 6.0), w) for x, w in row]
    if got != expected or abs(row[0][0] - 36.0) > 0.01:
        print(f"header words {row}, expected columns {expected}"); sys.exit(1)
PY
pdftotext long.pdf long-all.txt
grep -o 'LINE [0-9]*' long-all.txt >order.txt
seq -f 'LINE %03g' 1 200 | cmp -s - order.txt || fail "program lines not all there in order"
pdffonts long.pdf >fonts.txt
grep -q "TM-QV7" fonts.txt || fail "calculator font missing: $(cat fonts.txt)"
awk 'NR > 2 {print $(NF-4)}' fonts.txt | grep -vqx yes && fail "a font is not embedded: $(cat fonts.txt)"
[ "$(awk 'NR > 2' fonts.txt | wc -l)" -eq 1 ] || fail "only the calculator font is used: $(cat fonts.txt)"

# A4 is the default paper; an untitled-style name prints its file name only.
mkdir -p sub
cp LONG.g6p sub/UNTITLE1.G6P
expect 0 "print a4" "$cli" print sub/UNTITLE1.G6P -o a4.pdf
pdfinfo a4.pdf | grep -q "Page size: *595.2 x 841.8 pts" || fail "A4 paper: $(pdfinfo a4.pdf | grep size)"
pdftotext -raw -l 1 a4.pdf a4.txt
header_lines a4.txt PROGRAM UNTITLE1.G6P "PRINT TEST"

# A text file prints as TEXT with an empty title.
printf 'HELLO\r\nWORLD\r\n' >note.txt
expect 0 "print text" "$cli" print note.txt -o note.pdf
pdftotext -raw note.pdf note-out.txt
header_lines note-out.txt TEXT note.txt ""
grep -qx "HELLO" note-out.txt && grep -qx "WORLD" note-out.txt || fail "text lines"

# --- a picture and a slide show ----------------------------------------------------------------
PYTHONPATH="$lib" $python - <<'PY'
from media import *
screen = screen(7)
open('screen.bin', 'wb').write(screen)
open('Pict1.g6i', 'wb').write(picture(screen))
show = slide_show(b'6', b'SHOW', b'MY SLIDES', [compress(screen if n % 2 == 0 else bytes(1056)) for n in range(7)])
open('show.g6s', 'wb').write(show)
open('tiny.g6s', 'wb').write(show[:63])
PY
expect 0 "print picture" "$cli" print Pict1.g6i -o pict.pdf --paper letter
pdftotext -raw pict.pdf pict.txt
header_lines pict.txt PICTURE Pict1.g6i ""
grep -qxF ";PICT1" pict.txt || fail "picture variable line: $(cat pict.txt)"
# At the PDF's own 600 dpi every screen pixel is 6 × 6 pixels at 100 %; the picture starts one
# pixel inside its frame, whose left edge is the long dark run in the margin column m = 300.
pdftoppm -r 600 -gray -aa no -aaVector no pict.pdf pict
$python - <<'PY' || fail "picture pixels"
import sys
data = open('pict-1.pgm', 'rb').read()
parts = data.split(b'\n', 3)
w, h = map(int, parts[1].split()); pixels = parts[3]
screen = open('screen.bin', 'rb').read()
dark = lambda x, y: pixels[y * w + x] < 128
x0 = 300
top, run = None, 0
for y in range(h):
    run = run + 1 if dark(x0, y) else 0
    if run >= 300:
        top = y - run + 1
        break
if top is None:
    print("no picture frame found"); sys.exit(1)
bad = 0
for py in range(64):
    for px in range(132):
        want = px < 127 and (screen[(py // 8) * 132 + px] >> (7 - py % 8)) & 1
        x = x0 + 1 + 6 * px + 3; y = top + 1 + 6 * py + 3
        if dark(x, y) != bool(want):
            bad += 1
if bad:
    print(f"{bad} picture pixels differ (frame top at {top})"); sys.exit(1)
PY
expect 0 "print picture 200%" "$cli" print Pict1.g6i -o pict200.pdf --zoom 200
expect 0 "image to bitmap" "$cli" image Pict1.g6i -o pict.bmp
expect 0 "print bitmap" "$cli" print pict.bmp -o bmp.pdf
pdftotext -raw bmp.pdf bmp.txt
header_lines bmp.txt BITMAP pict.bmp ""
grep -q "PICT1" bmp.txt && fail "a bitmap has no variable line"

expect 0 "print slides" "$cli" print show.g6s -o show.pdf
pdftotext -raw show.pdf show.txt
header_lines show.txt "SLIDE SHOW" show.g6s "MY SLIDES"
grep -o 'No\.[0-9]*' show.txt | tr '\n' ' ' >numbers.txt
[ "$(cat numbers.txt)" = "No.1 No.2 No.3 No.4 No.5 No.6 No.7 " ] || fail "slide numbers: $(cat numbers.txt)"

# --- refusals ------------------------------------------------------------------------------------
echo keep >kept.pdf
expect 1 "slide show of 63 bytes" "$cli" print tiny.g6s -o kept.pdf
grep -q "The specified file contains no data." last.err || fail "message 421: $(cat last.err)"
head -c 1000 Pict1.g6i >Pict2.g6i
expect 1 "short picture" "$cli" print Pict2.g6i -o kept.pdf
grep -q "The specified file contains no data." last.err || fail "picture message: $(cat last.err)"
expect 1 "unknown kind" "$cli" print screen.bin -o kept.pdf
grep -q "does not print" last.err || fail "unknown kind message: $(cat last.err)"
cp LONG.g6p WRONG.g6m
expect 1 "header of another kind" "$cli" print WRONG.g6m -o kept.pdf
grep -q "Specified file cannot be read." last.err || fail "message 415: $(cat last.err)"
expect 1 "missing file" "$cli" print none.g6p -o kept.pdf
expect 1 "missing font" "$cli" print LONG.g6p -o kept.pdf --font nofont.ttf
grep -q "font" last.err || fail "font message: $(cat last.err)"
[ "$(cat kept.pdf)" = keep ] || fail "a refused print replaced the output"
expect 2 "no output" "$cli" print LONG.g6p
expect 2 "bad paper" "$cli" print LONG.g6p -o x.pdf --paper legal
expect 2 "bad zoom" "$cli" print Pict1.g6i -o x.pdf --zoom 110
[ -e x.pdf ] && fail "a usage error wrote a file"

finish
