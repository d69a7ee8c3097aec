#!/usr/bin/env bash
# The USB serial driver QMUB417K running for real under Wine. A test-only bus driver
# (tests/windows/bridge_bus) is installed as a root device in a fresh prefix and puts a simulated
# bridge chip on its bus; Wine's Plug and Play manager installs the bridge's driver from its INF
# and starts it; the bus answers the driver's USB request blocks and carries the bulk byte
# stream to a COM port of the prefix mapped to a simulated calculator's pseudo-terminal.
# The port's DOS link and its "SERIALCOMM" value appear at start; travex-cli.exe --port COMn
# sends and receives every item type with output and files byte-identical to the native
# travex-cli on a simulated calculator of its own, and what it sent comes back as it went; the
# line coding the link asks for reaches the chip; after unplugging (surprise removal) with the
# port held open, the link and the value are gone.
# Exit 77 (skipped) when QMUB417K.sys has not been built.
# usage: driver_bridge.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 shared_prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bus_dir=$mingw/tests/windows/bridge_bus
cli_exe=$mingw/cli/travex-cli.exe
driver_sys=$mingw/driver/QMUB417K.sys
driver_inf=$root/driver/QMUB417K.inf
for file in "$bus_dir/travex_bridge_bus.sys" "$bus_dir/bridge_ctl.exe" "$cli_exe"; do
    [ -f "$file" ] || { echo "missing $file"; exit 1; }
done
[ -f "$driver_sys" ] || { echo "SKIP: $driver_sys is not there"; exit 77; }
rm -rf "$work"; mkdir -p "$work"

# A fresh prefix of its own: the drivers installed here must not reach the other Wine tests.
prefix=$work/prefix
timeout 120 env WINEPREFIX="$shared_prefix" wineserver -w 2>/dev/null
cp -a "$shared_prefix" "$prefix" || { echo "FAIL: copying the prefix"; exit 1; }
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_bin=$(command -v wine64 || command -v wine)
stage=$prefix/drive_c/travex
mkdir -p "$stage"
cp "$bus_dir"/travex_bridge_bus.sys "$bus_dir"/travex_bridge_bus.inf "$bus_dir"/bridge_ctl.exe \
    "$cli_exe" "$stage"/

pids=()
cleanup() {
    touch "$stage/stop" "$stage/release"
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    timeout 60 wineserver -k 2>/dev/null
}
trap cleanup EXIT

# A Windows program in the prefix; its output without carriage returns.
win() { "$wine_bin" "$@" 2>>"$work/wine.err" | tr -d '\r'; }
ctl() { win 'C:\travex\bridge_ctl.exe' "$@"; }
fail() { echo "FAIL: $*"; exit 1; }

# Polls CONDITION (a shell command) five times a second for up to SECONDS.
wait_until() { # seconds condition...
    local tries=$(($1 * 5)); shift
    for _ in $(seq "$tries"); do
        eval "$*" && return 0
        sleep 0.2
    done
    return 1
}

serve() { # pty-path sim-arguments...
    local link=$1; shift
    "$native" sim --link "$link" "$@" >"$link.out" 2>"$link.err" &
    pids+=($!)
    wait_until 10 '[ -L "$link" ]' || fail "the simulator made no terminal at $link"
}

