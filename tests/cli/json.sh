#!/usr/bin/env bash
# --json of the link commands and of export: every report is one JSON document on standard
# output whose members tell the same as the text report, on success and on failure alike, with the
# progress kept off standard output.
source "$(dirname "$0")/lib/common.sh"
here=$(cd "$lib/../../.." && pwd)
# check NAME PYTHON-ASSERTIONS: last.out is one JSON document d that passes the assertions.
check() {
    python3 -c "import json,sys; d=json.load(open('last.out')); $2" 2>"check.err" ||
        fail "$1: $(head -c 400 last.out) $(tail -1 check.err)"
}
sim=(--sim --items "$here/samples")

"$cli" list --json "${sim[@]}" >last.out 2>last.err || fail "list --json status"
check "list" "assert d['ok'] and d['error'] is None; n=[i['name'] for i in d['items']]; \
assert 'hello.g6p' in n and 'l1.g6l' in n, n; \
p=[i for i in d['items'] if i['name']=='hello.g6p'][0]; \
assert p=={'name':'hello.g6p','type_letter':'p','slot':8,'form':'named'}, p"

"$cli" list --json --sim --fault silence >last.out 2>last.err
[ $? -eq 1 ] || fail "a silent calculator is a failure"
check "list, no answer" "assert not d['ok'] and d['items']==[] and d['error']['code']==4; \
assert 'No response' in d['error']['message'] and d['error']['cancelled'] is False"

"$cli" send --json "$here/samples/hello.g6p" missing.g6p "${sim[@]}" >last.out 2>last.err
[ $? -eq 1 ] || fail "send with a file skipped ends with status 1"
check "send" "f=d['files']; assert [x['outcome'] for x in f]==['sent','skipped'], f; \
assert f[1]['path']=='missing.g6p' and d['ok'] and d['transfer_ms']>0"
grep -q '^hello.g6p  100%' last.err || fail "the progress went elsewhere: $(cat last.err)"

mkdir back
"$cli" recv --json hello.g6p count.g6p -C back "${sim[@]}" >last.out 2>last.err ||
    fail "recv --json status"
check "recv" "assert d['folder']=='back' and d['ok']; \
assert [(i['item'],i['path'],i['outcome']) for i in d['items']]==\
[('hello.g6p','back/hello.g6p','received'),('count.g6p','back/count.g6p','received')], d"
"$cli" recv --json hello.g6p -C back "${sim[@]}" >last.out 2>last.err
check "recv, kept" "assert d['items'][0]['outcome']=='kept'"
"$cli" recv --json nosuch.g6p -C back "${sim[@]}" >last.out 2>last.err
[ $? -eq 1 ] || fail "an unknown item fails"
check "recv, unknown item" "assert not d['ok'] and d['error']['file']=='nosuch.g6p'"
"$cli" recv --json hello.g6p -C back --overwrite --sim --items "$here/samples" --fault cancel83 \
    >last.out 2>last.err
check "recv, calculator cancels" "assert not d['ok'] and d['error']['code']>=0, d"

"$cli" capture --json -o shot.bmp --sim >last.out 2>last.err || fail "capture --json status"
check "capture" "assert d=={'file':'shot.bmp','format':'bmp','screen_bytes':1056,'written':True,\
'ok':True,'error':None}, d"
[ -s shot.bmp ] || fail "capture --json wrote no picture"

"$cli" probe --json --port /dev/null >last.out 2>last.err
[ $? -eq 1 ] || fail "probe with no calculator fails"
check "probe" "assert d=={'tried':[{'port':'/dev/null','answered':False}],'found':[]}, d"
"$cli" probe --json --list --port COM3 --port '/dev/odd"name' >last.out 2>last.err
check "probe --list" "assert d=={'ports':['COM3','/dev/odd\"name']}, d"

# A list L1 of 1, -2, 3.5 titled "Marks".
python3 -c "
import sys
h = b'6l' + bytes([0x10, 0x08]) + b' ' * 9 + b'Marks'.ljust(40, b'\\0') + b'\\0'
n = lambda flags, digits: bytes([0, flags]) + bytes.fromhex(digits.ljust(14, '0'))
open('l1.g6l', 'wb').write(h + bytes([0x10, 0x08, 0, 3, 0, 0, 0]) + n(0, '1') + n(1, '2') + n(0, '35'))"
"$cli" export --json l1.g6l >last.out 2>last.err || fail "export --json status"
check "export" "assert d['kind']=='list' and d['heading']==';L1' and d['lines']>=2, d; \
assert d['file']=='l1.g6l' and d['title']=='Marks' and d['text_bytes']>0"

# The help states the exit codes, Ctrl+C's among them.
"$cli" --help | grep -q "130 stopped by Ctrl+C" || fail "--help does not state the exit codes"

finish
