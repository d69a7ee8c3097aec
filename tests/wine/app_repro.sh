#!/usr/bin/env bash
# TRAVEX.exe's firmware update under Wine, driven like a user: Tools > Repro creates repro.ini
# with its defaults, refuses to open with "init err" when a layout value is empty, and with the
# simulated calculator on COM1 (a pseudo-terminal whose speed it follows) sends an image: Send,
# the confirmation, the progress dialog, "finish!". The simulator's flash must then hold exactly
# the image's non-blank pages. A calculator with the same version refuses the image. Screenshots
# of dialogs 162 and 164 are kept in the work folder.
# usage: app_repro.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
repro=$mingw/tests/windows/repro_driver.exe
export WINEPREFIX=$prefix WINEDEBUG=-all
. "$here/lib/app_session.sh"
prepare_app
sim_pid=
finish() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    "$wine_env" run "$prefix" reg delete 'HKLM\Software\Wine\Ports' /v COM1 /f >/dev/null 2>&1
    end_session
}
trap finish EXIT
rd() { "$wine_env" run "$prefix" "$repro" "$@"; }
start_sim() { # sim options...
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -f "$work/flash.bin"
    "$native" sim --link "$work/com1" --line-speed --flash-out "$work/flash.bin" "$@" \
        >"$work/sim.out" 2>"$work/sim.err" &
    sim_pid=$!
    for _ in $(seq 50); do [ -L "$work/com1" ] && return 0; sleep 0.1; done
    echo "FAIL: the simulator made no terminal"; exit 1
}

python3 "$here/../cli/make_firmware_image.py" "$work/rq7310_ver101.bin" 0 1 5 59 60
python3 "$here/../cli/make_firmware_image.py" --expect-flash "$work/rq7310_ver101.bin" \
    "$work/expected.bin"

start_sim
"$wine_env" run "$prefix" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$work/com1" /f \
    >/dev/null 2>&1 || { echo "FAIL: reg add"; exit 1; }
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
find "$prefix/drive_c/users" -path '*/ZELTA/*/repro.ini' -delete 2>/dev/null
run_app
app=${app_pids[-1]}

# The first opening creates repro.ini with every default; the image path is empty.
expect "dialog 162 opens with no image" "" rd open 20000
ini=$(dirname "$(settings_file)")/repro.ini
[ -f "$ini" ] || { echo "FAIL: no repro.ini beside the settings file"; exit 1; }
for line in 'DATA BAUD RATE=38400' 'SMALL PAGE SEND SIZE=0x2000' 'MODEL=RQ-7310' 'USE MACHINE CODE=1'; do
    grep -q "^$line" "$ini" || failed "repro.ini lacks $line"
done
check "Exit closes dialog 162" rd exit 10000

# An empty layout value: "init err", and the dialog does not stay.
cp "$ini" "$work/repro.ini.good"
sed -i 's/^SMALL PAGE SEND SIZE=.*/SMALL PAGE SEND SIZE=/' "$ini"
rd open 3000 >/dev/null 2>&1 &
opener=$!
check "init err is shown" rd answer "init err" "init err" 20000
check "dialog 162 closed after init err" rd closed 10000
wait "$opener"

# The image in repro.ini (as Browse would leave it); a full update.
image_path=$(windows_path "$work/rq7310_ver101.bin")
sed "s|^BIN FILE=.*|BIN FILE=$(printf '%s' "$image_path" | sed 's/\\/\\\\/g')|" \
    "$work/repro.ini.good" > "$ini"
expect "dialog 162 shows the image" "$image_path" rd open 20000
sleep 1
shot repro-dialog.png
check "Send" rd send
confirm="Make sure that the cable is correctly connected and the calculator is turned on."
check "confirmation asked" rd answer "ZELTA TRAVEX" "$confirm" 30000
check "progress dialog appears" rd progress 20000
# Three of the four large pages (step 158 each) are written.
check "progress steps" rd reaches 474 120000
shot repro-progress.png
check "finish!" rd answer Repro "finish!" 180000
check "dialog 162 enabled again" rd enabled
poll 10 '! rd position >/dev/null 2>&1' || failed "progress dialog stays"
cmp -s "$work/flash.bin" "$work/expected.bin" ||
    failed "the simulator's flash does not hold exactly the image's pages"

# The same version on the calculator: refused, and the calculator told goodbye.
check "Exit" rd exit 10000
start_sim --firmware-version 101
expect "dialog 162 again" "$image_path" rd open 20000
check "Send again" rd send
check "confirmation again" rd answer "ZELTA TRAVEX" "$confirm" 30000
check "an equal version is refused" rd answer Repro \
    "This is an older version of the currently installed. " 120000
[ -f "$work/flash.bin" ] && failed "a refused image wrote pages"
check "Exit after the refusal" rd exit 10000

check "frame closes" drive close 20000
wait_exit "$app"
[ $fails -eq 0 ] && echo "all Repro checks passed"
exit $((fails > 0))
