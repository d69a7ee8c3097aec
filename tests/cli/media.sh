#!/usr/bin/env bash
# travex-cli group, ungroup, image, slides and retitle end to end: grouping and ungrouping gives
# the files back byte for byte, existing files are kept unless --overwrite, unsafe member names
# and damaged groups are reported; bitmaps open in ImageMagick with the exact pixels and read
# back unchanged; PNGs decode to the same pixels; slide show pages and retitled copies.
set -u
cli=$1 work=$2
identify=/usr/bin/identify convert=/usr/bin/convert
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
expect_status() { # status description command...
    local want=$1 what=$2; shift 2
    "$@" >last.out 2>last.err; local got=$?
    [ "$got" -eq "$want" ] || fail "$what: exit $got, expected $want ($(head -c 300 last.err))"
}

# Inputs: a picture, a raw screen dump of the same picture, a slide show, odd group files.
python3 - <<'PY'
import struct, random
random.seed(42)
screen = bytearray(1056)
for band in range(8):
    for col in range(127):
        screen[band * 132 + col] = random.getrandbits(8) if (band + col) % 3 else 0
open('screen.bin', 'wb').write(screen)
pic = bytearray(b'6i' + b'\x10\x0d' + b' ' * 9 + b'\0' * 41 + b'\x10\x0d\x00')
for band in range(8):
    pic += screen[band * 132: band * 132 + 127]
open('Pict1.g6i', 'wb').write(pic)
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

def compress(s):
    out = [s[0]]; i = 1
    while i < 1056:
        x = s[i] ^ s[i - 1]; out.append(x); i += 1
        if x == 0:
            c = 0
            while i < 1056 and c < 255 and s[i] == s[i - 1]:
                c += 1; i += 1
            out.append(c)
    return bytes(out)
blank = bytes(1056)
pages = [compress(screen), compress(blank), bytes([0xFF, 0x00, 0x05])]  # the last one is short
show = bytearray(b'4s' + b'ANIME'.ljust(11, b'\xff') + b'Old title'.ljust(40, b'\0') + b'\0\0')
for c in pages:
    show += struct.pack('<II', len(c) + 8, 0) + c
show += bytes(8)
open('show.g4s', 'wb').write(show)
open('tiny.g6s', 'wb').write(show[:63])

def record(name, data, length=None):
    return struct.pack('<I', length if length is not None else len(data) + 264) + \
        name.ljust(260, b'\0') + data
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
expect_status 0 "group" "$cli" group all.g6g src/Zeta.g6p src/mid.g6i src/alpha.txt \
    src/Sub/empty.g6l src/ZETA.G6P
python3 - all.g6g <<'PY' || fail "group layout"
import sys, struct
g = open(sys.argv[1], 'rb').read()
assert g[:2] == b'6g', g[:2]
at, names = 2, []
while True:
    n = struct.unpack_from('<I', g, at)[0]
    if n == 0: break
    names.append(g[at + 4: at + 264].split(b'\0')[0].decode()); at += n
assert g[at:] == bytes(264), 'terminator'
# Sorted by lower-cased full path: src/alpha.txt, src/mid.g6i, src/sub/empty.g6l, src/zeta.g6p;
# src/ZETA.G6P is the same entry as src/Zeta.g6p once lower-cased and is kept once.
assert names == ['alpha.txt', 'mid.g6i', 'empty.g6l', 'zeta.g6p'], names
PY
expect_status 0 "ungroup" "$cli" ungroup all.g6g out
for f in alpha.txt mid.g6i; do cmp -s "src/$f" "out/$f" || fail "ungrouped $f differs"; done
cmp -s src/Sub/empty.g6l out/empty.g6l || fail "ungrouped empty.g6l differs"
cmp -s src/Zeta.g6p out/zeta.g6p || fail "ungrouped zeta.g6p differs"
expect_status 2 "group without members" "$cli" group none.g6g
[ -e none.g6g ] && fail "a group of no members was written"
expect_status 2 "group name not ending in g" "$cli" group all.g6p src/alpha.txt

# Existing files are kept without --overwrite, replaced with it.
printf 'changed' >out/alpha.txt
expect_status 0 "ungroup keeps existing" "$cli" ungroup all.g6g out
grep -q "^kept out/alpha.txt" last.out || fail "kept file not reported: $(cat last.out)"
[ "$(cat out/alpha.txt)" = changed ] || fail "existing file replaced without --overwrite"
expect_status 0 "ungroup --json" "$cli" ungroup all.g6g out --json
python3 -c "import json,sys; d=json.load(open('last.out')); assert d['end']=='complete'; \
assert [m['outcome'] for m in d['members']]==['kept']*4, d" || fail "ungroup --json"
expect_status 0 "ungroup --overwrite" "$cli" ungroup all.g6g out --overwrite
cmp -s src/alpha.txt out/alpha.txt || fail "--overwrite did not replace the file"

expect_status 1 "ungroup of a program" "$cli" ungroup prog.g6p out2
grep -q "Specified file is not a group file." last.err || fail "message 411 missing"

