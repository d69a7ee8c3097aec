#!/usr/bin/env bash
# The main job without a display, as on a build server: scripts/run starts its own Xvfb, the
# simulated calculator on a pseudo-terminal mapped to COM1 and TRAVEX.exe; travex-cli.exe finds
# the calculator on COM1 of the same Wine session, and at the time-out the run closes the
# application and stops everything it started, ending with 0 and setting COM1 back.
# usage: run_job.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
wine_env=$root/scripts/wine-env
rm -rf "$work"; mkdir -p "$work/items"
{ printf '6pONE\377\377\377\377\377\377\377\377'; head -c 41 /dev/zero; printf 'ABC'; } >"$work/items/ONE.g6p"
time_out=30 log=$work/run.out fails=0 run_pid=""
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
# The run's own clean-up ends what it started.
trap '[ -n "$run_pid" ] && kill "$run_pid" 2>/dev/null && while kill -0 "$run_pid" 2>/dev/null; do sleep 0.1; done' EXIT
timeout 120 env WINEPREFIX="$prefix" wineserver -w 2>/dev/null
com1() { env -u DISPLAY "$wine_env" run "$prefix" reg query 'HKLM\Software\Wine\Ports' /v COM1 2>/dev/null | tr -d '\r' | grep COM1; }
com1_before=$(com1)

env -u DISPLAY WINEPREFIX="$prefix" bash "$root/scripts/run" --no-build --sim-cli "$native" \
    --mingw-dir "$mingw" --work "$work/run" --items "$work/items" --timeout "$time_out" >"$log" 2>&1 &
run_pid=$!
for _ in $(seq 1200); do
    grep -q '^== TRAVEX.exe started' "$log" && break
    kill -0 "$run_pid" 2>/dev/null || break
    sleep 0.1
done
grep -q '^== TRAVEX.exe started' "$log" || { echo "FAIL: the application was not started"; cat "$log"; exit 1; }
display=$(sed -n 's/^== display \(:[0-9]*\) (Xvfb, pid [0-9]*)$/\1/p' "$log")
xvfb_pid=$(sed -n 's/^== display :[0-9]* (Xvfb, pid \([0-9]*\))$/\1/p' "$log")
sim_pid=$(sed -n 's/^== simulated calculator (pid \([0-9]*\)).*/\1/p' "$log")
[ -n "$display" ] && [ -n "$xvfb_pid" ] && [ -n "$sim_pid" ] || { echo "FAIL: no display or simulator"; cat "$log"; exit 1; }
export DISPLAY=$display WINEPREFIX=$prefix
"$wine_env" run "$prefix" "$mingw/tests/windows/app_driver.exe" wait-frame 30000 >/dev/null || fail "no frame"
/usr/bin/import -window root "$work/run-frame.png" 2>/dev/null

[ "$(readlink "$prefix/dosdevices/com1")" = "$work/run/com1" ] || fail "COM1 does not lead to $work/run/com1"
case $(readlink "$work/run/com1") in /dev/pts/*) ;; *) fail "the simulator's link is no terminal" ;; esac
listing=$(cd "$work" && "$wine_env" run "$prefix" "$mingw/cli/travex-cli.exe" list --port COM1 2>&1 | tr -d '\r')
case $listing in *one.g6p*) ;; *) fail "list on COM1: '$listing'" ;; esac

for _ in $(seq $(((time_out + 60) * 10))); do
    kill -0 "$run_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$run_pid" 2>/dev/null; then
    fail "the run did not end after its time-out"
else
    wait "$run_pid" || fail "the run ended with $?"
    run_pid=""
fi
grep -q "^== time-out of $time_out s reached: closing TRAVEX.exe" "$log" || fail "no time-out reported"
grep -q '^== TRAVEX.exe ended with exit status 0' "$log" || fail "the application did not end with 0"
kill -0 "$sim_pid" 2>/dev/null && fail "the simulated calculator is still running"
kill -0 "$xvfb_pid" 2>/dev/null && fail "Xvfb is still running"
[ -e "/tmp/.X11-unix/X${display#:}" ] && fail "the display's socket is still there"
[ "$(com1)" = "$com1_before" ] || fail "COM1 is '$(com1)' after the run, was '$com1_before'"
wineserver -k 2>/dev/null
[ $fails -eq 0 ] || cat "$log"
echo "run_job: $fails failures"
exit $fails
