#!/usr/bin/env bash
# travex-cli info: header fields, file kind, send class and the result of reading for sending,
# as key: value lines or as JSON; exit 1 after the rest when a file cannot be read.
set -u
cli=$1 work=$2
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1
fails=0
bad() { echo "FAIL: $*"; fails=$((fails + 1)); }
expect_line() { # file line
    grep -qxF -- "$2" "$1" || { bad "missing line '$2' in $1"; sed 's/^/  | /' "$1"; }
}
header() { # digit letter name title
    printf '%s%s' "$1" "$2"; printf '%-11s' "$3"; printf '%-40s' "$4"; printf '\0'
}

header 6 p PROG 'My title' >prog.g6p; printf '\x41\x42\xfd\xff' >>prog.g6p
header 6 L LIST '' >short.g6p; head -c 53 prog.g6p >trunc.g6p
header 6 g GRP '' >grp.g6g; printf 'xx' >>grp.g6g
header 6 m X '' >mat.g6m; printf '\x10' >>mat.g6m
: >empty.g6p
{ printf '6p\xffA\\B\x01'; head -c 47 /dev/zero; } >odd.g6p

"$cli" info prog.g6p >prog.out 2>prog.err || bad "info prog.g6p failed"
expect_line prog.out "file: prog.g6p"
expect_line prog.out "model digit: 6"
expect_line prog.out "type letter: p"
expect_line prog.out "item name: PROG       "
expect_line prog.out "title: My title                                "
expect_line prog.out "body length: 4"
expect_line prog.out "file kind: 1 (program)"
expect_line prog.out "send class: 0x22"
expect_line prog.out "payload length: 16"
expect_line prog.out "result: 10 success"
[ -s prog.err ] && bad "unexpected error output: $(cat prog.err)"

"$cli" info short.g6p trunc.g6p grp.g6g mat.g6m empty.g6p odd.g6p >many.out 2>many.err ||
    bad "invalid but readable files must not fail the command"
expect_line many.out "result: 16 header type letter differs from the extension"
expect_line many.out "result: 15 shorter than the header"
expect_line many.out "result: 14 not a transferable type"
expect_line many.out "send class: 0x00"
expect_line many.out "result: 8 file too short for its type"
expect_line many.out "result: 12 cannot open, read, allocate or write the file"
expect_line many.out "item name: \\xffA\\\\B\\x01"
expect_line many.out "payload length: -"
[ "$(grep -c '^file: ' many.out)" -eq 6 ] || bad "expected six records"

# A missing file: the others are still shown, one line names the missing one, exit 1.
"$cli" info prog.g6p missing.g6p grp.g6g >miss.out 2>miss.err; rc=$?
[ "$rc" -eq 1 ] || bad "missing file: exit $rc, expected 1"
[ "$(grep -c '^file: ' miss.out)" -eq 2 ] || bad "missing file: the other records are not shown"
[ "$(wc -l <miss.err)" -eq 1 ] && grep -q 'missing.g6p' miss.err || bad "missing file: message"

"$cli" info --json prog.g6p odd.g6p empty.g6p >json.out || bad "info --json failed"
if command -v python3 >/dev/null; then
    python3 - json.out <<'PY' || bad "JSON output"
import json, sys
records = json.load(open(sys.argv[1]))
assert len(records) == 3, records
p, odd, empty = records
assert p["file"] == "prog.g6p" and p["result"] == 10 and p["payload_length"] == 16, p
assert p["send_class"] == 0x22 and p["file_kind"] == 1 and p["title"].startswith("My title"), p
assert odd["item_name"] == "\\xffA\\\\B\\x01", odd
assert empty["model_digit"] is None and empty["payload_length"] is None and empty["result"] == 12
PY
fi
"$cli" info --json >/dev/null 2>&1; [ $? -eq 2 ] || bad "no file: expected usage error"
"$cli" info --frob prog.g6p >/dev/null 2>&1; [ $? -eq 2 ] || bad "unknown option: expected usage error"
exit $fails
