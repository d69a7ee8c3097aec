#!/usr/bin/env bash
# The Link menu of TRAVEX.exe under Wine, driven as a user would, against the simulated
# calculator served on a pseudo-terminal that Wine presents as COM1: a send timed against
# travex-cli.exe, Send Files, a Link command given while another holds the port, Receive Files
# with the overwrite question, Screen Capture saved and reopened, a silent calculator, and the
# wire trace of the LinkTrace key.
# Screenshots are kept in the work folder.
# usage: app_link.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/app_session.sh"
prepare_app files
files=$work/files
win() { windows_path "$files/$1"; }
reg() { "$wine_env" run "$prefix" reg "$@" >/dev/null 2>&1; }
# Without a window manager on the test display Wine waits two seconds for every managed window
# it hides; TRAVEX.exe's windows are left unmanaged here, so that Wine hides them at once.
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
    "$native" sim --link "$work/$name" "$@" >"$work/$name.out" 2>&1 &
    sim_pids[$name]=$!
    poll 10 "[ -L '$work/$name' ]" || failed "simulator $name did not start"
}
stop_sim() { [ -z "${sim_pids[$1]:-}" ] || { kill "${sim_pids[$1]}"; wait "${sim_pids[$1]}"; sim_pids[$1]=""; } 2>/dev/null; }
# The simulators go last: the Wine server dumps all its objects, for a long time, when a
# terminal it opened first hangs up under it.
cleanup() {
    reg delete 'HKLM\Software\Wine\Ports' /f; reg delete "$x11_key" /f
    [ -n "${driver_pid:-}" ] && { echo quit >&"$to_driver"; wait "$driver_pid"; }
    end_session
    for name in "${!sim_pids[@]}"; do stop_sim "$name"; done
}
trap cleanup EXIT

make_file() { # digit letter name body-size path
    { printf "%s%s" "$1" "$2"; printf "%-11s" "$3" | tr ' ' '\377'; head -c 41 /dev/zero
      head -c "$4" /dev/urandom; } >"$5"
}
make_file 6 p PROG1 700 "$files/prog1.g6p"
make_file 6 e EQ 40 "$files/eq.g6e"
make_file 4 p OLD 120 "$files/old.g4p"
make_file 6 p BIG 16384 "$files/big.g6p"
make_file 6 p LONGNAME 20000 "$files/a_long_name.g6p"
"$native" recv variable.g6v winsetup.g6w zoom.g6z -C "$files" --sim >"$work/setup.out" 2>&1 ||
    failed "setup items from the simulator: $(cat "$work/setup.out")"
ini="$prefix/drive_c/users/$(id -un)/AppData/Roaming/ZELTA/TM-RZ4 for RQ-7310/TM-RZ4.INI"
mkdir -p "$(dirname "$ini")"
# LinkTrace: every link operation of the run is traced into that file.
printf '[ZELTA TRAVEX]\r\nCommPort=1\r\nDataDir=%s\r\nTimerInterval=10\r\nOutBuffer=4096\r\nLinkTrace=%s\r\n' \
    "$(windows_path "$files")" "$(windows_path "$work/trace.txt")" >"$ini"
start_sim com1
start_sim com2 --fault silence
for port in 1 2; do reg add 'HKLM\Software\Wine\Ports' /v "COM$port" /t REG_SZ /d "$work/com$port" /f; done
reg add "$x11_key" /v Managed /t REG_SZ /d N /f
WINEPREFIX=$prefix wineserver -k 2>/dev/null; WINEPREFIX=$prefix wineserver -w 2>/dev/null
"$wine_env" run "$prefix" "$mingw/tests/windows/link_driver.exe" serve <"$work/to-driver" >"$work/from-driver" 2>&1 &
driver_pid=$!
exec {to_driver}>"$work/to-driver" {from_driver}<"$work/from-driver"
# The first terminal the Wine server opens becomes its own: that of the silent calculator,
# which lives as long as the session, and not COM1's, whose simulator is replaced.
"$wine_env" run "$prefix" cmd /c "echo.>COM2" >/dev/null 2>&1
run_app

# --- 16 KB at the fast profile: TRAVEX.exe against travex-cli.exe ------------------------------
cli() { (cd "$files" && "$wine_env" run "$prefix" "$mingw/cli/travex-cli.exe" "$@" >/dev/null 2>"$work/cli-time.txt"); }
# travex-cli.exe's operation: its run less the time it takes to start and end without the link.
t0=$(date +%s%3N); cli --help; t1=$(date +%s%3N)
cli send big.g6p --time --quiet --port COM1 --timer 10 --out-buffer 4096 --trace cli-trace.txt || failed "travex-cli.exe did not send"
cli_ms=$(($(date +%s%3N) - t1 - (t1 - t0)))
cli_tx=$(tr -d '\r' <"$work/cli-time.txt" | sed -n 's/^transfer: \([0-9]*\) ms/\1/p')
read -r app_ms app_tx < <(link time-send big.g6p | sed -n 's/^operation \([0-9]*\) ms, transfer \([0-9]*\) ms/\1 \2/p')
echo "16 KB: operation travex-cli.exe $cli_ms ms, TRAVEX.exe ${app_ms:-?} ms; transfer ${cli_tx:-?} ms, ${app_tx:-?} ms"
# The operation as a user sees it may take 10 % longer, plus one 10 ms tick for where the timers
# fall; the transfer proper alone is a dozen ticks, so it is held to 10 % plus two ticks.
if [ -z "${app_tx:-}" ] || [ -z "$cli_tx" ] || [ $((app_ms * 10)) -gt $((cli_ms * 11 + 100)) ] ||
    [ $((app_tx * 10)) -gt $((cli_tx * 11 + 200)) ]; then
    failed "the application's send is more than 10 % slower"
