#!/usr/bin/env bash
# travex-cli firmware check and send: the image checks, a full update against the in-process
# simulated calculator and one over a pseudo-terminal (flash compared byte for byte), its progress
# and --json report, settings refused before the port opens, and Ctrl+C before and after the
# calculator is in update mode (the second press ending at once, for every link command).
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
# The name rules themselves are the unit tests' business; here the message and the status.
cp rq7310_ver101.bin RQ7310_ver101.bin
err=$("$cli" firmware check RQ7310_ver101.bin 2>&1)
[ $? -eq 1 ] || failed "a bad name is refused with status 1"
[ "$err" = "travex-cli: RQ7310_ver101.bin: Not a valid Binary File." ] || failed "name: '$err'"
make_image rq7310_ver102.bin 0 --bad-sum
err=$("$cli" firmware check rq7310_ver102.bin 2>&1)
[ "$err" = "travex-cli: rq7310_ver102.bin: Check sum error!" ] || failed "bad sum: '$err'"
make_image rq7310_ver103.bin 0 --length 0xFFFFF
err=$("$cli" firmware check rq7310_ver103.bin 2>&1)
[ "$err" = "travex-cli: rq7310_ver103.bin: Not a valid Binary File." ] || failed "short: '$err'"
err=$("$cli" firmware check rq7310_ver104.bin 2>&1)
[ "$err" = "travex-cli: rq7310_ver104.bin: Can't open file !" ] || failed "missing: '$err'"

# The settings file: created whole when missing, an empty layout value refused.
"$cli" firmware check rq7310_ver101.bin --settings repro.ini >/dev/null || failed "check --settings"
grep -q '^SMALL PAGE SEND SIZE=0x2000' repro.ini || failed "repro.ini created with defaults"
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

# A full update in process: the report on standard output, a line per stage and page on
# standard error (a pipe), none with --quiet; --json is one document, also for a failure.
"$cli" firmware send rq7310_ver101.bin --sim --yes --flash-out flash.bin >send.txt 2>send.err ||
    failed "send --sim exits 0: $(tail -2 send.err)"
expect_flash rq7310_ver101.bin expected.bin
cmp -s flash.bin expected.bin || failed "the simulator's flash holds exactly the non-blank pages"
grep -q '^finish!$' send.txt || failed "send reports finish!"
[ "$(grep -Ec '^page [1-6]/6 at 0x[0-9A-F]{6}  100%  (16|8)\.0 KB in ' send.err)" = 6 ] ||
    failed "six page lines (one more for the stored sum): $(cat send.err)"
"$cli" firmware send rq7310_ver101.bin --sim --yes --quiet >quiet.txt 2>quiet.err ||
    failed "send --quiet"
[ -s quiet.err ] && failed "--quiet still shows the progress: $(cat quiet.err)"
grep -q '^finish!$' quiet.txt || failed "--quiet keeps the result"
"$cli" firmware send rq7310_ver101.bin --sim --yes --json >ok.json 2>/dev/null
"$cli" firmware send rq7310_ver101.bin --sim --yes --json --fault page-ng:3 >ng.json 2>/dev/null
[ $? -eq 1 ] || failed "--json: a failed update exits 1"
python3 -c "import json; a = json.load(open('ok.json')); b = json.load(open('ng.json'))
assert (a['ok'], a['result'], a['pages_written'], a['error']) == (True, 'finished', 6, None), a
assert (b['ok'], b['result'], b['pages_written']) == (False, 'no_response', 2), b
assert 'No response' in b['error']['message'] and not b['error']['cancelled'], b" ||
    failed "firmware send --json"
"$cli" firmware send rq7310_ver101.bin --sim --yes --settings repro.ini \
    --fault update-mode > direct.txt 2>&1 || failed "already in update mode"
grep -q "asking the calculator" direct.txt && failed "no version check in update mode"

err=$("$cli" firmware send rq7310_ver101.bin --sim --yes --firmware-version 101 2>&1 >/dev/null)
[ $? -eq 1 ] || failed "an image that is not newer fails"
echo "$err" | grep -q "older version of the currently installed" || failed "not newer: '$err'"
"$cli" firmware send rq7310_ver101.bin --sim --yes --fault bogus >/dev/null 2>&1
[ $? -eq 2 ] || failed "an unknown fault is a usage error"

# Over a pseudo-terminal, with the simulator following the line's speed.
"$cli" sim --link "$work/com" --line-speed --flash-out "$work/pty-flash.bin" >sim.out 2>sim.err &
pids+=($!)
"$cli" sim --link "$work/upd" --line-speed --fault update-mode >upd.out 2>upd.err &
pids+=($!)
for _ in $(seq 50); do [ -L "$work/com" ] && [ -L "$work/upd" ] && break; sleep 0.1; done

# Ctrl+C while the calculator is still in its normal mode ends the update there (status 130);
# the full update below then finds the calculator and the port as they were.
python3 - "$cli" <<'PY' || failed "Ctrl+C before update mode"
import signal, subprocess, sys, time
p = subprocess.Popen([sys.argv[1], "firmware", "send", "rq7310_ver101.bin", "--port", "com",
                      "--yes"], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
assert p.stderr.readline().startswith("opening"), "no progress"
p.send_signal(signal.SIGINT)
rc = p.wait(timeout=10)
err = p.stderr.read()
assert rc == 130 and "stays in its normal mode" in err, (rc, err)
PY

# Once the calculator waits in update mode the first Ctrl+C only says why the update goes on
# and what a second one does; the second ends at once. On a terminal the page line updates.
make_image rq7310_ver105.bin $(seq 0 29)
python3 - "$cli" <<'PY' || failed "Ctrl+C in update mode"
import os, pty, signal, subprocess, sys, time
master, slave = pty.openpty()
p = subprocess.Popen([sys.argv[1], "firmware", "send", "rq7310_ver105.bin", "--port", "upd",
                      "--yes"], stdout=subprocess.DEVNULL, stderr=slave)
os.close(slave)
seen = ""
def read_until(text, seconds):
    global seen
    end = time.time() + seconds
    while text not in seen and time.time() < end:
        seen += os.read(master, 4096).decode()
    assert text in seen, "no %r in %r" % (text, seen[-300:])
read_until("\rpage 1/31 at 0xF00000  ", 10)
read_until("%", 5)
p.send_signal(signal.SIGINT)
read_until("cannot be stopped safely now", 3)
time.sleep(0.5)
assert p.poll() is None, "the first Ctrl+C ended the update"
p.send_signal(signal.SIGINT)
assert p.wait(timeout=2) == 130
PY
"$cli" firmware send rq7310_ver101.bin --port "$work/com" --yes > pty.txt 2>&1 ||
    failed "send --port: $(tail -2 pty.txt)"
cmp -s pty-flash.bin expected.bin || failed "over the terminal, the flash holds the same pages"
"$cli" firmware send rq7310_ver101.bin --port "$work/no-such" --yes >/dev/null 2>&1
[ $? -eq 1 ] || failed "a missing device fails"

[ $fails -eq 0 ] && echo "all firmware checks passed"
exit $((fails > 0))
