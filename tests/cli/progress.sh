#!/usr/bin/env bash
# Progress on a pipe, --quiet, and Ctrl+C in a receive: no file left, port free, status 130.
source "$(dirname "$0")/lib/common.sh"
start_sim calc || finish
make_file 6 p BIGPROG 8000 bigprog.g6p
make_file 6 p SMALL 300 small.g6p
fast=(--timer 20 --out-buffer 60 --port "$work/calc")
expect 0 "send through a pipe" "$cli" send small.g6p bigprog.g6p "${fast[@]}"
[ "$(wc -l <last.err)" -eq 2 ] && grep -Eq '^bigprog\.g6p  100%  7\.[0-9] KB in ' last.err ||
    fail "one line per item: $(cat last.err)"
expect 0 "send --quiet" "$cli" send --quiet small.g6p "${fast[@]}"
[ -s last.err ] && fail "--quiet still wrote: $(cat last.err)"
mkdir back
python3 - "$cli" "$work" <<'PY' || fail "Ctrl+C in a receive"
import os, pty, signal, subprocess, sys, time
master, slave = pty.openpty()
p = subprocess.Popen([sys.argv[1], "recv", "bigprog.g6p", "-C", "back", "--port", "calc"],
                     stdout=subprocess.PIPE, stderr=slave)
os.close(slave)
seen = b""
while b" B of " not in seen and b"KB of" not in seen:
    seen += os.read(master, 4096)
p.send_signal(signal.SIGINT)
assert p.wait(timeout=5) == 130 and os.listdir("back") == [], os.listdir("back")
PY
"$cli" list --port calc 2>/dev/null | grep -qx bigprog.g6p || fail "the port is not free after Ctrl+C"
finish
