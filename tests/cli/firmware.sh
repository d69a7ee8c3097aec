#!/usr/bin/env bash
# travex-cli firmware check and send: the image checks, a full update against the in-process
# simulated calculator and one over a pseudo-terminal (flash compared byte for byte), every
# injected fault ending with its message, and settings refused before the port opens.
set -u
cli=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fails=0
failed() { echo "FAIL: $*"; fails=$((fails + 1)); }
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done; }
trap cleanup EXIT
make_image() { python3 "$here/make_firmware_image.py" "$@"; }
# The flash an update of IMAGE should leave: its non-blank pages, blank (0xFF) elsewhere.
expect_flash() { python3 "$here/make_firmware_image.py" --expect-flash "$@"; }

make_image rq7310_ver101.bin 0 1 5 59 60
out=$("$cli" firmware check rq7310_ver101.bin) || failed "check of a good image exits 0"
[ "$out" = "rq7310_ver101.bin: version 101 ok" ] || failed "check prints '$out'"
cp rq7310_ver101.bin rq7310_ver101.BIN
"$cli" firmware check rq7310_ver101.BIN >/dev/null || failed "the extension is taken without case"
for name in RQ7310_ver101.bin rq7310_ver1x1.bin rq7310_ver1011.bin; do
    cp rq7310_ver101.bin "$name"
    err=$("$cli" firmware check "$name" 2>&1)
    [ $? -eq 1 ] || failed "$name is refused with status 1"
    [ "$err" = "travex-cli: $name: Not a valid Binary File." ] || failed "$name: '$err'"
done
make_image rq7310_ver102.bin 0 --bad-sum
err=$("$cli" firmware check rq7310_ver102.bin 2>&1)
[ "$err" = "travex-cli: rq7310_ver102.bin: Check sum error!" ] || failed "bad sum: '$err'"
make_image rq7310_ver103.bin 0 --length 0xFFFFF
err=$("$cli" firmware check rq7310_ver103.bin 2>&1)
[ "$err" = "travex-cli: rq7310_ver103.bin: Not a valid Binary File." ] || failed "short: '$err'"
err=$("$cli" firmware check rq7310_ver104.bin 2>&1)
[ "$err" = "travex-cli: rq7310_ver104.bin: Can't open file !" ] || failed "missing: '$err'"

# The settings file: created whole when missing, MODEL rewritten, an empty layout value refused.
"$cli" firmware check rq7310_ver101.bin --settings repro.ini >/dev/null || failed "check --settings"
grep -q '^SMALL PAGE SEND SIZE=0x2000' repro.ini || failed "repro.ini created with defaults"
sed -i 's/^MODEL=.*/MODEL=RQ-7100/' repro.ini
"$cli" firmware check rq7310_ver101.bin --settings repro.ini >/dev/null
grep -q '^MODEL=RQ-7310' repro.ini || failed "MODEL is rewritten"
sed 's/^SMALL PAGE SEND SIZE=.*/SMALL PAGE SEND SIZE=/' repro.ini > empty.ini
err=$("$cli" firmware check rq7310_ver101.bin --settings empty.ini 2>&1)
[ "$err" = "travex-cli: empty.ini: init err" ] || failed "empty value: '$err'"
sed 's/^DATA BAUD RATE=.*/DATA BAUD RATE=9600/' repro.ini > slow.ini
err=$("$cli" firmware send rq7310_ver101.bin --sim --yes --settings slow.ini 2>&1)
[ $? -eq 1 ] || failed "9600 baud fails"
echo "$err" | grep -q "Do not support this baud rate !" || failed "9600 baud: '$err'"
echo "$err" | grep -q "opening the port" && failed "9600 baud: the port was opened"
sed 's/^LARGE PAGE SEND SIZE=.*/LARGE PAGE SEND SIZE=0x8000/' repro.ini > big.ini
err=$("$cli" firmware send rq7310_ver101.bin --sim --yes --settings big.ini 2>&1)
echo "$err" | grep -q "LARGE PAGE SEND SIZE is over 16384 bytes" || failed "big page: '$err'"

# Without --yes the question is asked; anything but yes sends nothing.
out=$(echo n | "$cli" firmware send rq7310_ver101.bin --sim 2>&1)
[ $? -eq 1 ] || failed "a refused question fails"
echo "$out" | grep -q "opening the port" && failed "nothing is sent without confirmation"
echo "$out" | grep -q "calculator is turned on" || failed "the question is asked"

# A full update in process.
"$cli" firmware send rq7310_ver101.bin --sim --yes --flash-out flash.bin > send.txt ||
    failed "send --sim exits 0: $(tail -2 send.txt)"
expect_flash rq7310_ver101.bin expected.bin
cmp -s flash.bin expected.bin || failed "the simulator's flash holds exactly the non-blank pages"
grep -q '^finish!$' send.txt || failed "send reports finish!"
[ "$(grep -c '^page ' send.txt)" = 6 ] || failed "six pages (one more for the stored sum)"
"$cli" firmware send rq7310_ver101.bin --sim --yes --quiet > quiet.txt || failed "send --quiet"
grep -q '^page \|^sending' quiet.txt && failed "--quiet still shows the progress"
grep -q '^finish!$' quiet.txt || failed "--quiet keeps the result"
"$cli" firmware send rq7310_ver101.bin --sim --yes --settings repro.ini \
    --fault update-mode > direct.txt || failed "already in update mode"
grep -q "asking the calculator" direct.txt && failed "no version check in update mode"

# Faults: each ends with its message.
fault_ends() { # message-fragment send-args...
    local want=$1; shift
    local err
    err=$("$cli" firmware send rq7310_ver101.bin --sim --yes "$@" 2>&1 >/dev/null)
    [ $? -eq 1 ] || failed "$* fails with status 1"
    echo "$err" | grep -q "$want" || failed "$*: '$err'"
}
fault_ends "older version of the currently installed" --firmware-version 101
fault_ends "older version of the currently installed" --firmware-version 200
fault_ends "No response" --fault no-header
fault_ends "No response" --fault page-ng:3
fault_ends "No response" --fault silent-after:2
"$cli" firmware send rq7310_ver101.bin --sim --yes --fault bogus >/dev/null 2>&1
[ $? -eq 2 ] || failed "an unknown fault is a usage error"

# Over a pseudo-terminal, with the simulator following the line's speed.
"$cli" sim --link "$work/com" --line-speed --flash-out "$work/pty-flash.bin" >sim.out 2>sim.err &
pids+=($!)
for _ in $(seq 50); do [ -L "$work/com" ] && break; sleep 0.1; done
"$cli" firmware send rq7310_ver101.bin --port "$work/com" --yes > pty.txt 2>&1 ||
    failed "send --port: $(tail -2 pty.txt)"
cmp -s pty-flash.bin expected.bin || failed "over the terminal, the flash holds the same pages"
"$cli" firmware send rq7310_ver101.bin --port "$work/no-such" --yes >/dev/null 2>&1
[ $? -eq 1 ] || failed "a missing device fails"

[ $fails -eq 0 ] && echo "all firmware checks passed"
exit $((fails > 0))
