#!/usr/bin/env bash
# import and export --csv: round trips to the same bytes; refusals name line and column, write nothing.
source "$(dirname "$0")/lib/common.sh"

printf 'L3,Heights in cm\r\n172.5\r\n-0.000125\r\n1.2345678901234E+50\r\n' >list.csv
printf '1\n3+4i\n-i\n' >cplx.csv
printf '1,2,3\n4,5,6\n' >m.csv
for c in list.csv:l3.g6l cplx.csv:c.g6l m.csv:m.g6m; do
    "$cli" import ${c%:*} -o ${c#*:} && "$cli" export --csv ${c#*:} -o ${c#*:}.csv &&
        "$cli" import ${c#*:}.csv -o again.${c#*.} && cmp -s ${c#*:} again.${c#*.} || fail "$c: not the same"
done
cmp -s list.csv l3.g6l.csv || fail "the list's CSV changed: $(cat l3.g6l.csv)"

python3 - <<'PY'
num = lambda digits: bytes([0, 0]) + bytes.fromhex(digits.ljust(14, '0'))
lst = lambda code, values: bytes(8) + code + b'\0' + bytes([len(values), 0, 0, 0]) + b''.join(values)
h = b'6n' + bytes([0x10, 0x0A]) + b' ' * 9 + b'Survey'.ljust(40, b'\0') + b'\0' + bytes([0x10, 0x0A])
open('db.g6n', 'wb').write(h + lst(b'\x10\x08', [num('1'), num('2')]) + lst(b'\x11\x08', [num('35')]))
PY
"$cli" export --csv db.g6n >db.csv || fail "export --csv of a list database"
[ "$(tr -d '\r' <db.csv | sed 1s/.*,/,/)" = "$(printf ',Survey\nL1,L2\n1,3.5\n2,')" ] ||
    fail "list database CSV: $(cat db.csv)"

refused() { # WHAT EXPECTED-TEXT CSV-FILE OUT
    expect 1 "$1" "$cli" import "$3" -o "$4" && said "$2" "$1"
    [ ! -e "$4" ] && ! ls | grep -q '\.tmp' || fail "$1: an output or temporary file was left"
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
