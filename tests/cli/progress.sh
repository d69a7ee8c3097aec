#!/usr/bin/env bash
# Live progress of the link commands and Ctrl+C: over a real pseudo-terminal pair with the
# simulated calculator, a terminal sees the line redrawn while the transfer runs, a pipe sees one
# line per item, --quiet nothing, and Ctrl+C in the middle of a receive leaves no file behind,
# releases the port and ends with status 130 (a second Ctrl+C: firmware.sh).
set -u
cli=$1 work=$2
rm -rf "$work"; mkdir -p "$work"
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done; }
trap cleanup EXIT

"$cli" sim --link "$work/calc" >"$work/sim.out" 2>"$work/sim.err" &
pids+=($!)
for _ in $(seq 50); do [ -L "$work/calc" ] && break; sleep 0.1; done
[ -L "$work/calc" ] || { echo "FAIL: no simulated calculator: $(cat "$work/sim.err")"; exit 1; }

program() { # NAME BODY-BYTES
    { printf '6p'; printf '%-11s' "$1" | tr ' ' '\377'; head -c 41 /dev/zero
      head -c "$2" /dev/urandom; } >"$work/$(echo "$1" | tr 'A-Z' 'a-z').g6p"
}
program BIGPROG 8000
program SMALL 300
fast=(--timer 20 --out-buffer 60 --port "$work/calc")

# A terminal: the line is redrawn in place with rising percentages while the program travels,
# and cleared at the end so that the report stands alone.
python3 - "$cli" "$work" "${fast[@]}" <<'PY' || fail "progress on a terminal"
import os, pty, re, subprocess, sys
cli, work, fast = sys.argv[1], sys.argv[2], sys.argv[3:]
master, slave = pty.openpty()
p = subprocess.Popen([cli, "send", work + "/bigprog.g6p"] + fast, stdout=subprocess.PIPE,
                     stderr=slave, cwd=work)
os.close(slave)
seen = b""
while True:
    try:
        chunk = os.read(master, 4096)
    except OSError:
        break
    if not chunk:
        break
    seen += chunk
out = p.stdout.read().decode()
rc = p.wait()
text = seen.decode()
percents = [int(x) for x in re.findall(r"\rbigprog\.g6p  (\d+)%", text)]
mid = [x for x in percents if 0 < x < 100]
problems = []
if rc != 0 or out != work + "/bigprog.g6p: sent\n":
    problems.append("send ended %d with %r" % (rc, out))
if len(mid) < 3 or mid != sorted(mid):
    problems.append("no rising updates while under way: %r" % percents)
if not re.search(r"KB/s  [0-9.:]+ s? ?left", text):
    problems.append("no rate and time left: %r" % text[-200:])
if not text.endswith("\r"):
    problems.append("the line is not cleared at the end: %r" % text[-80:])
if "\n" in text:
    problems.append("the terminal line scrolled: %r" % text)
for line in problems:
    print(line)
sys.exit(1 if problems else 0)
PY

# A pipe: one plain line per item, as each one ends; --quiet: none.
"$cli" send "$work/small.g6p" "$work/bigprog.g6p" "${fast[@]}" >"$work/send.out" 2>"$work/send.err" ||
    fail "send through a pipe: $(cat "$work/send.err")"
[ "$(wc -l <"$work/send.err")" -eq 2 ] || fail "not one line per item: $(cat "$work/send.err")"
grep -Eq '^small\.g6p  100%  [0-9]+ B in [0-9.]+ s  [0-9.]+ K?B/s$' "$work/send.err" ||
    fail "the small file's line: $(cat "$work/send.err")"
grep -Eq '^bigprog\.g6p  100%  7\.[0-9] KB in ' "$work/send.err" ||
    fail "the large file's line: $(cat "$work/send.err")"
"$cli" list --quiet "${fast[@]}" >/dev/null 2>"$work/quiet.err"
"$cli" send --quiet "$work/small.g6p" "${fast[@]}" >/dev/null 2>>"$work/quiet.err" ||
    fail "send --quiet"
[ ! -s "$work/quiet.err" ] || fail "--quiet still wrote: $(cat "$work/quiet.err")"

# Ctrl+C in the middle of a receive: the calculator is told to cancel, the item is not stored,
# the port is free again for the next command.
mkdir -p "$work/back"
python3 - "$cli" "$work" <<'PY' || fail "Ctrl+C in a receive"
import os, pty, signal, subprocess, sys, time
cli, work = sys.argv[1:3]
master, slave = pty.openpty()
p = subprocess.Popen([cli, "recv", "bigprog.g6p", "-C", work + "/back", "--port", work + "/calc"],
                     stdout=subprocess.PIPE, stderr=slave)
os.close(slave)
seen = b""
deadline = time.time() + 30
while b"%" not in seen.split(b"bigprog.g6p")[-1] and time.time() < deadline:
    seen += os.read(master, 4096)
while b" B of " not in seen and b"KB of" not in seen and time.time() < deadline:
    seen += os.read(master, 4096)
p.send_signal(signal.SIGINT)
started = time.time()
rc = p.wait(timeout=30)
took = time.time() - started
problems = []
if rc != 130:
    problems.append("status %d instead of 130" % rc)
if os.listdir(work + "/back"):
    problems.append("left behind: %r" % os.listdir(work + "/back"))
if took > 5:
    problems.append("the cancel took %.1f s" % took)
for line in problems:
    print(line)
sys.exit(1 if problems else 0)
PY
"$cli" list --port "$work/calc" 2>/dev/null | grep -qx bigprog.g6p ||
    fail "the port or the calculator is not free after Ctrl+C"

[ $fails -eq 0 ] && echo "progress: all passed"
exit $fails
