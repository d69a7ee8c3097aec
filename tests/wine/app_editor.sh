#!/usr/bin/env bash
# The program editor of TRAVEX.exe under Wine, driven through its menus: the save prompt (No,
# Yes on an untitled and on a stored program, Cancel on exit), Replace All, Save As with its
# extension rule and a name too long for any path, Open with its refusals, text with LF, CR and
# CR LF saved as the lines it shows, and every calculator byte through open, edit and save under
# code pages 1252 and 932. The screen is kept as app-editor.png in the work folder.
# usage: app_editor.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/app_session.sh"
prepare_app files
files=$work/files
"$native" tokens -o "$files/tokens.lst"
(cd "$files" && bash "$here/../corpus/make_program_corpus.sh" tokens.lst .) || { echo "FAIL: corpus"; exit 1; }
# Its second line reads "Y2Timedays(", text the tokenizer would read as other tokens.
{ printf '6pDRIFT'; head -c 47 /dev/zero; printf 'A\xfd\x0c\x11\x0a\x1a\x0a\x5d\xfd\xff'; } >"$files/drift.g6p"
for name in corpus_lines corpus_full1 drift; do cp "$files/$name.g6p" "$files/$name.orig"; done
{ printf '6lEMPTY\0\0\0\0\0\0'; head -c 49 /dev/zero; } >"$files/empty.g6l"
{ printf '6lWRONG\0\0\0\0\0\0'; head -c 41 /dev/zero; printf 'A\xfd\xff'; } >"$files/wrong.g6p"
printf 'ClrT\r\nPrint "A"\nPrint "B"\r' >"$files/mixed.txt"
printf 'ClrT\r\nPrint "A"\r\nPrint "B"\r\n' >"$files/lines.txt"
"$native" tok "$files/lines.txt" -o "$files/lines.g6p"
head -c 51201 /dev/zero | tr '\0' x >"$files/big.txt"
win() { windows_path "$files/$1"; }
body() { tail -c +14 "$files/$1"; }
round_trip() { # name code-page: open, edit, Save, byte for byte
    check "open $1 ($2)" edit open "$(win "$1.g6p")"
    edit type $'x\b'
    expect "an edit enables Save ($2)" "document menu, save on" edit menu-state
    edit command 20004
    poll 10 '[ "$(edit menu-state | tr -d "\r")" = "document menu, save off" ]' || failed "Save ($2)"
    cmp "$files/$1.g6p" "$files/$1.orig" || failed "$1.g6p changed by open, edit and save ($2)"
}

run_app en_US.UTF-8
check "start-up editor" edit wait-editors 1 20000
expect "code page" 1252 edit code-page
edit type "abc"
edit command 20003
expect "save prompt of an untitled editor" "Save Changes to UNTITLE1.G6P ?" edit answer "ZELTA TRAVEX" no
check "No closes the editor" edit wait-editors 0 20000

# Replace All does not search the text it inserted.
edit command 20001
check "New opens an editor" edit wait-editors 1 20000
edit type "aaa"
edit caret 0
check "Replace All" edit replace-all a aa
expect "Replace All a -> aa" "aaaaaa" edit text
check "Save As prog.G6P" edit save-as "$(win prog.G6P)" 1
await_file "$files/prog.g6p" && [ ! -e "$files/prog.G6P" ] || failed "prog.G6P not saved as prog.g6p"
[ "$(head -c 12 "$files/prog.g6p" | tr '\0' .)" = "6pprog......" ] || failed "prog.g6p header"
printf 'aaaaaa' >"$files/typed.txt"
"$native" tok "$files/typed.txt" -o "$files/typed.g6p"
cmp -s <(body prog.g6p) <(body typed.g6p) || failed "prog.g6p does not hold the typed program"

for refused in "empty.g6l|The specified file contains no data." "wrong.g6p|Specified file cannot be read."; do
    edit open "$(win "${refused%%|*}")" &
    check "${refused%%|*} refused" drive expect-message "${refused#*|}" 20000
    wait $!
done
edit open "$(win big.txt)" &
check "big.txt refused" drive expect-message \
    "The file is too large to open as text: its text may be at most 51,200 bytes." 20000
wait $!
check "no editor left by the refused files" edit wait-editors 1 20000

check "open mixed.txt" edit open "$(win mixed.txt)"
expect "mixed.txt shows three lines" 'ClrT\r\nPrint "A"\r\nPrint "B"\r\n' edit text
check "Save As mixed2" edit save-as "$(win mixed2)" 1
await_file "$files/mixed2.g6p" && cmp -s <(body mixed2.g6p) <(body lines.g6p) ||
    failed "mixed2.g6p does not hold the three lines"

# A name longer than any path: message 428, and the dialog stays for another name.
edit save-as "$(head -c 273 /dev/zero | tr '\0' n)" 1 5000 >/dev/null &
check "long name gives message 428" drive expect-message "Specified file name is too long." 30000
wait $!
check "Save as dialog still open" edit answer "Save as" cancel 5000
ls "$files" | grep -q nnnnnnnn && failed "a file of the long name was written"

edit command 20001
check "editor for Yes on close" edit wait-editors 3 20000
edit type "1+2"
edit command 20003
check "save prompt answered Yes" edit answer "ZELTA TRAVEX" yes
check "Yes leads to Save As" edit save-dialog "$(win closing)" 1
await_file "$files/closing.g6p" || failed "closing.g6p not written"

round_trip corpus_lines 1252
sleep 0.5
shot app-editor.png
edit type "y"
edit command 20003
expect "save prompt of a stored program" "Save Changes to $(win corpus_lines.g6p) ?" \
    edit answer "ZELTA TRAVEX" yes
poll 20 '[ "$("$native" detok "$files/corpus_lines.g6p" | head -c 1)" = Y ]' ||
    failed "Yes did not write the program in place"
cp "$files/corpus_lines.orig" "$files/corpus_lines.g6p"
edit type "unsaved"
edit command 20009
check "exit prompt answered Cancel" edit answer "ZELTA TRAVEX" cancel
sleep 1
check "frame stays after Cancel" drive wait-frame 5000
close_app

run_app ja_JP.UTF-8
LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8 expect "code page" 932 edit code-page
for name in corpus_full1 corpus_lines drift; do round_trip $name 932; done
close_app
echo "app_editor: $fails failures; screenshot in $work"
exit $fails
