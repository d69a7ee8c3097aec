#!/usr/bin/env bash
# travex-cli slides --json when a page cannot be written mid-way: standard output still holds one
# whole JSON document that states the failure, the status is 1, the pages before it are listed
# and written whole, and no temporary or partial page file is left in the folder.
set -u
cli=$1 work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
python3 - <<'PY'
import struct
blank = bytes([0]) + bytes([0, 255]) * 4 + bytes([0, 130])  # 1056 zero bytes, compressed
show = bytearray(b'4s' + b'ANIME'.ljust(11, b'\xff') + b'Trip'.ljust(40, b'\0') + b'\0\0')
for _ in range(3):
    show += struct.pack('<II', len(blank) + 8, 0) + blank
open('show.g4s', 'wb').write(show + bytes(8))
PY
# The second page's name is taken by a folder that no file can replace.
mkdir -p pages/page-002.bmp/inside
"$cli" slides show.g4s -o pages --overwrite --json >out.json 2>err.txt
status=$?
python3 - "$status" <<'PY'
import json, os, sys
problems = []
if sys.argv[1] != "1":
    problems.append("status %s instead of 1" % sys.argv[1])
try:
    d = json.load(open('out.json'))
    if d['ok'] or not d['error']['file'].endswith('page-002.bmp') or not d['error']['message']:
        problems.append("the failure is not stated: %r" % d)
    if [p['number'] for p in d['pages']] != [1]:
        problems.append("pages listed: %r" % d['pages'])
except (ValueError, KeyError, TypeError) as e:
    problems.append("no whole JSON document (%s): %r" % (e, open('out.json').read()))
if 'page-002.bmp' not in open('err.txt').read():
    problems.append("standard error does not name the page: %r" % open('err.txt').read())
if sorted(os.listdir('pages')) != ['page-001.bmp', 'page-002.bmp']:
    problems.append("left in the folder: %r" % sorted(os.listdir('pages')))
bmp = open('pages/page-001.bmp', 'rb').read()
if bmp[:2] != b'BM' or int.from_bytes(bmp[2:6], 'little') != len(bmp):
    problems.append("page-001.bmp is not a whole bitmap")
for line in problems:
    print("FAIL: " + line)
sys.exit(1 if problems else 0)
PY
