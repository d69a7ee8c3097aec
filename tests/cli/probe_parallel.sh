#!/usr/bin/env bash
# travex-cli probe tries every port at the same time: four silent lines and one calculator, all
# on pseudo-terminals, give the calculator's line in about the time one silent line takes to
# give up, far less than the four silent lines one after another.
set -u
cli=$1 work=$2
rm -rf "$work"; mkdir -p "$work"
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done; }
trap cleanup EXIT

start_sim() { # link-name args...
    local link=$1; shift
    "$cli" sim --link "$work/$link" "$@" >"$work/$link.out" 2>"$work/$link.err" &
    pids+=($!)
    for _ in $(seq 50); do [ -L "$work/$link" ] && return 0; sleep 0.1; done
    fail "sim $* made no terminal: $(cat "$work/$link.err")"
    return 1
}
now_ms() { date +%s%3N; }

for m in 1 2 3 4; do start_sim "mute$m" --fault silence || exit 1; done
start_sim calc || exit 1

# One silent line alone: the time the hello's patience takes.
t0=$(now_ms)
"$cli" probe --port "$work/mute1" >/dev/null 2>&1
[ $? -eq 1 ] || fail "a silent line alone is no calculator"
one=$(( $(now_ms) - t0 ))

# The calculator listed last, behind four silent lines.
t0=$(now_ms)
out=$("$cli" probe --port "$work/mute1" --port "$work/mute2" --port "$work/mute3" \
    --port "$work/mute4" --port "$work/calc" 2>"$work/probe.err")
rc=$?
five=$(( $(now_ms) - t0 ))
[ $rc -eq 0 ] || fail "probe exit status $rc: $(cat "$work/probe.err")"
[ "$out" = "$work/calc" ] || fail "probe found '$out' instead of $work/calc"
echo "NOTE: one silent port ${one} ms; four silent ports and the calculator ${five} ms"
# One after another the four silent lines alone would take four times as long; at once they
# take about as long as one. The bound is generous for a loaded machine.
[ "$five" -lt $(( one * 2 )) ] || fail "probe took ${five} ms, one silent port takes ${one} ms"

# Two calculators and a device that is no terminal: --all names both, in the order given; the
# plain probe names the first one listed even when a later one answers first.
start_sim calc2 || exit 1
out=$("$cli" probe --all --port "$work/calc2" --port /dev/null --port "$work/mute2" \
    --port "$work/calc" 2>/dev/null)
[ "$out" = "$(printf '%s\n%s' "$work/calc2" "$work/calc")" ] || fail "probe --all gave '$out'"
out=$("$cli" probe --port "$work/mute3" --port "$work/calc2" --port "$work/calc" 2>/dev/null)
[ "$out" = "$work/calc2" ] || fail "probe gave '$out' instead of the first calculator listed"

[ $fails -eq 0 ] && echo "probe_parallel: all passed"
exit $((fails > 0))
