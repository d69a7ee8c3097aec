#!/usr/bin/env bash
# The Windows COM port layer under Wine: a pseudo-terminal served by the native travex-cli is
# mapped to COM1 of the prefix, and the Windows test program opens COM1, writes, reads the echo
# and checks the open codes and the empty read's time-out. Then the simulated calculator takes
# the terminal's place: travex-cli.exe finds it on COM1 with the link hello, sends it a program
# and receives the program back byte for byte.
# usage: com_port.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
wine_env=$here/../../scripts/wine-env
exe=$mingw/tests/windows/com_port_check.exe
cli_exe=$mingw/cli/travex-cli.exe
rm -rf "$work"; mkdir -p "$work"
[ -f "$exe" ] || { echo "missing $exe"; exit 1; }
export WINEPREFIX=$prefix

server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    "$wine_env" run "$prefix" reg delete 'HKLM\Software\Wine\Ports' /v COM1 /f >/dev/null 2>&1
    wineserver -k 2>/dev/null
}
trap cleanup EXIT

"$native" sim --echo --link "$work/com1" >"$work/sim.out" 2>"$work/sim.err" &
server_pid=$!
for _ in $(seq 50); do [ -L "$work/com1" ] && break; sleep 0.1; done
[ -L "$work/com1" ] || { echo "FAIL: the echo server made no terminal"; cat "$work/sim.err"; exit 1; }

# Wine rebuilds its COM links from this key when its server starts.
"$wine_env" run "$prefix" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$work/com1" /f \
    >/dev/null 2>&1 || { echo "FAIL: reg add"; exit 1; }
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null

"$wine_env" run "$prefix" "$exe" 1 >"$work/check.out" 2>"$work/check.err"
status=$?
cat "$work/check.out"
[ $status -eq 0 ] || { echo "FAIL: com_port_check exit $status"; tail -5 "$work/check.err"; exit 1; }
# The line settings that Wine applied stay on the terminal (the server keeps it open).
settings=" $(stty -F "$work/com1" -a 2>&1 | tr "\n" " ") "
fails=0
for want in "speed 38400 baud" " cs8 " " cstopb " " -parenb " " -crtscts " " -ixon " " -ixoff "; do
    case $settings in *"$want"*) ;; *) echo "FAIL: line setting '$want' missing: $settings"; fails=1 ;; esac
done
[ $fails -eq 0 ] || exit 1

# The simulated calculator on the same terminal name.
kill "$server_pid"; wait "$server_pid" 2>/dev/null
"$native" sim --link "$work/com1" >"$work/sim.out" 2>"$work/sim.err" &
server_pid=$!
for _ in $(seq 50); do [ -L "$work/com1" ] && break; sleep 0.1; done
found=$("$wine_env" run "$prefix" "$cli_exe" probe --port COM1 2>"$work/probe.err" | tr -d '\r')
[ "$found" = COM1 ] || { echo "FAIL: probe --port COM1 found '$found': $(tail -3 "$work/probe.err")"; exit 1; }
# Without a list, the ports of the serial device map are tried in order.
found=$("$wine_env" run "$prefix" "$cli_exe" probe 2>"$work/probe-all.err" | tr -d '\r')
[ "$found" = COM1 ] || { echo "FAIL: probe found '$found': $(tail -3 "$work/probe-all.err")"; exit 1; }

# A program to the calculator and back: model digit, type letter, 11-byte name padded with 0xFF,
# 40-byte title and a zero byte, then the body.
mkdir -p "$work/back"
{ printf '6p'; printf '%-11s' RTRIP | tr ' ' '\377'; head -c 41 /dev/zero
  head -c 900 /dev/urandom; } >"$work/rtrip.g6p"
(cd "$work" && "$wine_env" run "$prefix" "$cli_exe" send rtrip.g6p --port COM1) \
    >"$work/send.out" 2>"$work/send.err" || { echo "FAIL: send: $(tail -3 "$work/send.err")"; exit 1; }
(cd "$work" && "$wine_env" run "$prefix" "$cli_exe" recv rtrip.g6p -C back --port COM1) \
    >"$work/recv.out" 2>"$work/recv.err" || { echo "FAIL: recv: $(tail -3 "$work/recv.err")"; exit 1; }
cmp "$work/rtrip.g6p" "$work/back/rtrip.g6p" || { echo "FAIL: the program came back changed"; exit 1; }
echo "round trip through COM1: $(tr -d '\r' <"$work/send.out"); $(tr -d '\r' <"$work/recv.out")"
echo "PASS"
