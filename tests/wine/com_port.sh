#!/usr/bin/env bash
# The Windows COM port layer under Wine on COM1, an echoing pseudo-terminal of the native
# travex-cli: the echo comes back, and the line settings Wine applied stay on the terminal.
set -u
native=$1 mingw=$2 prefix=$3 work=$4
wine_env=$(dirname "$0")/../../scripts/wine-env
rm -rf "$work"; mkdir -p "$work"
export WINEPREFIX=$prefix

"$native" sim --echo --link "$work/com1" >"$work/sim.out" 2>&1 &
server_pid=$!
cleanup() {
    kill "$server_pid" 2>/dev/null
    "$wine_env" run "$prefix" reg delete 'HKLM\Software\Wine\Ports' /v COM1 /f >/dev/null 2>&1
    wineserver -k 2>/dev/null
}
trap cleanup EXIT
for _ in $(seq 50); do [ -L "$work/com1" ] && break; sleep 0.1; done
# Wine rebuilds its COM links from this key when its server starts.
"$wine_env" run "$prefix" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$work/com1" /f \
    >/dev/null 2>&1 || { echo "FAIL: reg add"; exit 1; }
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null

"$wine_env" run "$prefix" "$mingw/tests/windows/com_port_check.exe" 1 2>"$work/check.err"
[ $? -eq 0 ] || { echo "FAIL: com_port_check"; tail -5 "$work/check.err"; exit 1; }
settings=" $(stty -F "$work/com1" -a 2>&1 | tr "\n" " ") "
for want in "speed 38400 baud" " cs8 " " cstopb " " -parenb " " -crtscts " " -ixon " " -ixoff "; do
    case $settings in *"$want"*) ;; *) echo "FAIL: line setting '$want' missing: $settings"; exit 1 ;; esac
done
echo "PASS"
