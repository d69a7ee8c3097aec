#!/usr/bin/env bash
# The program editor of TRAVEX.exe under Wine, driven as a user would: untitled names, the
# save prompt, menu switching, Find and Replace, Save As with its extension rule, Open with its
# refusals, Save in place, the window limit, the settings written before a cancelled exit, and
# every calculator byte through open, edit and save under code pages 1252 and 932. Screenshots
# of an editor with calculator glyphs and of an error message are kept in the work folder.
# usage: app_editor.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
for file in "$mingw/app/TRAVEX.exe" "$mingw/app/WTMQV7.TTF" "$mingw/tests/windows/editor_driver.exe"; do
    [ -f "$file" ] || { echo "missing $file"; exit 1; }
done
rm -rf "$work"; mkdir -p "$work/app" "$work/files"
cp "$mingw/app/TRAVEX.exe" "$mingw/app/WTMQV7.TTF" "$work/app/"
files=$work/files
"$native" tokens -o "$files/tokens.lst"
(cd "$files" && bash "$here/../corpus/make_program_corpus.sh" tokens.lst .) || { echo "FAIL: corpus"; exit 1; }
# A program whose second line reads "Y2Timedays(", text that the tokenizer would read as other
# tokens: saved after an edit in the first line, it must keep its bytes.
{ printf '6pDRIFT'; head -c 47 /dev/zero; printf 'A\xfd\x0c\x11\x0a\x1a\x0a\x5d\xfd\xff'; } >"$files/drift.g6p"
for name in corpus_lines corpus_full1 drift; do cp "$files/$name.g6p" "$files/$name.orig"; done
# A list file of 62 bytes: a header and no data.
{ printf '6lEMPTY\0\0\0\0\0\0'; head -c 49 /dev/zero; } >"$files/empty.g6l"
[ "$(stat -c %s "$files/empty.g6l")" = 62 ] || { echo "FAIL: empty list is not 62 bytes"; exit 1; }
win() { windows_path "$files/$1"; }
active_title() { edit editors | head -1; }

. "$here/lib/app_session.sh"
trap end_session EXIT
start_display
await_session_end
old=$(settings_file); [ -n "$old" ] && rm -f "$old"

run_app() { # locale
    LC_ALL=$1 LANG=$1 start_app "$work/app"
    check "frame appears ($1)" drive wait-frame 240000
    check "start-up editor ($1)" edit wait-editors 1 20000
}
# Closes the frame, answering No to every save prompt; the process must end with 0.
close_app() {
    local pid=${app_pids[-1]}
    edit command 20009 >/dev/null
    for _ in 1 2 3 4 5 6; do
        edit answer "ZELTA TRAVEX" no 3000 >/dev/null 2>&1 || break
    done
    wait_exit "$pid"
    local rc=$?
    [ "$rc" -eq 0 ] || { echo "FAIL: application ended with $rc"; fails=$((fails + 1)); }
}

# --- code page 1252 ---------------------------------------------------------------------------
run_app en_US.UTF-8
expect "code page" 1252 edit code-page
expect "first editor" "UNTITLE1.G6P" edit editors
expect "menu with an editor" "document menu, save off" edit menu-state
edit type "abc"
expect "typing in an untitled editor leaves Save off" "document menu, save off" edit menu-state
edit command 20003
expect "save prompt of an untitled editor" "Save Changes to UNTITLE1.G6P ?" \
    edit answer "ZELTA TRAVEX" no
check "editor closed" edit wait-editors 0 20000
expect "menu without documents" "no-document menu, save off" edit menu-state
edit command 20001
check "New opens an editor" edit wait-editors 1 20000
expect "second untitled name" "UNTITLE2.G6P" edit editors
expect "menu back with a document" "document menu, save off" edit menu-state

# Replace All: the inserted text is not searched again; matches before the caret stay.
edit type "aaa"
edit caret 0
check "Replace All" edit replace-all a aa
expect "Replace All a -> aa" "aaaaaa" edit text
edit caret 3
check "Replace All from the caret" edit replace-all a b
expect "Replace All from the middle" "aaabbb" edit text
# Replace on a selection that is not a match only moves to the next match.
edit caret 0
check "Replace" edit replace bb X
expect "Replace without a match at the selection" "aaabbb" edit text
expect "Replace selected the next match" "3 5" edit selection

# Find: match case decides; Find Next walks on from the selection and reports the end.
edit command 20001
check "third editor" edit wait-editors 2 20000
edit type "xABCx abc"
edit caret 0
edit find abc 0
expect "Find without match case" "1 4" edit selection
edit find abc 1
expect "Find with match case, after the selection" "6 9" edit selection
edit find abc 1 &
finder=$!
check "no further match" drive expect-message "There is no corresponding data." 20000
wait "$finder"
expect "selection kept after the last match" "6 9" edit selection
check "Find dialog closes" edit close-find

# Save As: the extension rule, and the name kept as typed when its extension is listed.
check "Save As prog" edit save-as "$(win prog)" 1
await_file "$files/prog.g6p" || { echo "FAIL: prog.g6p not written"; fails=$((fails + 1)); }
expect "title after Save As" "$(win prog.g6p)" active_title
[ "$(head -c 12 "$files/prog.g6p" | tr '\0' '.')" = "6pprog......" ] ||
    { echo "FAIL: prog.g6p header $(head -c 12 "$files/prog.g6p" | od -c | head -1)"; fails=$((fails + 1)); }
