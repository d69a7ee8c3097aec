#!/usr/bin/env bash
# travex-cli print: the PDF's header lines on every page, the program's lines in order in the calculator
# font alone, a picture's exact pixels, slide numbers; refusals leave an existing output untouched.
source "$(dirname "$0")/lib/common.sh"
header_lines() { # pdf type name title [page]
    pdftotext -raw -f "${5:-1}" -l "${5:-1}" "$1" head.txt
    grep -qx ";FILE TYPE *: *$2" head.txt && grep -qx ";FILE NAME *: *$3" head.txt &&
        grep -qx ";TITLE *: *$4" head.txt || fail "$1 page ${5:-1}: header: $(head -3 head.txt)"
}

for i in $(seq -w 1 200); do printf '"LINE %s"\r\n' "$i"; done >long.txt
expect 0 "tok" "$cli" tok long.txt -o LONG.g6p --title "PRINT TEST"
expect 0 "print program" "$cli" print LONG.g6p -o long.pdf --paper letter
pdfinfo long.pdf | grep -q "Page size: *612 x 792 pts" || fail "letter paper"
pages=$(pdfinfo long.pdf | awk '/^Pages:/ {print $2}')
[ "${pages:-0}" -ge 2 ] || fail "200 lines on ${pages:-0} pages"
for p in $(seq 1 "${pages:-0}"); do header_lines long.pdf PROGRAM LONG.g6p "PRINT TEST" "$p"; done
seq -f 'LINE %03g' 1 200 | cmp -s - <(pdftotext long.pdf - | grep -o 'LINE [0-9]*') ||
    fail "program lines not all there in order"
pdffonts long.pdf | awk 'NR > 2 {print $1, $(NF-4)}' >fonts.txt
grep -qx ".*TM-QV7.* yes" fonts.txt && [ "$(wc -l <fonts.txt)" -eq 1 ] ||
    fail "the embedded calculator font alone: $(cat fonts.txt)"

PYTHONPATH="$lib" python3 - <<'PY'
from media import *
s = screen(7)
open('Pict1.g6i', 'wb').write(picture(s))
show = slide_show(b'6', b'SHOW', b'MY SLIDES', [compress(s if n % 2 == 0 else bytes(1056))
                                                 for n in range(7)])
open('show.g6s', 'wb').write(show)
PY
expect 0 "print picture" "$cli" print Pict1.g6i -o pict.pdf --paper letter
header_lines pict.pdf PICTURE Pict1.g6i ""
pdftotext -raw pict.pdf - | grep -qxF ";PICT1" || fail "picture variable line"
pdftoppm -r 600 -gray -aa no -aaVector no pict.pdf pict
PYTHONPATH="$lib" python3 - <<'PY' || fail "picture pixels"
import sys
_, size, _, pixels = open('pict-1.pgm', 'rb').read().split(b'\n', 3)
w, h = map(int, size.split())
from media import screen
screen = screen(7)
dark = lambda x, y: pixels[y * w + x] < 128
run = 0
for top in range(h):
    run = run + 1 if dark(300, top) else 0
    if run >= 300:
        top -= run - 1
        break
bad = sum(dark(304 + 6 * px, top + 4 + 6 * py) !=
          bool(px < 127 and (screen[(py // 8) * 132 + px] >> (7 - py % 8)) & 1)
          for py in range(64) for px in range(132))
sys.exit(f"{bad} picture pixels differ (frame top at {top})" if bad or run < 300 else 0)
PY
expect 0 "print slides" "$cli" print show.g6s -o show.pdf
header_lines show.pdf "SLIDE SHOW" show.g6s "MY SLIDES"
[ "$(pdftotext -raw show.pdf - | grep -o 'No\.[0-9]*' | tr '\n' ' ')" = \
    "No.1 No.2 No.3 No.4 No.5 No.6 No.7 " ] || fail "slide numbers"

echo keep >kept.pdf
cp LONG.g6p WRONG.g6m
expect 1 "print WRONG.g6m" "$cli" print WRONG.g6m -o kept.pdf && said "Specified file cannot be read." wrong
expect 1 "missing font" "$cli" print LONG.g6p -o kept.pdf --font nofont.ttf && said font "font"
[ "$(cat kept.pdf)" = keep ] || fail "a refused print replaced the output"
finish
