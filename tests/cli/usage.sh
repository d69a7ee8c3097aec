#!/usr/bin/env bash
# travex-cli answers usage errors with exit 2 and help with exit 0.
set -u
cli=$1
fails=0
check() { # expected-status description command...
    local want=$1 what=$2; shift 2
    "$@" >/dev/null 2>&1; local got=$?
    if [ "$got" -ne "$want" ]; then echo "FAIL: $what: exit $got, expected $want"; fails=$((fails + 1)); fi
}
check 2 "no command" "$cli"
check 2 "unknown command" "$cli" frobnicate
check 0 "help" "$cli" --help
"$cli" --help | grep -q "usage: travex-cli COMMAND" || { echo "FAIL: help text"; fails=$((fails + 1)); }
exit $fails