# Calculator files of every transmittable type, named so that the calculator keeps each where
# its receive list finds it again: variable-code items carry a code of the list in their name
# field (and, as the calculator sends them back, at the start of their body), setup items have
# the calculator's own block sizes.
named_item() { # letter name body-size path
    { printf "6%s" "$1"; printf "%-11s" "$2" | tr ' ' '\377'; head -c 41 /dev/zero
      head -c "$3" /dev/urandom; } >"$4"
}
code_item() { # letter index-byte prefix-byte body-size path
    local code="\\x$2\\x$3"
    { printf "6%s" "$1"; printf "$code         "; head -c 41 /dev/zero; printf "$code"
      head -c "$4" /dev/urandom; } >"$5"
}
setup_item() { # letter body-size path
    { printf "6%s" "$1"; printf "%11s" ""; head -c 41 /dev/zero; head -c "$2" /dev/urandom; } >"$3"
}
files=$work/files
mkdir -p "$work/items" "$files/again"
code_item d 20 0d 40 "$files/itemd.g6d"     # g_data1
code_item y 10 0c 60 "$files/itemy.g6y"     # y1
code_item i 10 0d 1024 "$files/itemi.g6i"   # pict1
code_item l 11 08 90 "$files/iteml.g6l"     # l2
code_item n 30 0d 135 "$files/itemn.g6n"    # l_data1
code_item m 19 09 200 "$files/itemm.g6m"    # mat_j
named_item e ITEME 300 "$files/iteme.g6e"
named_item p ITEMP 450 "$files/itemp.g6p"
named_item s ITEMS 680 "$files/items.g6s"
setup_item t 36 "$files/itemt.g6t"
setup_item w 324 "$files/itemw.g6w"
setup_item v 252 "$files/itemv.g6v"
setup_item z 324 "$files/itemz.g6z"
setup_item b 2048 "$files/all.g6b"
# What each sent file comes back as from the calculator's receive list (window setup and zoom
# share one block of the calculator, so they do not come back as they went).
declare -A received_as=([itemd.g6d]=g_data1.g6d [itemy.g6y]=y1.g6y [itemi.g6i]=pict1.g6i
    [iteml.g6l]=l2.g6l [itemn.g6n]=l_data1.g6n [itemm.g6m]=mat_j.g6m [iteme.g6e]=iteme.g6e
    [itemp.g6p]=itemp.g6p [items.g6s]=items.g6s [itemt.g6t]=tblsetup.g6t
    [itemv.g6v]=variable.g6v [all.g6b]=backup.g6b)
named_item p CALCP 500 "$work/items/calcp.g6p"
cp -r "$work/items" "$work/items-native"
serve "$work/calc" --items "$work/items"
serve "$work/calc-native" --items "$work/items-native"
win reg add 'HKLM\Software\Wine\Ports' /v COM7 /t REG_SZ /d "$work/calc" /f >/dev/null
timeout 60 wineserver -k 2>/dev/null; timeout 60 wineserver -w 2>/dev/null

# One process holds the Wine session, so that the drivers stay loaded between the commands.
# Its channels (e.g. TRAVEX_DRIVER_WINEDEBUG=+plugplay,warn+setupapi) cover the drivers, which
# run in the session's device host; their log goes to hold.err.
WINEDEBUG=${TRAVEX_DRIVER_WINEDEBUG:--all} "$wine_bin" 'C:\travex\bridge_ctl.exe' hold \
    'C:\travex\stop' >"$work/hold.out" 2>"$work/hold.err" &
pids+=($!)
wait_until 60 'grep -q holding "$work/hold.out"' || fail "the Wine session did not come up"
ctl install 'C:\travex\travex_bridge_bus.inf' | grep -q installed || fail "installing the test bus"

hardware_id=$(grep -o -i -m1 'USB\\VID_[0-9a-f]\{4\}&PID_[0-9a-f]\{4\}' "$driver_inf")
[ -n "$hardware_id" ] || fail "no USB hardware ID in $driver_inf"
cp "$driver_sys" "$driver_inf" "$prefix/drive_c/windows/inf/"
cp "$driver_sys" "$prefix/drive_c/windows/system32/drivers/"
# The driver's value in the serial device map is named after its device interface's link.
serialcomm() { win reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>/dev/null; }
driver_value() { serialcomm | grep -i '{153557d9-f106-4594-b7ee-8163c2b0e5e9}' | awk '{print $NF}'; }

# No Ports class installer has named the port, so the INF's "Identifier" does.
ctl plug "$hardware_id" COM7 | grep -q plugged || fail "plugging the bridge"
wait_until 30 '[ -n "$(driver_value)" ]' || {
    ctl record; serialcomm; fail "no SERIALCOMM value for the driver's port after start"; }
port=$(driver_value)
[ "$(ctl dos "$port")" != none ] || fail "no DOS link $port after start"
echo "after start: SERIALCOMM $(driver_value)"

