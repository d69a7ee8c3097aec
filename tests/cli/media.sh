#!/usr/bin/env bash
# group/ungroup give the files back byte for byte and keep existing files unless --overwrite, refuse
# unsafe names and report damage; image pixels exact in ImageMagick; slides pages; retitle.
source "$(dirname "$0")/lib/common.sh"
PYTHONPATH="$lib" python3 - <<'PY'
from media import *
s = screen(42)
open('screen.bin', 'wb').write(s)
open('Pict1.g6i', 'wb').write(picture(s))
dark = [(x, y) for y in range(66) for x in range(134) if y in (0, 65) or x in (0, 133) or
        (x <= 132 and y <= 64 and s[((y - 1) // 8) * 132 + x - 1] >> (7 - (y - 1) % 8) & 1)]
open('expected-dark.txt', 'w').write('\n'.join(f'{x},{y}' for x, y in sorted(dark)))
show = slide_show(b'4', b'ANIME', b'Old title', [compress(s), compress(bytes(1056)), b'\xff\0\5'])
open('show.g4s', 'wb').write(show)  # the last page is short
open('evil.g6g', 'wb').write(b'6g' + b''.join(record(n, b'x') for n in (
    b'good.txt', b'../evil.txt', b'sub/x.txt', b'C:evil.txt', b'..', b'after.txt')) + bytes(264))
open('damaged.g6g', 'wb').write(b'6g' + record(b'first.txt', b'first') +
                                record(b'cut.txt', b'x' * 10, 264 + 500))
PY

mkdir -p src/Sub
head -c 5000 /dev/urandom >src/Zeta.g6p
printf 'plain' >src/alpha.txt
: >src/Sub/empty.g6l
expect 0 "group" "$cli" group all.g6g src/Zeta.g6p src/alpha.txt src/Sub/empty.g6l src/ZETA.G6P
expect 0 "ungroup" "$cli" ungroup all.g6g out
for f in alpha.txt Sub/empty.g6l Zeta.g6p; do
    g=$(basename "$f" | tr A-Z a-z); same "src/$f" "out/$g" "ungrouped $g"
done
printf 'changed' >out/alpha.txt
expect 0 "ungroup keeps existing files" "$cli" ungroup all.g6g out
[ "$(cat out/alpha.txt)" = changed ] || fail "existing file replaced without --overwrite"
expect 0 "ungroup --overwrite" "$cli" ungroup all.g6g out --overwrite
same src/alpha.txt out/alpha.txt "--overwrite"
mkdir -p evil/inner
expect 1 "ungroup unsafe names" "$cli" ungroup evil.g6g evil/inner
[ "$(ls -R evil | tr '\n' ' ')" = "evil: inner  evil/inner: after.txt good.txt " ] ||
    fail "unsafe: $(ls -R evil)"
[ "$(grep -c '^refused member' last.out)" -eq 4 ] || fail "refusals not reported: $(cat last.out)"
expect 1 "ungroup damaged" "$cli" ungroup damaged.g6g dmg
[ "$(ls dmg)" = first.txt ] || fail "damaged group: $(ls dmg)"
said "damaged group file" "damage"

dark_of() { # image -> sorted "x,y" of dark pixels, as ImageMagick reads them
    convert "$1" txt:- | python3 -c "
import sys, re
d = [tuple(map(int, m.group(1, 2))) for m in map(re.compile(r'(\d+),(\d+): \(([\d.]+)').match,
     sys.stdin) if m and float(m.group(3)) < 128]
print('\n'.join(f'{x},{y}' for x, y in sorted(d)), end='')"
}
expect 0 "image picture to bmp" "$cli" image Pict1.g6i -o pict.bmp
dark_of pict.bmp | cmp -s - expected-dark.txt || fail "bitmap pixels differ from the picture"
expect 0 "image to png" "$cli" image Pict1.g6i -o pict.png
dark_of pict.png | cmp -s - expected-dark.txt || fail "PNG pixels differ"
for input in pict.bmp screen.bin; do
    expect 0 "image $input" "$cli" image $input -o again.bmp && same pict.bmp again.bmp "$input"
done
head -c 1072 Pict1.g6i >short.g6i
expect 1 "image short.g6i" "$cli" image short.g6i -o x.bmp && said "The specified file contains no data." short
[ -e x.bmp ] && fail "a refused input wrote an output"

expect 0 "slides" "$cli" slides show.g4s -o pages --png
[ "$(ls pages | wc -l)" -eq 6 ] || fail "pages: $(ls pages)"
same pages/page-001.bmp pict.bmp "page 1 and the same screen as a picture"
grep -q "No.3: .*only 7 of 1056 bytes" last.out || fail "short page not reported"
expect 0 "retitle" "$cli" retitle show.g4s NewShow.g6s --title "A brand new title"
python3 -c "a = open('show.g4s', 'rb').read(); b = open('NewShow.g6s', 'rb').read()
assert b[:54] == b'6sNewShow' + b'\xff' * 4 + b'A brand new title'.ljust(41, b'\0'), b[:54]
assert b[54:] == a[54:]" || fail "retitled copy"
finish
