#!/usr/bin/env bash
# The Link menu of TRAVEX.exe under Wine, driven as a user would, against the simulated
# calculator served on a pseudo-terminal that Wine presents as COM1: Send Files with its checks
# and questions, Receive Files with the overwrite question, Screen Capture with its image
# windows, pictures and bitmaps from File > Open, injected faults that end an operation with its
# message, Communication Port and Auto Setting over the serial device map. Screenshots are kept
# in the work folder.
# usage: app_link.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
for file in "$mingw/app/TRAVEX.exe" "$mingw/app/WTMQV7.TTF" "$mingw/tests/windows/link_driver.exe"; do
    [ -f "$file" ] || { echo "missing $file"; exit 1; }
done
rm -rf "$work"; mkdir -p "$work/app" "$work/files"
cp "$mingw/app/TRAVEX.exe" "$mingw/app/WTMQV7.TTF" "$work/app/"
files=$work/files
. "$here/lib/app_session.sh"
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
win() { windows_path "$files/$1"; }
snap() { sleep 0.3; shot "$1"; }
reg() { "$wine_env" run "$prefix" reg "$@" >/dev/null 2>&1; }
# Without a window manager on the test display Wine waits two seconds for every managed window
# it hides; TRAVEX.exe's windows are left unmanaged for this test, so that Wine draws their frames
# itself and hides them at once.
x11_key='HKCU\Software\Wine\AppDefaults\TRAVEX.exe\X11 Driver'

# One driver process answers every command of the test (see link_driver.cpp).
mkfifo "$work/to-driver" "$work/from-driver"
link() {
    printf '%s\t' "$@" >&"$to_driver"; echo >&"$to_driver"
    local line
    while IFS= read -r line <&"$from_driver"; do
        line=${line%$'\r'}
        [[ $line == "::rc "* ]] && return "${line#::rc }"
        printf '%s\n' "$line"
    done
    return 1
}

# --- the simulated calculators ------------------------------------------------------------------
declare -A sim_pids=()
# A simulator is replaced only once no other process holds its terminal: the application's
# goodbye on it must not meet a new simulator.
start_sim() { # name args...: the simulated calculator on the terminal $work/<name>
    local name=$1 terminal; shift
    terminal=$(readlink "$work/$name" 2>/dev/null) && for _ in $(seq 150); do
        find /proc/[0-9]*/fd -maxdepth 1 -lname "$terminal" 2>/dev/null | cut -d/ -f3 | sort -u |
            grep -vqx "${sim_pids[$name]:-none}" || break
        sleep 0.1
    done
    stop_sim "$name"; rm -f "$work/$name"
    "$native" sim --link "$work/$name" "$@" >"$work/$name.out" 2>"$work/$name.err" &
    sim_pids[$name]=$!
    for _ in $(seq 100); do [ -L "$work/$name" ] && return 0; sleep 0.1; done
    fail "simulator $name did not start: $(cat "$work/$name.err")"
}
stop_sim() { [ -z "${sim_pids[$1]:-}" ] || { kill "${sim_pids[$1]}"; wait "${sim_pids[$1]}"; sim_pids[$1]=""; } 2>/dev/null; }
# What the calculator on COM1 holds, received natively from its terminal, against the files.
calc_holds() { # file...
    rm -rf "$work/back"; mkdir -p "$work/back"
    "$native" recv "$@" -C "$work/back" --port "$work/com1" >"$work/recv.out" 2>&1 || fail "not in the calculator: $(cat "$work/recv.out")"
    for name in "$@"; do [ ! -f "$files/$name" ] || cmp -s "$files/$name" "$work/back/$name" || fail "$name not byte-identical"; done
}
# The simulators go last: the Wine server dumps all its objects, for a long time, when a
# terminal it opened first hangs up under it.
cleanup() {
    reg delete 'HKLM\Software\Wine\Ports' /f; reg delete "$x11_key" /f
    [ -n "${driver_pid:-}" ] && { echo quit >&"$to_driver"; wait "$driver_pid"; }
    end_session
    for name in "${!sim_pids[@]}"; do stop_sim "$name"; done
}
trap cleanup EXIT
start_display
await_session_end

