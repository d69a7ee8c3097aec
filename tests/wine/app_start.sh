#!/usr/bin/env bash
# TRAVEX.exe under Wine: it starts with its frame, resources and calculator font, refuses to run
# twice, starts the Opening Tool, fills the function table from menus and keyboard keys, shows the
# About box, reports a missing font with message 417 and still opens, and exits cleanly on a close
# request. What it draws is kept as screenshots in the work folder, cropped to the toolbar's hover
# label after each sweep of the pointer, the keyboard panel, function-table rows with underscores
# and descenders, and the About box (tests/wine/screens holds the ones from before the drawing was
# mended, to compare with).
# usage: app_start.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/app_session.sh"
prepare_app nofont blocked/WTMQV7_0.FOT
cp "$mingw/app/TRAVEX.exe" "$work/nofont/"
cp "$mingw/app/TRAVEX.exe" "$mingw/app/WTMQV7.TTF" "$work/blocked/"
# crop NAME WHAT: the screen rectangle of WHAT (see app_driver rect) as NAME.png.
crop() {
    local geometry; geometry=$(drive rect "$2" | tr -d '\r' | tail -1)
    [ "$2" != toolbar ] || geometry=$(echo "$geometry" | sed 's/^[0-9]*x28/400x28/')
    [ "$2" != editor ] || geometry=$(echo "$geometry" | sed 's/x[0-9]*+/x22+/')
    /usr/bin/import -window root -crop "$geometry" +repage "$work/$1.png" 2>/dev/null ||
        failed "no screenshot $1 at '$geometry'"
}

# A normal start: frame, children, string and version resources, installed font, menu help.
run_app
first=${app_pids[-1]}
exe_path=$(windows_path "$work/app/TRAVEX.exe")
check "string resources match the string table" drive strings "$exe_path"
check "version resource" drive version "$exe_path"
check "calculator font available to other programs" drive font-installed
check "calculator font maps every byte" drive font "$(windows_path "$work/app/WTMQV7.TTF")"
check "menu help in the status bar" drive menu-help
expect "layout" "toolbar shown, client at 28" drive layout
grep -q '^OutBuffer=30' "$(settings_file)" || failed "OutBuffer not written at start-up"
[ -f "$work/app/WTMQV7_0.FOT" ] || failed "no font resource file"
shot app-frame.png

# The hover label swept over by the pointer from the left and from the right: each stop shows
# exactly its button's name.
check "label over Screen Capture" drive sweep 200 235 "Screen Capture" 6
crop toolbar-screen-capture toolbar
check "label over Receive" drive sweep 235 270 "Receive" 4
crop toolbar-receive toolbar
check "label over Send" drive sweep 270 300 "Send" 4
crop toolbar-send toolbar
check "label over Receive from the right" drive sweep 300 270 "Receive" 4
crop toolbar-receive-from-right toolbar

# The start-up editor's caption buttons are Marlett glyphs, not their codes "0 1 r" as letters.
check "caption buttons drawn as glyphs" drive caption
crop editor-caption editor

# A second copy finds the first, restores it from its minimised state and ends without a
# window of its own.
check "frame minimises" drive minimise 10000
"$wine_env" run "$prefix" "$work/app/TRAVEX.exe" >/dev/null 2>&1 &
wait_exit $! || failed "second copy ended with $?"
expect "one frame after a second start" 1 drive count-frames
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
case $args in
$'\n'"$frame_hex,407,42,"$'\n'' "'*'\ZELTA\TM-RZ4 for RQ-7310\TM-RZ4.INI"') ;;
*) failed "Opening Tool parameters: $(printf '%q' "$args")" ;;
esac

# The keyboard panel as it comes up at start-up; its group keys open the function table, with
# 2ndF; ALPHA is used up by one key; View > Key Board closes and reopens it.
expect "keyboard panel" "KeyPad RQ-7310|292x430|41" drive keyboard
crop keyboard keyboard
expect "keyboard MATH key" "MATH|316|8|0|0" drive keys 119
expect "keyboard 2ndF STAT is MATRIX" "MATRIX|316|4|0|0" drive keys 117 120
expect "keyboard ALPHA then 2ndF X is VARS" "VARS|468|8|0|0" drive keys 118 117 133
expect "keyboard ALPHA X does nothing" "VARS|468|8|0|0" drive keys 118 133
expect "keyboard ALPHA is used up by one key" "MATH|316|8|0|0" drive keys 119
expect "Key Board off" "none" drive toggle-keyboard
expect "Key Board on" "KeyPad RQ-7310|292x430|41" drive toggle-keyboard

# The function table: each FuncTable command refills the one window for its group; rows "log"
# in KEY PAD, "L_DATA" among LIST's headings and "Zm_Auto" in ZOOM show whole.
expect "KEY PAD" "KEY PAD|164|52|0|0" drive func-open 20071
drive func-select 33 6 >/dev/null && crop functions-keypad functions
expect "PROG COM" "PROG COM|316|7|0|0" drive func-open 20078
expect "PROG COM SETUP" "PROG COM|316|7|21|0" drive func-select 33 4
expect "CATALOG" "CATALOG|316|27|0|0" drive func-open 20090
expect "CATALOG's last heading" "CATALOG|316|27|41|0" drive func-select 33 26
drive func-open 20075 >/dev/null && drive func-select 33 2 >/dev/null && crop functions-list functions
drive func-open 20087 >/dev/null && drive func-select 33 0 >/dev/null && crop functions-zoom functions

check "About box opens" drive about 20000
crop about about
check "About box closes" drive about-close

# Close: the frame goes, the process ends with 0, the font is gone and the settings written.
check "frame closes" drive close 20000
wait_exit "$first" || failed "application ended with $?"
drive font-installed >/dev/null && failed "font still installed after exit"
ini=$(settings_file)
for line in '\[ZELTA TRAVEX]' ModelType=3 WndCount=30 CommPort=0 FontSize=5 ToolBar=1 KerBoard=1 \
    WndStyle=5 OutBuffer=30 DataDir=; do
    grep -q "^$line" "$ini" 2>/dev/null || failed "settings file lacks $line"
done

# Without the font file: message 417, and the application still opens.
start_app "$work/nofont"
check "font message" drive expect-message "Failed in the installation of font." 120000
check "frame appears without the font" drive wait-frame 120000
check "frame closes" drive close 20000
wait_exit "${app_pids[-1]}" || failed "application without font ended with $?"

# Where the font resource file cannot be written, the font file itself is added: no message.
# This start also has the toolbar turned off in the settings.
sed -i 's/^ToolBar=.*/ToolBar=0/' "$ini"
start_app "$work/blocked"
check "frame appears with the resource file blocked" drive wait-frame 120000
check "no message with the resource file blocked" drive no-message
check "font available with the resource file blocked" drive font-installed
expect "layout without toolbar" "toolbar hidden, client at 0" drive layout
check "frame closes" drive close 20000
wait_exit "${app_pids[-1]}" || failed "application with blocked resource file ended with $?"

echo "app_start: $fails failures; screenshots in $work"
exit $fails
