#!/usr/bin/env bash
# travex-cli group, ungroup, image, slides and retitle end to end: grouping and ungrouping gives
# the files back byte for byte, existing files are kept unless --overwrite, unsafe member names
# and damaged groups are reported; bitmaps open in ImageMagick with the exact pixels and read
# back unchanged; PNGs decode to the same pixels; slide show pages and retitled copies.
source "$(dirname "$0")/lib/common.sh"
identify=/usr/bin/identify convert=/usr/bin/convert

# Inputs: a picture, a raw screen dump of the same picture, a slide show, odd group files.
PYTHONPATH="$lib" python3 - <<'PY'
from media import *
screen = screen(42)
open('screen.bin', 'wb').write(screen)
open('Pict1.g6i', 'wb').write(picture(screen))
# The pixels ImageMagick must report for the framed bitmap: (x, y) dark.
dark = set()
for y in range(66):
    for x in range(134):
        if y in (0, 65) or x in (0, 133):
            dark.add((x, y))
        elif x <= 132 and y <= 64:
            px, py = x - 1, y - 1
            if screen[(py // 8) * 132 + px] >> (7 - py % 8) & 1:
                dark.add((x, y))
open('expected-dark.txt', 'w').write('\n'.join(f'{x},{y}' for x, y in sorted(dark)))

blank = bytes(1056)
pages = [compress(screen), compress(blank), bytes([0xFF, 0x00, 0x05])]  # the last one is short
show = slide_show(b'4', b'ANIME', b'Old title', pages)
open('show.g4s', 'wb').write(show)
open('tiny.g6s', 'wb').write(show[:63])

evil = b'6g' + record(b'good.txt', b'fine') + record(b'../evil.txt', b'evil') + \
    record(b'sub/x.txt', b'evil') + record(b'C:evil.txt', b'evil') + record(b'..', b'evil') + \
    record(b'after.txt', b'after') + bytes(264)
open('evil.g6g', 'wb').write(evil)
damaged = b'6g' + record(b'first.txt', b'first') + record(b'cut.txt', b'x' * 10, 264 + 500)
open('damaged.g6g', 'wb').write(damaged)
open('prog.g6p', 'wb').write(b'6p' + bytes(60))
PY

# --- group and ungroup -------------------------------------------------------------------
mkdir -p src/Sub
head -c 5000 /dev/urandom >src/Zeta.g6p
printf 'plain' >src/alpha.txt
: >src/Sub/empty.g6l
cp Pict1.g6i src/mid.g6i
expect 0 "group" "$cli" group all.g6g src/Zeta.g6p src/mid.g6i src/alpha.txt \
    src/Sub/empty.g6l src/ZETA.G6P
expect 0 "ungroup" "$cli" ungroup all.g6g out
for f in alpha.txt mid.g6i Sub/empty.g6l Zeta.g6p; do
    g=$(basename "$f" | tr A-Z a-z); cmp -s "src/$f" "out/$g" || fail "ungrouped $g differs"
done
expect 2 "group without members" "$cli" group none.g6g
[ -e none.g6g ] && fail "a group of no members was written"
expect 2 "group name not ending in g" "$cli" group all.g6p src/alpha.txt

# Existing files are kept without --overwrite, replaced with it.
printf 'changed' >out/alpha.txt
expect 0 "ungroup keeps existing" "$cli" ungroup all.g6g out
grep -q "^kept out/alpha.txt" last.out || fail "kept file not reported: $(cat last.out)"
[ "$(cat out/alpha.txt)" = changed ] || fail "existing file replaced without --overwrite"
expect 0 "ungroup --json" "$cli" ungroup all.g6g out --json
# Sorted by lower-cased full path; src/ZETA.G6P is src/Zeta.g6p once lower-cased, kept once.
python3 -c "import json,sys; d=json.load(open('last.out')); assert d['end']=='complete'; \
assert [m['outcome'] for m in d['members']]==['kept']*4, d; \
assert [m['name'] for m in d['members']]==['alpha.txt','mid.g6i','empty.g6l','zeta.g6p'], d" ||
    fail "ungroup --json"
expect 0 "ungroup --overwrite" "$cli" ungroup all.g6g out --overwrite
cmp -s src/alpha.txt out/alpha.txt || fail "--overwrite did not replace the file"

expect 1 "ungroup of a program" "$cli" ungroup prog.g6p out2
grep -q "Specified file is not a group file." last.err || fail "message 411 missing"

# Unsafe member names never leave the folder; the safe members are written.
mkdir -p evil/inner
expect 1 "ungroup unsafe names" "$cli" ungroup evil.g6g evil/inner
[ -e evil/evil.txt ] && fail "a member escaped the folder"
[ -e evil/inner/sub/x.txt ] && fail "a member made a sub folder"
[ "$(ls evil/inner | tr '\n' ' ')" = "after.txt good.txt " ] || fail "unsafe: $(ls -R evil)"
[ "$(grep -c '^refused member' last.out)" -eq 4 ] || fail "refusals not reported: $(cat last.out)"

# A damaged group keeps what was written and says so.
expect 1 "ungroup damaged" "$cli" ungroup damaged.g6g dmg
[ "$(cat dmg/first.txt)" = first ] || fail "member before the damage lost"
[ -e dmg/cut.txt ] && fail "damaged member written"
grep -q "damaged group file" last.err || fail "damage not reported: $(cat last.err)"

# --- image ---------------------------------------------------------------------------------
dark_of() { # image -> sorted "x,y" of dark pixels, as ImageMagick reads them
    "$convert" "$1" txt:- | python3 -c "
import sys, re
out = []
for line in sys.stdin:
    m = re.match(r'(\d+),(\d+): \(([\d.]+)', line)
    if m and float(m.group(3)) < 128: out.append((int(m.group(1)), int(m.group(2))))
print('\n'.join(f'{x},{y}' for x, y in sorted(out)), end='')"
}
expect 0 "image picture to bmp" "$cli" image Pict1.g6i -o pict.bmp
"$identify" pict.bmp | grep -q "BMP3 134x66 134x66+0+0 1-bit" ||
    fail "identify: $("$identify" pict.bmp 2>&1)"
[ "$(stat -c %s pict.bmp)" -eq 1382 ] || fail "bitmap size"
dark_of pict.bmp >pict-dark.txt
cmp -s pict-dark.txt expected-dark.txt || fail "bitmap pixels differ from the picture"
expect 0 "image bmp to bmp" "$cli" image pict.bmp -o again.bmp
cmp -s pict.bmp again.bmp || fail "bitmap did not read back unchanged"
expect 0 "image dump to bmp" "$cli" image screen.bin -o dump.bmp
cmp -s pict.bmp dump.bmp || fail "screen dump and picture give different bitmaps"
expect 0 "image to png" "$cli" image Pict1.g6i -o pict.png
"$identify" pict.png | grep -q "PNG 134x66" || fail "identify png: $("$identify" pict.png 2>&1)"
dark_of pict.png >png-dark.txt
cmp -s png-dark.txt expected-dark.txt || fail "PNG pixels differ"
expect 0 "image bmp to png" "$cli" image pict.bmp -o again.png
cmp -s pict.png again.png || fail "PNG from the bitmap differs"
expect 2 "image to an unknown format" "$cli" image Pict1.g6i -o pict.gif
head -c 1072 Pict1.g6i >short.g6i
cp Pict1.g6i wrongdigit.g4i
python3 -c "
import struct; b = bytearray(open('pict.bmp','rb').read()); struct.pack_into('<I', b, 18, 133)
open('w133.bmp','wb').write(b)"
for c in "short.g6i:The specified file contains no data." \
    "wrongdigit.g4i:Specified file cannot be read." "w133.bmp:There is no bit-map data to display."; do
    expect 1 "image ${c%%:*}" "$cli" image "${c%%:*}" -o x.bmp
    grep -q "${c#*:}" last.err || fail "${c%%:*}: message missing: $(cat last.err)"
done
[ -e x.bmp ] && fail "refused inputs wrote an output"

# --- slides and retitle --------------------------------------------------------------------
expect 0 "slides" "$cli" slides show.g4s -o pages --png
for f in pages/page-00{1,2,3}.{bmp,png}; do "$identify" "$f" | grep -q 134x66 || fail "$f"; done
[ -e pages/page-004.bmp ] && fail "too many pages"
cmp -s pages/page-001.bmp pict.bmp || fail "page 1 differs from the same screen as a picture"
grep -q "No.3: .*only 7 of 1056 bytes" last.out || fail "short page not reported: $(cat last.out)"
dark_of pages/page-002.png | python3 -c "
import sys; d = sys.stdin.read().split()
assert len(d) == 2 * 134 + 2 * 64, len(d)" || fail "blank page is not just its frame"
expect 0 "slides --json" "$cli" slides show.g4s -o pages --json
python3 -c "import json; d=json.load(open('last.out')); assert d['title']=='Old title'; \
assert [p['complete'] for p in d['pages']]==[True,True,False], d" || fail "slides --json"
expect 1 "slides 63 bytes" "$cli" slides tiny.g6s -o tinypages
grep -q "The specified file contains no data." last.err || fail "message 421 for slides"
expect 1 "slides wrong type" "$cli" slides prog.g6p
expect 0 "retitle" "$cli" retitle show.g4s NewShow.g6s --title "A brand new title"
python3 -c "a = open('show.g4s', 'rb').read(); b = open('NewShow.g6s', 'rb').read()
assert b[:54] == b'6sNewShow' + b'\xff' * 4 + b'A brand new title'.ljust(41, b'\0'), b[:54]
assert b[54:] == a[54:]" || fail "retitled copy"
expect 0 "slides of the copy" "$cli" slides NewShow.g6s -o copypages
for n in 001 002 003; do cmp -s {,copy}pages/page-$n.bmp || fail "copy page $n differs"; done
expect 2 "retitle with 41 characters" "$cli" retitle show.g4s x.g6s \
    --title "12345678901234567890123456789012345678901"
[ -e x.g6s ] && fail "refused retitle wrote a file"

finish
