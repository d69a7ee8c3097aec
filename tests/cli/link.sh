#!/usr/bin/env bash
# travex-cli list, send, recv and capture against the in-process simulated calculator.
set -u
cli=$1
work=$2
rm -rf "$work" && mkdir -p "$work/items" "$work/out" && cd "$work" || exit 1
fails=0
failed() { echo "FAIL: $*"; fails=$((fails + 1)); }
# A calculator file: model digit, type letter, 11-byte name (0xFF padded), 40-byte title, 0,
# then a body of the given size.
make_file() { # digit letter name body-size path
    { printf "%s%s" "$1" "$2"; printf "%-11s" "$3" | tr ' ' '\377'; head -c 41 /dev/zero
      head -c "$4" /dev/urandom; } > "$5"
}
make_file 6 p PROG1 700 items/prog1.g6p
make_file 6 p GAME 300 items/game.g6p
make_file 6 e EQ 40 items/eq.g6e
# A text file whose second byte happens to be a type letter is not an item.
printf 'Rem NOTES\r\n' > items/notes.txt

"$cli" list --sim --items items > list.txt || failed "list exits 0"
grep -qx prog1.g6p list.txt || failed "list shows prog1.g6p"
grep -qx eq.g6e list.txt || failed "list shows eq.g6e"
grep -qx mat_a.g6m list.txt || failed "list shows mat_a.g6m"
grep -qx backup.g6b list.txt || failed "list starts with backup.g6b"
[ "$(head -1 list.txt)" = backup.g6b ] || failed "backup.g6b first"
[ "$(tail -1 list.txt)" = zoom.g6z ] || failed "zoom.g6z last"
grep -q notes list.txt && failed "a text file in the items folder is not loaded"

"$cli" recv prog1.g6p eq.g6e -C out --sim --items items > recv.txt || failed "recv exits 0"
cmp -s out/prog1.g6p items/prog1.g6p || failed "received program is byte-identical"
cmp -s out/eq.g6e items/eq.g6e || failed "received equation is byte-identical"
grep -q "out/prog1.g6p: received" recv.txt || failed "recv reports the file"

# An existing file is kept and reported unless --overwrite.
printf 'old' > out/game.g6p
"$cli" recv game.g6p -C out --sim --items items > keep.txt || failed "recv of an existing file exits 0"
grep -q "exists, kept" keep.txt || failed "kept file is reported"
[ "$(cat out/game.g6p)" = old ] || failed "existing file untouched"
"$cli" recv game.g6p -C out --overwrite --sim --items items > /dev/null || failed "recv --overwrite"
cmp -s out/game.g6p items/game.g6p || failed "--overwrite replaces the file"

rm -f out/*
"$cli" recv --all -C out --sim --items items > all.txt || failed "recv --all"
[ "$(ls out | wc -l)" -eq 3 ] || failed "recv --all receives the listed items"

"$cli" send items/prog1.g6p items/game.g6p --sim > send.txt || failed "send exits 0"
[ "$(grep -c ': sent' send.txt)" -eq 2 ] || failed "a line per sent file"

# The send checks.
make_file 6 b "" 100 items/all.g6b
"$cli" send items/all.g6b --sim > /dev/null || failed "a backup alone is sent"
"$cli" send items/all.g6b items/prog1.g6p --sim 2> err.txt > /dev/null && failed "backup with another file refused"
grep -q "Backup file and Data file can't be sent at the same time." err.txt || failed "message 22"
cp items/prog1.g6p items/notes.txt
"$cli" send items/notes.txt --sim 2> err.txt > /dev/null && failed "wrong extension refused"
grep -q "This is not a transmittable file extension." err.txt || failed "message 9"
cp items/prog1.g6p items/wrong.g6l
"$cli" send items/wrong.g6l --sim 2> err.txt > /dev/null && failed "mismatched type letter fails"
grep -q "Incorrect file." err.txt || failed "incorrect file message"

# Faults end with their messages and exit 1.
expect_fault() { # fault message command...
    local fault=$1 message=$2; shift 2
    "$cli" "$@" --sim --items items --fault "$fault" > /dev/null 2> err.txt && failed "$fault exits 1"
    grep -q "$message" err.txt || failed "$fault prints \"$message\" (got: $(cat err.txt))"
}
expect_fault silence "No response." list
expect_fault id1 "Communication has failed." list
expect_fault id2 "Incorrect calculator model." send items/prog1.g6p
expect_fault cancel82:14 "Communication has failed." send items/prog1.g6p
expect_fault memfull "Calculator memory over." send items/prog1.g6p
expect_fault truncate:18 "No response." recv -C out --overwrite prog1.g6p
"$cli" list --sim --items items --fault checksum:5 > /dev/null || failed "a bad checksum is repaired"
"$cli" list --sim --fault bogus > /dev/null 2>&1; [ $? -eq 2 ] || failed "bad fault text is a usage error"

rm -f out/*
"$cli" recv prog1.g6p -C out --sim --items items --fault truncate:18 > /dev/null 2>&1
[ -z "$(ls out)" ] || failed "no partial file after a failed receive"

"$cli" capture -o shot.bin --sim || failed "capture exits 0"
[ "$(wc -c < shot.bin)" -eq 1056 ] || failed "screen is 1056 bytes"
"$cli" capture -o shot.bmp --sim || failed "capture to a bitmap"
[ "$(head -c 2 shot.bmp)" = BM ] || failed "bitmap file"
[ "$(wc -c < shot.bmp)" -eq 1382 ] || failed "134 x 66 one-bit bitmap"
"$cli" capture -o shot.png --sim || failed "capture to PNG"
[ "$(head -c 4 shot.png | tail -c 3)" = PNG ] || failed "PNG file"
"$cli" capture -o shot.gif --sim > /dev/null 2>&1; [ $? -eq 2 ] || failed "unknown picture type is a usage error"
"$cli" capture -o shot2.bin --sim --fault cancel83:3 2> err.txt && failed "capture fault exits 1"
[ ! -e shot2.bin ] || failed "no screen file after a failed capture"

# The wire trace: every byte both ways with the step, and the same transfer without it.
mkdir -p traced
"$cli" recv prog1.g6p -C traced --sim --items items --trace trace.txt > traced.txt ||
    failed "recv with a trace exits 0"
cmp -s traced/prog1.g6p items/prog1.g6p || failed "a traced transfer receives the same file"
grep -q '^[0-9]\{9\} : open 1 ok' trace.txt || failed "trace starts with the open"
grep -q '^[0-9]\{9\} > 31 31 ' trace.txt || failed "trace holds the packets sent"
grep -q '^[0-9]\{9\} < ' trace.txt || failed "trace holds the bytes received"
grep -q '  | step [0-9]* receive ' trace.txt || failed "trace lines name the step"
"$cli" list --sim --trace no-such-dir/trace.txt > /dev/null 2> err.txt && failed "unwritable trace exits 1"
grep -q "trace" err.txt || failed "unwritable trace is named"

"$cli" list > /dev/null 2>&1; [ $? -eq 2 ] || failed "list without a port is a usage error"
"$cli" recv --sim > /dev/null 2>&1; [ $? -eq 2 ] || failed "recv without items is a usage error"
exit $fails
