#!/usr/bin/env bash
# QMUB417K.sys under Wine on a test bus's echoing bridge chip (tests/windows/bridge_bus): it starts,
# its port echoes through the link port layer, the line coding reaches the chip, and unplugged
# with the port held open it leaves no DOS link and no "SERIALCOMM" value. Exit 77: not built.
set -u
mingw=$2 shared_prefix=$3 work=$4
bus_dir=$mingw/tests/windows/bridge_bus
driver_sys=$mingw/driver/QMUB417K.sys
driver_inf=$(cd "$(dirname "$0")/../.." && pwd)/driver/QMUB417K.inf
[ -f "$driver_sys" ] || { echo "SKIP: $driver_sys is not there"; exit 77; }
rm -rf "$work"; mkdir -p "$work"

# A prefix of its own, so that the drivers do not reach the other Wine tests.
prefix=$work/prefix
timeout 120 env WINEPREFIX="$shared_prefix" wineserver -w 2>/dev/null
cp -a "$shared_prefix" "$prefix" || { echo "FAIL: copying the prefix"; exit 1; }
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_bin=$(command -v wine64 || command -v wine)
stage=$prefix/drive_c/travex
mkdir -p "$stage"
cp "$bus_dir"/travex_bridge_bus.{sys,inf} "$bus_dir"/bridge_ctl.exe \
    "$mingw/tests/windows/com_port_check.exe" "$stage"/ || exit 1
cp "$driver_sys" "$driver_inf" "$prefix/drive_c/windows/inf/"
cp "$driver_sys" "$prefix/drive_c/windows/system32/drivers/"
trap 'touch "$stage/stop" "$stage/release"; timeout 60 wineserver -k 2>/dev/null' EXIT

win() { "$wine_bin" "$@" 2>>"$work/wine.err" | tr -d '\r'; }
ctl() { win 'C:\travex\bridge_ctl.exe' "$@"; }
fail() { echo "FAIL: $*"; exit 1; }
wait_until() { # seconds condition
    for _ in $(seq $(($1 * 5))); do eval "$2" && return 0; sleep 0.2; done
    return 1
}
# The driver's port, named in the serial device map after its device interface's link.
driver_port() {
    win reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>/dev/null |
        awk 'tolower($0) ~ /153557d9-f106-4594-b7ee-8163c2b0e5e9/ { print $NF }'
}

# One process holds the Wine session (and the drivers); TRAVEX_DRIVER_WINEDEBUG logs to hold.err.
WINEDEBUG=${TRAVEX_DRIVER_WINEDEBUG:--all} "$wine_bin" 'C:\travex\bridge_ctl.exe' hold \
    'C:\travex\stop' >"$work/hold.out" 2>"$work/hold.err" &
wait_until 60 'grep -q holding "$work/hold.out"' || fail "the Wine session did not come up"
ctl install 'C:\travex\travex_bridge_bus.inf' | grep -q installed || fail "installing the test bus"
hardware_id=$(grep -o -i -m1 'USB\\VID_[0-9a-f]\{4\}&PID_[0-9a-f]\{4\}' "$driver_inf")
ctl plug "$hardware_id" | grep -q plugged || fail "plugging the bridge"
wait_until 30 '[ -n "$(driver_port)" ]' || { ctl record; fail "no SERIALCOMM value after start"; }
port=$(driver_port)

win 'C:\travex\com_port_check.exe' "${port#COM}" >"$work/check.out"
grep -q '^0 failures' "$work/check.out" || { cat "$work/check.out"; fail "the port layer on $port"; }
# 38400 baud, 8 data bits, no parity, 2 stop bits.
ctl record | grep -q "^vendor 0x0040 0x0021 0x0709 " || { ctl record; fail "no line coding"; }

# Unplugged while a program holds the port open.
"$wine_bin" 'C:\travex\bridge_ctl.exe' hold 'C:\travex\release' "$port" >"$work/holder.out" 2>&1 &
holder=$!
wait_until 30 'grep -q holding "$work/holder.out"' || fail "the port could not be held open"
ctl unplug | grep -q unplugged || fail "unplugging the bridge"
wait_until 30 '[ -z "$(driver_port)" ] && [ "$(ctl dos "$port")" = none ]' ||
    fail "the DOS link or SERIALCOMM value of $port outlived the bridge"
touch "$stage/release"
wait_until 30 '! kill -0 $holder 2>/dev/null' || fail "the program holding the port did not end"
wait_until 10 'ctl record | grep -qx remove' || fail "the unplugged bridge got no removal"
echo "PASS"