# travex-cli.exe through the driver against travex-cli on its own simulated calculator.
cases=0 differences=0
compare() { # arguments after the command, without the port
    cases=$((cases + 1))
    local case_dir=$work/case$cases
    mkdir -p "$case_dir/native" "$case_dir/wine"
    cp -r "$files"/. "$case_dir/native/"; cp -r "$files"/. "$case_dir/wine/"
    # The native run talks to a calculator of its own, so both runs go at once.
    # shellcheck disable=SC2068
    (cd "$case_dir/native" && "$native" $@ --port "$work/calc-native" \
        >"$case_dir/native.out" 2>"$case_dir/native.err"; echo $? >"$case_dir/native.rc") &
    local native_run=$!
    # shellcheck disable=SC2068
    (cd "$case_dir/wine" && timeout 120 "$wine_bin" 'C:\travex\travex-cli.exe' $@ --port "$port") \
        2>"$case_dir/wine.err" | tr -d '\r' >"$case_dir/wine.out"
    echo "${PIPESTATUS[0]}" >"$case_dir/wine.rc"
    wait "$native_run"
    [ "$(cat "$case_dir/wine.rc")" = 0 ] || {
        echo "FAIL (exit $(cat "$case_dir/wine.rc")): $* ($(tail -1 "$case_dir/wine.err"))"
        differences=$((differences + 1)); }
    for part in out rc; do
        cmp -s "$case_dir/native.$part" "$case_dir/wine.$part" || {
            echo "FAIL ($part differs): $*"; differences=$((differences + 1)); }
    done
    diff -r "$case_dir/native" "$case_dir/wine" >"$case_dir/files.diff" || {
        echo "FAIL (files differ): $*"; head -5 "$case_dir/files.diff"
        differences=$((differences + 1)); }
}
compare send itemd.g6d itemy.g6y iteme.g6e itemi.g6i iteml.g6l itemn.g6n itemm.g6m itemp.g6p \
    items.g6s itemt.g6t itemw.g6w itemv.g6v itemz.g6z
compare send all.g6b
# Every type back from the calculator, in the order of its receive list.
compare recv backup.g6b g_data1.g6d y1.g6y iteme.g6e pict1.g6i l2.g6l l_data1.g6n mat_j.g6m \
    itemp.g6p items.g6s tblsetup.g6t winsetup.g6w variable.g6v zoom.g6z calcp.g6p -C again
# Through the driver, what was sent comes back as it went: the same name field and body.
for name in "${!received_as[@]}"; do
    back=$work/case$cases/wine/again/${received_as[$name]}
    cmp -s <(tail -c +55 "$files/$name") <(tail -c +55 "$back") &&
        cmp -s <(head -c 13 "$files/$name" | tail -c +3) <(head -c 13 "$back" | tail -c +3) || {
        echo "FAIL: $name came back as ${received_as[$name]} with other contents"
        differences=$((differences + 1)); }
done
echo "travex-cli.exe through QMUB417K: $cases cases compared, $differences differences"
[ $differences -eq 0 ] || fail "travex-cli.exe through the driver differs from the native run"
ctl record >"$work/record.txt"
grep -q "^vendor 0x40 request 0x21 value 0x0709 " "$work/record.txt" || {
    cat "$work/record.txt"; fail "the chip never got 38400 baud, 8 data bits, no parity, 2 stop bits"; }

# Unplugged while a program holds the port open: the platform's handle outlives the device.
"$wine_bin" 'C:\travex\bridge_ctl.exe' open-hold "$port" 'C:\travex\release' \
    >"$work/open-hold.out" 2>>"$work/wine.err" &
holder=$!
pids+=($holder)
wait_until 30 'grep -q opened "$work/open-hold.out"' || fail "the port could not be opened"
ctl unplug | grep -q unplugged || fail "unplugging the bridge with the port open"
wait_until 30 '[ -z "$(driver_value)" ] && [ "$(ctl dos "$port")" = none ]' || {
    serialcomm; ctl dos "$port"
    fail "the link or the SERIALCOMM value outlived the bridge while the port was open"; }
touch "$stage/release"
wait_until 30 '! kill -0 $holder 2>/dev/null' || fail "the program holding the port did not end"
wait_until 10 'ctl record | grep -qx remove' || fail "the unplugged bridge got no removal"
echo "after surprise removal with the port open: no SERIALCOMM value, no $port link"
echo "PASS"