# --- calculator files, settings, COM ports ------------------------------------------------------
make_file() { # digit letter name body-size path
    { printf "%s%s" "$1" "$2"; printf "%-11s" "$3" | tr ' ' '\377'; head -c 41 /dev/zero
      head -c "$4" /dev/urandom; } >"$5"
}
make_file 6 p PROG1 700 "$files/prog1.g6p"
make_file 6 e EQ 40 "$files/eq.g6e"
make_file 4 p OLD 120 "$files/old.g4p"
printf 'not a calculator file' >"$files/notes.g6x"
make_file 6 p BIG 16384 "$files/big.g6p"
make_file 6 p LONGNAME 200000 "$files/a_very_long_file_name_that_the_progress_window_cannot_show.g6p"
"$native" recv backup.g6b variable.g6v tblsetup.g6t winsetup.g6w zoom.g6z -C "$files" --sim \
    >"$work/setup.out" 2>&1 || fail "setup items from the simulator: $(cat "$work/setup.out")"
ini=$(settings_file)
[ -n "$ini" ] || ini="$prefix/drive_c/users/$(id -un)/AppData/Roaming/ZELTA/TM-RZ4 for RQ-7310/TM-RZ4.INI"
mkdir -p "$(dirname "$ini")"
# The LinkTrace key has every link operation of the run traced into a file.
printf '[ZELTA TRAVEX]\r\nCommPort=1\r\nDataDir=%s\r\nTimerInterval=10\r\nOutBuffer=4096\r\nLinkTrace=%s\r\n' \
    "$(windows_path "$files")" "$(windows_path "$work/trace.txt")" >"$ini"
start_sim com1
start_sim com2 --fault silence
echo "Wine's own serial device map: $("$wine_env" run "$prefix" reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>&1 | tr -d '\r' | grep REG_SZ | tr -s ' ' | tr '\n' ';')"
# COM3 leads to the simulator too, so that an auto setting meets the silent COM2 first.
for port in 1:com1 2:com2 3:com1; do reg add 'HKLM\Software\Wine\Ports' /v "COM${port%%:*}" /t REG_SZ /d "$work/${port#*:}" /f; done
reg add "$x11_key" /v Managed /t REG_SZ /d N /f
WINEPREFIX=$prefix wineserver -k 2>/dev/null; WINEPREFIX=$prefix wineserver -w 2>/dev/null
"$wine_env" run "$prefix" "$mingw/tests/windows/link_driver.exe" serve <"$work/to-driver" >"$work/from-driver" 2>&1 &
driver_pid=$!
exec {to_driver}>"$work/to-driver" {from_driver}<"$work/from-driver"
# The first terminal the Wine server opens becomes its own, and its hang-up would have the
# server dump all its objects: that is the terminal of the silent calculator, which lives as
# long as the session, and not COM1's, whose simulator is replaced for each fault.
"$wine_env" run "$prefix" cmd /c "echo.>COM2" >/dev/null 2>&1
set_serialcomm() { # COMn...: the serial device map the port dialog reads
    # Wine keeps the map as a volatile key that it fills itself when its session starts, and a
    # volatile key cannot be made again from outside: its values are replaced, the key stays.
    local key='HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' i=0
    reg delete "$key" /va /f
    for port in "$@"; do reg add "$key" /v "\\Device\\Serial$((i++))" /t REG_SZ /d "$port" /f || fail "$port not in the serial device map"; done
}
run_app() { start_app "$work/app"; check "frame appears" drive wait-frame 240000; }
close_app() {
    local pid=${app_pids[-1]}
    link command 20009
    while link answer "ZELTA TRAVEX" no 2000 >/dev/null; do :; done
    wait_exit "$pid" || { fail "application did not end"; kill "$pid" 2>/dev/null; }
}
run_app

