#!/bin/sh
# Regenerates the test certificate authority and the simulated driver's
# server certificate, and refreshes the CA copy embedded in the library.
#
#   sim/certs/ca.pem          test CA certificate (trusted by the library)
#   sim/certs/server.pem      server certificate for 127.0.0.1 / localhost
#   sim/certs/server.key      server private key (unencrypted)
#   sim/certs/foreign-ca.pem  a CA that signed nothing here: trusting it
#                             alone, the server certificate does not verify
#   src/resources/cert_client.pem  copy of ca.pem, built into the library
#
# The CA key is thrown away: rerun this script to issue new certificates.
# Requires the openssl command line tool.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
days=36500

command -v openssl >/dev/null 2>&1 || { echo "make-certs.sh: openssl not found" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

cat > "$work/ca.cnf" <<CNF
[req]
distinguished_name = dn
prompt = no
x509_extensions = v3_ca
[dn]
O = AXOComm Test
CN = AXOComm Test CA
[v3_ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
CNF

sed 's/^CN = .*/CN = AXOComm Foreign Test CA/' "$work/ca.cnf" > "$work/foreign-ca.cnf"

cat > "$work/server.cnf" <<CNF
[req]
distinguished_name = dn
prompt = no
[dn]
O = AXOComm Test
CN = 127.0.0.1
[v3_server]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.1, DNS:localhost
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
CNF

openssl req -x509 -new -newkey rsa:3072 -nodes -sha256 -days "$days" \
    -config "$work/ca.cnf" -keyout "$work/ca.key" -out "$work/ca.pem" 2>/dev/null
openssl req -x509 -new -newkey rsa:2048 -nodes -sha256 -days "$days" \
    -config "$work/foreign-ca.cnf" -keyout "$work/foreign-ca.key" -out "$work/foreign-ca.pem" 2>/dev/null
openssl req -new -newkey rsa:2048 -nodes -sha256 \
    -config "$work/server.cnf" -keyout "$work/server.key" -out "$work/server.csr" 2>/dev/null
openssl x509 -req -sha256 -days "$days" -in "$work/server.csr" \
    -CA "$work/ca.pem" -CAkey "$work/ca.key" -set_serial "0x$(openssl rand -hex 8)" \
    -extfile "$work/server.cnf" -extensions v3_server -out "$work/server.pem" 2>/dev/null

openssl verify -CAfile "$work/ca.pem" "$work/server.pem" >/dev/null
if openssl verify -CAfile "$work/foreign-ca.pem" "$work/server.pem" >/dev/null 2>&1; then
    echo "make-certs.sh: the foreign CA verifies the server certificate" >&2
    exit 1
fi

cp "$work/ca.pem" "$here/ca.pem"
cp "$work/server.pem" "$here/server.pem"
cp "$work/server.key" "$here/server.key"
cp "$work/foreign-ca.pem" "$here/foreign-ca.pem"
chmod 600 "$here/server.key"
mkdir -p "$root/src/resources"
cp "$work/ca.pem" "$root/src/resources/cert_client.pem"

echo "make-certs.sh: new CA and server certificate written to $here"
