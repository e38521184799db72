#!/usr/bin/env bash
# Brands a launcher with the tool, signs it with a certificate made here
# and verifies the signature: brand first, sign last works. Then checks the
# other order is refused, since rebranding would break the signature.
set -euo pipefail
jar=${1:?jar missing}
launcher=${2:?launcher missing}
icon=${3:?icon missing}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

java -jar "$jar" --launcher "$launcher" --output "$work/MyApp.exe" --icon "$icon" \
    --product-name "My App" --product-version 2.1.0.7 --company "Example Ltd" \
    --copyright "(c) 2026 Example Ltd" --execution-level highestAvailable

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=velmar test signer" \
    -addext "extendedKeyUsage=codeSigning" \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "My App" -h sha256 \
    -in "$work/MyApp.exe" -out "$work/MyApp-signed.exe" >/dev/null
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/MyApp-signed.exe" > "$work/verify.txt" 2>&1 ||
    { cat "$work/verify.txt"; fail "the signature of the branded launcher does not verify"; }
grep -q "Signature verification: ok" "$work/verify.txt" || { cat "$work/verify.txt"; fail "no verified signature"; }

# The signature covers the resources: a changed byte in them must break it.
cp "$work/MyApp-signed.exe" "$work/tampered.exe"
offset=$(grep -abo 'My App' "$work/tampered.exe" | head -1 | cut -d: -f1)
[ -n "$offset" ] || fail "product name not found in the signed launcher"
printf 'X' | dd of="$work/tampered.exe" bs=1 seek="$offset" conv=notrunc 2>/dev/null
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/tampered.exe" >/dev/null 2>&1; then
    fail "a tampered launcher still verifies"
fi

if java -jar "$jar" --launcher "$work/MyApp-signed.exe" --output "$work/Again.exe" 2> "$work/error.txt"; then
    fail "a signed launcher was rebranded"
fi
grep -q "sign it after branding" "$work/error.txt" || { cat "$work/error.txt"; fail "unexpected refusal"; }
[ ! -e "$work/Again.exe" ] || fail "output written for a signed launcher"
echo "branded, signed and verified: $(wc -c < "$work/MyApp-signed.exe") bytes"
