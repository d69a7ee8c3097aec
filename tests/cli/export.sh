#!/usr/bin/env bash
# travex-cli export: data files as the text the application shows and saves; exit codes and
# messages, --raw against escapes, and the file written by -o.
source "$(dirname "$0")/lib/common.sh"
# A 54-byte header: digit, letter, item name (printf escapes), title, zeros up to 54 bytes.
header() { printf '%s%s'"$3"'%s' "$1" "$2" "$4"; head -c $((41 - ${#4})) /dev/zero; }

# The list L1 holding 1, -2 and 3.5.
{ header 6 l '\020\010         ' 'List file data'
  printf '\020\010\0\003\0\0\0\0\0\020\0\0\0\0\0\0\0\001\040\0\0\0\0\0\0\0\0\065\0\0\0\0\0\0'
} > list.g6l
printf ';L1\r\n\r\n1\r\n@-@2\r\n3.5\r\n' > list.want
"$cli" export list.g6l > list.out 2> list.err || fail "list: exit $?"
cmp -s list.out list.want || fail "list text: $(od -c list.out | head -3)"
[ -s list.err ] && fail "list: unexpected message $(cat list.err)"
"$cli" export --raw list.g6l > raw.out || fail "raw: exit $?"
printf ';L1\r\n\r\n1\r\n\2322\r\n3.5\r\n' | cmp -s - raw.out || fail "--raw keeps the glyph 0x9A"
# -o replaces an existing file with the same text.
echo old > saved.txt
"$cli" export list.g6l -o saved.txt || fail "-o: exit $?"
cmp -s saved.txt list.want || fail "-o text"

# A text file goes through its escapes: decoded for --raw, encoded again otherwise.
printf 'A@theta@B@nosuch@@intdiv@\r\n' > esc.txt
"$cli" export --raw esc.txt | cmp -s - <(printf 'A\251Bint\266\r\n') || fail "text --raw"
"$cli" export esc.txt | cmp -s - <(printf 'A@theta@B@intdiv@\r\n') || fail "text"

# Failures name the file and give the message, exit 1.
{ header 6 m '\020\010         ' ''; printf '\020\010\0\0\0\0\0\0\0\0'; } > letter.g6l
{ header 6 t '           ' ''; head -c 8 /dev/zero; } > empty.g6t
expect_failure() { # message args...
    local message=$1; shift
    "$cli" export "$@" > /dev/null 2> err.txt; local rc=$?
    [ "$rc" -eq 1 ] && grep -qF "$message" err.txt || fail "export $*: exit $rc, $(cat err.txt)"
}
expect_failure "letter.g6l: Specified file cannot be read." letter.g6l
expect_failure "nothing.g6l: Access to the file has failed." nothing.g6l
expect_failure "empty.g6t: The specified file contains no data." empty.g6t
expect_failure "x/out.txt: Specified file cannot be created." list.g6l -o x/out.txt
for args in "" "a.g6l b.g6l" "--bogus list.g6l"; do
    "$cli" export $args > /dev/null 2>&1; [ $? -eq 2 ] || fail "export $args: not a usage error"
done
finish