# --- 16 KB at the fast profile: TRAVEX.exe against travex-cli.exe ------------------------------
cli() { (cd "$files" && "$wine_env" run "$prefix" "$mingw/cli/travex-cli.exe" "$@" >/dev/null 2>"$work/cli-time.txt"); }
# travex-cli.exe's operation: its run less the time it takes to start and end without the link.
t0=$(date +%s%3N); cli --help; t1=$(date +%s%3N)
cli send big.g6p --time --quiet --port COM1 --timer 10 --out-buffer 4096 --trace cli-trace.txt || fail "travex-cli.exe did not send"
cli_ms=$(($(date +%s%3N) - t1 - (t1 - t0)))
cli_tx=$(tr -d '\r' <"$work/cli-time.txt" | sed -n 's/^transfer: \([0-9]*\) ms/\1/p')
read -r app_ms app_tx < <(link time-send big.g6p | sed -n 's/^operation \([0-9]*\) ms, transfer \([0-9]*\) ms/\1 \2/p')
echo "16 KB at TimerInterval 10, OutBuffer 4096: operation travex-cli.exe $cli_ms ms, TRAVEX.exe ${app_ms:-?} ms; transfer proper ${cli_tx:-?} ms, ${app_tx:-?} ms"
# The operation as a user sees it (the measure that counts) may take 10 % longer, plus one 10 ms
# tick for where the timers happen to fall; the transfer proper alone is a dozen ticks, so it
# is held to 10 % plus two ticks.
if [ -z "${app_tx:-}" ] || [ -z "$cli_tx" ] || [ $((app_ms * 10)) -gt $((cli_ms * 11 + 100)) ] ||
    [ $((app_tx * 10)) -gt $((cli_tx * 11 + 200)) ]; then
    fail "the application's send is more than 10 % slower"
fi

# --- Send Files ---------------------------------------------------------------------------------
send_dialog() { link command 20021; check "Send Files dialog opens" link wait-dialog "Send Files" 60000; }
sent() { # what: the send is over and the frame is the user's again
    check "$1: dialog closes" link gone "Send Files" 60000
    check "$1: frame enabled" link frame-enabled 60000
}
send_files() { # file...: chosen and confirmed in a fresh Send Files dialog
    send_dialog
    link select "Send Files" "$@" >/dev/null
    link click "Send Files" 31001
    link answer "ZELTA TRAVEX" ok 20000 >/dev/null
}
send_dialog
# Empty selection + OK does nothing; Remove without a highlighted line changes nothing.
link click "Send Files" 31001
link click "Send Files" 31003
expect "selection in small letters" "$(win prog1.g6p | tr 'A-Z' 'a-z')" link select "Send Files" PROG1.G6P
link select "Send Files" eq.g6e old.g4p >/dev/null
snap link-send-dialog.png
link click "Send Files" 31001
expect "send question" "When files are sent, corresponding files in the calculator are overwritten,|except for Program , Solver, and SLIDE SHOW files, which are added.|Do you still wish to send the selected files?" \
    link answer "ZELTA TRAVEX" ok 20000
sent "three files"
calc_holds prog1.g6p eq.g6e old.g6p
cmp -s <(tail -c +2 "$files/old.g4p") <(tail -c +2 "$work/back/old.g6p") || fail "old.g4p not identical in the calculator"
# Cancel, and at once Send again while the goodbye still goes out: the second Send waits for
# the goodbye and opens its dialog.
send_dialog
link click "Send Files" 2 20021
check "Send given during the goodbye opens its dialog" link wait-dialog "Send Files" 30000
# Screen Capture given while the dialog holds the link: the port is in use.
link command 20023
expect "a second operation" "Selected port is already in use." link answer "ZELTA TRAVEX" ok 20000
# A backup with another file gives message 22; type letter x is not sendable.
link select "Send Files" backup.g6b prog1.g6p >/dev/null
link click "Send Files" 31001
expect "backup with another file" "Backup file and Data file can't be sent at the same time." link answer "ZELTA TRAVEX" ok 20000
link click "Send Files" 31004
link select "Send Files" notes.g6x >/dev/null
link click "Send Files" 31001
expect "type letter x not sendable" "This is not a transmittable file extension.|$(win notes.g6x | tr 'A-Z' 'a-z')" link answer "ZELTA TRAVEX" ok 20000
snap link-send-refused.png
link click "Send Files" 31004
# The setup items reach the calculator as they are, window setup and zoom through the merge.
link select "Send Files" variable.g6v tblsetup.g6t winsetup.g6w zoom.g6z >/dev/null
link click "Send Files" 31001
link answer "ZELTA TRAVEX" ok 20000 >/dev/null
sent "setup items"
calc_holds variable.g6v tblsetup.g6t winsetup.g6w zoom.g6z
# A long name in the progress window ends in "..."; the progress window mid-transfer.
send_files a_very_long_file_name_that_the_progress_window_cannot_show.g6p
progress=$(link progress 20000)
snap link-progress.png
[[ $progress == "Sending ..."*... ]] || fail "progress window '$progress'"
sent "long send"

