#!/usr/bin/env bash
# The Windows COM port layer under Wine: a pseudo-terminal served by the native travex-cli is
# mapped to COM1 of the prefix, and the Windows test program opens COM1, writes, reads the echo
# and checks the open codes and the empty read's time-out. Then the simulated calculator takes
# the terminal's place: travex-cli.exe finds it on COM1 with the link hello, named and unnamed.
# (Transfers through COM1 are the application's link test.)
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
await_terminal() { for _ in $(seq 50); do [ -L "$work/com1" ] && return 0; sleep 0.1; done; return 1; }
await_terminal || { echo "FAIL: the echo server made no terminal"; cat "$work/sim.err"; exit 1; }

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
await_terminal
# Named, and without a list, where the ports of the serial device map are tried in order.
for ports in "--port COM1" ""; do
    found=$("$wine_env" run "$prefix" "$cli_exe" probe $ports 2>"$work/probe.err" | tr -d '\r')
    [ "$found" = COM1 ] || { echo "FAIL: probe $ports found '$found': $(tail -3 "$work/probe.err")"; exit 1; }
done

echo "PASS"
