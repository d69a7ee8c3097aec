#!/usr/bin/env bash
# Slide show windows, Group Files and Ungroup Files of TRAVEX.exe under Wine, driven as a user
# would: a slide show of several pages at two window widths and after scrolling, the title typed
# and saved as a copy (byte-identical to travex-cli retitle), shows that open no window, the Group
# File dialog with its selection (byte-identical to travex-cli group), ungrouping byte for byte,
# the file-exists question with Over write ALL, and a file that is not a group. Screenshots are
# kept in the work folder.
# usage: app_slides.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/app_session.sh"
prepare_app files/saved files/cli files/out
files=$work/files
make_show() { python3 "$here/lib/make_slide_show.py" "$@"; }
make_show "$files/seven.g6s" 7 "SEVEN PAGES"
make_show "$files/nopages.g6s" 3 "NO PAGES" --first-empty
head -c 63 "$files/seven.g6s" >"$files/short.g6s"
# A damaged show: its first record claims more bytes than the file holds.
{ head -c 55 "$files/seven.g6s"; printf '\xff\xff\x00\x00\x00\x00\x00\x00'; head -c 20 /dev/zero; } >"$files/damaged.g6s"
# Group members: two programs and a list, in mixed case.
cp "$here/../../samples/hello.g6p" "$files/Zed.g6p"
cp "$here/../../samples/count.g6p" "$files/alpha.g6p"
win() { windows_path "$files/$1"; }
first_pages() { slides pages | head -n "$1"; }
slides() { "$wine_env" run "$prefix" "$mingw/tests/windows/slides_driver.exe" "$@"; }
# Where the seven pages stand with COLUMNS a row: cells of 172 x 124 pixels.
grid() { # columns
    for n in 1 2 3 4 5 6 7; do echo "No.$n $(((n - 1) % $1 * 172)) $(((n - 1) / $1 * 124))"; done
}

run_app

# --- slide show window ----------------------------------------------------------------------
check "open a slide show" slides open "$(win seven.g6s)"
check "slide show window" slides wait-slides 1 20000
expect "window title" "$(win seven.g6s)" slides slides
expect "title field" "SEVEN PAGES" slides title
# Three cells fit a page area of 3 × 172 + 1 pixels or more; the scroll bar is beside it.
bar=$(slides scroll-bar-width | tr -d '\r')
slides resize $((3 * 172 + 1 + bar)) 400 >/dev/null
sleep 0.5
expect "three pages a row" "$(grid 3)" slides pages
shot slides-wide.png
slides resize $((3 * 172 + bar)) 400 >/dev/null
sleep 0.5
expect "two pages a row when the third cell reaches the edge" "$(grid 2)" slides pages
shot slides-narrow.png
expect "scroll one row down" 1 slides scroll down
expect "pages move up a row" "No.3 0 0" eval 'slides pages | sed -n 3p'
sleep 0.5
shot slides-scrolled.png
expect "scroll to the bottom" 3 slides scroll bottom
expect "no row beyond the last" 3 slides scroll down
expect "back to the top" 0 slides scroll top
expect "nothing above the first row" 0 slides scroll up
slides resize 150 300 >/dev/null
sleep 0.3
expect "a narrow page area shows one page per row" "$(grid 1 | head -2)" first_pages 2
expect "menu with a slide show" "document menu, save off" edit menu-state

# Title and Save As: a 45-character title keeps 40; the copy matches travex-cli retitle.
long=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghij
slides type-title "$long"
expect "title field holds 40 characters" "${long:0:40}" slides title
expect "Copy takes the title field" "${long:0:40}" slides copy-title
check "Save As a copy" slides save-as "$(windows_path "$files/saved/copy")" 1
expect "window shows the copy" "$(windows_path "$files/saved/copy.g6s")" slides slides
"$native" retitle "$files/seven.g6s" "$files/cli/copy.g6s" --title "${long:0:40}" ||
    failed "travex-cli retitle"
cmp "$files/saved/copy.g6s" "$files/cli/copy.g6s" || failed "the saved copy differs from travex-cli retitle"
[ "$(head -c 13 "$files/saved/copy.g6s" | tail -c 11 | od -An -tx1 | tr -d ' \n')" = "636f7079ffffffffffffff" ] ||
    failed "name field of the copy"

# Shows that open no window, and one without pages.
for refusal in "short.g6s:The specified file contains no data." "damaged.g6s:Access to the file has failed."; do
    slides open "$(win "${refusal%%:*}")" &
    check "${refusal%%:*} refused" drive expect-message "${refusal#*:}" 20000
    wait $!