# --- Receive Files ------------------------------------------------------------------------------
link command 20022
expect "category 9 (programs)" "$(printf 'big.g6p\nlongname.g6p\nold.g6p\nprog1.g6p')" link category 9
items=$(link category 0)
for want in backup.g6b prog1.g6p eq.g6e big.g6p longname.g6p winsetup.g6w zoom.g6z; do
    grep -qx "$want" <<<"$items" || fail "$want not among the calculator's items"
done
snap link-receive-dialog.png
link click "Receive Files" 1
check "empty selection keeps the dialog" link wait-dialog "Receive Files" 1000
# Existing files: Over write for the first, Over write ALL for the second, and no question for
# the third.
cp "$files/prog1.g6p" "$files/prog1.orig"; cp "$files/eq.g6e" "$files/eq.orig"; echo old >"$files/longname.g6p"
link select "Receive Files" prog1.g6p longname.g6p eq.g6e >/dev/null
link click "Receive Files" 1
expect "existing file asks" "$(win prog1.g6p)" link question 3 30000
expect "Over write ALL" "$(win longname.g6p)" link question 1 30000
check "no question after Over write ALL" link gone "Receive Files" 60000
check "frame enabled after receiving" link frame-enabled 60000
cmp -s "$files/prog1.g6p" "$files/prog1.orig" || fail "received prog1.g6p differs"
cmp -s "$files/eq.g6e" "$files/eq.orig" || fail "received eq.g6e differs"
cmp -s "$files/longname.g6p" "$files/a_very_long_file_name_that_the_progress_window_cannot_show.g6p" || fail "received longname.g6p differs"

# --- Screen Capture -----------------------------------------------------------------------------
for n in 1 2 3; do
    link command 20023
    check "capture $n" link wait-screens $n 60000 >/dev/null
    check "frame enabled after capture $n" link frame-enabled 30000
done
link wait-screens 3 | grep -x "Screen image3" >/dev/null || fail "no third capture Screen image3"
snap link-capture-100.png
link zoom 7
snap link-capture-200.png
expect "copy is a packed bitmap" 1368 link copy
expect "save offers only bitmaps" "Bitmap File(*.bmp)" link save-as "$(win shot1)" 30000
link wait-screens 3 | grep -ixF "$(win shot1.bmp)" >/dev/null || fail "saved capture title"
# A saved capture closes without a question; an unsaved one asks, and No discards it.
link close-active
check "saved capture closes" link wait-screens 2 10000 >/dev/null
link close-active
expect "close question" "Save to Screen image2 ?" link answer "ZELTA TRAVEX" no 20000
check "No discards" link wait-screens 1 10000 >/dev/null
link close-active
link answer "ZELTA TRAVEX" no 20000 >/dev/null
# Pictures and bitmaps from File > Open: the saved capture reopens with the same picture.
edit open "$(win shot1.bmp)" >/dev/null
check "bitmap opens" link wait-screens 1 20000 >/dev/null
link save-as "$(win shot2)" 30000 >/dev/null
cmp -s "$files/shot1.bmp" "$files/shot2.bmp" || fail "a saved capture does not reopen with the same picture"
link close-active
check "a window opened from a file closes without a question" link wait-screens 0 10000
refused() { # what message file
    edit open "$(win "$3")" >/dev/null &
    expect "$1" "$2" link answer "ZELTA TRAVEX" ok 20000
    wait $!
}
python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[18:22] = (133).to_bytes(4, "little"); open(sys.argv[2], "wb").write(d)' \
    "$files/shot1.bmp" "$files/wide.bmp"