printf 'xABCx abc' >"$files/typed.txt"
"$native" tok "$files/typed.txt" -o "$files/typed.g6p"
cmp -s <(tail -c +14 "$files/prog.g6p") <(tail -c +14 "$files/typed.g6p") ||
    { echo "FAIL: prog.g6p does not hold the typed program"; fails=$((fails + 1)); }
check "Save As prog.G6P" edit save-as "$(win prog2.G6P)" 1
await_file "$files/prog2.g6p" && [ ! -f "$files/prog2.G6P" ] ||
    { echo "FAIL: prog2.G6P was not saved as prog2.g6p"; fails=$((fails + 1)); }
check "Save As prog3.txt" edit save-as "$(win prog3.txt)" 1
await_file "$files/prog3.txt"
[ "$(cat "$files/prog3.txt" 2>/dev/null)" = "xABCx abc" ] ||
    { echo "FAIL: prog3.txt not kept as typed"; fails=$((fails + 1)); }

# Open: a data file without data is refused; a program opens in a new editor.
edit open "$(win empty.g6l)" &
opener=$!
check "62-byte list refused" drive expect-message "The specified file contains no data." 20000
wait "$opener"
editors=$(edit editors | wc -l)
[ "$editors" = 2 ] || { echo "FAIL: $editors editors after the refused list"; fails=$((fails + 1)); }
# A program file whose header names a list: refused, and its editor goes again.
{ printf '6lWRONG\0\0\0\0\0\0'; head -c 41 /dev/zero; printf 'A\xfd\xff'; } >"$files/wrong.g6p"
edit open "$(win wrong.g6p)" &
opener=$!
check "program with a list header refused" drive expect-message "Specified file cannot be read." 20000
wait "$opener"
check "its editor closed" edit wait-editors 2 20000

# Yes to the save prompt of an untitled editor leads to Save As.
edit command 20001
check "editor for Save As on close" edit wait-editors 3 20000
edit type "1+2"
edit command 20003
expect "save prompt" "Save Changes to UNTITLE5.G6P ?" edit answer "ZELTA TRAVEX" yes
check "Save As from the prompt" edit save-dialog "$(win closing)" 1
check "saved editor closed" edit wait-editors 2 20000
await_file "$files/closing.g6p" || { echo "FAIL: closing.g6p not written"; fails=$((fails + 1)); }

# Every calculator byte: open, edit, save in place, byte for byte.
round_trip() { # name locale
    check "open $1 ($2)" edit open "$(win "$1.g6p")"
    edit type "x"
    edit type $'\b'
    expect "edited program enables Save ($2)" "document menu, save on" edit menu-state
    edit command 20004
    # Saved once Save is off again.
    for _ in $(seq 100); do
        [ "$(edit menu-state | tr -d '\r')" = "document menu, save off" ] && break
        sleep 0.1
    done
    cmp -s "$files/$1.g6p" "$files/$1.orig" ||
        { echo "FAIL: $1.g6p changed by open, edit and save ($2)"; cmp "$files/$1.g6p" "$files/$1.orig" | head -2; fails=$((fails + 1)); }
    expect "Save turns Save off ($2)" "document menu, save off" edit menu-state
}
round_trip corpus_lines 1252
sleep 0.5
shot app-editor.png

# Closing a modified program from disk with Yes writes it in place without a dialog.
edit type "y"
edit command 20003
expect "save prompt of a program file" "Save Changes to $(win corpus_lines.g6p) ?" \
    edit answer "ZELTA TRAVEX" yes
written=no
for _ in $(seq 200); do
    # The tokenizer reads a typed y as the variable Y.
    [ "$("$native" detok "$files/corpus_lines.g6p" | head -c 1)" = Y ] && { written=yes; break; }
    sleep 0.1
done
[ $written = yes ] || { echo "FAIL: Yes did not write the program in place"; fails=$((fails + 1)); }
cp "$files/corpus_lines.orig" "$files/corpus_lines.g6p"

# Exit with unsaved text and Cancel: the frame stays, the settings are written already.
edit command 20039
edit type "unsaved"
edit command 20009
check "exit prompt answered Cancel" edit answer "ZELTA TRAVEX" cancel
sleep 1
check "frame stays after Cancel" drive wait-frame 5000
grep -q '^FontSize=7' "$(settings_file)" ||
    { echo "FAIL: settings not written before the cancelled exit"; fails=$((fails + 1)); }
close_app

# --- the window limit -------------------------------------------------------------------------
sed -i 's/^WndCount=.*/WndCount=1/' "$(settings_file)"
run_app en_US.UTF-8
edit command 20001 &
limited=$!
check "window-limit message shown" edit wait-box "ZELTA TRAVEX" 20000
sleep 0.5
shot app-message.png
check "window limit" drive expect-message "The maximum number of open windows has been reached." 20000
wait "$limited"
expect "still one editor" "UNTITLE1.G6P" edit editors
close_app
sed -i 's/^WndCount=.*/WndCount=30/' "$(settings_file)"

# --- code page 932 ----------------------------------------------------------------------------
run_app ja_JP.UTF-8
LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8 expect "code page" 932 edit code-page
round_trip corpus_full1 932
round_trip corpus_lines 932
round_trip drift 932
close_app

echo "app_editor: $fails failures; screenshots in $work"
exit $fails
