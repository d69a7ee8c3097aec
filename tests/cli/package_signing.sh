#!/usr/bin/env bash
# Authenticode signing by scripts/package and scripts/package-driver: signed files verify against
# the certificate; a key that does not fit is refused and leaves the file as it was.
source "$(dirname "$0")/lib/common.sh"
root=$(cd "$lib/../../.." && pwd)
pe=/usr/share/nsis/Plugins/amd64-unicode/System.dll  # any 64-bit PE file will do
command -v osslsigncode >/dev/null && [ -f "$pe" ] || { echo "FAIL: osslsigncode or nsis missing"; exit 1; }
new_cert() {
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 2 \
        -subj "/CN=TRAVEX test $1" -addext extendedKeyUsage=codeSigning >/dev/null 2>&1
}
new_cert cert && new_cert other || { echo "FAIL: no test certificates"; exit 1; }
verified() { osslsigncode verify -CAfile cert.pem -in "$1" >verify.log 2>&1; }
export TRAVEX_SIGN_CERT=$work/cert.pem TRAVEX_SIGN_KEY=$work/other.key
cp "$pe" plain.dll
bash "$root/scripts/package" --sign-file plain.dll >sign.log 2>&1 && fail "a key that does not fit accepted"
same plain.dll "$pe" "a refused signing"
export TRAVEX_SIGN_KEY=$work/cert.key
bash "$root/scripts/package" --sign-file plain.dll >sign.log 2>&1 || fail "signing: $(cat sign.log)"
verified plain.dll || fail "the signed file does not verify: $(tail -3 verify.log)"
mkdir -p mingw/driver && cp "$pe" mingw/driver/QMUB417K.sys
bash "$root/scripts/package-driver" "$work/mingw" "$work/staged" >stage.log 2>&1 ||
    fail "driver signing: $(cat stage.log)"
verified staged/QMUB417K.sys && [ -f staged/QMUB417K.inf ] || fail "the staged driver is not signed"
finish