refused "133-pixel bitmap" "There is no bit-map data to display." wide.bmp
{ printf '6i\x10\x0d%9s' ''; head -c 1060 /dev/zero; } >"$files/pic.g6i"
for size in 1072 1074; do
    head -c "$size" <(cat "$files/pic.g6i" /dev/zero) >"$files/pic$size.g6i"
    refused "$size-byte picture" "The specified file contains no data." "pic$size.g6i"
done

# --- Faults -------------------------------------------------------------------------------------
# The hello and the directory take the calculator's first 13 replies; reply 15 answers the
# file's name and length.
for fault in "cancel82:15 Communication has failed." "memfull Calculator memory over." \
    "silence:15 No response.|Make sure that the cable is correctly connected and that the calculator is turned on."; do
    start_sim com1 --fault "${fault%% *}"
    send_files prog1.g6p
    expect "fault ${fault%% *}" "${fault#* }" link answer "ZELTA TRAVEX" ok 120000
    sent "fault ${fault%% *}"
done
start_sim com1 --fault checksum:15
send_files prog1.g6p
sent "one bad checksum is repeated and the send ends well"
# Cancel in the progress window stops the transfer without a message.
send_files a_very_long_file_name_that_the_progress_window_cannot_show.g6p
check "cancel in the progress window" link progress 20000 cancel
sent "cancelled send"
# A port that disappears in the middle of a send ends with the port error. The calculator
# falls silent part-way, so that the line goes while the send still waits on it.
start_sim com1 --fault silence:15
send_files big.g6p
check "progress window of the send that loses its port" link progress 20000 >/dev/null
stop_sim com1
expect "port gone" "Port error has occurred." link answer "ZELTA TRAVEX" ok 60000
sent "port gone"
start_sim com1
link command 20023
check "capture after the faults" link wait-screens 1 60000 >/dev/null
link close-active; link answer "ZELTA TRAVEX" no 20000 >/dev/null

# --- Communication Port and Auto Setting --------------------------------------------------------
auto_setting() { # COMn...: Auto Setting over these ports
    set_serialcomm "$@"
    link command 40098
    link click "Communication Port" 1014
    link answer "ZELTA TRAVEX" ok 20000 >/dev/null
}
set_serialcomm COM2 COM1 COM150
link command 40098
expect "port list" "$(printf 'selected COM1\nCOM1\nCOM2\nok on')" link ports
snap link-port-dialog.png
link click "Communication Port" 2
check "port dialog closes" link gone "Communication Port" 20000
# Auto Setting over a silent port and the simulator's finds the simulator's and stores it.
auto_setting COM3 COM2
expect "progress step over two ports" "step 142" link step 20000
snap link-auto-setting.png
check "auto setting finds the calculator" link gone "Communication Port" 120000
grep -q '^CommPort=3' "$ini" || fail "found port not stored: $(grep CommPort "$ini")"
# Over the silent port alone: message 4, and the old port stays.
auto_setting COM2
expect "one port: step 285" "step 285" link step 20000
expect "no port answers" "No response.|Make sure that the cable is correctly connected and that the calculator is turned on." \
    link answer "ZELTA TRAVEX" ok 120000
link click "Communication Port" 2
check "port dialog closes" link gone "Communication Port" 20000
grep -q '^CommPort=3' "$ini" || fail "old port not kept"
# The trace shows the probes: the opening of each port, and the calculator's hello answered.
grep -q ' : open 2 ' "$work/trace.txt" && grep -q ' : open 3 ok' "$work/trace.txt" &&
    grep -q ' < 37 35 ' "$work/trace.txt" || fail "no wire trace of the probes in $work/trace.txt"
close_app
echo "app_link: $fails failures; screenshots in $work"
exit $fails
