#!/usr/bin/env bash
# Outputs that would destroy or misrepresent something: tok refuses a program body under the
# name of another type and an output that is its own input (detok too); slides refuses more
# pages than a slide show holds and keeps existing page files unless --overwrite.
source "$(dirname "$0")/lib/common.sh"

printf 'ClrText\r\n"HELLO"\r\n' >h.txt
cp h.txt h.keep
# --- tok: the output's last letter is the header's type letter ------------------------------
for out in prog.g6l prog.txt prog.G6L; do
    expect 2 "tok -o $out" "$cli" tok h.txt -o "$out"
    [ -e "$out" ] && fail "tok wrote $out, a program under another type's name"
done
for out in prog.g6p PROG.G4P; do
    expect 0 "tok -o $out" "$cli" tok h.txt -o "$out"
    "$cli" info "$out" | grep -q '^type letter: [pP]$' || fail "$out is not a program file"
done
# --- an output that is the input ------------------------------------------------------------
cp h.txt self.p
expect 1 "tok self.p -o self.p" "$cli" tok self.p -o self.p
same self.p h.keep "tok and its own input"
cp prog.g6p prog.keep
expect 1 "detok prog.g6p -o prog.g6p" "$cli" detok prog.g6p -o prog.g6p
same prog.g6p prog.keep "detok and its own input"

# --- slides: page cap and existing pages ----------------------------------------------------
# Slide shows of N all-blank pages (each compressed to a few bytes).
PYTHONPATH="$lib" python3 - <<'PY'
from media import *
for n, name in ((999, 'full'), (1000, 'over'), (20000, 'huge'), (3, 'three')):
    open(name + '.g6s', 'wb').write(slide_show(b'6', b'SHOW', b'T', [compress(bytes(1056))] * n))
PY
expect 0 "slides of 999 pages" "$cli" slides full.g6s -o full
[ -e full/page-999.bmp ] || fail "the 999th page is missing"
expect 1 "slides over.g6s" "$cli" slides over.g6s -o over
grep -q "over.g6s.*at most 999 pages" last.err || fail "over: $(cat last.err)"
# 20,000 pages do not even fit a calculator file: refused by its size.
expect 1 "slides huge.g6s" "$cli" slides huge.g6s -o huge
grep -q "huge.g6s" last.err || fail "huge: $(cat last.err)"
for s in over huge; do [ -e "$s/page-001.bmp" ] && fail "$s: pages written before the refusal"; done

mkdir pages
printf 'mine' >pages/page-002.bmp
printf 'mine' >pages/page-003.png
expect 0 "slides beside existing pages" "$cli" slides three.g6s -o pages --png
[ "$(cat pages/page-002.bmp)" = mine ] || fail "an existing page-002.bmp was overwritten"
[ "$(cat pages/page-003.png)" = mine ] || fail "an existing page-003.png was overwritten"
[ -s pages/page-001.bmp ] && [ -s pages/page-003.bmp ] || fail "the new pages were not written"

finish
