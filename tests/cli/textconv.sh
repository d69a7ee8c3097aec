#!/usr/bin/env bash
# travex-cli detok as git's textconv driver, set up with the README's three lines: git diff of
# two versions of a program shows the changed program line as text, and a damaged version shows
# git's own failure instead of a silent empty diff.
source "$(dirname "$0")/lib/common.sh"
export GIT_CONFIG_NOSYSTEM=1 HOME="$work" GIT_AUTHOR_NAME=t GIT_AUTHOR_EMAIL=t@t \
    GIT_COMMITTER_NAME=t GIT_COMMITTER_EMAIL=t@t
git init -q repo && cd repo || exit 1
# The README's three lines (with this build's travex-cli).
printf '*.g6p diff=travex\n' >.gitattributes
git config diff.travex.textconv "$cli detok"
git config diff.travex.binary true

printf '"HELLO"\r\n1@sto@A\r\nA+1@sto@B\r\n' >prog.txt
"$cli" tok prog.txt -o prog.g6p || fail "tok"
git add .gitattributes prog.g6p && git commit -qm one || fail "first commit"
printf '"HELLO"\r\n2@sto@A\r\nA+1@sto@B\r\n' >prog.txt
"$cli" tok prog.txt -o prog.g6p || fail "tok again"
out=$(git diff prog.g6p | tr -d '\r')
grep -qx -- '-1@sto@A' <<<"$out" || fail "the old line is not shown: $out"
grep -qx -- '+2@sto@A' <<<"$out" || fail "the new line is not shown: $out"
grep -qx -- ' A+1@sto@B' <<<"$out" || fail "the unchanged line is not context: $out"
grep -q 'Binary files' <<<"$out" && fail "git compared bytes instead of text"
# A file that is no program: the driver fails and git says so.
head -c 10 prog.g6p >broken.g6p && git add broken.g6p
git diff --cached broken.g6p >/dev/null 2>err.txt && fail "a damaged program diffs silently"
grep -q "not a program file" err.txt || fail "the driver's message is not passed on: $(cat err.txt)"

finish
