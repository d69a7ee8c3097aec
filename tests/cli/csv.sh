#!/usr/bin/env bash
# export --csv and import end to end: a list, a complex list and a matrix go to CSV and back to
# the same bytes; a list database exports; damaged or oversized CSV is refused with its line and
# column named and leaves no output file (nor replaces an existing one).
source "$(dirname "$0")/lib/common.sh"

# A list database of two lists (1, 2 and 3.5 alone), written byte by byte.
python3 - <<'PY'
num = lambda flags, digits: bytes([0, flags]) + bytes.fromhex(digits.ljust(14, '0'))
lst = lambda code, values: (bytes(8) + code + b'\0' + len(values).to_bytes(2, 'little') +
                            bytes(2) + b''.join(values))
h = b'6n' + bytes([0x10, 0x0A]) + b' ' * 9 + b'Survey'.ljust(40, b'\0') + b'\0'
open('db.g6n', 'wb').write(h + bytes([0x10, 0x0A]) + lst(b'\x10\x08', [num(0, '1'), num(0, '2')])
                           + lst(b'\x11\x08', [num(0, '35')]))
PY

printf 'L3,Heights in cm\r\n172.5\r\n-0.000125\r\n1.2345678901234E+50\r\n' >list.csv
"$cli" import list.csv -o l3.g6l || fail "import of a list"
"$cli" export --csv l3.g6l -o again.csv || fail "export --csv of a list"
cmp -s list.csv again.csv || fail "the list's CSV changed: $(cat again.csv)"
"$cli" import again.csv -o l3b.g6l && cmp -s l3.g6l l3b.g6l || fail "list: not the same bytes"

printf '1\n3+4i\n-i\n' >cplx.csv
"$cli" import cplx.csv -o c.g6l --name L6 --title Roots || fail "import of a complex list"
"$cli" export --csv c.g6l >c.csv && "$cli" import c.csv -o c2.g6l && cmp -s c.g6l c2.g6l ||
    fail "complex list: not the same bytes"
head -1 c.csv | grep -q '^L6,Roots' || fail "--name and --title: $(head -1 c.csv)"

printf '1,2,3\n4,5,6\n' >m.csv
"$cli" import m.csv -o m.g6m --name "mat B" || fail "import of a matrix"
"$cli" export --csv m.g6m >m2.csv && "$cli" import m2.csv -o m2.g6m && cmp -s m.g6m m2.g6m ||
    fail "matrix: not the same bytes"

"$cli" export --csv db.g6n >db.csv || fail "export --csv of a list database"
[ "$(tr -d '\r' <db.csv | sed 1s/.*,/,/)" = "$(printf ',Survey\nL1,L2\n1,3.5\n2,')" ] ||
    fail "list database CSV: $(cat db.csv)"

# Refusals: the message names line and column, nothing is written, an existing file stays.
refused() { # WHAT EXPECTED-TEXT CSV-FILE OUT
    rm -f "$4"
    "$cli" import "$3" -o "$4" 2>err.txt
    [ $? -eq 1 ] || fail "$1: status"
    grep -q "$2" err.txt || fail "$1: message $(cat err.txt)"
    [ ! -e "$4" ] || fail "$1: an output file was left"
    ls | grep -q '\.tmp' && fail "$1: a temporary file was left"
}
printf 'L1\n1\n2,3\n' >bad1.csv
refused "malformed line" "bad1.csv: line 3, column 2: a list has one value per line" bad1.csv o.g6l
printf '1,2\n3,1e100\n' >bad3.csv
refused "out of range" "line 2, column 2: 1e100 is beyond what the calculator holds" bad3.csv o.g6m
seq 1 1000000 >million.csv
refused "a million rows" "line 6827: more than 6826 rows; nothing was written" million.csv o.g6l
cp l3.g6l keep.g6l
"$cli" import bad1.csv -o keep.g6l 2>/dev/null
cmp -s l3.g6l keep.g6l || fail "a refused import replaced an existing file"

finish
