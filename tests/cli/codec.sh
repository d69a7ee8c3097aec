#!/usr/bin/env bash
# travex-cli detok, tok and tokens: program files <-> text files, headers, limits, errors.
set -u
cli=$1 work=$2
here=$(cd "$(dirname "$0")" && pwd)
samples=$here/../../samples
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1
fails=0
failed() { echo "FAIL: $*"; fails=$((fails + 1)); }
check() { # expected-status description command...
    local want=$1 what=$2; shift 2
    "$@" >out.txt 2>err.txt; local got=$?
    [ "$got" -eq "$want" ] || failed "$what: exit $got, expected $want"
}
# Byte at offset of a file, as two hex digits.
byte_at() { od -An -tx1 -j "$2" -N1 "$1" | tr -d ' \n'; }

# The samples were saved by tok: saving their texts again gives the same files.
for name in hello quadrat count; do
    check 0 "tok $name" "$cli" tok "$samples/$name.txt" --title "$(head -c 53 "$samples/$name.g6p" | tail -c 40 | tr -d '\0')" -o "$name.g6p"
    cmp -s "$name.g6p" "$samples/$name.g6p" || failed "tok $name differs from the sample"
    # Opening gives the text back, with the final line break of the 0xFD 0xFF trailer.
    check 0 "detok $name" "$cli" detok "$name.g6p" -o "$name.txt"
    { cat "$samples/$name.txt"; printf '\r\n'; } > expected.txt
    cmp -s "$name.txt" expected.txt || failed "detok $name is not the source text"
done

# Header of a saved program.
"$cli" tok "$samples/hello.txt" -o "HelloWorld.G6P" --title "MY TITLE" >/dev/null 2>&1 || failed "tok HelloWorld"
[ "$(head -c 13 HelloWorld.G6P | od -An -c | tr -d ' \n')" = '6PHelloWor\0\0\0' ] || failed "model digit, type letter and 8-character name"
[ "$(head -c 53 HelloWorld.G6P | tail -c 40 | tr -d '\0')" = "MY TITLE" ] || failed "title field"
[ "$(byte_at HelloWorld.G6P 53)" = 00 ] || failed "byte 53 is zero"
[ "$(tail -c 2 HelloWorld.G6P | od -An -tx1 | tr -d ' \n')" = fdff ] || failed "trailer 0xFD 0xFF"
[ "$(byte_at HelloWorld.G6P 54)" = 0a ] || failed "first token ClrT"
# The name field ends at the first '.', the path before the last / is not part of it.
mkdir -p sub.dir
"$cli" tok "$samples/hello.txt" -o sub.dir/a.b.g6p >/dev/null 2>&1 || failed "tok sub.dir/a.b.g6p"
[ "$(head -c 13 sub.dir/a.b.g6p | od -An -c | tr -d ' \n')" = '6pa\0\0\0\0\0\0\0\0\0\0' ] || failed "name from the last path part"

# Default output name: the text file's name with .g6p; "-o -" writes the same bytes to stdout.
cp "$samples/count.txt" mine.txt
check 0 "tok default output" "$cli" tok mine.txt
[ -f mine.g6p ] || failed "default output mine.g6p"
"$cli" tok mine.txt -o - > stdout.g6p 2>/dev/null || failed "tok -o -"
cmp -s mine.g6p stdout.g6p || failed "tok -o - differs from the file"
check 0 "detok to stdout" "$cli" detok mine.g6p
grep -q '@theta@' out.txt || failed "detok writes @theta@ escapes"
check 0 "detok --raw" "$cli" detok --raw mine.g6p
grep -q '@theta@' out.txt && failed "detok --raw writes no escapes"
[ "$(od -An -tx1 out.txt | grep -c a9)" -ge 1 ] || failed "detok --raw writes byte 0xA9"
# tok --raw of the raw text gives the same program, and the text reads back without growing.
cp out.txt raw.txt
"$cli" tok --raw raw.txt -o raw.g6p >/dev/null 2>&1 || failed "tok --raw"
"$cli" detok raw.g6p -o raw-back.txt >/dev/null 2>&1
{ cat mine.txt; printf '\r\n'; } > expected.txt
cmp -s raw-back.txt expected.txt || failed "tok --raw of the raw text"

# The token listing.
check 0 "tokens" "$cli" tokens
[ "$(wc -l < out.txt)" -eq 573 ] || failed "tokens lists 573 tokens"
grep -qx '0A61 "@intdiv@"' out.txt || failed "tokens: int division"
grep -qx '88 "sin "' out.txt || failed "tokens: sin with its space"
grep -qx 'FD "\\r\\n"' out.txt || failed "tokens: line break"
grep -qx '0910 "mat A"' out.txt || failed "tokens: mat A"
check 0 "tokens -o" "$cli" tokens -o list.txt
cmp -s list.txt out.txt 2>/dev/null || "$cli" tokens | cmp -s - list.txt || failed "tokens -o"

