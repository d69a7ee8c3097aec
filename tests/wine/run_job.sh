#!/usr/bin/env bash
# The main job without a display, as on a build server: scripts/run starts an Xvfb display of
# its own, the simulated calculator on a pseudo-terminal mapped to COM1 and TRAVEX.exe; the
# frame appears, travex-cli.exe finds the simulated calculator on COM1 of the same Wine
# session, and at the time-out the run closes the application and stops the simulator, the
# Wine session and the display, ending with 0.
# usage: run_job.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
root=$here/../..
wine_env=$root/scripts/wine-env
driver=$mingw/tests/windows/app_driver.exe
cli_exe=$mingw/cli/travex-cli.exe
for file in "$mingw/app/TRAVEX.exe" "$mingw/app/WTMQV7.TTF" "$driver" "$cli_exe"; do
    [ -f "$file" ] || { echo "missing $file"; exit 1; }
done
rm -rf "$work"; mkdir -p "$work/items"
printf '6p%s' "$(printf '%-11s' ONE | tr ' ' '\377')" >"$work/items/ONE.g6p"
head -c 41 /dev/zero >>"$work/items/ONE.g6p"
printf 'ABC' >>"$work/items/ONE.g6p"
time_out=30
log=$work/run.out

run_pid=""
cleanup() {
    if [ -n "$run_pid" ] && kill -0 "$run_pid" 2>/dev/null; then
        kill "$run_pid" 2>/dev/null  # the run's own clean-up ends what it started
        for _ in $(seq 600); do kill -0 "$run_pid" 2>/dev/null || break; sleep 0.1; done
    fi
}
trap cleanup EXIT

# Whatever Wine session an earlier test left must end first: the run restarts it anyway.
timeout 120 env WINEPREFIX="$prefix" wineserver -w 2>/dev/null
com1_mapping() {
    env -u DISPLAY "$wine_env" run "$prefix" reg query 'HKLM\Software\Wine\Ports' /v COM1 2>/dev/null |
        tr -d '\r' | grep COM1
}
com1_before=$(com1_mapping)

env -u DISPLAY WINEPREFIX="$prefix" bash "$root/scripts/run" --no-build --sim-cli "$native" \
    --mingw-dir "$mingw" --work "$work/run" --items "$work/items" --timeout "$time_out" \
    >"$log" 2>&1 &
run_pid=$!

# The run reports each step on a line of its own; the application has started once the last
# one is there. Bringing a Wine session up can take a while on a busy machine.
for _ in $(seq 1200); do
    grep -q '^== TRAVEX.exe started' "$log" && break
    kill -0 "$run_pid" 2>/dev/null || break
    sleep 0.1
done
grep -q '^== TRAVEX.exe started' "$log" || { echo "FAIL: the application was not started"; cat "$log"; exit 1; }
display=$(sed -n 's/^== display \(:[0-9]*\) (Xvfb, pid \([0-9]*\))$/\1/p' "$log")
xvfb_pid=$(sed -n 's/^== display :[0-9]* (Xvfb, pid \([0-9]*\))$/\1/p' "$log")
sim_pid=$(sed -n 's/^== simulated calculator (pid \([0-9]*\)).*/\1/p' "$log")
[ -n "$display" ] && [ -n "$xvfb_pid" ] || { echo "FAIL: no Xvfb display reported"; cat "$log"; exit 1; }
[ -n "$sim_pid" ] || { echo "FAIL: no simulated calculator reported"; cat "$log"; exit 1; }

fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
export DISPLAY=$display WINEPREFIX=$prefix
"$wine_env" run "$prefix" "$driver" wait-frame 30000 >"$work/driver.out" 2>&1 ||
    fail "no frame: $(tr -d '\r' <"$work/driver.out" | tail -3)"
/usr/bin/import -window root -display "$display" "$work/run-frame.png" 2>/dev/null || true

# COM1 leads to the simulator's terminal, and the calculator answers there.
link=$(readlink "$prefix/dosdevices/com1")
[ "$link" = "$work/run/com1" ] || fail "COM1 of the prefix leads to '$link', not $work/run/com1"
terminal=$(readlink "$work/run/com1")
case $terminal in /dev/pts/*) ;; *) fail "the simulator's link leads to '$terminal'" ;; esac
listing=$(cd "$work" && "$wine_env" run "$prefix" "$cli_exe" list --port COM1 2>"$work/list.err" |
    tr -d '\r')
case $listing in *one.g6p*) ;; *) fail "list on COM1: '$listing' $(tail -2 "$work/list.err")" ;; esac

# The time-out closes the application; the run then ends what it started.
for _ in $(seq $(((time_out + 60) * 10))); do
    kill -0 "$run_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$run_pid" 2>/dev/null; then
    fail "the run did not end after its time-out"
else
    wait "$run_pid"; status=$?
    run_pid=""
    [ "$status" -eq 0 ] || fail "the run ended with $status"
fi
grep -q "^== time-out of $time_out s reached: closing TRAVEX.exe" "$log" || fail "no time-out reported"
grep -q '^== TRAVEX.exe ended with exit status 0' "$log" || fail "the application did not end with 0"
kill -0 "$sim_pid" 2>/dev/null && fail "the simulated calculator is still running"
kill -0 "$xvfb_pid" 2>/dev/null && fail "Xvfb is still running"
[ -e "/tmp/.X11-unix/X${display#:}" ] && fail "the display's socket is still there"
# COM1 of a prefix that was not the run's own is set back.
com1_after=$(com1_mapping)
[ "$com1_after" = "$com1_before" ] || fail "COM1 is '$com1_after' after the run, was '$com1_before'"
wineserver -k 2>/dev/null

[ $fails -eq 0 ] || { echo "--- run output"; cat "$log"; }
echo "run_job: $fails failures"
exit $fails
