#!/usr/bin/env bash
# TRAVEX.exe under Wine: it starts with its frame, resources and calculator font, refuses to
# run twice, shows the About box, reports a missing font with message 417 and still opens, and
# exits cleanly on a close request. Screenshots of the frame and of the About box are kept in
# the work folder.
# usage: app_start.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
exe=$mingw/app/TRAVEX.exe
font=$mingw/app/WTMQV7.TTF
driver=$mingw/tests/windows/app_driver.exe
for file in "$exe" "$font" "$driver"; do
    [ -f "$file" ] || { echo "missing $file"; exit 1; }
done
rm -rf "$work"; mkdir -p "$work/app" "$work/nofont" "$work/blocked/WTMQV7_0.FOT"
cp "$exe" "$font" "$work/app/"
cp "$exe" "$work/nofont/"
cp "$exe" "$font" "$work/blocked/"

. "$here/lib/app_session.sh"
trap end_session EXIT
start_display
await_session_end
old=$(settings_file); [ -n "$old" ] && rm -f "$old"

# A normal start: frame, children, menus, string resources, installed font. The first program
# of a Wine session also brings the session up, which on a busy machine can take minutes, so
# the session is started first and the first frame is given longer.
drive count-frames >/dev/null
start_app "$work/app"
first=${app_pids[-1]}
check "frame appears" drive wait-frame 240000
exe_path=$(windows_path "$work/app/TRAVEX.exe")
check "string resources match the string table" drive strings "$exe_path"
check "version resource" drive version "$exe_path"
check "calculator font available to other programs" drive font-installed
check "calculator font maps every byte" drive font "$(windows_path "$work/app/WTMQV7.TTF")"
check "menu help in the status bar" drive menu-help
check "toolbar hover labels" drive hover
layout=$(drive layout | tr -d '\r')
[ "$layout" = "toolbar shown, client at 28" ] || { echo "FAIL: layout '$layout'"; fails=$((fails + 1)); }
ini=$(settings_file)
[ -n "$ini" ] && grep -q '^OutBuffer=30' "$ini" || { echo "FAIL: OutBuffer not written at start-up"; fails=$((fails + 1)); }
[ -f "$work/app/WTMQV7_0.FOT" ] || { echo "FAIL: no font resource file"; fails=$((fails + 1)); }
"$wine_env" run "$prefix" "$driver" hover-show >/dev/null 2>&1
sleep 1
shot app-frame.png

# A second copy finds the first, restores it from its minimised state and ends without a
# window of its own.
check "frame minimises" drive minimise 10000
"$wine_env" run "$prefix" "$work/app/TRAVEX.exe" >/dev/null 2>&1 &
second=$!
wait_exit "$second"; rc=$?
[ "$rc" -eq 0 ] || { echo "FAIL: second copy ended with $rc"; fails=$((fails + 1)); }
frames=$(drive count-frames | tr -d '\r')
[ "$frames" = 1 ] || { echo "FAIL: $frames frame windows after a second start"; fails=$((fails + 1)); }
check "second start restores the first copy" drive restored

# The Opening Tool: missing, it is reported after its time-out and the frame takes input
# again; present, it gets the frame and the settings file and answers in time.
check "Opening Tool started" drive opening-tool
check "missing Opening Tool reported" drive expect-message "The Opening Tool cannot be started." 20000
sleep 0.5
check "frame enabled after the missing Opening Tool" drive enabled
cp "$mingw/tests/windows/opening_driver.exe" "$work/app/Opening.exe"
check "Opening Tool started" drive opening-tool
for _ in $(seq 100); do [ -s "$work/app/opening-args.txt" ] && break; sleep 0.1; done
sleep 3  # past the time-out: an answered handshake shows no message
check "no message after the Opening Tool answered" drive no-message
check "frame enabled by the Opening Tool" drive enabled
args=$(cat "$work/app/opening-args.txt")
frame_hex=$(drive frame-handle | tr -d '\r')
prefix_args=$'\n'"$frame_hex,407,42,"$'\n'' "'
suffix_args='\ZELTA\TM-RZ4 for RQ-7310\TM-RZ4.INI"'
case $args in
"$prefix_args"*"$suffix_args") ;;
*) echo "FAIL: Opening Tool parameters: $(printf '%q' "$args")"; fails=$((fails + 1)) ;;
esac

