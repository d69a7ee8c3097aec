#!/usr/bin/env bash
# detok, tok and tokens: the samples both ways, --raw, usage errors (2) and failures (1), and the
# 51,200-byte text limit at its edge, refusals keeping the existing output.
source "$(dirname "$0")/lib/common.sh"
samples=$lib/../../../samples
body() { tail -c +55 "$1"; }

for name in hello count; do
    title=$(head -c 53 "$samples/$name.g6p" | tail -c 40 | tr -d '\0')
    expect 0 "tok $name" "$cli" tok "$samples/$name.txt" --title "$title" -o "$name.g6p"
    cmp -s "$name.g6p" "$samples/$name.g6p" || fail "tok $name differs from the sample"
    expect 0 "detok $name" "$cli" detok "$name.g6p" -o "$name.txt"
    { cat "$samples/$name.txt"; printf '\r\n'; } | cmp -s - "$name.txt" || fail "detok $name"
done

cp "$samples/count.txt" mine.txt
"$cli" tok mine.txt && "$cli" tok mine.txt -o - | cmp -s - mine.g6p || fail "tok -o - or default name"
expect 0 "detok --raw" "$cli" detok --raw mine.g6p -o raw.txt
grep -q '@theta@' raw.txt && fail "detok --raw writes escapes"
expect 0 "tok --raw" "$cli" tok --raw raw.txt -o raw.g6p
cmp -s <(body raw.g6p) <(body mine.g6p) || fail "tok --raw of the raw text"
"$cli" tokens -o tokens.lst && [ "$(wc -l < tokens.lst)" -eq 573 ] || fail "tokens -o: 573 lines"

for args in "" "frobnicate" "detok a b" "tok mine.txt -o"; do expect 2 "$args" "$cli" $args; done
expect 2 "tok title of 41 bytes" "$cli" tok mine.txt -o t.g6p --title "$(printf '%041d' 0)"
[ -e t.g6p ] && fail "refused title wrote a file"
head -c 53 mine.g6p > short.g6p
expect 1 "detok file shorter than its header" "$cli" detok short.g6p
[ "$(wc -l < last.err)" -eq 1 ] && grep -q short.g6p last.err || fail "one line naming short.g6p"

line=$(head -c 158 /dev/zero | tr '\0' 'A')
{ for _ in $(seq 319); do printf '%s\r\n' "$line"; done; printf '%s' "$line"; } > full.txt
expect 0 "tok of the longest text" "$cli" tok full.txt -o full.g6p
"$cli" detok full.g6p | [ "$(wc -c)" -eq 51200 ] || fail "full program opens as 51200 bytes"
{ cat full.txt; printf B; } > over1.txt
head -c 25601 /dev/zero | tr '\0' 'u' > over3.txt
for over in over1 over3; do
    echo keep > big.g6p
    expect 1 "tok of $over" "$cli" tok $over.txt -o big.g6p
    [ "$(cat big.g6p)" = keep ] || fail "refused tok of $over changed the existing output"
done
{ head -c 54 mine.g6p; head -c 10000 /dev/zero | tr '\0' '\236'; } > long.g6p  # 0x9E df_list
expect 1 "detok of a text beyond the limit" "$cli" detok long.g6p -o long.txt
[ -e long.txt ] && fail "refused detok wrote a file"

finish