fi

# --- Send Files ---------------------------------------------------------------------------------
sent() { # what: the send is over and the frame is the user's again
    check "$1: dialog closes" link gone "Send Files" 60000
    check "$1: frame enabled" link frame-enabled 60000
}
link command 20021
expect "selection in small letters" "$(win prog1.g6p | tr 'A-Z' 'a-z')" link select "Send Files" PROG1.G6P
link select "Send Files" eq.g6e old.g4p a_long_name.g6p variable.g6v winsetup.g6w zoom.g6z >/dev/null
shot link-send-dialog.png
link click "Send Files" 31001
expect "send question" "When files are sent, corresponding files in the calculator are overwritten,|except for Program , Solver, and SLIDE SHOW files, which are added.|Do you still wish to send the selected files?" \
    link answer "ZELTA TRAVEX" ok 20000
sent "seven files"
# What the calculator holds, received natively from its terminal: a model-4 program as its
# model-6 twin, window setup and zoom through the merge.
mkdir -p "$work/back"
"$native" recv prog1.g6p eq.g6e old.g6p longname.g6p variable.g6v winsetup.g6w zoom.g6z -C "$work/back" \
    --port "$work/com1" >"$work/recv.out" 2>&1 || failed "not in the calculator: $(cat "$work/recv.out")"
for name in prog1.g6p eq.g6e variable.g6v winsetup.g6w zoom.g6z; do
    cmp -s "$files/$name" "$work/back/$name" || failed "$name not byte-identical"
done
cmp -s <(tail -c +2 "$files/old.g4p") <(tail -c +2 "$work/back/old.g6p") || failed "old.g4p not identical in the calculator"
# Cancel, and at once Send again while the goodbye still goes out: the second Send waits for
# the goodbye and opens its dialog. Screen Capture while that dialog holds the port is refused.
link command 20021
check "Cancel closes the dialog" link click "Send Files" 2 20021
check "Send given during the goodbye opens its dialog" link wait-dialog "Send Files" 30000
link command 20023
expect "a second operation" "Selected port is already in use." link answer "ZELTA TRAVEX" ok 20000
link click "Send Files" 2
sent "cancelled"

# --- Receive Files: Over write for the first existing file, Over write ALL for the second, and
# no question for the third -----------------------------------------------------------------
for name in prog1.g6p eq.g6e; do mv "$files/$name" "$files/$name.orig"; echo old >"$files/$name"; done
echo old >"$files/longname.g6p"
link command 20022
link select "Receive Files" prog1.g6p longname.g6p eq.g6e >/dev/null
shot link-receive-dialog.png
link click "Receive Files" 1
expect "existing file asks" "$(win prog1.g6p)" link question 3 30000
expect "Over write ALL" "$(win longname.g6p)" link question 1 30000
check "no question after Over write ALL" link gone "Receive Files" 60000
check "frame enabled after receiving" link frame-enabled 60000
for name in prog1.g6p eq.g6e; do cmp -s "$files/$name" "$files/$name.orig" || failed "received $name differs"; done
cmp -s "$files/longname.g6p" "$files/a_long_name.g6p" || failed "received longname.g6p differs"

# --- Screen Capture: the saved capture reopens with the same picture --------------------------
link command 20023
expect "capture" "Screen image1" link wait-screens 1 60000
check "frame enabled after capture" link frame-enabled 30000
shot link-capture.png
check "save the capture" edit save-as "$(win shot1)"
check "open the bitmap" edit open "$(win shot1.bmp)"
check "bitmap window" link wait-screens 2 20000 >/dev/null
check "save it again" edit save-as "$(win shot2)"
cmp -s "$files/shot1.bmp" "$files/shot2.bmp" || failed "a saved capture does not reopen with the same picture"

# --- no calculator: Send ends at the calculator's silence, before its dialog ---------------------
start_sim com1 --fault silence
link command 20021
expect "no calculator" "No response.|Make sure that the cable is correctly connected and that the calculator is turned on." \
    link answer "ZELTA TRAVEX" ok 120000
check "frame enabled after the failure" link frame-enabled 60000
close_app
grep -q ' : open 1 ok' "$work/trace.txt" && grep -q ' > 31 31 .* | step ' "$work/trace.txt" ||
    failed "no wire trace in $work/trace.txt"
exit $fails
