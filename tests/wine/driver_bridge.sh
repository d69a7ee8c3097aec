#!/usr/bin/env bash
# The USB serial driver QMUB417K running for real under Wine. A test-only bus driver
# (tests/windows/bridge_bus) is installed as a root device in a fresh prefix and puts a simulated
# bridge chip on its bus; Wine's Plug and Play manager installs the bridge's driver from its INF
# and starts it; the bus answers the driver's USB request blocks and carries the bulk byte
# stream to a COM port of the prefix mapped to a simulated calculator's pseudo-terminal.
#   1. The bus on its own, with a minimal probe driver and an echoing far end: enumeration, the
#      requests at start, bytes both ways, unplugging.
#   2. QMUB417K: the port's DOS link and its "SERIALCOMM" value appear at start; travex-cli.exe
#      --port COMn lists, receives every item type and sends, with output and files
#      byte-identical to the native travex-cli on a simulated calculator of its own; the line
#      coding the link asks for reaches the chip; TRAVEX.exe's Send Files and Receive Files work
#      through the same port (on a virtual display, with a screenshot kept in the work folder);
#      after unplugging (surprise removal) the link and the value are gone, also when the port
#      is held open across it.
# Exit 77 (skipped) after part 1 when QMUB417K.sys has not been built.
# usage: driver_bridge.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 shared_prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bus_dir=$mingw/tests/windows/bridge_bus
cli_exe=$mingw/cli/travex-cli.exe
for file in "$bus_dir/travex_bridge_bus.sys" "$bus_dir/travex_bridge_probe.sys" \
    "$bus_dir/bridge_ctl.exe" "$cli_exe"; do
    [ -f "$file" ] || { echo "missing $file"; exit 1; }
