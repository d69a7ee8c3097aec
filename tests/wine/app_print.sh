#!/usr/bin/env bash
# Printing from TRAVEX.exe under Wine to a real printer of the prefix: Wine's PostScript driver
# with a file as its port, the PostScript turned into PDF with Ghostscript and checked with
# poppler-utils. A program prints its three header lines on every page, in the calculator font;
# Cancel in the print dialog and in "Now Printing:" prints nothing and leaves the window usable;
# Print Setup's landscape choice is kept for later jobs. A picture window and a slide show window
# print from File > Print too (the picture checked to the pixel, the slides by their numbers), and
# a printer that cannot take the job leaves the window usable.
# usage: app_print.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
for file in "$mingw/app/TRAVEX.exe" "$mingw/app/WTMQV7.TTF" "$mingw/tests/windows/editor_driver.exe" \
    "$mingw/tests/windows/print_driver.exe"; do
    [ -f "$file" ] || { echo "missing $file"; exit 1; }
done
for tool in ps2pdf pdftotext pdfinfo pdftoppm; do
    command -v $tool >/dev/null || { echo "missing $tool"; exit 1; }
done
rm -rf "$work"; mkdir -p "$work/app" "$work/files" "$work/spool"
cp "$mingw/app/TRAVEX.exe" "$mingw/app/WTMQV7.TTF" "$work/app/"
files=$work/files
out=$work/spool/out.ps
printer="TRAVEX Test Printer"
win() { echo "Z:$(echo "$files/$1" | tr '/' '\\')"; }

for i in $(seq -w 1 80); do printf '"LINE %s"\r\n' "$i"; done >"$files/short.txt"
"$native" tok "$files/short.txt" -o "$files/SHORT.g6p" --title "PRINT TEST" >/dev/null
for i in $(seq -w 1 3000); do printf '"BIG %s"\r\n' "$i"; done >"$files/big.txt"
"$native" tok "$files/big.txt" -o "$files/BIG.g6p" --title "BIG" >/dev/null
python3 "$here/lib/make_print_files.py" "$files"

. "$here/lib/app_session.sh"
trap end_session EXIT
start_display
await_session_end
pd() { "$wine_env" run "$prefix" "$mingw/tests/windows/print_driver.exe" "$@"; }

# The printer: its port (a file of the work folder) known to the spooler, then the printer.
"$wine_env" run "$prefix" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports' \
    /v "$out" /t REG_SZ /d "" /f >/dev/null 2>&1
check "printer added" pd add-printer "$printer" "$out" "$(echo "$here/data/travex-test.ppd" | sed 's|/|\\|g; s|^|Z:|')"
pd printers

# Waits for the spooler to finish writing the job's file.
await_job() {
    local last=-1 size
    for _ in $(seq 300); do
        size=$(stat -c %s "$out" 2>/dev/null || echo -1)
        [ "$size" -gt 0 ] && [ "$size" = "$last" ] && return 0
        last=$size
        sleep 0.2
    done
    return 1
}
# The text of a PDF's pages, in canonical Unicode form: an outline font may give ";" the glyph
# it shares with U+037E, which the PDF's text layer then names (canonically the same character).
pdf_text() { # pdf txt [pdftotext options...]
    local pdf=$1 txt=$2; shift 2
    pdftotext -raw "$@" "$pdf" "$txt" &&
        python3 -c 'import sys, unicodedata
text = open(sys.argv[1], encoding="utf-8", errors="replace").read()
open(sys.argv[1], "w", encoding="utf-8").write(unicodedata.normalize("NFC", text))' "$txt"
}
# The text of a job's PDF, the semicolon read as the semicolon that was printed.
job_text() { # pdf txt
    pdf_text "$1" "$2" 2>/dev/null
}
# File > Print of the active window, OK in the print dialog, the job turned into NAME.pdf.
print_window_job() { # name
    rm -f "$out"
    edit command 20007 >/dev/null
    check "print dialog OK ($1)" pd dialog Print ok
    check "$1 job written" await_job
    to_pdf "$1.pdf"
}
to_pdf() { # pdf
    ps2pdf -dAutoRotatePages=/None "$out" "$work/$1" 2>/dev/null || { echo "FAIL: ps2pdf $1"; fails=$((fails + 1)); }
}

start_app "$work/app"
check "frame appears" drive wait-frame 240000
check "start-up editor" edit wait-editors 1 20000

