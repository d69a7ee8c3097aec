#!/usr/bin/env bash
# What a new user meets first in TRAVEX.exe under Wine: the start-up editor as large as later
# ones, the Window menu naming it, text files with LF, CR and mixed line breaks saved as the
# lines they show, a clear message for a text too large to open, a very long name in Save As,
# every menu command and toolbar button answering visibly, and faded toolbar buttons where a
# press would do nothing. Screenshots are kept in the work folder.
# usage: app_first_use.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/app_session.sh"
prepare_app files
files=$work/files
win() { windows_path "$files/$1"; }
first() { "$wine_env" run "$prefix" "$mingw/tests/windows/first_use_driver.exe" "$@"; }
# Pixels that differ between one rectangle of two screenshots.
region_difference() { # shot1 shot2 WxH+X+Y
    convert "$1" -crop "$3" +repage "$work/region-a.png"
    convert "$2" -crop "$3" +repage "$work/region-b.png"
    compare -metric AE "$work/region-a.png" "$work/region-b.png" null: 2>&1 | cut -d' ' -f1
}

run_app
check "start-up editor" edit wait-editors 1 20000

# --- the start-up editor and the Window menu ---------------------------------------------------
# The keyboard panel and the editor.
expect "Window menu at start-up" "listed 2 of 2" first window-menu
sleep 1
shot first-use-start.png
edit command 20001
check "second editor" edit wait-editors 2 20000
sizes=$(first editor-sizes | tr -d '\r')
[ "$(echo "$sizes" | sort -u | wc -l)" = 1 ] || failed "editors of different sizes: $(echo $sizes)"
expect "Window menu with two editors" "listed 3 of 3" first window-menu

# --- line breaks of text from other systems ---------------------------------------------------
printf 'ClrT\nPrint "A"\nPrint "B"\n' >"$files/lf.txt"
printf 'ClrT\rPrint "A"\rPrint "B"\r' >"$files/cr.txt"
printf 'ClrT\r\nPrint "A"\nPrint "B"\r' >"$files/mixed.txt"
printf 'ClrT\r\nPrint "A"\r\nPrint "B"\r\n' >"$files/lines.txt"
"$native" tok "$files/lines.txt" -o "$files/lines.g6p"
for name in lf cr mixed; do
    check "open $name.txt" edit open "$(win $name.txt)"
    expect "$name.txt shows three lines" 'ClrT\r\nPrint "A"\r\nPrint "B"\r\n' edit text
    check "Save As ${name}2" edit save-as "$(win "${name}2")" 1
    await_file "$files/${name}2.g6p" &&
        cmp -s <(tail -c +14 "$files/${name}2.g6p") <(tail -c +14 "$files/lines.g6p") ||
        failed "${name}2.g6p does not hold the three lines: $(od -c "$files/${name}2.g6p" | head -3)"
done

# --- texts too large to open ------------------------------------------------------------------
too_large="The file is too large to open as text: its text may be at most 51,200 bytes."
head -c 52000 /dev/zero | tr '\0' x >"$files/big.txt"
# A program of 25,601 "sin " tokens: 102,404 bytes of text.
{ printf '6pBIG'; head -c 49 /dev/zero; head -c 25601 /dev/zero | tr '\0' '\210'; printf '\xfd\xff'; } \
    >"$files/big.g6p"
editors=$(edit editors | wc -l)
for name in big.txt big.g6p; do
    edit open "$(win $name)" &
    check "$name refused with its size" drive expect-message "$too_large" 20000
    wait $!
done
check "no editor left by the refused files" edit wait-editors "$editors" 20000

# --- a name longer than any path the application writes ---------------------------------------
# The dialog answers it with message 428 and stays open for another name.
long=$(head -c 273 /dev/zero | tr '\0' n)
edit save-as "$long" 1 5000 >/dev/null &
saver=$!
check "Save As with 273 characters gives message 428" drive expect-message "Specified file name is too long." 30000
wait "$saver"
sleep 0.5
shot first-use-long-name.png
check "Save as dialog still open" edit answer "Save as" cancel 5000 >/dev/null
check "frame still there after the long name" drive wait-frame 5000
ls "$files" | grep -q nnnnnnnn && failed "a file of the long name was written"

# --- every command answers --------------------------------------------------------------------
# Commands that open a dialog, a box or a window: each must show something, which is closed
# again (Cancel, else OK) before the next.
check "every command answers" first answers 20001 20002 20005 20007 20008 20015 20016 20021 \
    20022 20023 40098 20042 20043 40099 20071 20091
# The edit commands work on the active editor's text.
edit command 20001
check "editor for the edit commands" edit wait-editors "$((editors + 1))" 20000
edit type "ab"
for id in 20018 20013; do edit command $id; done  # Select All, Copy
edit caret 2
edit command 20014  # Paste
expect "Select All, Copy, Paste" "abab" edit text
edit command 20011  # Undo: how much it takes back is the edit box's own affair
[ "$(edit text | tr -d '\r')" != abab ] || failed "Undo left the text as it was"
edit command 20018
edit type "ab"
for id in 20018 20012; do edit command $id; done  # Select All, Cut
expect "Cut" "" edit text
edit command 20014
edit caret 0
edit command 20017  # Delete
expect "Paste, Delete" "b" edit text
# Window arrangements move the editors.
before=$(first editor-sizes | tr -d '\r' | tr '\n' ' ')
edit command 20064  # Tile vertically
after=$(first editor-sizes | tr -d '\r' | tr '\n' ' ')
[ "$before" != "$after" ] || failed "Tile left the editors as they were: $before"
edit command 20062  # Cascade
[ "$(first editor-sizes | tr -d '\r' | tr '\n' ' ')" != "$after" ] || failed "Cascade left the editors tiled"

# Toolbar buttons: New, Open, Print, Screen Capture, Receive and Send answer with a window.
check "toolbar buttons answer" first answers-buttons 0 1 3 7 8 9

# Save and Print are faded while a press would do nothing: Save of an unchanged program, Print
# with no document open.
cp "$files/lines.g6p" "$files/faded.g6p"
check "open a program" edit open "$(win faded.g6p)"
sleep 1
shot first-use-save-off.png
edit type "1"
sleep 1
shot first-use-save-on.png
read -r tx ty _ _ < <(first toolbar-rect | tr -d '\r')
save_button="25x22+$((tx + 62))+$((ty + 3))"
print_button="25x22+$((tx + 99))+$((ty + 3))"
saving() { region_difference "$work/first-use-save-off.png" "$work/first-use-save-on.png" "$1"; }
[ "$(saving "$save_button")" -gt 50 ] || failed "Save looks the same greyed and available"
[ "$(saving "$print_button")" = 0 ] || failed "Print changed with Save"
check "toolbar Save" first click 2
poll 5 '[ "$("$native" detok "$files/faded.g6p" | head -c 1)" = 1 ]' ||
    failed "toolbar Save did not write the program"
edit command 20065  # Close All
for _ in 1 2 3 4 5 6; do edit answer "ZELTA TRAVEX" no 2000 >/dev/null 2>&1 || break; done
check "all editors closed" edit wait-editors 0 20000
sleep 1
shot first-use-no-document.png
[ "$(region_difference "$work/first-use-save-on.png" "$work/first-use-no-document.png" "$print_button")" -gt 50 ] ||
    failed "Print looks available with no document open"

close_app

echo "app_first_use: $fails failures; screenshots in $work"
exit $fails