done
expect "still one slide show" 1 eval 'slides slides | wc -l'
check "open a show without pages" slides open "$(win nopages.g6s)"
check "its window opens" slides wait-slides 2 20000
expect "no pages" "" slides pages
expect "its title" "NO PAGES" slides title

# --- Group Files ----------------------------------------------------------------------------
check "Group File dialog" slides group-open
slides group-ok
check "OK with nothing chosen keeps the dialog" slides group-list
# A folder typed and selected moves the dialog there; a name of no file is not taken.
slides group-select "$(windows_path "$files")"
slides group-select missing.g6p
expect "nothing chosen yet" "remove off" slides group-list
slides group-select Zed.g6p
slides group-select alpha.g6p
slides group-select ZED.G6P
expect "chosen files, sorted, each once" "$(printf '%s\n' "$(win alpha.g6p)" "$(win zed.g6p)" | tr 'A-Z' 'a-z')
remove on" slides group-list
sleep 0.5
shot group-dialog.png
# Remove, Select All and Remove All, then the same two files again.
slides group-remove 0
expect "Remove takes the selected entry" "$(win zed.g6p | tr 'A-Z' 'a-z')
remove on" slides group-list
slides group-select-all
expect "Select All takes every listed file" 7 eval 'slides group-list | wc -l'
slides group-remove-all
expect "Remove All empties the list" "remove off" slides group-list
slides group-double-click alpha.g6p
expect "a double click takes the file and keeps the dialog" "$(win alpha.g6p | tr 'A-Z' 'a-z')
remove on" slides group-list
slides group-select Zed.g6p
slides group-ok
check "group saved as" slides group-save "$(windows_path "$files/saved/mygroup")"
await_file "$files/saved/mygroup.g6g" || failed "mygroup.g6g not written"
"$native" group "$files/cli/mygroup.g6g" "$files/Zed.g6p" "$files/alpha.g6p" || failed "travex-cli group"
cmp "$files/saved/mygroup.g6g" "$files/cli/mygroup.g6g" || failed "the group differs from travex-cli group"

# --- Ungroup Files ----------------------------------------------------------------------------
slides ungroup "$(win Zed.g6p)"
check "a program is not a group" drive expect-message "Specified file is not a group file." 20000
check "the dialog stays and is cancelled" slides ungroup-cancel
slides ungroup "$(windows_path "$files/saved/mygroup.g6g")"
check "folder dialog" slides ungroup-folder "$(windows_path "$files/out")"
unpacked() { cmp -s "$files/out/alpha.g6p" "$files/alpha.g6p" && cmp -s "$files/out/zed.g6p" "$files/Zed.g6p"; }
poll 10 unpacked || failed "ungrouped files differ"
# Again into the same folder: the first question answered Over write ALL replaces the rest.
printf 'old' >"$files/out/alpha.g6p"; printf 'old' >"$files/out/zed.g6p"
slides ungroup "$(windows_path "$files/saved/mygroup.g6g")"
check "folder dialog again" slides ungroup-folder "$(windows_path "$files/out")"
expect "file-exists question" "$(windows_path "$files/out")\\alpha.g6p" slides exists all
poll 10 unpacked || failed "Over write ALL did not replace every file"
check "no second question after Over write ALL" slides no-question

# A member whose name would leave the target folder is refused and reported; the others are
# unpacked.
python3 - "$files/escape.g6g" <<'PY'
import struct, sys
def record(name, data):
    return struct.pack("<I", len(data) + 264) + name.encode().ljust(260, b"\0") + data
body = record("good.g6p", b"GOOD") + record("..\\evil.g6p", b"EVIL") + b"\0" * 264
open(sys.argv[1], "wb").write(b"6g" + body)
PY
mkdir -p "$files/out2"
slides ungroup "$(win escape.g6g)"
check "folder dialog for the escaping group" slides ungroup-folder "$(windows_path "$files/out2")"
refused=$(edit answer "ZELTA TRAVEX" ok 20000 | tr -d '\r')
case $refused in
*'..\evil.g6p (the name holds a folder separator)'*) ;;
*) failed "refused member not reported: '$refused'" ;;
esac
[ "$(cat "$files/out2/good.g6p" 2>/dev/null)" = GOOD ] && [ ! -e "$files/evil.g6p" ] ||
    failed "the safe member was not unpacked, or the refused one was"

close_app
echo "app_slides: $fails failures; screenshots in $work"
exit $fails
