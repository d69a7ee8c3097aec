#!/usr/bin/env bash
# travex-cli sim serves the simulated calculator on a pseudo-terminal; travex-cli probe tries
# every port at once and finds it there, not on lines that stay silent: four silent lines and
# the calculator take about the time one silent line takes to give up. The link commands work
# through --port; the link name is cleaned up and never clobbers a file.
source "$(dirname "$0")/lib/common.sh"
now_ms() { date +%s%3N; }
for name in calc calc2 mute0 mute1 mute2 mute3 mute4; do
    case $name in mute*) start_sim $name --fault silence ;; *) start_sim $name ;; esac || finish
done
[ "$(cat calc.out)" = "$PWD/calc" ] || fail "sim prints the terminal it serves"

# One silent line alone and, at the same time, the calculator listed behind four silent lines.
t0=$(now_ms)
{ "$cli" probe --port mute0 >/dev/null 2>&1; echo "$? $(( $(now_ms) - t0 ))" >one.txt; } &
baseline=$!
out=$("$cli" probe --port mute1 --port mute2 --port mute3 --port mute4 --port calc 2>probe.err)
rc=$? five=$(( $(now_ms) - t0 ))
wait $baseline
read -r one_rc one <one.txt
[ "$one_rc" -eq 1 ] || fail "a silent line alone is no calculator"
[ $rc -eq 0 ] && [ "$out" = calc ] || fail "probe gave '$out', exit $rc: $(cat probe.err)"
echo "NOTE: one silent port ${one} ms; four silent ports and the calculator ${five} ms"
# One after another the four silent lines would take four times as long as one.
[ "$five" -lt $(( one * 2 )) ] || fail "probe took ${five} ms, one silent port takes ${one} ms"

# --all names every calculator in the order given; off a terminal each port gets its line on
# standard error; the plain probe names the first one listed.
out=$("$cli" probe --all --port calc2 --port /dev/null --port calc 2>all.err)
[ "$out" = "$(printf 'calc2\ncalc')" ] || fail "probe --all gave '$out'"
[ "$(cat all.err)" = "$(printf 'calc2: calculator answered\n/dev/null: no answer\ncalc: calculator answered')" ] ||
    fail "probe's line per port: $(cat all.err)"
[ "$("$cli" probe --port calc2 --port calc 2>/dev/null)" = calc2 ] || fail "not the first listed"
[ "$("$cli" probe --list --port calc --port COM3)" = "$(printf 'calc\nCOM3')" ] || fail "--list"
expect 1 "probe of a missing device" "$cli" probe --port no-such-device

# The link commands through --port (at the fast profile): a program to the calculator on the
# terminal and back.
make_file 6 p PTYPROG 1500 ptyprog.g6p
mkdir back
fast=(--port calc2 --timer 10 --out-buffer 4096)
expect 0 "send --port" "$cli" send ptyprog.g6p "${fast[@]}"
"$cli" list "${fast[@]}" 2>/dev/null | grep -qx ptyprog.g6p || fail "list --port shows the program"
expect 0 "recv --port" "$cli" recv ptyprog.g6p -C back "${fast[@]}"
same ptyprog.g6p back/ptyprog.g6p "the program through the terminal"
expect 1 "list on a missing device" "$cli" list --port no-such-device
said "no-such-device: Selected port does not exist." "a missing device"
# A port that another program holds is in use, not missing; the line names it.
python3 - calc2 "$cli" <<'PY' || fail "the busy port"
import fcntl, os, subprocess, sys
port, cli = sys.argv[1:3]
fd = os.open(port, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
r = subprocess.run([cli, "list", "--port", port], capture_output=True, text=True)
sys.exit(r.returncode != 1 or r.stderr != f"travex-cli: {port}: Selected port is already in use.\n")
PY

# The server removes its link when stopped.
kill "${sim_pids[0]}"; wait "${sim_pids[0]}" 2>/dev/null
[ -e calc ] && fail "the link outlives the server"

# Usage errors, and a link name that is a file of the user.
for args in "sim --fault nonsense" "sim extra" "probe stray"; do expect 2 "$args" "$cli" $args; done
echo keep >file
expect 1 "sim over a file" "$cli" sim --link file
[ "$(cat file)" = keep ] || fail "sim clobbered a file"
expect 1 "--items needs a folder" "$cli" sim --items no-folder --link x
finish
