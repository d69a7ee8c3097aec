#!/usr/bin/env bash
# Outputs that would destroy or misrepresent something: a program under another type's name, an output
# that is its own input, more pages than a slide show holds, existing page files.
source "$(dirname "$0")/lib/common.sh"
printf 'ClrText\r\n"HELLO"\r\n' >h.txt

for out in prog.g6l prog.txt prog.G6L; do expect 2 "tok -o $out" "$cli" tok h.txt -o "$out"; done
ls prog.* 2>/dev/null && fail "tok wrote a program under another type's name"
expect 0 "tok -o PROG.G4P" "$cli" tok h.txt -o PROG.G4P
"$cli" info PROG.G4P | grep -q '^type letter: P$' || fail "PROG.G4P is not a program file"

cp h.txt self.p
cp PROG.G4P prog.keep
expect 1 "tok self.p -o self.p" "$cli" tok self.p -o self.p && same self.p h.txt "tok and its own input"
expect 1 "detok to its input" "$cli" detok PROG.G4P -o PROG.G4P && same PROG.G4P prog.keep "detok"

PYTHONPATH="$lib" python3 - <<'PY'
from media import *
for n, name in ((999, 'full'), (1000, 'over'), (20000, 'huge'), (3, 'three')):
    open(name + '.g6s', 'wb').write(slide_show(b'6', b'SHOW', b'T', [compress(bytes(1056))] * n))
PY
expect 0 "slides of 999 pages" "$cli" slides full.g6s -o full
[ -e full/page-999.bmp ] || fail "the 999th page is missing"
expect 1 "slides over.g6s" "$cli" slides over.g6s -o over && said "at most 999 pages" "over"
expect 1 "slides huge.g6s" "$cli" slides huge.g6s -o huge && said huge.g6s "huge"
for s in over huge; do [ -e "$s/page-001.bmp" ] && fail "$s: pages written before the refusal"; done
mkdir pages
printf 'mine' >pages/page-002.bmp
printf 'mine' >pages/page-003.png
expect 0 "slides beside existing pages" "$cli" slides three.g6s -o pages --png
[ "$(cat pages/page-002.bmp pages/page-003.png)" = minemine ] || fail "an existing page was overwritten"
[ -s pages/page-001.bmp ] && [ -s pages/page-003.bmp ] || fail "the new pages were not written"
finish
