#!/usr/bin/env bash
# export: data files as text, --raw against escapes, messages and exit codes.
source "$(dirname "$0")/lib/common.sh"
header() { printf '%s%s'"$3"'%s' "$1" "$2" "$4"; head -c $((41 - ${#4})) /dev/zero; }

{ header 6 l '\020\010         ' 'List file data'
  printf '\020\010\0\003\0\0\0\0\0\020\0\0\0\0\0\0\0\001\040\0\0\0\0\0\0\0\0\065\0\0\0\0\0\0'
} >list.g6l
expect 0 "export" "$cli" export list.g6l
printf ';L1\r\n\r\n1\r\n@-@2\r\n3.5\r\n' | cmp -s - last.out || fail "list text"
expect 0 "export --raw keeps the glyph 0x9A" "$cli" export --raw list.g6l
printf ';L1\r\n\r\n1\r\n\2322\r\n3.5\r\n' | cmp -s - last.out || fail "--raw text"
printf 'A@theta@B@nosuch@@intdiv@\r\n' >esc.txt
"$cli" export --raw esc.txt | cmp -s - <(printf 'A\251Bint\266\r\n') || fail "text --raw"
"$cli" export esc.txt | cmp -s - <(printf 'A@theta@B@intdiv@\r\n') || fail "text"

{ header 6 m '\020\010         ' ''; printf '\020\010\0\0\0\0\0\0\0\0'; } >letter.g6l
{ header 6 t '           ' ''; head -c 8 /dev/zero; } >empty.g6t
for c in "letter.g6l|letter.g6l: Specified file cannot be read." \
    "empty.g6t|empty.g6t: The specified file contains no data." \
    "list.g6l -o x/out.txt|x/out.txt: Specified file cannot be created."; do
    expect 1 "export ${c%%|*}" "$cli" export ${c%%|*} && said "${c#*|}" "export ${c%%|*}"
done
finish
