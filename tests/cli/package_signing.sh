#!/usr/bin/env bash
# Authenticode signing by scripts/package: a PE file signed with a test certificate verifies
# against that certificate, a PKCS#12 file works as well, and a run without a certificate or
# with a key that does not fit refuses and leaves the file unsigned. scripts/package-driver
# signs the staged driver with the same certificate, under either name of its settings, and
# stages it unchanged without one.
source "$(dirname "$0")/lib/common.sh"
root=$(cd "$lib/../../.." && pwd)
pe=/usr/share/nsis/Plugins/amd64-unicode/System.dll  # any 64-bit PE file will do
for tool in openssl osslsigncode; do command -v $tool >/dev/null || fail "$tool missing"; done
[ -f "$pe" ] || fail "no $pe (nsis)"
[ $fails -eq 0 ] || finish
sign_file() { bash "$root/scripts/package" --sign-file "$1" >sign.log 2>&1; }
verified() { osslsigncode verify -CAfile cert.pem -in "$1" >verify.log 2>&1; }

new_cert() { # name
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 2 \
        -subj "/CN=TRAVEX test $1" -addext extendedKeyUsage=codeSigning >/dev/null 2>&1
}
new_cert cert && new_cert other || { echo "FAIL: no test certificates"; exit 1; }
mv cert.key key.pem

cp "$pe" plain.dll
env -u TRAVEX_SIGN_CERT bash "$root/scripts/package" --sign-file plain.dll >/dev/null 2>&1
[ $? -eq 2 ] || fail "--sign-file without a certificate not refused with 2"
TRAVEX_SIGN_CERT=$work/none.pem sign_file plain.dll && fail "a missing certificate accepted"
TRAVEX_SIGN_CERT=$work/cert.pem TRAVEX_SIGN_KEY=$work/other.key sign_file plain.dll &&
    fail "a key that does not fit the certificate accepted"
same plain.dll "$pe" "a refused signing"
[ ! -e plain.dll.signed ] || fail "a refused signing left plain.dll.signed"

cp "$pe" pem.dll
TRAVEX_SIGN_CERT=$work/cert.pem TRAVEX_SIGN_KEY=$work/key.pem sign_file pem.dll ||
    fail "PEM signing: $(cat sign.log)"
verified pem.dll || fail "PEM-signed file does not verify: $(tail -3 verify.log)"

openssl pkcs12 -export -in cert.pem -inkey key.pem -out cert.p12 -passout pass:secret >/dev/null 2>&1
cp "$pe" p12.dll
TRAVEX_SIGN_CERT=$work/cert.p12 TRAVEX_SIGN_PASS=secret sign_file p12.dll ||
    fail "PKCS#12 signing: $(cat sign.log)"
verified p12.dll || fail "PKCS#12-signed file does not verify: $(tail -3 verify.log)"

# The driver package: a stand-in mingw build folder with a PE file as the driver.
mkdir -p mingw/driver
cp "$pe" mingw/driver/QMUB417K.sys
stage_driver() { bash "$root/scripts/package-driver" "$work/mingw" "$work/$1" >stage.log 2>&1; }
env -u TRAVEX_SIGN_CERT -u SIGN_CERT bash "$root/scripts/package-driver" "$work/mingw" \
    "$work/unsigned" >stage.log 2>&1 || fail "unsigned driver package: $(cat stage.log)"
cmp -s unsigned/QMUB417K.sys "$pe" && [ -f unsigned/QMUB417K.inf ] ||
    fail "the unsigned driver package does not hold the driver as built and its INF"
TRAVEX_SIGN_CERT=$work/cert.pem TRAVEX_SIGN_KEY=$work/key.pem stage_driver long ||
    fail "driver signing: $(cat stage.log)"
verified long/QMUB417K.sys || fail "signed driver does not verify: $(tail -3 verify.log)"
SIGN_CERT=$work/cert.p12 SIGN_PASS=secret stage_driver short ||
    fail "driver signing under the short names: $(cat stage.log)"
verified short/QMUB417K.sys || fail "driver signed under the short names does not verify"
TRAVEX_SIGN_CERT=$work/cert.pem TRAVEX_SIGN_KEY=$work/other.key stage_driver refused &&
    fail "driver signing with a key that does not fit the certificate accepted"

finish
