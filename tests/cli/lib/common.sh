# Shared pieces of the travex-cli tests, sourced with the program and a fresh work folder as arguments.
set -u
lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cli=$(readlink -f "$1") work=$2
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1
work=$PWD
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
finish() { [ "$fails" -eq 0 ] && echo "$(basename "$0" .sh): all passed"; exit $((fails > 0)); }

expect() {
    local want=$1 what=$2; shift 2
    "$@" >last.out 2>last.err; local got=$?
    [ "$got" -eq "$want" ] || fail "$what: exit $got, expected $want ($(head -c 300 last.err))"
}
said() { grep -qF -- "$1" last.err last.out || fail "$2: no \"$1\" in: $(head -c 300 last.err)"; }
same() { cmp -s "$1" "$2" || fail "$3: $1 and $2 differ"; }

make_file() { # digit letter name body-size path
    { printf "%s%s" "$1" "$2"; printf "%-11s" "$3" | tr ' ' '\377'; head -c 41 /dev/zero
      head -c "$4" /dev/urandom; } >"$5"
}

sim_pids=()
trap 'for p in "${sim_pids[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done' EXIT
start_sim() { # name args...
    local link=$1; shift
    "$cli" sim --link "$PWD/$link" "$@" >"$link.out" 2>"$link.err" &
    sim_pids+=($!)
    for _ in $(seq 100); do [ -L "$link" ] && return 0; sleep 0.05; done
    fail "sim $* made no terminal: $(cat "$link.err")"
    return 1
}
