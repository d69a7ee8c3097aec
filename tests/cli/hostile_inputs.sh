#!/usr/bin/env bash
# Inputs no file of their kind can be (huge sparse files, endless devices, folders, pipes): refused
# with one line naming the input and exit 1, without being read whole.
source "$(dirname "$0")/lib/common.sh"

for name in big.g6p big.g6g big.txt big; do
    truncate -s 3G "$name" || { echo "SKIP: no sparse files here"; exit 0; }
done
mkdir folder.g6p
mkfifo pipe.g6p

refuse() {
    local input=$1; shift
    timeout 60 "$cli" "$@" >out.txt 2>err.txt; local rc=$?
    [ "$rc" -eq 1 ] || fail "$* : exit $rc, expected 1 ($(head -c 300 err.txt))"
    [ "$(wc -l <err.txt)" -eq 1 ] || fail "$* : expected one line, got: $(head -c 300 err.txt)"
    grep -qF -- "$input" err.txt || fail "$* : the line does not name $input: $(cat err.txt)"
}

for input in big.g6p big /dev/zero folder.g6p; do
    refuse "$input" info "$input"
    refuse "$input" detok "$input"
    refuse "$input" image "$input" -o out.bmp
    refuse "$input" slides "$input" -o pages
done
for input in big.g6g big /dev/zero; do refuse "$input" ungroup "$input" unpacked; done
for input in big.txt big /dev/zero; do refuse "$input" tok "$input" -o prog.g6p; done
refuse big.g6p group out.g6g big.g6p
refuse /dev/zero group out.g6g /dev/zero
[ -e out.g6g ] || [ -e prog.g6p ] && fail "a refused input left a group or program file"

timeout 60 "$cli" tok - -o prog.g6p </dev/zero >/dev/null 2>err.txt; rc=$?
[ "$rc" -eq 1 ] && grep -q 'standard input' err.txt || fail "tok of endless standard input: exit $rc"

{ printf '6p%-11s%-40s\0' P ''; printf 'A\xfd\xff'; } >pipe.g6p &
"$cli" detok pipe.g6p >pipe.out 2>pipe.err || fail "detok through a pipe: $(cat pipe.err)"
wait

finish
