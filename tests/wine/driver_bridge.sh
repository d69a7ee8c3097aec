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
#      coding the link asks for reaches the chip; after unplugging (surprise removal) the link
#      and the value are gone, also when the port is held open across it.
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
cleanup() {
    touch "$stop_file"
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
make_file() { # digit letter name body-size path
    { printf "%s%s" "$1" "$2"; printf "%-11s" "$3" | tr ' ' '\377'; head -c 41 /dev/zero
      head -c "$4" /dev/urandom; } >"$5"
}
mkdir -p "$work/items" "$work/files"
size=40
for letter in g d y e i l n m p s t w v z; do
    make_file 6 "$letter" "ITEM$letter" "$size" "$work/files/item$letter.g6$letter"
    size=$((size * 3 / 2))
done
make_file 6 b "" 2000 "$work/files/all.g6b"
mkdir -p "$work/files/received" "$work/files/again"
# The simulated calculator holds a program, an equation and a slide show to receive (and its
# backup); every other type goes the other way.
cp "$work"/files/itemp.g6p "$work"/files/iteme.g6e "$work"/files/items.g6s "$work/items/"
cp -r "$work/items" "$work/items-native"
serve "$work/calc" --items "$work/items"
serve "$work/calc-native" --items "$work/items-native"
win reg add 'HKLM\Software\Wine\Ports' /v COM8 /t REG_SZ /d "$work/echo" /f >/dev/null
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
compare 0 list
compare 0 recv --all -C received
compare 0 recv backup.g6b -C received
compare 0 send itemd.g6d itemy.g6y iteme.g6e itemi.g6i iteml.g6l itemn.g6n itemm.g6m itemp.g6p \
    items.g6s itemt.g6t itemw.g6w itemv.g6v itemz.g6z
compare 0 send all.g6b
compare 1 send itemg.g6g
compare 0 list
compare 0 recv itemp.g6p iteme.g6e items.g6s -C again
echo "travex-cli.exe through QMUB417K: $cases cases compared, $differences differences"
[ $differences -eq 0 ] || fail "travex-cli.exe through the driver differs from the native run"
# The port search's hello finds the calculator behind the driver's port.
found=$(win 'C:\travex\travex-cli.exe' probe --port "$port")
[ "$found" = "$port" ] || fail "probe --port $port found '$found'"
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
