#!/usr/bin/env bash
# info: header fields and the result of reading for sending, as lines or JSON; a missing file exits 1.
source "$(dirname "$0")/lib/common.sh"
expect_lines() { for line in "$@"; do grep -qxF -- "$line" last.out || fail "no '$line'"; done; }
header() { printf '%s%s%-11s%-40s\0' "$@"; }  # digit letter name title

{ header 6 p PROG 'My title'; printf '\x41\x42\xfd\xff'; } >prog.g6p
header 6 L LIST '' >short.g6p; head -c 53 prog.g6p >trunc.g6p
{ header 6 g GRP ''; printf 'xx'; } >grp.g6g
{ header 6 m X ''; printf '\x10'; } >mat.g6m
: >empty.g6p
{ printf '6p\xffA\\B\x01'; head -c 47 /dev/zero; } >odd.g6p

expect 0 "info prog.g6p" "$cli" info prog.g6p
expect_lines "item name: PROG       " "send class: 0x22" "payload length: 16" "result: 10 success"

expect 0 "info of six odd files" "$cli" info short.g6p trunc.g6p grp.g6g mat.g6m empty.g6p odd.g6p
expect_lines "result: 16 header type letter differs from the extension" \
    "result: 15 shorter than the header" "result: 14 not a transferable type" "send class: 0x00" \
    "result: 8 file too short for its type" "payload length: -" \
    "result: 12 cannot open, read, allocate or write the file" "item name: \\xffA\\\\B\\x01"

expect 1 "a missing file" "$cli" info prog.g6p missing.g6p grp.g6g
[ "$(grep -c '^file: ' last.out)" -eq 2 ] || fail "missing file: the other records are not shown"
[ "$(wc -l <last.err)" -eq 1 ] && said missing.g6p "missing file"

expect 0 "info --json" "$cli" info --json prog.g6p odd.g6p empty.g6p
python3 -c 'import json, sys; p, odd, empty = json.load(open("last.out"))
assert (p["result"], p["payload_length"], p["send_class"], p["title"][:8]) == (10, 16, 0x22, "My title")
assert odd["item_name"] == "\\xffA\\\\B\\x01" and empty["model_digit"] is None and empty["result"] == 12
' || fail "JSON output"
finish
