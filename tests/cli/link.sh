#!/usr/bin/env bash
# travex-cli list, send, recv and capture against the in-process simulated calculator.
source "$(dirname "$0")/lib/common.sh"
mkdir -p items out
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

"$cli" list --sim --items items > list.txt || fail "list exits 0"
grep -qx prog1.g6p list.txt || fail "list shows prog1.g6p"
grep -qx eq.g6e list.txt || fail "list shows eq.g6e"
grep -qx mat_a.g6m list.txt || fail "list shows mat_a.g6m"
grep -qx backup.g6b list.txt || fail "list starts with backup.g6b"
[ "$(head -1 list.txt)" = backup.g6b ] || fail "backup.g6b first"
[ "$(tail -1 list.txt)" = zoom.g6z ] || fail "zoom.g6z last"
grep -q notes list.txt && fail "a text file in the items folder is not loaded"

"$cli" recv prog1.g6p eq.g6e -C out --sim --items items > recv.txt || fail "recv exits 0"
cmp -s out/prog1.g6p items/prog1.g6p || fail "received program is byte-identical"
cmp -s out/eq.g6e items/eq.g6e || fail "received equation is byte-identical"
grep -q "out/prog1.g6p: received" recv.txt || fail "recv reports the file"

# An existing file is kept and reported unless --overwrite.
printf 'old' > out/game.g6p
"$cli" recv game.g6p -C out --sim --items items > keep.txt || fail "recv of an existing file exits 0"
grep -q "exists, kept" keep.txt || fail "kept file is reported"
[ "$(cat out/game.g6p)" = old ] || fail "existing file untouched"
"$cli" recv game.g6p -C out --overwrite --sim --items items > /dev/null || fail "recv --overwrite"
cmp -s out/game.g6p items/game.g6p || fail "--overwrite replaces the file"

rm -f out/*
"$cli" recv --all -C out --sim --items items > all.txt || fail "recv --all"
[ "$(ls out | wc -l)" -eq 3 ] || fail "recv --all receives the listed items"

"$cli" send items/prog1.g6p items/game.g6p --sim > send.txt || fail "send exits 0"
[ "$(grep -c ': sent' send.txt)" -eq 2 ] || fail "a line per sent file"

# The send checks.
make_file 6 b "" 100 items/all.g6b
"$cli" send items/all.g6b --sim > /dev/null || fail "a backup alone is sent"
"$cli" send items/all.g6b items/prog1.g6p --sim 2> err.txt > /dev/null && fail "backup with another file refused"
grep -q "Backup file and Data file can't be sent at the same time." err.txt || fail "message 22"
cp items/prog1.g6p items/notes.txt
"$cli" send items/notes.txt --sim 2> err.txt > /dev/null && fail "wrong extension refused"
grep -q "This is not a transmittable file extension." err.txt || fail "message 9"
cp items/prog1.g6p items/wrong.g6l
"$cli" send items/wrong.g6l --sim 2> err.txt > /dev/null && fail "mismatched type letter fails"
grep -q "Incorrect file." err.txt || fail "incorrect file message"

# Faults end with their messages and exit 1.
expect_fault() { # fault message command...
    local fault=$1 message=$2; shift 2
    "$cli" "$@" --sim --items items --fault "$fault" > /dev/null 2> err.txt && fail "$fault exits 1"
    grep -q "$message" err.txt || fail "$fault prints \"$message\" (got: $(cat err.txt))"
}
expect_fault silence "No response." list
expect_fault id1 "Communication has failed." list
expect_fault id2 "Incorrect calculator model." send items/prog1.g6p
expect_fault cancel82:14 "Communication has failed." send items/prog1.g6p
expect_fault memfull "Calculator memory over." send items/prog1.g6p
expect_fault truncate:18 "No response." recv -C out --overwrite prog1.g6p
"$cli" list --sim --items items --fault checksum:5 > /dev/null || fail "a bad checksum is repaired"
"$cli" list --sim --fault bogus > /dev/null 2>&1; [ $? -eq 2 ] || fail "bad fault text is a usage error"

rm -f out/*
"$cli" recv prog1.g6p -C out --sim --items items --fault truncate:18 > /dev/null 2>&1
[ -z "$(ls out)" ] || fail "no partial file after a failed receive"

"$cli" capture -o shot.bin --sim || fail "capture exits 0"
[ "$(wc -c < shot.bin)" -eq 1056 ] || fail "screen is 1056 bytes"
"$cli" capture -o shot.bmp --sim || fail "capture to a bitmap"
[ "$(head -c 2 shot.bmp)" = BM ] || fail "bitmap file"
[ "$(wc -c < shot.bmp)" -eq 1382 ] || fail "134 x 66 one-bit bitmap"
"$cli" capture -o shot.png --sim || fail "capture to PNG"
[ "$(head -c 4 shot.png | tail -c 3)" = PNG ] || fail "PNG file"
"$cli" capture -o shot.gif --sim > /dev/null 2>&1; [ $? -eq 2 ] || fail "unknown picture type is a usage error"
"$cli" capture -o shot2.bin --sim --fault cancel83:3 2> err.txt && fail "capture fault exits 1"
[ ! -e shot2.bin ] || fail "no screen file after a failed capture"

# Every failure line names what it concerns: the port (here the simulated calculator) for a
# failure of the link, the folder for a receive that could not store anything.
for fault in silence id1 cancel82:14; do
    "$cli" send items/prog1.g6p --sim --items items --fault "$fault" > /dev/null 2> err.txt
    grep -q '^travex-cli: simulated calculator: ' err.txt ||
        fail "$fault: the line does not name the port: $(cat err.txt)"
done
# The target folder is checked before anything travels: no item is asked for.
"$cli" recv prog1.g6p -C no/such/dir --sim --items items > recv.txt 2> err.txt; rc=$?
[ "$rc" -eq 1 ] || fail "recv into a missing folder: exit $rc"
grep -q '^travex-cli: no/such/dir: ' err.txt || fail "the line does not name the folder: $(cat err.txt)"
[ -s recv.txt ] && fail "recv into a missing folder reported items: $(cat recv.txt)"
: > not-a-dir
"$cli" recv prog1.g6p -C not-a-dir --sim --items items > /dev/null 2> err.txt &&
    fail "recv into a file as folder exits 1"
grep -q 'not-a-dir' err.txt || fail "the line does not name not-a-dir: $(cat err.txt)"
# The wire trace: every byte both ways with the step, and the same transfer without it.
mkdir -p traced
"$cli" recv prog1.g6p -C traced --sim --items items --trace trace.txt > traced.txt ||
    fail "recv with a trace exits 0"
cmp -s traced/prog1.g6p items/prog1.g6p || fail "a traced transfer receives the same file"
grep -q '^[0-9]\{9\} : open 1 ok' trace.txt || fail "trace starts with the open"
grep -q '^[0-9]\{9\} > 31 31 ' trace.txt || fail "trace holds the packets sent"
grep -q '^[0-9]\{9\} < ' trace.txt || fail "trace holds the bytes received"
grep -q '  | step [0-9]* receive ' trace.txt || fail "trace lines name the step"
"$cli" list --sim --trace no-such-dir/trace.txt > /dev/null 2> err.txt && fail "unwritable trace exits 1"
grep -q "trace" err.txt || fail "unwritable trace is named"

"$cli" list > /dev/null 2>&1; [ $? -eq 2 ] || fail "list without a port is a usage error"
"$cli" recv --sim > /dev/null 2>&1; [ $? -eq 2 ] || fail "recv without items is a usage error"
finish
