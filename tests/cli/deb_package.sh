#!/usr/bin/env bash
# The .deb of travex-cli: control fields, contents, and the unpacked program runs.
source "$(dirname "$0")/lib/common.sh"
root=$(cd "$lib/../../.." && pwd)
bash "$root/scripts/package" --only deb --cli "$cli" --out "$work/package" >package.log 2>&1 ||
    { cat package.log; echo "FAIL: package not built"; exit 1; }
version=$(sed -n 's/^project(TRAVEX VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
deb=$work/package/travex-cli_${version}_$(dpkg --print-architecture).deb
[ "$(dpkg-deb -f "$deb" Package Version)" = "$(printf 'Package: travex-cli\nVersion: %s' "$version")" ] ||
    fail "control fields: $(dpkg-deb -f "$deb")"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1 "|" $NF }' | paste -sd' ')
[ "$files" = "-rwxr-xr-x|./usr/bin/travex-cli -rw-r--r--|./usr/share/doc/travex-cli/README.md" ] ||
    fail "contents: $files"
dpkg -x "$deb" "$work/root" || fail "dpkg -x"
"$work/root/usr/bin/travex-cli" --help | grep -q '^usage: travex-cli COMMAND' || fail "--help"
timeout 60 "$work/root/usr/bin/travex-cli" list --sim >list.txt 2>&1 && grep -qx 'zoom.g6z' list.txt ||
    fail "the unpacked program: $(cat list.txt)"
finish