# Unsafe member names never leave the folder; the safe members are written.
mkdir -p evil/inner
expect_status 1 "ungroup unsafe names" "$cli" ungroup evil.g6g evil/inner
[ -e evil/evil.txt ] && fail "a member escaped the folder"
[ -e evil/inner/sub/x.txt ] && fail "a member made a sub folder"
[ "$(ls evil/inner | tr '\n' ' ')" = "after.txt good.txt " ] || fail "unsafe: $(ls -R evil)"
[ "$(grep -c '^refused member' last.out)" -eq 4 ] || fail "refusals not reported: $(cat last.out)"

# A damaged group keeps what was written and says so.
expect_status 1 "ungroup damaged" "$cli" ungroup damaged.g6g dmg
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
expect_status 0 "image picture to bmp" "$cli" image Pict1.g6i -o pict.bmp
"$identify" pict.bmp | grep -q "BMP3 134x66 134x66+0+0 1-bit" ||
    fail "identify: $("$identify" pict.bmp 2>&1)"
[ "$(stat -c %s pict.bmp)" -eq 1382 ] || fail "bitmap size"
dark_of pict.bmp >pict-dark.txt
cmp -s pict-dark.txt expected-dark.txt || fail "bitmap pixels differ from the picture"
expect_status 0 "image bmp to bmp" "$cli" image pict.bmp -o again.bmp
cmp -s pict.bmp again.bmp || fail "bitmap did not read back unchanged"
expect_status 0 "image dump to bmp" "$cli" image screen.bin -o dump.bmp
cmp -s pict.bmp dump.bmp || fail "screen dump and picture give different bitmaps"
expect_status 0 "image to png" "$cli" image Pict1.g6i -o pict.png
"$identify" pict.png | grep -q "PNG 134x66" || fail "identify png: $("$identify" pict.png 2>&1)"
dark_of pict.png >png-dark.txt
cmp -s png-dark.txt expected-dark.txt || fail "PNG pixels differ"
expect_status 0 "image bmp to png" "$cli" image pict.bmp -o again.png
cmp -s pict.png again.png || fail "PNG from the bitmap differs"
expect_status 2 "image to an unknown format" "$cli" image Pict1.g6i -o pict.gif
head -c 1072 Pict1.g6i >short.g6i
expect_status 1 "short picture" "$cli" image short.g6i -o x.bmp
grep -q "The specified file contains no data." last.err || fail "message 421 missing"
cp Pict1.g6i wrongdigit.g4i
expect_status 1 "picture digit differs" "$cli" image wrongdigit.g4i -o x.bmp
grep -q "Specified file cannot be read." last.err || fail "message 415 missing"
python3 -c "
import struct; b = bytearray(open('pict.bmp','rb').read()); struct.pack_into('<I', b, 18, 133)
open('w133.bmp','wb').write(b)"
expect_status 1 "bitmap of width 133" "$cli" image w133.bmp -o x.bmp
grep -q "There is no bit-map data to display." last.err || fail "message 413 missing"
[ -e x.bmp ] && fail "refused inputs wrote an output"

# --- slides and retitle --------------------------------------------------------------------
expect_status 0 "slides" "$cli" slides show.g4s -o pages --png
for n in 001 002 003; do
    "$identify" "pages/page-$n.bmp" | grep -q "134x66" || fail "page $n bmp"
    "$identify" "pages/page-$n.png" | grep -q "134x66" || fail "page $n png"
done
[ -e pages/page-004.bmp ] && fail "too many pages"
cmp -s pages/page-001.bmp pict.bmp || fail "page 1 differs from the same screen as a picture"
grep -q "No.3: .*only 7 of 1056 bytes" last.out || fail "short page not reported: $(cat last.out)"
dark_of pages/page-002.png | python3 -c "
import sys; d = sys.stdin.read().split()
assert len(d) == 2 * 134 + 2 * 64, len(d)" || fail "blank page is not just its frame"
expect_status 0 "slides --json" "$cli" slides show.g4s -o pages --json
python3 -c "import json; d=json.load(open('last.out')); assert d['title']=='Old title'; \
assert [p['complete'] for p in d['pages']]==[True,True,False], d" || fail "slides --json"
expect_status 1 "slides 63 bytes" "$cli" slides tiny.g6s -o tinypages
grep -q "The specified file contains no data." last.err || fail "message 421 for slides"
expect_status 1 "slides wrong type" "$cli" slides prog.g6p
expect_status 0 "retitle" "$cli" retitle show.g4s NewShow.g6s --title "A brand new title"
python3 - <<'PY' || fail "retitled copy"
a = open('show.g4s', 'rb').read(); b = open('NewShow.g6s', 'rb').read()
assert len(a) == len(b)
assert b[0:2] == b'6s', b[:2]
assert b[2:13] == b'NewShow' + b'\xff' * 4, b[2:13]
assert b[13:54] == b'A brand new title'.ljust(41, b'\0'), b[13:54]
assert b[54:] == a[54:]
PY
expect_status 0 "slides of the copy" "$cli" slides NewShow.g6s -o copypages
for n in 001 002 003; do
    cmp -s "pages/page-$n.bmp" "copypages/page-$n.bmp" || fail "copy page $n differs"
done
expect_status 2 "retitle with 41 characters" "$cli" retitle show.g4s x.g6s \
    --title "12345678901234567890123456789012345678901"
[ -e x.g6s ] && fail "refused retitle wrote a file"

exit $fails
