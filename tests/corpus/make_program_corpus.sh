#!/usr/bin/env bash
# usage: make_program_corpus.sh TOKEN_LISTING OUT_DIR - program files with every token of "travex-cli
# tokens": corpus_lines, corpus_full1/2 (160-byte lines), corpus_packed, corpus_odd (codes without text)
set -eu
mkdir -p "$2"
lines='' full1='' full2='' packed='' line=0 count=0
filler=$(printf '\\x41%.0s' $(seq 158))
for code in $(cut -d' ' -f1 "$1"); do
    printf -v esc '\\x%s' ${code:0:2} ${code:2:2}
    width=$((${#code} / 2))
    lines+="$esc\\xFD"
    if [ "$width" -eq 2 ]; then
        count=$((count + 1))
        if [ "$count" -le 170 ]; then full1+="$filler$esc\\xFD"; else full2+="$filler$esc\\xFD"; fi
    fi
    if [ "$code" = FD ] || [ $((line + width)) -gt 160 ]; then packed+='\xFD' line=0; fi
    [ "$code" = FD ] && continue
    packed+=$esc line=$((line + width))
done
out=$2
write_program() { # file title body-escapes
    { printf '6pCORPUS\0\0\0\0\0%s' "$2"; head -c $((41 - ${#2})) /dev/zero; printf '%b' "$3"; } >"$out/$1"
}
write_program corpus_lines.g6p "EVERY TOKEN" "$lines\\xFD\\xFF"
write_program corpus_full1.g6p "FULL LINES 1" "$full1\\xFD\\xFF"
write_program corpus_full2.g6p "FULL LINES 2" "$full2\\xFD\\xFF"
write_program corpus_packed.g6p "PACKED" "$packed\\xFD\\xFF"
odd='\x41\x3A\x6C\x40\xFE\xFF\x01\x10\x16\x06\x41\x0E\x10\x0F\xFD\x09\x0F\x09\x1A\x0A\xD4'
write_program corpus_odd.g6p "ODD CODES" "$odd"'\x0B\x41\x05\x27\x0D\x3A\x07\x16\x0C\x1A\x42\x0A'
