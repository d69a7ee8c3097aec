# Sourced by the packaging scripts: Authenticode signing with osslsigncode, configured by
#   TRAVEX_SIGN_CERT       a certificate (PEM or DER, its private key in TRAVEX_SIGN_KEY), or a
#                          PKCS#12 file ending in .p12 or .pfx
#   TRAVEX_SIGN_PASS       the key's password (optional)
#   TRAVEX_SIGN_TIMESTAMP  an RFC 3161 time-stamp server URL (optional)

# signing_configured: true when TRAVEX_SIGN_CERT is set; ends the script when osslsigncode or
# the certificate is missing, so that nothing is shipped unsigned by mistake.
signing_configured() {
    [ -n "${TRAVEX_SIGN_CERT:-}" ] || return 1
    command -v osslsigncode >/dev/null || { echo "osslsigncode missing (scripts/install-deps)" >&2; exit 1; }
    [ -f "$TRAVEX_SIGN_CERT" ] || { echo "no certificate $TRAVEX_SIGN_CERT" >&2; exit 1; }
    return 0
}

# authenticode_sign FILE DESCRIPTION: signs FILE in place; a failed signing leaves it as it was.
authenticode_sign() {
    local file=$1 args=(sign -h sha256 -n "$2" -in "$1" -out "$1.signed")
    case $TRAVEX_SIGN_CERT in
    *.p12 | *.pfx) args+=(-pkcs12 "$TRAVEX_SIGN_CERT") ;;
    *) args+=(-certs "$TRAVEX_SIGN_CERT" -key "${TRAVEX_SIGN_KEY:?TRAVEX_SIGN_KEY names the key}") ;;
    esac
    [ -n "${TRAVEX_SIGN_PASS:-}" ] && args+=(-pass "$TRAVEX_SIGN_PASS")
    [ -n "${TRAVEX_SIGN_TIMESTAMP:-}" ] && args+=(-ts "$TRAVEX_SIGN_TIMESTAMP")
    osslsigncode "${args[@]}" >/dev/null || { rm -f "$file.signed"; return 1; }
    mv -f "$file.signed" "$file"
}
