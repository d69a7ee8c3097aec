#!/usr/bin/env bash
# What TRAVEX.exe draws, under Wine: the toolbar's hover label while the pointer sweeps over
# Screen Capture, Receive and Send (one whole label, never painted over by the buttons), the
# function-table rows with underscores and descenders, the editor's caption buttons, the keyboard
# panel and the About box.
# Cropped screenshots of each are kept in the work folder; tests/wine/screens holds the ones
# taken before the drawing was mended, to compare with.
# usage: app_drawing.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
for file in "$mingw/app/TRAVEX.exe" "$mingw/app/WTMQV7.TTF" "$mingw/tests/windows/drawing_driver.exe"; do
    [ -f "$file" ] || { echo "missing $file"; exit 1; }
done
rm -rf "$work"; mkdir -p "$work/app"
cp "$mingw/app/TRAVEX.exe" "$mingw/app/WTMQV7.TTF" "$work/app/"

. "$here/lib/app_session.sh"
trap end_session EXIT
start_display
await_session_end
look() { "$wine_env" run "$prefix" "$mingw/tests/windows/drawing_driver.exe" "$@"; }
# crop NAME GEOMETRY: the part of the screen at GEOMETRY ("WxH+X+Y") as NAME.png.
crop() {
    local geometry=$(echo "$2" | tr -d '\r' | tail -1)
    /usr/bin/import -window root -crop "$geometry" +repage "$work/$1.png" 2>/dev/null ||
        { echo "FAIL: no screenshot $1 at '$geometry'"; fails=$((fails + 1)); }
}

start_app "$work/app"
check "frame appears" drive wait-frame 240000
sleep 1
drive no-message >/dev/null

# The hover label, swept over by the pointer from the left and from the right, and then the
# whole strip repainted: each stop shows exactly its button's name.
strip() { crop "$1" "$(look rect toolbar | sed 's/^[0-9]*x28/400x28/')"; }
check "label over Screen Capture" look sweep 200 235 "Screen Capture" 6
strip toolbar-screen-capture
check "label over Receive" look sweep 235 270 "Receive" 4
strip toolbar-receive
check "label over Send" look sweep 270 300 "Send" 4
strip toolbar-send
check "label over Receive from the right" look sweep 300 270 "Receive" 4
strip toolbar-receive-from-right

# The start-up editor's caption buttons are Marlett glyphs, not their codes "0 1 r" as letters.
check "caption buttons drawn as glyphs" look caption
crop editor-caption "$(look rect editor | sed 's/x[0-9]*+/x22+/')"

# The keyboard panel as it comes up at start-up.
crop keyboard "$(look rect keyboard)"

# Function-table rows: "log" in KEY PAD, "L_DATA" among LIST's headings, "Zm_Auto" in ZOOM.
look func 20071 33 6 >/dev/null && crop functions-keypad "$(look rect functions)"
look func 20075 33 2 >/dev/null && crop functions-list "$(look rect functions)"
look func 20087 33 0 >/dev/null && crop functions-zoom "$(look rect functions)"

# The About box.
check "About box opens" look about 20000
crop about "$(look rect about)"
check "About box closes" look about-close

check "frame closes" drive close 20000
echo "app_drawing: $fails failures; screenshots in $work"
exit $fails
