#!/usr/bin/env bash
# firmware check and send: image checks, settings refused before the port opens, full updates in
# process and over a terminal (flash byte for byte), --json, Ctrl+C twice in update mode.
source "$(dirname "$0")/lib/common.sh"
make_image() { python3 "$lib/../make_firmware_image.py" "$@"; }
make_image rq7310_ver101.bin 0 1 5 59 60
make_image rq7310_ver102.bin 0 --bad-sum
make_image rq7310_ver103.bin 0 --length 0xFFFFF
make_image --expect-flash rq7310_ver101.bin expected.bin
cp rq7310_ver101.bin RQ7310_ver101.bin
expect 0 "check" "$cli" firmware check rq7310_ver101.bin && said "rq7310_ver101.bin: version 101 ok" check
for c in "RQ7310_ver101.bin:Not a valid Binary File." "rq7310_ver102.bin:Check sum error!" \
    "rq7310_ver103.bin:Not a valid Binary File." "rq7310_ver104.bin:Can't open file !"; do
    expect 1 "check ${c%%:*}" "$cli" firmware check "${c%%:*}" && said "travex-cli: ${c%%:*}: ${c#*:}" "${c%%:*}"
done

expect 0 "check --settings" "$cli" firmware check rq7310_ver101.bin --settings repro.ini
grep -q '^SMALL PAGE SEND SIZE=0x2000' repro.ini || fail "repro.ini created with defaults"
sed 's/^DATA BAUD RATE=.*/DATA BAUD RATE=9600/' repro.ini >slow.ini
expect 1 "9600 baud" "$cli" firmware send rq7310_ver101.bin --sim --yes --settings slow.ini
said "Do not support this baud rate !" "9600 baud"
grep -q "opening the port" last.err && fail "9600 baud: the port was opened"
echo n | "$cli" firmware send rq7310_ver101.bin --sim >last.out 2>last.err && fail "a refused question"
grep -q "opening the port" last.err && fail "sent without confirmation"

expect 0 "send --sim" "$cli" firmware send rq7310_ver101.bin --sim --yes --flash-out flash.bin
same flash.bin expected.bin "the simulator's flash"
grep -qx 'finish!' last.out || fail "send reports finish!"
[ "$(grep -Ec '^page [1-6]/6 at 0x[0-9A-F]{6}  100%' last.err)" = 6 ] || fail "page lines: $(cat last.err)"
expect 1 "--json of a failed update" "$cli" firmware send rq7310_ver101.bin --sim --yes --json --fault page-ng:3
python3 -c "import json; b = json.load(open('last.out'))
assert (b['ok'], b['result'], b['pages_written']) == (False, 'no_response', 2), b
assert 'No response' in b['error']['message'] and not b['error']['cancelled'], b" || fail "--json"
expect 1 "not newer" "$cli" firmware send rq7310_ver101.bin --sim --yes --firmware-version 101
said "older version of the currently installed" "not newer"

start_sim com --line-speed --flash-out "$work/pty-flash.bin" || finish
start_sim upd --line-speed --fault update-mode || finish
make_image rq7310_ver105.bin $(seq 0 29)
python3 - "$cli" <<'PY' || fail "Ctrl+C in update mode"
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
expect 0 "send --port" "$cli" firmware send rq7310_ver101.bin --port "$work/com" --yes
same pty-flash.bin expected.bin "the flash over the terminal"
finish
