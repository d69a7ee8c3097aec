#!/usr/bin/env bash
# Slide show windows, Group Files and Ungroup Files of TRAVEX.exe under Wine, driven as a user
# would: a slide show's pages at the width where a third one fits and one pixel less, stepped
# row by row; the title typed and saved as a copy (byte-identical to travex-cli retitle); a
# damaged show refused; a group made in the Group File dialog (byte-identical to travex-cli
# group) and ungrouped byte for byte, again over existing files with Over write ALL.
# usage: app_slides.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/app_session.sh"
prepare_app files/saved files/cli files/out
files=$work/files
python3 "$here/lib/make_slide_show.py" "$files/seven.g6s" 7 "SEVEN PAGES"
# A damaged show: its first record claims more bytes than the file holds.
{ head -c 55 "$files/seven.g6s"; printf '\xff\xff\x00\x00\x00\x00\x00\x00'; head -c 20 /dev/zero; } >"$files/damaged.g6s"
cp "$here/../../samples/hello.g6p" "$files/Zed.g6p"
cp "$here/../../samples/count.g6p" "$files/alpha.g6p"
win() { windows_path "$files/$1"; }
slides() { "$wine_env" run "$prefix" "$mingw/tests/windows/slides_driver.exe" "$@"; }
grid() { # columns: where the seven pages stand, in cells of 172 x 124 pixels
    for n in 1 2 3 4 5 6 7; do echo "No.$n $(((n - 1) % $1 * 172)) $(((n - 1) / $1 * 124))"; done
}
run_app

check "open a slide show" edit open "$(win seven.g6s)"
check "slide show window" slides wait-slides 1 20000
slides resize $((3 * 172 + 1)) 400
expect "three pages a row" "$(grid 3)" slides pages
shot slides-wide.png
slides resize $((3 * 172)) 400
expect "two pages a row when the third cell reaches the edge" "$(grid 2)" slides pages
expect "scroll one row down" 1 slides scroll down
expect "pages move up a row" "No.3 0 0" eval 'slides pages | sed -n 3p'
expect "scroll to the bottom" 3 slides scroll bottom
expect "no row beyond the last" 3 slides scroll down

# A 45-character title keeps 40; the copy matches travex-cli retitle.
long=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghij
slides type-title "$long"
check "Save As a copy" edit save-as "$(windows_path "$files/saved/copy")" 1
"$native" retitle "$files/seven.g6s" "$files/cli/copy.g6s" --title "${long:0:40}"
await_file "$files/saved/copy.g6s"
cmp "$files/saved/copy.g6s" "$files/cli/copy.g6s" || failed "the saved copy differs from travex-cli retitle"
edit open "$(win damaged.g6s)" &
check "damaged show refused" drive expect-message "Access to the file has failed." 20000
wait $!
check "no window for it" slides wait-slides 1 1000

check "group saved" slides group "$(windows_path "$files/saved/mygroup")" "$(windows_path "$files")" Zed.g6p alpha.g6p
await_file "$files/saved/mygroup.g6g" || failed "mygroup.g6g not written"
"$native" group "$files/cli/mygroup.g6g" "$files/Zed.g6p" "$files/alpha.g6p"
cmp "$files/saved/mygroup.g6g" "$files/cli/mygroup.g6g" || failed "the group differs from travex-cli group"
unpacked() { cmp -s "$files/out/alpha.g6p" "$files/alpha.g6p" && cmp -s "$files/out/zed.g6p" "$files/Zed.g6p"; }
check "ungroup" slides ungroup "$(windows_path "$files/saved/mygroup.g6g")" "$(windows_path "$files/out")"
poll 10 unpacked || failed "ungrouped files differ"
# Again into the same folder: the first question answered Over write ALL replaces the rest.
printf 'old' >"$files/out/alpha.g6p"; printf 'old' >"$files/out/zed.g6p"
check "ungroup again" slides ungroup "$(windows_path "$files/saved/mygroup.g6g")" "$(windows_path "$files/out")"
expect "file-exists question" "$(windows_path "$files/out")\\alpha.g6p" slides exists all
poll 10 unpacked || failed "Over write ALL did not replace every file"
check "no second question after Over write ALL" slides no-question
close_app
exit $fails
