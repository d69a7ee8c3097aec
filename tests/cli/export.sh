#!/usr/bin/env bash
# travex-cli export: data files as the text the application shows and saves.
set -u
cli=$1 work=$2
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1
fails=0
bad() { echo "FAIL: $*"; fails=$((fails + 1)); }

# A 54-byte header: model digit, type letter, item name (11 bytes given as printf octal),
# title padded with zeros to 40 bytes, one zero byte.
header() { # digit letter name-octal title
    printf '%s%s' "$1" "$2"
    printf "$3"
    printf '%s' "$4"
    head -c $((40 - ${#4})) /dev/zero
    printf '\0'
}
spaces='           '
# Numbers: exponent bytes and mantissa, octal.
ONE='\0\0\020\0\0\0\0\0\0'
MINUS_TWO='\0\001\040\0\0\0\0\0\0'
THREE_HALF='\0\0\065\0\0\0\0\0\0'

{ header 6 l '\020\010         ' 'List file data'
  printf '\020\010\0\003\0\0\0'; printf "$ONE$MINUS_TWO$THREE_HALF"; } > list.g6l
printf ';L1\r\n\r\n1\r\n@-@2\r\n3.5\r\n' > list.want
"$cli" export list.g6l > list.out 2> list.err || bad "list: exit $?"
cmp -s list.out list.want || bad "list text: $(od -c list.out | head -3)"
[ -s list.err ] && bad "list: unexpected message $(cat list.err)"

# --raw keeps the calculator's minus glyph (0x9A).
"$cli" export --raw list.g6l > raw.out || bad "raw: exit $?"
printf ';L1\r\n\r\n1\r\n\2322\r\n3.5\r\n' > raw.want
cmp -s raw.out raw.want || bad "raw text: $(od -c raw.out | head -3)"

# -o writes the same text as a file; an existing file is replaced.
echo old > saved.txt
"$cli" export list.g6l -o saved.txt || bad "-o: exit $?"
cmp -s saved.txt list.want || bad "-o text"

# A 2 x 3 matrix, column after column; complex 0+0i in a list reads 0.
{ header 6 m '\020\011         ' 'Matrix file data'
  printf '\020\011\0\003\0\002\0'
  for d in 020 100 040 120 060 140; do printf "\\0\\0\\$d\\0\\0\\0\\0\\0\\0"; done; } > mat.g6m
printf ';mat A\r\n\r\n1 2 3 \r\n4 5 6 \r\n' > mat.want
"$cli" export mat.g6m > mat.out || bad "matrix: exit $?"
cmp -s mat.out mat.want || bad "matrix text: $(od -c mat.out | head -4)"

{ header 6 l '\021\010         ' ''
  printf '\021\010\0\002\0\002\0'
  printf '\0\004\0\0\0\0\0\0\0'; printf '\0\0\0\0\0\0\0\0\0'
  printf '\0\004\060\0\0\0\0\0\0'; printf '\0\0\100\0\0\0\0\0\0'; } > cplx.g6l
printf ';L2\r\n\r\n0\r\n3+4i\r\n' > cplx.want
"$cli" export cplx.g6l > cplx.out || bad "complex list: exit $?"
cmp -s cplx.out cplx.want || bad "complex list text: $(od -c cplx.out | head -4)"

# A window setup body of 200 bytes ends before Thetamin (slot 22).
{ header 6 w "$spaces" 'Window setup file data'; head -c 200 /dev/zero; } > win.g6w
printf ';WINDOW SETUP\r\n\r\nXmin   0\r\nXmax   0\r\nXscl   0\r\nYmin   0\r\nYmax   0\r\nYscl   0\r\n\r\n' > win.want
"$cli" export win.g6w > win.out || bad "window: exit $?"
cmp -s win.out win.want || bad "window text: $(od -c win.out | head -4)"

# A text file goes through its escapes: decoded for --raw, encoded again otherwise.
printf 'A@theta@B@nosuch@@intdiv@\r\n' > esc.txt
"$cli" export --raw esc.txt > esc.raw || bad "text --raw: exit $?"
printf 'A\251Bint\266\r\n' > esc.want
cmp -s esc.raw esc.want || bad "text --raw: $(od -c esc.raw | head -2)"
"$cli" export esc.txt > esc.out || bad "text: exit $?"
printf 'A@theta@B@intdiv@\r\n' > esc.want
cmp -s esc.out esc.want || bad "text: $(od -c esc.out | head -2)"

# Failures name the file and give the message.
expect_failure() { # file message
    "$cli" export "$1" > /dev/null 2> err.txt; local rc=$?
    [ "$rc" -eq 1 ] || bad "$1: exit $rc, expected 1"
    grep -qF "$1: $2" err.txt || bad "$1: message '$(cat err.txt)', expected '$2'"
}
{ header 4 l '\020\010         ' ''; printf '\020\010\0\0\0\0\0\0\0\0'; } > digit.g6l
{ header 6 m '\020\010         ' ''; printf '\020\010\0\0\0\0\0\0\0\0'; } > letter.g6l
{ header 6 t "$spaces" ''; head -c 8 /dev/zero; } > empty.g6t
printf 'x' > picture.g6i
expect_failure digit.g6l "Specified file cannot be read."
expect_failure letter.g6l "Specified file cannot be read."
expect_failure empty.g6t "The specified file contains no data."
expect_failure picture.g6i "Specified file cannot be read."
expect_failure nothing.g6l "Access to the file has failed."

# Saving where no file can be created.
"$cli" export list.g6l -o no-such-folder/out.txt > /dev/null 2> err.txt && bad "-o into a missing folder succeeded"
grep -qF "no-such-folder/out.txt: Specified file cannot be created." err.txt || bad "-o failure message: $(cat err.txt)"

# Usage errors.
"$cli" export > /dev/null 2>&1; [ $? -eq 2 ] || bad "no file: not a usage error"
"$cli" export a.g6l b.g6l > /dev/null 2>&1; [ $? -eq 2 ] || bad "two files: not a usage error"
"$cli" export --bogus list.g6l > /dev/null 2>&1; [ $? -eq 2 ] || bad "unknown option: not a usage error"
exit $fails
