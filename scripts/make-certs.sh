#!/usr/bin/env bash
# Makes a throwaway certificate authority and a server certificate for
# "localhost" in DIR, for the service simulator and the tests that trust it:
#   ca.crt ca.key          the authority (CA:TRUE, keyCertSign)
#   server.crt server.key  the leaf and its chain (DNS:localhost, IP:127.0.0.1, IP:::1,
#                          serverAuth; RSA 2048, SHA-256, two years)
# Idempotent: nothing is made when all four files exist already. The files are
# build products and must never be committed.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 DIR" >&2
  exit 2
fi
dir=$1
mkdir -p "$dir"
cd "$dir"

if [ -s ca.crt ] && [ -s ca.key ] && [ -s server.crt ] && [ -s server.key ]; then
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/ca.cnf" <<'CNF'
[req]
distinguished_name = dn
prompt = no
x509_extensions = ca_ext
[dn]
CN = Larkspur Test Authority
O = Larkspur
[ca_ext]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
CNF

cat > "$work/leaf.cnf" <<'CNF'
[req]
distinguished_name = dn
prompt = no
[dn]
CN = localhost
O = Larkspur
[leaf_ext]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost, IP:127.0.0.1, IP:::1
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
CNF

# Start from a clean slate: a leaf must always match the authority beside it.
openssl req -x509 -new -newkey rsa:2048 -nodes -sha256 -days 730 \
  -config "$work/ca.cnf" -keyout "$work/ca.key" -out "$work/ca.crt" 2>/dev/null
openssl req -new -newkey rsa:2048 -nodes -sha256 \
  -config "$work/leaf.cnf" -keyout "$work/server.key" -out "$work/server.csr" 2>/dev/null
openssl x509 -req -in "$work/server.csr" -sha256 -days 730 \
  -CA "$work/ca.crt" -CAkey "$work/ca.key" -set_serial "0x$(openssl rand -hex 8)" \
  -extfile "$work/leaf.cnf" -extensions leaf_ext -out "$work/server.crt" 2>/dev/null

chmod 600 "$work/ca.key" "$work/server.key"
# server.crt carries the chain: the leaf, then the authority that signed it.
cat "$work/server.crt" "$work/ca.crt" > "$work/chain.crt"
# Move the keys first and the certificates last, so that a run interrupted
# half-way never leaves a complete-looking set.
mv -f "$work/ca.key" "$work/server.key" .
mv -f "$work/ca.crt" ca.crt
mv -f "$work/chain.crt" server.crt
