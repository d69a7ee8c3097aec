#!/usr/bin/env bash
# travex-cli.exe under Wine gives byte-identical output and the same exit status as the native
# travex-cli, for every case line in cli_cases.txt (arguments after the command name). Inputs
# are made in the work folder's "in" folder by "prepare" lines (the native travex-cli) and
# "shell" lines (a shell command; $TRAVEX_SOURCE names the source tree). Each "run" case works
# in its own copy of that folder on each side, and the files it leaves must be identical too.
# usage: cli_identical.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
exe=$mingw/cli/travex-cli.exe
wine_env=$here/../../scripts/wine-env
export TRAVEX_SOURCE
TRAVEX_SOURCE=$(cd "$here/../.." && pwd)
rm -rf "$work"; mkdir -p "$work/in" "$work/native" "$work/wine"
[ -f "$exe" ] || { echo "missing $exe"; exit 1; }
# Inputs: whatever the native build writes with the prepare lines of the case file.
cd "$work/in"
fails=0 cases=0
while IFS= read -r line; do
    case $line in ''|'#'*) continue ;; esac
    kind=${line%% *} rest=${line#* }
    if [ "$kind" = prepare ]; then
        # shellcheck disable=SC2086
        eval "\"$native\" $rest" >/dev/null 2>&1
        continue
    fi
    if [ "$kind" = shell ]; then
        (eval "$rest") >/dev/null 2>&1
        continue
    fi
    cases=$((cases + 1))
    for side in native wine; do
        rm -rf "$work/$side/$cases.files"
        cp -r "$work/in" "$work/$side/$cases.files"
    done
    # shellcheck disable=SC2086
    (cd "$work/native/$cases.files" && eval "\"$native\" $rest") \
        >"$work/native/$cases.out" 2>"$work/native/$cases.err"
    echo $? >"$work/native/$cases.rc"
    # shellcheck disable=SC2086
    (cd "$work/wine/$cases.files" && eval "\"$wine_env\" run \"$prefix\" \"$exe\" $rest") \
        >"$work/wine/$cases.out" 2>"$work/wine/$cases.err"
    echo $? >"$work/wine/$cases.rc"
    for part in out rc; do
        if ! cmp -s "$work/native/$cases.$part" "$work/wine/$cases.$part"; then
            echo "FAIL ($part differs): $rest"
            fails=$((fails + 1))
        fi
    done
    if ! diff -r "$work/native/$cases.files" "$work/wine/$cases.files" >"$work/$cases.files.diff"; then
        echo "FAIL (files differ): $rest"
        head -5 "$work/$cases.files.diff"
        fails=$((fails + 1))
    fi
done < "$here/cli_cases.txt"
echo "$cases cases compared, $fails differences"
[ "$cases" -gt 0 ] && [ "$fails" -eq 0 ]
