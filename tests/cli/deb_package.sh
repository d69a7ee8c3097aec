#!/usr/bin/env bash
# The Debian package of travex-cli: its control fields and contents, and the program unpacked
# from it into a scratch root runs, shows its help and lists the simulated calculator's items.
set -u
cli=$1 work=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1
fails=0
failed() { echo "FAIL: $*"; fails=$((fails + 1)); }

# Refusals: an unknown option or package kind, and a missing program, make nothing.
bash "$root/scripts/package" --only msi --cli "$cli" --out "$work/none" >/dev/null 2>&1 &&
    failed "--only msi accepted"
bash "$root/scripts/package" --only deb --cli "$work/missing" --out "$work/none" >/dev/null 2>&1 &&
    failed "a missing travex-cli accepted"
[ ! -e "$work/none" ] || failed "a refused run left $work/none"

bash "$root/scripts/package" --only deb --cli "$cli" --out "$work/package" >package.log 2>&1 ||
    { cat package.log; echo "FAIL: package not built"; exit 1; }
version=$(sed -n 's/^project(TRAVEX VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
arch=$(dpkg --print-architecture)
deb=$work/package/travex-cli_${version}_$arch.deb
[ -f "$deb" ] || { echo "FAIL: no $deb"; ls "$work/package"; exit 1; }
[ ! -e "$work/package/TRAVEX-$version-setup.exe" ] || failed "--only deb made the installer too"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = travex-cli ] || failed "Package '$(field Package)'"
[ "$(field Version)" = "$version" ] || failed "Version '$(field Version)'"
[ "$(field Architecture)" = "$arch" ] || failed "Architecture '$(field Architecture)'"
case $(field Depends) in *"libc6 (>= "*"libstdc++6 (>= "*) ;; *) failed "Depends '$(field Depends)'" ;; esac
dpkg-deb -c "$deb" >contents.txt || failed "dpkg-deb -c"
files=$(awk '$1 !~ /^d/ { print $2 "|" $NF }' contents.txt | sort | paste -sd' ')
[ "$files" = "root/root|./usr/bin/travex-cli root/root|./usr/share/doc/travex-cli/README.md" ] ||
    failed "contents: $files"
grep -q '^-rwxr-xr-x .*/usr/bin/travex-cli$' contents.txt || failed "travex-cli not executable"

# Unpacked into a scratch root, the program runs from there.
dpkg -x "$deb" "$work/root" || failed "dpkg -x"
installed=$work/root/usr/bin/travex-cli
"$installed" --help >help.txt 2>&1 || failed "--help exit $?"
grep -q '^usage: travex-cli COMMAND' help.txt || failed "--help text: $(head -3 help.txt)"
grep -q '^  sim ' help.txt || failed "--help lists no sim command"
timeout 60 "$installed" list --sim >list.txt 2>list.err || failed "list --sim exit $?: $(cat list.err)"
head -1 list.txt | grep -qx 'backup.g6b' || failed "list --sim first item: '$(head -1 list.txt)'"
grep -qx 'zoom.g6z' list.txt || failed "list --sim lacks zoom.g6z"

echo "deb_package: $fails failures"
exit $fails
