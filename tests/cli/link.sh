#!/usr/bin/env bash
# list, send, recv and capture against the in-process simulated calculator: files arrive byte for byte,
# existing files kept unless --overwrite, send checks, faults name the port and leave no file, trace.
source "$(dirname "$0")/lib/common.sh"
mkdir -p items out
sim=(--sim --items items)
make_file 6 p PROG1 700 items/prog1.g6p
make_file 6 p GAME 300 items/game.g6p
make_file 6 e EQ 40 items/eq.g6e
printf 'Rem NOTES\r\n' >items/notes.txt

expect 0 "list" "$cli" list "${sim[@]}"
[ "$(grep -xE 'backup.g6b|eq.g6e|prog1.g6p|notes.txt|zoom.g6z' last.out | paste -sd' ')" = \
    "backup.g6b eq.g6e prog1.g6p zoom.g6z" ] || fail "list: $(cat last.out)"
expect 0 "recv" "$cli" recv prog1.g6p eq.g6e -C out "${sim[@]}"
same out/prog1.g6p items/prog1.g6p "received program" && same out/eq.g6e items/eq.g6e "equation"
said "out/prog1.g6p: received" "recv reports the file"
printf 'old' >out/game.g6p
expect 0 "recv of an existing file" "$cli" recv game.g6p -C out "${sim[@]}" && said "exists, kept" kept
[ "$(cat out/game.g6p)" = old ] || fail "existing file untouched"
expect 0 "recv --overwrite" "$cli" recv game.g6p -C out --overwrite "${sim[@]}"
same out/game.g6p items/game.g6p "--overwrite"
expect 0 "send" "$cli" send items/prog1.g6p items/game.g6p --sim
[ "$(grep -c ': sent' last.out)" -eq 2 ] || fail "a line per sent file"

make_file 6 b "" 100 items/all.g6b
cp items/prog1.g6p items/notes.txt
cp items/prog1.g6p items/wrong.g6l
for c in "items/all.g6b items/prog1.g6p:Backup file and Data file can't be sent at the same time." \
    "items/notes.txt:This is not a transmittable file extension." "items/wrong.g6l:Incorrect file."; do
    expect 1 "send ${c%%:*}" "$cli" send ${c%%:*} --sim && said "${c#*:}" "send ${c%%:*}"
done

rm -f out/*
for c in "silence:No response.:list" "id1:Communication has failed.:list" \
    "cancel82:14:Communication has failed.:send items/prog1.g6p" \
    "memfull:Calculator memory over.:send items/prog1.g6p" \
    "truncate:18:No response.:recv -C out prog1.g6p" "cancel83:3:Communication has failed.:capture -o shot2.bin"; do
    command=${c##*:} rest=${c%:*}; message=${rest##*:} fault=${rest%:*}
    expect 1 "fault $fault" "$cli" $command "${sim[@]}" --fault "$fault"
    said "travex-cli: simulated calculator: $message" "fault $fault"
done
[ -z "$(ls out)" ] && [ ! -e shot2.bin ] || fail "a failed transfer left a file: $(ls out)"
expect 0 "a bad checksum is repaired" "$cli" list "${sim[@]}" --fault checksum:5

expect 1 "recv into a missing folder" "$cli" recv prog1.g6p -C no/such/dir "${sim[@]}"
said "travex-cli: no/such/dir: " "the folder is named"
mkdir -p traced
expect 0 "recv with a trace" "$cli" recv prog1.g6p -C traced "${sim[@]}" --trace trace.txt
same traced/prog1.g6p items/prog1.g6p "a traced transfer"
for line in '[0-9]\{9\} : open 1 ok' '[0-9]\{9\} > 31 31 ' '[0-9]\{9\} < .*  | step [0-9]* receive '; do
    grep -q "^$line" trace.txt || fail "no trace line like '$line'"
done
expect 1 "a trace file that cannot be written" "$cli" list "${sim[@]}" --trace no/such/dir/t.txt
said "travex-cli: no/such/dir/t.txt: cannot write the trace file" "the trace file is named"
finish
