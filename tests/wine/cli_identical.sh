#!/usr/bin/env bash
# travex-cli.exe under Wine gives byte-identical output, exit status and files as the native
# travex-cli for every "run" line of cli_cases.txt (arguments after the command name), each
# side in its own copy of the inputs that the "prepare" (native travex-cli) and "shell" lines
# made in the work folder's "in" folder ($TRAVEX_SOURCE names the source tree).
# usage: cli_identical.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
native=$1 mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
wine_env=$here/../../scripts/wine-env
export TRAVEX_SOURCE
TRAVEX_SOURCE=$(cd "$here/../.." && pwd)
rm -rf "$work"; mkdir -p "$work/in" "$work/native" "$work/wine"
[ -f "$mingw/cli/travex-cli.exe" ] || { echo "missing travex-cli.exe"; exit 1; }
cd "$work/in"
fails=0 cases=0
while IFS= read -r line; do
    kind=${line%% *} rest=${line#* }
    case $kind in
    prepare) eval "\"$native\" $rest" >/dev/null 2>&1 ;;
    shell) (eval "$rest") >/dev/null 2>&1 ;;
    run)
        cases=$((cases + 1))
        for side in native wine; do
            cp -r "$work/in" "$work/$side/$cases.files"
            [ $side = native ] && program=\"$native\" || program="\"$wine_env\" run \"$prefix\" \"$mingw/cli/travex-cli.exe\""
            (cd "$work/$side/$cases.files" && eval "$program $rest") >"$work/$side/$cases.out" 2>/dev/null
            echo $? >>"$work/$side/$cases.out"
        done
        cmp -s "$work/native/$cases.out" "$work/wine/$cases.out" || { echo "FAIL (output or status differs): $rest"; fails=$((fails + 1)); }
        diff -r "$work/native/$cases.files" "$work/wine/$cases.files" >/dev/null || { echo "FAIL (files differ): $rest"; fails=$((fails + 1)); }
        ;;
    esac
done <"$here/cli_cases.txt"
echo "$cases cases compared, $fails differences"
[ "$cases" -gt 0 ] && [ "$fails" -eq 0 ]
