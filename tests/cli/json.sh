#!/usr/bin/env bash
# --json: one whole document on standard output, on success and failure alike, progress elsewhere.
source "$(dirname "$0")/lib/common.sh"
samples=$(cd "$lib/../../../samples" && pwd)
sim=(--sim --items "$samples")
check() {
    python3 -c "import json, os; d=json.load(open('last.out')); $2" 2>check.err ||
        fail "$1: $(head -c 400 last.out) $(tail -1 check.err)"
}
expect 0 "list" "$cli" list --json "${sim[@]}"
check "list" "assert d['ok'] and d['error'] is None; \
assert {'name':'hello.g6p','type_letter':'p','slot':8,'form':'named'} in d['items'], d"
expect 1 "list, no answer" "$cli" list --json --sim --fault silence
check "list, no answer" "assert not d['ok'] and d['items']==[] and d['error']['code']==4; \
assert 'No response' in d['error']['message'] and d['error']['cancelled'] is False"
expect 1 "send with a file skipped" "$cli" send --json "$samples/hello.g6p" missing.g6p "${sim[@]}"
check "send" "f=d['files']; assert [x['outcome'] for x in f]==['sent','skipped'], f; \
assert f[1]['path']=='missing.g6p' and d['ok'] and d['transfer_ms']>0"
grep -q '^hello.g6p  100%' last.err || fail "the progress went elsewhere: $(cat last.err)"
mkdir back
expect 0 "recv" "$cli" recv --json hello.g6p count.g6p -C back "${sim[@]}"
check "recv" "assert d['folder']=='back' and d['ok'] and [(i['item'],i['path'],i['outcome']) \
for i in d['items']]==[('hello.g6p','back/hello.g6p','received'),('count.g6p','back/count.g6p','received')], d"
expect 1 "recv of an unknown item" "$cli" recv --json nosuch.g6p -C back "${sim[@]}"
check "recv, unknown item" "assert not d['ok'] and d['error']['file']=='nosuch.g6p'"
expect 0 "capture" "$cli" capture --json -o shot.bmp --sim
check "capture" "assert d=={'file':'shot.bmp','format':'bmp','screen_bytes':1056,'written':True,\
'ok':True,'error':None} and os.path.getsize('shot.bmp')==1382, d"
expect 1 "probe" "$cli" probe --json --port /dev/null
check "probe" "assert d=={'tried':[{'port':'/dev/null','answered':False}],'found':[]}, d"
python3 -c "n = bytes([0, 0, 0x10]) + bytes(7)  # the list L1 holding 1
open('l1.g6l', 'wb').write(b'6l\x10\x08' + b' ' * 9 + bytes(41) + bytes([16, 8, 0, 1, 0, 0, 0]) + n)"
expect 0 "export" "$cli" export --json l1.g6l
check "export" "assert d['kind']=='list' and d['heading']==';L1' and d['text_bytes']>0, d"
PYTHONPATH="$lib" python3 -c "from media import *
open('show.g4s', 'wb').write(slide_show(b'4', b'ANIME', b'Trip', [compress(bytes(1056))] * 3))"
mkdir -p pages/page-002.bmp/inside
expect 1 "slides, page 2 unwritable" "$cli" slides show.g4s -o pages --overwrite --json
check "slides" "assert not d['ok'] and d['error']['file'].endswith('page-002.bmp'), d; \
assert [p['number'] for p in d['pages']]==[1] and len(os.listdir('pages'))==2, d; \
b=open('pages/page-001.bmp','rb').read(); assert int.from_bytes(b[2:6],'little')==len(b)"
finish
