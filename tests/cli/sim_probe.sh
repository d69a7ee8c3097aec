#!/usr/bin/env bash
# travex-cli sim serves the simulated calculator on a pseudo-terminal; travex-cli probe finds it
# there and not on a line that stays silent; the link name is cleaned up and never clobbers a file.
set -u
cli=$1 work=$2
rm -rf "$work"; mkdir -p "$work"
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done; }
trap cleanup EXIT

start_sim() { # link-name args...
    local link=$1; shift
    "$cli" sim --link "$work/$link" "$@" >"$work/$link.out" 2>"$work/$link.err" &
    pids+=($!)
    for _ in $(seq 50); do [ -L "$work/$link" ] && return 0; sleep 0.1; done
    fail "sim $* made no terminal: $(cat "$work/$link.err")"
    return 1
}

# The silent line is tried first and given up (it takes the hello's full patience), then the
# calculator answers.
start_sim calc && start_sim mute --fault silence && start_sim calc2 && {
    [ "$(cat "$work/calc.out")" = "$work/calc" ] || fail "sim prints the terminal it serves"
    out=$("$cli" probe --port "$work/mute" --port "$work/calc" 2>"$work/probe.err")
    [ $? -eq 0 ] || fail "probe exit status: $(cat "$work/probe.err")"
    [ "$out" = "$work/calc" ] || fail "probe found '$out' instead of $work/calc"
    out=$("$cli" probe --all --port "$work/calc2" --port /dev/null --port "$work/calc" 2>"$work/all.err")
    [ "$out" = "$(printf '%s\n%s' "$work/calc2" "$work/calc")" ] || fail "probe --all gave '$out'"
    # Off a terminal, every port tried gets its line on standard error.
    [ "$(cat "$work/all.err")" = "$(printf '%s: calculator answered\n/dev/null: no answer\n%s: calculator answered' "$work/calc2" "$work/calc")" ] ||
        fail "probe's line per port: $(cat "$work/all.err")"
    out=$("$cli" probe --list --port "$work/calc" --port COM3)
    [ "$out" = "$(printf '%s\nCOM3' "$work/calc")" ] || fail "probe --list gave '$out'"
    "$cli" probe --port "$work/no-such-device" >/dev/null 2>&1
    [ $? -eq 1 ] || fail "a missing device is no calculator"

}
# The link commands through --port: a program to the calculator on the terminal and back.
mkdir -p "$work/back"
{ printf '6p'; printf '%-11s' PTYPROG | tr ' ' '\377'; head -c 41 /dev/zero
  head -c 1500 /dev/urandom; } >"$work/ptyprog.g6p"
(cd "$work" && "$cli" send ptyprog.g6p --port "$work/calc2") >/dev/null 2>&1 || fail "send --port"
"$cli" list --port "$work/calc2" 2>/dev/null | grep -qx ptyprog.g6p || fail "list --port shows the program"
"$cli" recv ptyprog.g6p -C "$work/back" --port "$work/calc2" >/dev/null 2>&1 || fail "recv --port"
cmp -s "$work/ptyprog.g6p" "$work/back/ptyprog.g6p" || fail "the program came back changed"
"$cli" list --port "$work/no-such-device" >/dev/null 2>"$work/missing.err"
[ $? -eq 1 ] || fail "list on a missing device fails with status 1"
grep -q "no-such-device: Selected port does not exist." "$work/missing.err" ||
    fail "a missing device is named and told as missing: $(cat "$work/missing.err")"
# A port that another program holds is in use, not missing; the line names it.
python3 - "$work/calc2" "$cli" "$work/busy.err" <<'PY' || fail "the busy port: $(cat "$work/busy.err")"
import fcntl, os, subprocess, sys
port, cli, err = sys.argv[1:4]
fd = os.open(port, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
with open(err, "w") as e:
    rc = subprocess.call([cli, "list", "--port", port], stdout=subprocess.DEVNULL, stderr=e)
os.close(fd)
text = open(err).read()
sys.exit(0 if rc == 1 and text == "travex-cli: " + port + ": Selected port is already in use.\n"
         else 1)
PY

# The server removes its link when stopped.
kill "${pids[0]}" 2>/dev/null; wait "${pids[0]}" 2>/dev/null
[ -e "$work/calc" ] && fail "the link outlives the server"

# Usage errors, and a link name that is a file of the user.
"$cli" sim --fault nonsense >/dev/null 2>&1; [ $? -eq 2 ] || fail "bad --fault is a usage error"
"$cli" sim extra >/dev/null 2>&1; [ $? -eq 2 ] || fail "stray argument is a usage error"
"$cli" probe stray >/dev/null 2>&1; [ $? -eq 2 ] || fail "probe: stray argument is a usage error"
echo keep >"$work/file"
"$cli" sim --link "$work/file" >/dev/null 2>&1; [ $? -eq 1 ] || fail "sim over a file must fail"
[ "$(cat "$work/file")" = keep ] || fail "sim clobbered a file"
"$cli" sim --items "$work/no-folder" --link "$work/x" >/dev/null 2>&1
[ $? -eq 1 ] || fail "--items needs a folder"
exit $fails
