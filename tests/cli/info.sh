#!/usr/bin/env bash
# travex-cli info: header fields, file kind, send class and the result of reading for sending,
# as key: value lines or as JSON; exit 1 after the rest when a file cannot be read.
source "$(dirname "$0")/lib/common.sh"
expect_lines() { # file lines...
    local file=$1 line; shift
    for line in "$@"; do grep -qxF -- "$line" "$file" || fail "missing line '$line' in $file"; done
}
header() { printf '%s%s%-11s%-40s\0' "$@"; }  # digit letter name title

{ header 6 p PROG 'My title'; printf '\x41\x42\xfd\xff'; } >prog.g6p
header 6 L LIST '' >short.g6p; head -c 53 prog.g6p >trunc.g6p
{ header 6 g GRP ''; printf 'xx'; } >grp.g6g
{ header 6 m X ''; printf '\x10'; } >mat.g6m
: >empty.g6p
{ printf '6p\xffA\\B\x01'; head -c 47 /dev/zero; } >odd.g6p

"$cli" info prog.g6p >prog.out 2>prog.err || fail "info prog.g6p failed"
expect_lines prog.out "file: prog.g6p" "model digit: 6" "type letter: p" "item name: PROG       " \
    "title: My title                                " "body length: 4" "file kind: 1 (program)" \
    "send class: 0x22" "payload length: 16" "result: 10 success"
[ -s prog.err ] && fail "unexpected error output: $(cat prog.err)"

"$cli" info short.g6p trunc.g6p grp.g6g mat.g6m empty.g6p odd.g6p >many.out 2>/dev/null ||
    fail "invalid but readable files must not fail the command"
expect_lines many.out "result: 16 header type letter differs from the extension" \
    "result: 15 shorter than the header" "result: 14 not a transferable type" "send class: 0x00" \
    "result: 8 file too short for its type" "payload length: -" \
    "result: 12 cannot open, read, allocate or write the file" "item name: \\xffA\\\\B\\x01"
[ "$(grep -c '^file: ' many.out)" -eq 6 ] || fail "expected six records"

# A missing file: the others are still shown, one line names the missing one, exit 1.
"$cli" info prog.g6p missing.g6p grp.g6g >miss.out 2>miss.err; rc=$?
[ "$rc" -eq 1 ] || fail "missing file: exit $rc, expected 1"
[ "$(grep -c '^file: ' miss.out)" -eq 2 ] || fail "missing file: the other records are not shown"
[ "$(wc -l <miss.err)" -eq 1 ] && grep -q 'missing.g6p' miss.err || fail "missing file: message"

"$cli" info --json prog.g6p odd.g6p empty.g6p >json.out || fail "info --json failed"
python3 -c 'import json, sys; p, odd, empty = json.load(open(sys.argv[1]))
assert (p["result"], p["payload_length"], p["send_class"], p["title"][:8]) == (10, 16, 0x22, "My title")
assert odd["item_name"] == "\\xffA\\\\B\\x01" and empty["model_digit"] is None and empty["result"] == 12
' json.out || fail "JSON output"
"$cli" info --json >/dev/null 2>&1; [ $? -eq 2 ] || fail "no file: expected usage error"
"$cli" info --frob prog.g6p >/dev/null 2>&1; [ $? -eq 2 ] || fail "unknown option: expected usage error"
finish
