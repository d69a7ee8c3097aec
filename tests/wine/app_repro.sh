#!/usr/bin/env bash
# TRAVEX.exe's firmware update under Wine, driven like a user: Tools > Repro creates repro.ini,
# and with the simulated calculator on COM1 (a pseudo-terminal whose speed it follows) sends an
# image: Send, the confirmation, the progress dialog, "finish!". The simulator's flash must then
# hold exactly the image's non-blank pages.
# usage: app_repro.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=$prefix WINEDEBUG=-all
. "$here/lib/app_session.sh"
prepare_app
finish() {
    kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    "$wine_env" run "$prefix" reg delete 'HKLM\Software\Wine\Ports' /v COM1 /f >/dev/null 2>&1
    end_session
}
trap finish EXIT
rd() { "$wine_env" run "$prefix" "$mingw/tests/windows/repro_driver.exe" "$@"; }
image=$work/rq7310_ver101.bin
python3 "$here/../cli/make_firmware_image.py" "$image" 0 1 5 59 60
python3 "$here/../cli/make_firmware_image.py" --expect-flash "$image" "$work/expected.bin"
"$native" sim --link "$work/com1" --line-speed --flash-out "$work/flash.bin" >"$work/sim.out" 2>&1 &
sim_pid=$!
poll 5 '[ -L "$work/com1" ]' || { echo "FAIL: the simulator made no terminal"; exit 1; }
"$wine_env" run "$prefix" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$work/com1" /f \
    >/dev/null 2>&1 || { echo "FAIL: reg add"; exit 1; }
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
find "$prefix/drive_c/users" -path '*/ZELTA/*/repro.ini' -delete 2>/dev/null
run_app
app=${app_pids[-1]}

# The first opening creates repro.ini with an empty image path; the image goes in as Browse
# would leave it.
expect "dialog 162 opens with no image" "" rd open 20000
check "Exit closes dialog 162" rd exit 10000
ini=$(dirname "$(settings_file)")/repro.ini
image_path=$(windows_path "$image")
sed -i "s|^BIN FILE=.*|BIN FILE=$(printf '%s' "$image_path" | sed 's/\\/\\\\/g')|" "$ini" ||
    failed "no repro.ini beside the settings file"
expect "dialog 162 shows the image" "$image_path" rd open 20000
check "Send" rd send
check "confirmation asked" rd answer "ZELTA TRAVEX" \
    "Make sure that the cable is correctly connected and the calculator is turned on." 30000
# Three of the four large pages (step 158 each) are written.
check "progress steps" rd reaches 474 120000
shot repro-progress.png
check "finish!" rd answer Repro "finish!" 180000
cmp -s "$work/flash.bin" "$work/expected.bin" ||
    failed "the simulator's flash does not hold exactly the image's pages"
check "Exit" rd exit 10000
check "frame closes" drive close 20000
wait_exit "$app"
exit $((fails > 0))
