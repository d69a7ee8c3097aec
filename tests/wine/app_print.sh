#!/usr/bin/env bash
# Printing from TRAVEX.exe under Wine to a PostScript printer of the prefix whose port is a file,
# turned into PDF with Ghostscript and checked with poppler-utils: a program prints its three
# header lines on every page in the calculator font, a picture prints pixel for pixel, a failing
# printer leaves the window usable, and Cancel in the print dialog or in "Now Printing:" prints
# nothing and leaves the window usable.
# usage: app_print.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
for tool in ps2pdf pdftotext pdfinfo pdffonts pdftoppm; do
    command -v $tool >/dev/null || { echo "missing $tool"; exit 1; }
done
. "$here/lib/app_session.sh"
prepare_app files spool
files=$work/files out=$work/spool/out.ps
for i in $(seq -w 1 80); do printf '"LINE %s"\r\n' "$i"; done >"$files/short.txt"
"$native" tok "$files/short.txt" -o "$files/SHORT.g6p" --title "PRINT TEST" >/dev/null
for i in $(seq -w 1 3000); do printf '"BIG %s"\r\n' "$i"; done >"$files/big.txt"
"$native" tok "$files/big.txt" -o "$files/BIG.g6p" --title "BIG" >/dev/null
python3 "$here/lib/make_print_files.py" "$files"
win() { windows_path "$files/$1"; }
"$wine_env" run "$prefix" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports' \
    /v "$out" /t REG_SZ /d "" /f >/dev/null 2>&1
check "printer added" drive add-printer "TRAVEX Test Printer" "$out" "$(windows_path "$here/data/travex-test.ppd")"
# File > Print of the active window, OK, and the spooled job (once its size settles) as NAME.pdf.
print_job() { # name
    rm -f "$out"
    edit command 20007 >/dev/null
    check "print dialog OK ($1)" drive dialog Print ok
    local last=-1 size
    for _ in $(seq 300); do
        size=$(stat -c %s "$out" 2>/dev/null || echo -1)
        [ "$size" -gt 0 ] && [ "$size" = "$last" ] && break
        last=$size
        sleep 0.2
    done
    ps2pdf -dAutoRotatePages=/None "$out" "$work/$1.pdf" 2>/dev/null || failed "no $1 job"
}
# The text of a page in canonical Unicode form: the font's ";" may be named U+037E.
page_text() { # pdf page
    pdftotext -raw -f "$2" -l "$2" "$work/$1.pdf" - 2>/dev/null |
        python3 -c 'import sys, unicodedata; print(unicodedata.normalize("NFC", sys.stdin.read()))'
}

run_app
check "open SHORT.g6p" edit open "$(win SHORT.g6p)"
print_job short
pages=$(pdfinfo "$work/short.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
[ "${pages:-0}" -ge 2 ] || failed "80 lines on ${pages:-0} pages"
for p in $(seq 1 "${pages:-0}"); do
    page_text short "$p" >"$work/short-$p.txt"
    for line in ";FILE TYPE *: *PROGRAM" ";FILE NAME *: *SHORT.g6p" ";TITLE *: *PRINT TEST"; do
        grep -q "$line" "$work/short-$p.txt" || failed "page $p lacks '$line'"
    done
done
# The program's lines have no text layer (a symbol font): they must be in the calculator font.
pdffonts "$work/short.pdf" | grep -q "TM-QV7" || failed "program text not in the calculator font"
pdftoppm -r 50 -f 1 -l 1 -png "$work/short.pdf" "$work/short-page"

# At 100 % on the 300 dpi printer each screen pixel is 3 x 3 printer pixels.
check "open Pict1.g6i" edit open "$(win Pict1.g6i)"
print_job pict
page_text pict 1 | grep -q ";FILE TYPE *: *PICTURE" || failed "picture type line"
pdftoppm -r 300 -gray -aa no -aaVector no -f 1 -l 1 "$work/pict.pdf" "$work/pict"
python3 "$here/lib/check_print_pixels.py" "$work/pict-1.pgm" "$files/screen.bin" 3 ||
    failed "picture pixels"

# A printer that cannot take the job (its port is a directory): the window stays usable and
# the next job prints.
rm -f "$out"; mkdir -p "$out"
edit command 20007 >/dev/null
check "print dialog OK (failing printer)" drive dialog Print ok
sleep 3
check "window usable after a failing printer" drive document-enabled
rm -rf "$out"
print_job again

rm -f "$out"
edit command 20007 >/dev/null
check "print dialog Cancel" drive dialog Print cancel
sleep 2
[ -e "$out" ] && failed "a cancelled print dialog printed"
check "window usable after the cancelled dialog" drive document-enabled

# The canceller waits for "Now Printing:", so its Cancel arrives while pages are laid out.
check "open BIG.g6p" edit open "$(win BIG.g6p)"
rm -f "$out"
drive cancel-printing 60000 >"$work/cancel.out" 2>&1 &
canceller=$!
sleep 1
edit command 20007 >/dev/null
check "print dialog OK for BIG" drive dialog Print ok
sleep 0.3
shot app-print-now-printing.png
wait "$canceller" || failed "Cancel in Now Printing: $(cat "$work/cancel.out")"
sleep 3
[ -s "$out" ] && failed "a cancelled job reached the printer"
check "window usable after Cancel" drive document-enabled
close_app
echo "app_print: $fails failures; pages and screenshots in $work"
exit $fails
