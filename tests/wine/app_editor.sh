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
. "$here/lib/app_session.sh"
prepare_app files
files=$work/files
"$native" tokens -o "$files/tokens.lst"
(cd "$files" && bash "$here/../corpus/make_program_corpus.sh" tokens.lst .) || { echo "FAIL: corpus"; exit 1; }
# A program whose second line reads "Y2Timedays(", text that the tokenizer would read as other
# tokens: saved after an edit in the first line, it must keep its bytes.
{ printf '6pDRIFT'; head -c 47 /dev/zero; printf 'A\xfd\x0c\x11\x0a\x1a\x0a\x5d\xfd\xff'; } >"$files/drift.g6p"
for name in corpus_lines corpus_full1 drift; do cp "$files/$name.g6p" "$files/$name.orig"; done
# A list file of 62 bytes: a header and no data.
{ printf '6lEMPTY\0\0\0\0\0\0'; head -c 49 /dev/zero; } >"$files/empty.g6l"
win() { windows_path "$files/$1"; }
active_title() { edit editors | head -1; }

# A start with the start-up editor open.
run_editors() { # locale
    run_app "$1"
    check "start-up editor ($1)" edit wait-editors 1 20000
}

# --- code page 1252 ---------------------------------------------------------------------------
run_editors en_US.UTF-8
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
await_file "$files/prog.g6p" || failed "prog.g6p not written"
expect "title after Save As" "$(win prog.g6p)" active_title
[ "$(head -c 12 "$files/prog.g6p" | tr '\0' '.')" = "6pprog......" ] ||
    failed "prog.g6p header $(head -c 12 "$files/prog.g6p" | od -c | head -1)"
printf 'xABCx abc' >"$files/typed.txt"
"$native" tok "$files/typed.txt" -o "$files/typed.g6p"
cmp -s <(tail -c +14 "$files/prog.g6p") <(tail -c +14 "$files/typed.g6p") ||
    failed "prog.g6p does not hold the typed program"
check "Save As prog.G6P" edit save-as "$(win prog2.G6P)" 1
await_file "$files/prog2.g6p" && [ ! -f "$files/prog2.G6P" ] || failed "prog2.G6P was not saved as prog2.g6p"
check "Save As prog3.txt" edit save-as "$(win prog3.txt)" 1
await_file "$files/prog3.txt"
[ "$(cat "$files/prog3.txt" 2>/dev/null)" = "xABCx abc" ] || failed "prog3.txt not kept as typed"

# Open: a data file without data is refused; a program opens in a new editor.
edit open "$(win empty.g6l)" &
opener=$!
check "62-byte list refused" drive expect-message "The specified file contains no data." 20000
wait "$opener"
editors=$(edit editors | wc -l)
[ "$editors" = 2 ] || failed "$editors editors after the refused list"
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
await_file "$files/closing.g6p" || failed "closing.g6p not written"

# Every calculator byte: open, edit, save in place, byte for byte.
round_trip() { # name locale
    check "open $1 ($2)" edit open "$(win "$1.g6p")"
    edit type "x"
    edit type $'\b'
    expect "edited program enables Save ($2)" "document menu, save on" edit menu-state
    edit command 20004
    poll 10 '[ "$(edit menu-state | tr -d "\r")" = "document menu, save off" ]'  # saved
    cmp -s "$files/$1.g6p" "$files/$1.orig" ||
        failed "$1.g6p changed by open, edit and save ($2): $(cmp "$files/$1.g6p" "$files/$1.orig")"
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
# The tokenizer reads a typed y as the variable Y.
poll 20 '[ "$("$native" detok "$files/corpus_lines.g6p" | head -c 1)" = Y ]' ||
    failed "Yes did not write the program in place"
cp "$files/corpus_lines.orig" "$files/corpus_lines.g6p"

# Exit with unsaved text and Cancel: the frame stays, the settings are written already.
edit command 20039
edit type "unsaved"
edit command 20009
check "exit prompt answered Cancel" edit answer "ZELTA TRAVEX" cancel
sleep 1
check "frame stays after Cancel" drive wait-frame 5000
grep -q '^FontSize=7' "$(settings_file)" || failed "settings not written before the cancelled exit"
close_app

# --- code page 932, and the window limit -----------------------------------------------------
# One window at most: each program is closed after its round trip, and a second window is refused.
sed -i 's/^WndCount=.*/WndCount=1/' "$(settings_file)"
run_editors ja_JP.UTF-8
LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8 expect "code page" 932 edit code-page
edit command 20003
check "start-up editor closed" edit wait-editors 0 20000
for name in corpus_full1 corpus_lines drift; do
    round_trip $name 932
    edit command 20003
    check "$name closed" edit wait-editors 0 20000
done
edit command 20001
check "one editor" edit wait-editors 1 20000
edit command 20001 &
limited=$!
check "window-limit message shown" edit wait-box "ZELTA TRAVEX" 20000
sleep 0.5
shot app-message.png
check "window limit" drive expect-message "The maximum number of open windows has been reached." 20000
wait "$limited"
expect "still one editor" 1 eval 'edit editors | wc -l'
close_app

echo "app_editor: $fails failures; screenshots in $work"
exit $fails
