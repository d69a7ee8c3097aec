#!/usr/bin/env bash
# Writes program files with every token into a folder, for comparing travex-cli builds and for
# round-trip checks. The token codes come from the listing of "travex-cli tokens".
# usage: make_program_corpus.sh TOKEN_LISTING OUT_DIR
#   corpus_lines.g6p   every token once, each on its own line
#   corpus_full1.g6p   lines of exactly 160 token bytes, each two-byte token as the last one
#   corpus_full2.g6p   (split in two files to stay within the 51,200-byte text limit)
#   corpus_packed.g6p  every token side by side, lines broken before 160 bytes are exceeded
#   corpus_odd.g6p     codes without text: empty slots, prefixes without tables, indexes
#                      outside their tables, and a prefix as the very last byte
set -eu
listing=$1 out=$2
mkdir -p "$out"
codes=$(cut -d' ' -f1 "$listing")

# Header of a program file named CORPUS, title given, then the body as \xHH escapes.
write_program() { # file title body-escapes
    local title=$2
    {
        printf '6pCORPUS\0\0\0\0\0%s' "$title"
        head -c $((40 - ${#title})) /dev/zero
        printf '\0'
        printf '%b' "$3"
    } > "$1"
}
esc() { # hex digits -> \xHH escapes
    local hex=$1 s=''
    while [ -n "$hex" ]; do s+="\\x${hex:0:2}"; hex=${hex:2}; done
    printf '%s' "$s"
}

lines='' full1='' full2='' packed='' line=0 count=0
filler=$(printf '\\x41%.0s' $(seq 158))
for code in $codes; do
    lines+="$(esc "$code")\\xFD"
    width=$((${#code} / 2))
    if [ "$width" -eq 2 ]; then
        count=$((count + 1))
        if [ "$count" -le 170 ]; then
            full1+="$filler$(esc "$code")\\xFD"
        else
            full2+="$filler$(esc "$code")\\xFD"
        fi
    fi
    if [ "$code" = FD ]; then
        packed+='\xFD'; line=0; continue
    fi
    if [ $((line + width)) -gt 160 ]; then packed+='\xFD'; line=0; fi
    packed+=$(esc "$code"); line=$((line + width))
done
write_program "$out/corpus_lines.g6p" "EVERY TOKEN" "$lines\\xFD\\xFF"
write_program "$out/corpus_full1.g6p" "FULL LINES 1" "$full1\\xFD\\xFF"
write_program "$out/corpus_full2.g6p" "FULL LINES 2" "$full2\\xFD\\xFF"
write_program "$out/corpus_packed.g6p" "PACKED" "$packed\\xFD\\xFF"
odd='\x41\x3A\x6C\x40\xFE\xFF\x01\x10\x16\x06\x41\x0E\x10\x0F\xFD\x09\x0F\x09\x1A\x0A\xD4'
odd+='\x0B\x41\x05\x27\x0D\x3A\x07\x16\x0C\x1A\x42\x0A'
write_program "$out/corpus_odd.g6p" "ODD CODES" "$odd"
