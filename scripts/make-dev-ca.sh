#!/usr/bin/env bash
# A local development CA and a certificate for localhost, made once per machine
# and installed into the system trust store, so HTTPS to the local service
# works unchanged from libcurl and from WinINet under Wine.
set -euo pipefail
dir=${LOTSE_TLS_DIR:-/usr/local/share/lotse-dev-ca}
anchor=/usr/local/share/ca-certificates/lotse-dev-ca.crt
mkdir -p "$dir"
if [ ! -s "$dir/ca.crt" ] || [ ! -s "$dir/localhost.key" ] || [ ! -s "$dir/localhost.crt" ]; then
    echo "setup: making the development CA and localhost certificate in $dir"
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Lotse Development CA" \
        -keyout "$dir/ca.key" -out "$dir/ca.crt" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" \
        -keyout "$dir/localhost.key" -out "$dir/localhost.csr" 2>/dev/null
    printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\nbasicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n' > "$dir/localhost.ext"
    openssl x509 -req -in "$dir/localhost.csr" -CA "$dir/ca.crt" -CAkey "$dir/ca.key" -CAcreateserial \
        -days 825 -sha256 -extfile "$dir/localhost.ext" -out "$dir/localhost.crt" 2>/dev/null
    chmod 600 "$dir/ca.key" "$dir/localhost.key"
fi
if ! cmp -s "$dir/ca.crt" "$anchor"; then
    cp "$dir/ca.crt" "$anchor"
    update-ca-certificates >/dev/null 2>&1
fi