# Usage errors.
check 2 "detok without file" "$cli" detok
check 2 "detok two files" "$cli" detok a b
check 2 "detok unknown option" "$cli" detok --bogus mine.g6p
check 2 "tok without file" "$cli" tok
check 2 "tok -o without value" "$cli" tok mine.txt -o
check 2 "tok title of 41 bytes" "$cli" tok mine.txt -o t.g6p --title "$(printf '%041d' 0)"
[ -e t.g6p ] && failed "refused title wrote a file"
check 0 "tok title of 40 bytes" "$cli" tok mine.txt -o t.g6p --title "$(printf '%040d' 0)"
check 2 "tok output name of one character" "$cli" tok mine.txt -o p
check 2 "tok checks the output name before reading" "$cli" tok no-such.txt -o sub.dir/p
check 2 "tokens with an argument" "$cli" tokens extra

# Failures: one line naming the file, exit 1.
check 1 "detok missing file" "$cli" detok no-such.g6p
grep -q 'no-such.g6p' err.txt || failed "missing file named in the message"
check 1 "tok missing file" "$cli" tok no-such.txt
head -c 53 mine.g6p > short.g6p
check 1 "detok file shorter than its header" "$cli" detok short.g6p
[ "$(wc -l < err.txt)" -eq 1 ] && grep -q short.g6p err.txt || failed "one line naming short.g6p"
{ printf '6l'; head -c 100 /dev/zero; } > list.g6l
check 1 "detok of a list file" "$cli" detok list.g6l
head -c 54 mine.g6p > empty.g6p
check 0 "detok of an empty program" "$cli" detok empty.g6p
[ -s out.txt ] && failed "empty program gives empty text"

# The 51,200-byte limit: refused as a whole, existing outputs untouched.
# 319 lines of 158 characters and CR LF, then 158 characters: 51,198 characters, 50,879 token
# bytes; opened again with the trailer's line break it is exactly 51,200 bytes of text.
line=$(head -c 158 /dev/zero | tr '\0' 'A')
{ for _ in $(seq 319); do printf '%s\r\n' "$line"; done; printf '%s' "$line"; } > full.txt
check 0 "tok of the longest text" "$cli" tok full.txt -o full.g6p
[ "$(wc -c < full.g6p)" -eq $((54 + 50879 + 2)) ] || failed "size of the full program"
check 0 "detok of the full program" "$cli" detok full.g6p -o full-back.txt
[ "$(wc -c < full-back.txt)" -eq 51200 ] || failed "full program opens as 51200 bytes"
# One more character: the saved program would not open again, so it is not saved.
printf 'B' >> full.txt
echo keep > big.g6p
check 1 "tok of a text that would not open again" "$cli" tok full.txt -o big.g6p
[ "$(cat big.g6p)" = keep ] || failed "refused tok changed the existing output"
printf 'B' >> full.txt
echo keep > big.g6p
check 1 "tok of 51201 characters" "$cli" tok full.txt -o big.g6p
[ "$(cat big.g6p)" = keep ] || failed "refused tok changed the existing output"
grep -q '51200' err.txt || failed "limit named in the message"
# 25,601 two-byte tokens: short text, too many token bytes.
head -c 25601 /dev/zero | tr '\0' 'u' > wide.txt
check 1 "tok of too many token bytes" "$cli" tok wide.txt -o wide.g6p
[ -e wide.g6p ] && failed "refused tok wrote a file"
# A program whose text is longer than the limit.
{ head -c 54 mine.g6p; head -c 10000 /dev/zero | tr '\0' '\236'; } > long.g6p  # 0x9E df_list
check 1 "detok of a text beyond the limit" "$cli" detok long.g6p -o long.txt
[ -e long.txt ] && failed "refused detok wrote a file"

# Corpus with every token: one a line and at the ends of full lines, the programs read back
# exactly: the text's final line break is the 0xFD of the 0xFD 0xFF trailer.
"$cli" tokens -o tokens.lst && bash "$here/../corpus/make_program_corpus.sh" tokens.lst corpus ||
    failed "corpus generator"
for name in corpus_lines corpus_full1 corpus_full2; do
    "$cli" detok "corpus/$name.g6p" -o "$name.txt" >/dev/null 2>&1 || failed "detok $name"
    "$cli" tok "$name.txt" -o "$name.g6p" >/dev/null 2>&1 || failed "tok $name"
    tail -c +55 "corpus/$name.g6p" > expected.bin
    tail -c +55 "$name.g6p" | cmp -s - expected.bin || failed "$name does not read back exactly"
done
# Codes without text and merged tokens still convert.
check 0 "detok odd codes" "$cli" detok corpus/corpus_odd.g6p
[ "$(cat out.txt)" = AB ] || failed "odd codes give only their two letters"
check 0 "detok packed" "$cli" detok corpus/corpus_packed.g6p -o packed.txt
check 0 "tok packed" "$cli" tok packed.txt -o packed.g6p

exit $fails
