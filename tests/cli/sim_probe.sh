#!/usr/bin/env bash
# sim on a pseudo-terminal; probe tries every port at once; link commands through --port; busy ports.
source "$(dirname "$0")/lib/common.sh"
for name in calc mute0 mute1 mute2 mute3 mute4; do
    case $name in mute*) start_sim $name --fault silence ;; *) start_sim $name ;; esac || finish
done
t0=$(date +%s%3N)
{ "$cli" probe --port mute0 >/dev/null 2>&1; echo "$? $(($(date +%s%3N) - t0))" >one.txt; } &
out=$("$cli" probe --port mute1 --port mute2 --port mute3 --port mute4 --port calc 2>/dev/null)
rc=$? five=$(($(date +%s%3N) - t0))
wait $!
read -r one_rc one <one.txt
[ "$one_rc" -eq 1 ] && [ $rc -eq 0 ] && [ "$out" = calc ] || fail "probe: '$out' $rc, silent line $one_rc"
[ "$five" -lt $((one * 2)) ] || fail "probe took ${five} ms, one silent port takes ${one} ms"
out=$("$cli" probe --all --port calc --port /dev/null --port mute0 2>all.err)
[ "$out" = calc ] && grep -qx '/dev/null: no answer' all.err || fail "probe --all: $out $(cat all.err)"
make_file 6 p PTYPROG 1500 ptyprog.g6p
mkdir back
fast=(--port calc --timer 10 --out-buffer 4096)
expect 0 "send --port" "$cli" send ptyprog.g6p "${fast[@]}"
expect 0 "recv --port" "$cli" recv ptyprog.g6p -C back "${fast[@]}"
same ptyprog.g6p back/ptyprog.g6p "the program through the terminal"
expect 1 "list on a missing device" "$cli" list --port no-such-device
said "no-such-device: Selected port does not exist." "a missing device"
python3 - calc "$cli" <<'PY' || fail "the busy port"
import fcntl, os, subprocess, sys
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
r = subprocess.run([sys.argv[2], "list", "--port", "calc"], capture_output=True, text=True)
sys.exit(r.returncode != 1 or r.stderr != "travex-cli: calc: Selected port is already in use.\n")
PY
kill "${sim_pids[0]}" && wait "${sim_pids[0]}" 2>/dev/null
[ -e calc ] && fail "the link outlives the server"
echo keep >file
expect 1 "sim over a file" "$cli" sim --link file
[ "$(cat file)" = keep ] || fail "sim clobbered a file"
finish