# --- a program ---------------------------------------------------------------------------------
check "open SHORT.g6p" edit open "$(win SHORT.g6p)"
rm -f "$out"
edit command 20007 >/dev/null
check "print dialog OK" pd dialog Print ok
check "program job written" await_job
to_pdf short.pdf
pages=$(pdfinfo "$work/short.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
[ "${pages:-0}" -ge 2 ] || { echo "FAIL: 80 lines on ${pages:-0} pages"; fails=$((fails + 1)); }
for p in $(seq 1 "${pages:-0}"); do
    pdf_text "$work/short.pdf" "$work/short-$p.txt" -f "$p" -l "$p"
    grep -q ";FILE TYPE *: *PROGRAM" "$work/short-$p.txt" || { echo "FAIL: page $p type line"; fails=$((fails + 1)); }
    grep -q ";FILE NAME *: *SHORT.g6p" "$work/short-$p.txt" || { echo "FAIL: page $p name line"; fails=$((fails + 1)); }
    grep -q ";TITLE *: *PRINT TEST" "$work/short-$p.txt" || { echo "FAIL: page $p title line"; fails=$((fails + 1)); }
done
# Wine's PostScript driver embeds the symbol-encoded calculator font without a text layer, so
# the program's lines are checked in the PDF of travex-cli print (tests/cli/print.sh); here the
# font must be the calculator font.
pdffonts "$work/short.pdf" | grep -q "TM-QV7" ||
    { echo "FAIL: program text not in the calculator font: $(pdffonts "$work/short.pdf")"; fails=$((fails + 1)); }
pdftoppm -r 50 -f 1 -l 1 -png "$work/short.pdf" "$work/short-page"
check "window usable after printing" pd document-enabled

# --- a screen image and a slide show from their windows ------------------------------------------
# The picture window opens at 100 %: on the 300 dpi printer each screen pixel is 3 x 3 printer
# pixels. The slide show prints its twelve pages numbered in order under its title.
check "open Pict1.g6i" edit open "$(win Pict1.g6i)"
print_window_job pict-window
job_text "$work/pict-window.pdf" "$work/pict-window.txt"
grep -q ";FILE TYPE *: *PICTURE" "$work/pict-window.txt" || { echo "FAIL: window picture type line"; fails=$((fails + 1)); }
grep -q ";PICT1" "$work/pict-window.txt" || { echo "FAIL: window picture variable line"; fails=$((fails + 1)); }
pdftoppm -r 300 -gray -aa no -aaVector no -f 1 -l 1 "$work/pict-window.pdf" "$work/pict-window"
python3 "$here/lib/check_print_pixels.py" "$work/pict-window-1.pgm" "$files/screen.bin" 3 ||
    { echo "FAIL: window picture pixels"; fails=$((fails + 1)); }
check "picture window usable after printing" pd document-enabled
check "open show.g6s" edit open "$(win show.g6s)"
print_window_job show-window
job_text "$work/show-window.pdf" "$work/show-window.txt"
numbers=$(grep -o 'No\.[0-9]*' "$work/show-window.txt" | tr '\n' ' ')
[ "$numbers" = "No.1 No.2 No.3 No.4 No.5 No.6 No.7 No.8 No.9 No.10 No.11 No.12 " ] ||
    { echo "FAIL: window slide numbers: $numbers"; fails=$((fails + 1)); }
grep -q ";TITLE *: *MY SLIDES" "$work/show-window.txt" || { echo "FAIL: window slide show title"; fails=$((fails + 1)); }
pdftoppm -r 50 -f 1 -l 1 -png "$work/show-window.pdf" "$work/show-window-page"
check "slide show window usable after printing" pd document-enabled

# --- a printer that cannot take the job: the window stays usable and the next job prints --------
# The port's file is a directory, which the spooler cannot write whoever runs the test.
rm -f "$out"; mkdir -p "$out"
edit command 20007 >/dev/null
check "print dialog OK (failing printer)" pd dialog Print ok
sleep 3
check "window usable after a failing printer" pd document-enabled
rm -rf "$out"
print_window_job show-again
grep -q "No\.12" <(pdftotext -raw "$work/show-again.pdf" - 2>/dev/null) ||
    { echo "FAIL: no job printed after the failing printer"; fails=$((fails + 1)); }

# --- Cancel in the print dialog: nothing printed ------------------------------------------------
rm -f "$out"
edit command 20007 >/dev/null
check "print dialog Cancel" pd dialog Print cancel
sleep 2
[ -e "$out" ] && { echo "FAIL: a cancelled print dialog printed"; fails=$((fails + 1)); }
check "window usable after the cancelled dialog" pd document-enabled

# --- Cancel in "Now Printing:": the job is aborted ----------------------------------------------
check "open BIG.g6p" edit open "$(win BIG.g6p)"
rm -f "$out"
# The canceller waits for the printing dialog before the job starts, so its Cancel arrives while
# the pages are still being laid out; the dialog stays up until the layout ends.
pd cancel-printing 60000 >"$work/cancel.out" 2>&1 &
canceller=$!
sleep 1
edit command 20007 >/dev/null
check "print dialog OK for BIG" pd dialog Print ok
sleep 0.3
shot app-print-now-printing.png
wait "$canceller" || { echo "FAIL: Cancel in Now Printing: $(cat "$work/cancel.out")"; fails=$((fails + 1)); }
[ "$(tr -d '\r' <"$work/cancel.out")" = "$(win BIG.g6p)" ] ||
    { echo "FAIL: printing dialog named '$(cat "$work/cancel.out")'"; fails=$((fails + 1)); }
sleep 3
[ -s "$out" ] && { echo "FAIL: a cancelled job reached the printer ($(stat -c %s "$out") bytes)"; fails=$((fails + 1)); }
check "window usable after Cancel" pd document-enabled
edit command 20003 >/dev/null

# --- Print Setup: landscape, kept for the next jobs ---------------------------------------------
edit command 20008 >/dev/null
check "Print Setup landscape" pd landscape
for round in 1 2; do
    rm -f "$out"
    edit command 20007 >/dev/null
    check "print dialog OK (landscape $round)" pd dialog Print ok
    check "landscape job $round written" await_job
    grep -aq "%%Orientation: Landscape\|%%PageOrientation: Landscape" "$out" ||
        { echo "FAIL: job $round after Print Setup is not landscape"; fails=$((fails + 1)); }
done

edit command 20009 >/dev/null
for _ in 1 2 3 4; do edit answer "ZELTA TRAVEX" no 3000 >/dev/null 2>&1 || break; done
wait_exit "${app_pids[-1]}" || { echo "FAIL: the application did not end cleanly"; fails=$((fails + 1)); }

echo "app_print: $fails failures; pages and screenshots in $work"
exit $fails