# The function table: each FuncTable command refills the one window for its group.
expect "KEY PAD" "KEY PAD|164|52|0|0" drive func-open 20071
expect "PROG COM" "PROG COM|316|7|0|0" drive func-open 20078
expect "PROG COM SETUP" "PROG COM|316|7|21|0" drive func-select 33 4
expect "STAT GRAPH" "STAT GRAPH|316|8|0|0" drive func-open 20081
expect "STAT GRAPH PIE" "STAT GRAPH|316|8|2|0" drive func-select 33 5
expect "CATALOG" "CATALOG|316|27|0|0" drive func-open 20090
expect "CATALOG symbol" "CATALOG|316|27|41|0" drive func-select 33 26
sleep 0.5
shot app-functions.png
expect "STAT VAR" "STAT VAR|316|4|0|0" drive func-open 20084
expect "STAT VAR TEST" "STAT VAR|316|4|19|0" drive func-select 33 3
sleep 0.5
shot app-functions-stat.png

# The keyboard panel is open from the start (the default settings); its group keys open the
# function table, with 2ndF; View > Key Board closes and reopens it.
expect "keyboard panel" "KeyPad RQ-7310|292x430|41" drive keyboard
expect "keyboard MATH key" "MATH|316|8|0|0" drive keys 119
expect "keyboard 2ndF STAT is MATRIX" "MATRIX|316|4|0|0" drive keys 117 120
expect "keyboard 2ndF X is VARS" "VARS|468|8|0|0" drive keys 117 133
expect "keyboard ALPHA then 2ndF X is VARS" "VARS|468|8|0|0" drive keys 118 117 133
expect "keyboard ALPHA X does nothing" "VARS|468|8|0|0" drive keys 118 133
expect "keyboard ALPHA is used up by one key" "MATH|316|8|0|0" drive keys 119
sleep 0.5
shot app-keyboard.png
expect "Key Board off" "none" drive toggle-keyboard
expect "Key Board on" "KeyPad RQ-7310|292x430|41" drive toggle-keyboard

# The About box.
check "About box opens" drive open-about 20000
shot app-about.png
check "About box closes" drive close-about 20000

# Close: the frame goes and the process ends with 0.
check "frame closes" drive close 20000
wait_exit "$first"; rc=$?
[ "$rc" -eq 0 ] || { echo "FAIL: application ended with $rc"; fails=$((fails + 1)); }
if drive font-installed >/dev/null; then echo "FAIL: font still installed after exit"; fails=$((fails + 1)); fi
ini=$(settings_file)
for line in '[ZELTA TRAVEX]' ModelType=3 WndCount=30 CommPort=0 FontSize=5 ToolBar=1 KerBoard=1 \
    WndStyle=5 OutBuffer=30 DataDir=; do
    grep -q "^$(printf '%s' "$line" | sed 's/\[/\\[/')" "$ini" 2>/dev/null ||
        { echo "FAIL: settings file lacks $line"; fails=$((fails + 1)); }
done

# Without the font file: message 417, and the application still opens.
start_app "$work/nofont"
nofont=${app_pids[-1]}
check "font message" drive expect-message "Failed in the installation of font." 120000
check "frame appears without the font" drive wait-frame 120000
check "frame closes" drive close 20000
wait_exit "$nofont"; rc=$?
[ "$rc" -eq 0 ] || { echo "FAIL: application without font ended with $rc"; fails=$((fails + 1)); }

# Where the font resource file cannot be written, the font file itself is added: no message.
# This start also has the toolbar turned off in the settings.
sed -i 's/^ToolBar=.*/ToolBar=0/' "$ini"
start_app "$work/blocked"
blocked=${app_pids[-1]}
check "frame appears with the resource file blocked" drive wait-frame 120000
check "no message with the resource file blocked" drive no-message
check "font available with the resource file blocked" drive font-installed
layout=$(drive layout | tr -d '\r')
[ "$layout" = "toolbar hidden, client at 0" ] || { echo "FAIL: layout without toolbar '$layout'"; fails=$((fails + 1)); }
check "frame closes" drive close 20000
wait_exit "$blocked"; rc=$?
[ "$rc" -eq 0 ] || { echo "FAIL: application with blocked resource file ended with $rc"; fails=$((fails + 1)); }

echo "app_start: $fails failures; screenshots in $work"
exit $fails
