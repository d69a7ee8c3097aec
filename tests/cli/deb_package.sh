#!/usr/bin/env bash
# The Debian package of travex-cli: its control fields and contents, and the program unpacked
# from it into a scratch root runs, shows its help and lists the simulated calculator's items.
source "$(dirname "$0")/lib/common.sh"
root=$(cd "$lib/../../.." && pwd)

# Refusals: an unknown option or package kind, and a missing program, make nothing.
bash "$root/scripts/package" --only msi --cli "$cli" --out "$work/none" >/dev/null 2>&1 &&
    fail "--only msi accepted"
bash "$root/scripts/package" --only deb --cli "$work/missing" --out "$work/none" >/dev/null 2>&1 &&
    fail "a missing travex-cli accepted"
[ ! -e "$work/none" ] || fail "a refused run left $work/none"

bash "$root/scripts/package" --only deb --cli "$cli" --out "$work/package" >package.log 2>&1 ||
    { cat package.log; echo "FAIL: package not built"; exit 1; }
version=$(sed -n 's/^project(TRAVEX VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
arch=$(dpkg --print-architecture)
deb=$work/package/travex-cli_${version}_$arch.deb
[ -f "$deb" ] || { echo "FAIL: no $deb"; ls "$work/package"; exit 1; }
[ ! -e "$work/package/TRAVEX-$version-setup.exe" ] || fail "--only deb made the installer too"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = travex-cli ] || fail "Package '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version '$(field Version)'"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture '$(field Architecture)'"
case $(field Depends) in *"libc6 (>= "*"libstdc++6 (>= "*) ;; *) fail "Depends '$(field Depends)'" ;; esac
dpkg-deb -c "$deb" >contents.txt || fail "dpkg-deb -c"
files=$(awk '$1 !~ /^d/ { print $2 "|" $NF }' contents.txt | sort | paste -sd' ')
[ "$files" = "root/root|./usr/bin/travex-cli root/root|./usr/share/doc/travex-cli/README.md" ] ||
    fail "contents: $files"
grep -q '^-rwxr-xr-x .*/usr/bin/travex-cli$' contents.txt || fail "travex-cli not executable"

# Unpacked into a scratch root, the program runs from there.
dpkg -x "$deb" "$work/root" || fail "dpkg -x"
installed=$work/root/usr/bin/travex-cli
"$installed" --help >help.txt 2>&1 || fail "--help exit $?"
grep -q '^usage: travex-cli COMMAND' help.txt || fail "--help text: $(head -3 help.txt)"
grep -q '^  sim ' help.txt || fail "--help lists no sim command"
timeout 60 "$installed" list --sim >list.txt 2>list.err || fail "list --sim exit $?: $(cat list.err)"
head -1 list.txt | grep -qx 'backup.g6b' || fail "list --sim first item: '$(head -1 list.txt)'"
grep -qx 'zoom.g6z' list.txt || fail "list --sim lacks zoom.g6z"

finish