done
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
stop_file=$stage/stop
xvfb_pid=""
cleanup() {
    touch "$stop_file"
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    timeout 60 wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

# A Windows program in the prefix; its output without carriage returns.
win() { "$wine_bin" "$@" 2>>"$work/wine.err" | tr -d '\r'; }
ctl() { win 'C:\travex\bridge_ctl.exe' "$@"; }
fail() { echo "FAIL: $*"; exit 1; }

# Polls CONDITION (a shell command) once a second for up to SECONDS.
wait_until() { # seconds condition...
    local seconds=$1; shift
    for _ in $(seq "$seconds"); do
        eval "$*" && return 0
        sleep 1
    done
    return 1
}

serve() { # pty-path sim-arguments...
    local link=$1; shift
    "$native" sim --link "$link" "$@" >"$link.out" 2>"$link.err" &
    pids+=($!)
    for _ in $(seq 50); do [ -L "$link" ] && return 0; sleep 0.1; done
    fail "the simulator made no terminal at $link: $(cat "$link.err")"
}

# COM8: an echoing far end for the probe; COM7: the simulated calculator for QMUB417K. The
# bus driver opens these; QMUB417K's own port is named by its INF, later by "PortName" (COM6).
serve "$work/echo" --echo
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
mkdir -p "$work/items" "$work/files"
files=$work/files
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
named_item g "" 100 "$files/itemg.g6g"
mkdir -p "$files/received" "$files/again"
# What each sent file comes back as from the calculator's receive list (window setup and zoom
# are checked apart: the calculator keeps them in one block).
declare -A received_as=([itemd.g6d]=g_data1.g6d [itemy.g6y]=y1.g6y [itemi.g6i]=pict1.g6i
    [iteml.g6l]=l2.g6l [itemn.g6n]=l_data1.g6n [itemm.g6m]=mat_j.g6m [iteme.g6e]=iteme.g6e
    [itemp.g6p]=itemp.g6p [items.g6s]=items.g6s [itemt.g6t]=tblsetup.g6t
    [itemv.g6v]=variable.g6v [all.g6b]=backup.g6b)
# The simulated calculator starts with a program, an equation and a slide show of its own (and
# its factory setup blocks and backup).
named_item p CALCP 500 "$work/items/calcp.g6p"
named_item e CALCE 70 "$work/items/calce.g6e"
named_item s CALCS 900 "$work/items/calcs.g6s"
cp -r "$work/items" "$work/items-native"
serve "$work/calc" --items "$work/items"
serve "$work/calc-native" --items "$work/items-native"
win reg add 'HKLM\Software\Wine\Ports' /v COM8 /t REG_SZ /d "$work/echo" /f >/dev/null
win reg add 'HKLM\Software\Wine\Ports' /v COM7 /t REG_SZ /d "$work/calc" /f >/dev/null
timeout 60 wineserver -k 2>/dev/null; timeout 60 wineserver -w 2>/dev/null

# TRAVEX.exe needs a display, which Wine's desktop takes when the session comes up.
app_dir=$mingw/app
link_exe=$mingw/tests/windows/link_driver.exe
if [ -f "$app_dir/TRAVEX.exe" ] && [ -f "$link_exe" ] && [ -z "${DISPLAY:-}" ]; then
    . "$root/scripts/lib/xvfb.sh"
    start_xvfb || fail "no display could be started"
fi

# One process holds the Wine session, so that the drivers stay loaded between the commands.
# Its channels (e.g. TRAVEX_DRIVER_WINEDEBUG=+plugplay,warn+setupapi) cover the drivers, which
# run in the session's device host; their log goes to hold.err.
WINEDEBUG=${TRAVEX_DRIVER_WINEDEBUG:--all} "$wine_bin" 'C:\travex\bridge_ctl.exe' hold \
    'C:\travex\stop' >"$work/hold.out" 2>"$work/hold.err" &
pids+=($!)
wait_until 60 'grep -q holding "$work/hold.out"' || fail "the Wine session did not come up"

ctl install 'C:\travex\travex_bridge_bus.inf' | grep -q installed || fail "installing the test bus"

# Part 1: the bus with the probe driver.
cp "$bus_dir"/travex_bridge_probe.sys "$bus_dir"/travex_bridge_probe.inf "$prefix/drive_c/windows/inf/"
ctl plug 'USB\VID_1209&PID_7E57' COM8 | grep -q plugged || fail "plugging the probe's bridge"
wait_until 30 '[ "$(ctl dos TravexBridgeProbe)" != none ]' || {
    ctl record; fail "the probe driver did not start on the bridge"; }
text="Bytes both ways through the simulated bridge, longer than one 64-byte packet: 0123456789abc"
echo_out=$(ctl probe-echo "$text")
[ "$echo_out" = "echo ok ${#text} bytes" ] || fail "probe echo: $echo_out"
ctl record >"$work/probe-record.txt"
expected="start
device-descriptor 18
configuration-descriptor 9
configuration-descriptor 32
select-configuration 1 max-transfer 4096 4096
vendor 0x40 request 0x21 value 0x0709 index 0x0000 length 0 flags 0x02
vendor 0x40 request 0x22 value 0x0100 index 0x0000 length 0 flags 0x02"
[ "$(sed -n 2,8p "$work/probe-record.txt")" = "$expected" ] || {
    cat "$work/probe-record.txt"; fail "the probe's requests at start"; }
grep -qx "bulk-in ${#text} bulk-out ${#text} dropped-lines 0" "$work/probe-record.txt" || {
    tail -2 "$work/probe-record.txt"; fail "the probe's byte counts"; }
ctl unplug | grep -q unplugged || fail "unplugging the probe's bridge"
wait_until 30 '[ "$(ctl dos TravexBridgeProbe)" = none ]' || fail "the probe's link outlived the bridge"
ctl record | grep -qx remove || fail "the unplugged bridge got no removal"
echo "bus with the probe driver: enumeration, requests at start, ${#text} bytes each way, removal"

# Part 2: QMUB417K.
driver_sys=$mingw/driver/QMUB417K.sys
driver_inf=$root/driver/QMUB417K.inf
if [ ! -f "$driver_sys" ] || [ ! -f "$driver_inf" ]; then
    echo "SKIP: $driver_sys or $driver_inf is not there"
    exit 77
fi
hardware_id=$(grep -o -i -m1 'USB\\VID_[0-9a-f]\{4\}&PID_[0-9a-f]\{4\}' "$driver_inf")
[ -n "$hardware_id" ] || fail "no USB hardware ID in $driver_inf"
cp "$driver_sys" "$driver_inf" "$prefix/drive_c/windows/inf/"
cp "$driver_sys" "$prefix/drive_c/windows/system32/drivers/"
# The driver's value in the serial device map is named after its device interface's link.
driver_value() { ctl serialcomm | grep -i '{153557d9-f106-4594-b7ee-8163c2b0e5e9}='; }

# First start: no Ports class installer has named the port, so the INF's "Identifier" does.
ctl plug "$hardware_id" COM7 | grep -q plugged || fail "plugging the bridge"
wait_until 30 'driver_value >/dev/null' || {
    ctl record; ctl serialcomm; fail "no SERIALCOMM value for the driver's port after start"; }
port=$(driver_value | sed 's/.*=//')
link_target=$(ctl dos "$port")
[ "$link_target" != none ] || fail "no DOS link $port after start"
echo "after start: SERIALCOMM $(driver_value), $port -> $link_target"

# travex-cli.exe through the driver against travex-cli on its own simulated calculator.
cases=0 differences=0
compare() { # expected-exit-status arguments after the command, without the port
    local expected=$1; shift
    cases=$((cases + 1))
    local case_dir=$work/case$cases
    mkdir -p "$case_dir/native" "$case_dir/wine"
    cp -r "$work"/files/. "$case_dir/native/"; cp -r "$work"/files/. "$case_dir/wine/"
    # shellcheck disable=SC2068
    (cd "$case_dir/native" && "$native" $@ --port "$work/calc-native") \
        >"$case_dir/native.out" 2>"$case_dir/native.err"
    echo $? >"$case_dir/native.rc"
    # shellcheck disable=SC2068
    (cd "$case_dir/wine" && timeout 120 "$wine_bin" 'C:\travex\travex-cli.exe' $@ --port "$port") \
        2>"$case_dir/wine.err" | tr -d '\r' >"$case_dir/wine.out"
    echo "${PIPESTATUS[0]}" >"$case_dir/wine.rc"
    [ "$(cat "$case_dir/wine.rc")" = "$expected" ] || {
        echo "FAIL (exit $(cat "$case_dir/wine.rc"), not $expected): $* ($(tail -1 "$case_dir/wine.err"))"
        differences=$((differences + 1)); }
    for part in out rc; do
        cmp -s "$case_dir/native.$part" "$case_dir/wine.$part" || {
            echo "FAIL ($part differs): $*"; differences=$((differences + 1)); }
    done
    diff -r "$case_dir/native" "$case_dir/wine" >"$case_dir/files.diff" || {
        echo "FAIL (files differ): $*"; head -5 "$case_dir/files.diff"
        differences=$((differences + 1)); }
}
sent=(itemd.g6d itemy.g6y iteme.g6e itemi.g6i iteml.g6l itemn.g6n itemm.g6m itemp.g6p items.g6s
    itemt.g6t itemw.g6w itemv.g6v itemz.g6z)
compare 0 list
compare 0 recv --all -C received
compare 0 send "${sent[@]}"
compare 0 send all.g6b
compare 1 send itemg.g6g
compare 0 list
# Every type back from the calculator, in the order of its receive list.
compare 0 recv backup.g6b g_data1.g6d y1.g6y iteme.g6e pict1.g6i l2.g6l l_data1.g6n mat_j.g6m \
    itemp.g6p items.g6s tblsetup.g6t winsetup.g6w variable.g6v zoom.g6z -C again
# Through the driver, what was sent comes back as it went: the same name field and body.
for name in "${!received_as[@]}"; do
    back=$work/case$cases/wine/again/${received_as[$name]}
    cmp -s <(tail -c +55 "$files/$name") <(tail -c +55 "$back") &&
        cmp -s <(head -c 13 "$files/$name" | tail -c +3) <(head -c 13 "$back" | tail -c +3) || {
        echo "FAIL: $name came back as ${received_as[$name]} with other contents"
        differences=$((differences + 1)); }
done
# The window setup block holds the window records of the window setup file and the zoom records
# of the zoom file; both files come back as that whole block.
python3 - "$files/itemw.g6w" "$files/itemz.g6z" "$work/case$cases/wine/again/winsetup.g6w" \
    "$work/case$cases/wine/again/zoom.g6z" <<'PY' || differences=$((differences + 1))
import sys
window, zoom, *back = [open(path, 'rb').read()[54:] for path in sys.argv[1:]]
window_records = [0, 1, 2, 3, 4, 5, 16, 17, 18, 22, 23, 24, 28, 29, 30, 31]
zoom_records = [10, 11, 12, 13, 14, 15, 19, 20, 21, 25, 26, 27, 32, 33, 34, 35]
record = lambda block, n: block[n * 9:n * 9 + 9]
for block in back:
    if (len(block) != 324 or any(record(block, n) != record(window, n) for n in window_records)
            or any(record(block, n) != record(zoom, n) for n in zoom_records)):
        sys.exit('FAIL: the window setup and zoom records did not come back as they were sent')
PY
echo "travex-cli.exe through QMUB417K: $cases cases compared, $differences differences"
[ $differences -eq 0 ] || fail "travex-cli.exe through the driver differs from the native run"
# The port search's hello finds the calculator behind the driver's port.
found=$(win 'C:\travex\travex-cli.exe' probe --port "$port")
[ "$found" = "$port" ] || fail "probe --port $port found '$found'"
# TRAVEX.exe's Send Files and Receive Files through the driver's port: a program and a picture
# go to the calculator, then come back into an empty data folder as they went.
if [ -f "$app_dir/TRAVEX.exe" ] && [ -f "$link_exe" ]; then
    app_files=$work/app-files
    mkdir -p "$work/app" "$app_files" "$work/app-sent"
    cp "$app_dir/TRAVEX.exe" "$app_dir/WTMQV7.TTF" "$work/app/"
    link() { # the test driver's command; its own exit status
        "$wine_bin" "$link_exe" "$@" 2>>"$work/wine.err" | tr -d '\r'
        return "${PIPESTATUS[0]}"
    }
    windows_path() { echo "Z:$(echo "$1" | tr '/' '\\')"; }
    start_app() {
        "$wine_bin" "$(windows_path "$work/app/TRAVEX.exe")" >/dev/null 2>>"$work/wine.err" &
        app_pid=$!
        pids+=("$app_pid")
        link frame-enabled 240000 >/dev/null || fail "TRAVEX.exe's frame did not appear"
    }
    close_app() {
        link command 20009 >/dev/null
        for _ in 1 2 3; do link answer "ZELTA TRAVEX" no 2000 >/dev/null 2>&1 || break; done
        wait_until 60 '! kill -0 $app_pid 2>/dev/null' || fail "TRAVEX.exe did not end"
    }
    # The first start writes the settings file; the port and the data folder go into it.
    start_app
    close_app
    ini=$(find "$prefix/drive_c/users" -path '*/ZELTA/TM-RZ4 for RQ-7310/TM-RZ4.INI' | head -1)
    [ -n "$ini" ] || fail "TRAVEX.exe wrote no settings file"
    sed -i '/^CommPort=/d; /^DataDir=/d' "$ini"
    printf 'CommPort=%s\r\nDataDir=%s\r\n' "${port#COM}" "$(windows_path "$app_files")" >>"$ini"
    named_item p APPPROG 1500 "$work/app-sent/appprog.g6p"
    code_item i 11 0d 1024 "$work/app-sent/pict2.g6i"
    cp "$work"/app-sent/* "$app_files/"
    start_app
    link command 20021 >/dev/null
    link wait-dialog "Send Files" 60000 >/dev/null || fail "Send Files did not open"
    link send-select appprog.g6p pict2.g6i >/dev/null
    link click "Send Files" 31001 >/dev/null
    link answer "ZELTA TRAVEX" ok 20000 >/dev/null || fail "no question before sending"
    link gone "Send Files" 120000 >/dev/null || fail "TRAVEX.exe's send did not end"
    link frame-enabled 30000 >/dev/null || fail "the frame stays disabled after the send"
    rm "$app_files"/*
    link command 20022 >/dev/null
    link wait-dialog "Receive Files" 60000 >/dev/null || fail "Receive Files did not open"
    link receive-select appprog.g6p pict2.g6i >/dev/null || {
        link items; fail "the sent items are not on the calculator's receive list"; }
    /usr/bin/import -window root "$work/app-receive-dialog.png" 2>/dev/null
    link click "Receive Files" 1 >/dev/null
    link gone "Receive Files" 120000 >/dev/null || fail "TRAVEX.exe's receive did not end"
    link frame-enabled 30000 >/dev/null || fail "the frame stays disabled after the receive"
    for name in appprog.g6p pict2.g6i; do
        cmp -s "$work/app-sent/$name" "$app_files/$name" ||
            fail "TRAVEX.exe received $name not as it sent it"
    done
    close_app
    echo "TRAVEX.exe through QMUB417K: a program and a picture sent and received byte-identical"
fi
ctl record >"$work/record.txt"
grep -q "^vendor 0x40 request 0x21 value 0x0709 " "$work/record.txt" || {
    cat "$work/record.txt"; fail "the chip never got 38400 baud, 8 data bits, no parity, 2 stop bits"; }

# Unplugged while no handle is open.
ctl unplug | grep -q unplugged || fail "unplugging the bridge"
wait_until 30 '! driver_value >/dev/null && [ "$(ctl dos "$port")" = none ]' || {
    ctl serialcomm; ctl dos "$port"; fail "the link or the SERIALCOMM value outlived the bridge"; }
echo "after surprise removal: no SERIALCOMM value, no $port link"

# Plugged again with "PortName" in the device key, as the Ports class installer writes it: it
# names the port instead of "Identifier". Then unplugged while a program holds the port open.
device_key="HKLM\\System\\CurrentControlSet\\Enum\\$hardware_id\\1\\Device Parameters"
win reg add "$device_key" /v PortName /t REG_SZ /d COM6 /f >/dev/null || fail "writing PortName"
ctl plug "$hardware_id" COM7 | grep -q plugged || fail "plugging the bridge again"
wait_until 30 'driver_value | grep -q =COM6 && [ "$(ctl dos COM6)" != none ]' || {
    ctl serialcomm; fail "no COM6 link or SERIALCOMM value after plugging in again"; }
[ "$port" != COM6 ] || fail "the INF's name is already COM6: PortName cannot be told apart"
[ "$(ctl dos "$port")" = none ] || fail "the old name $port is linked too"
echo "plugged in again: SERIALCOMM $(driver_value)"
release=$stage/release
"$wine_bin" 'C:\travex\bridge_ctl.exe' open-hold COM6 'C:\travex\release' \
    >"$work/open-hold.out" 2>>"$work/wine.err" &
holder=$!
pids+=($holder)
wait_until 30 'grep -q opened "$work/open-hold.out"' || fail "the port could not be opened"
ctl unplug | grep -q unplugged || fail "unplugging the bridge with the port open"
wait_until 30 '! driver_value >/dev/null && [ "$(ctl dos COM6)" = none ]' || {
    ctl serialcomm; ctl dos COM6
    fail "the link or the SERIALCOMM value outlived the bridge while the port was open"; }
touch "$release"
wait_until 30 '! kill -0 $holder 2>/dev/null' || fail "the program holding the port did not end"
echo "after surprise removal with the port open: no SERIALCOMM value, no COM6 link"
echo "PASS"
