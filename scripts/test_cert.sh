#!/usr/bin/env bash
# Makes a throwaway code-signing certificate for the test command: a self-made CA (ca.pem) and
# a signing certificate issued by it, with its key and chain in sign.pfx under the password
# in password.txt. Nothing trusts that CA but a verification that is given it (-CAfile).
# usage: scripts/test_cert.sh FOLDER
set -euo pipefail
out=${1:?usage: scripts/test_cert.sh FOLDER}
rm -rf "$out" && mkdir -p "$out" && chmod 700 "$out"
cd "$out"
openssl rand -hex 16 >password.txt
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Tarnwick throwaway test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout sign.key -out sign.csr -subj "/CN=Tarnwick test signer/O=Tarnwick" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >sign.ext
openssl x509 -req -in sign.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out sign.pem -days 2 -extfile sign.ext 2>/dev/null
openssl pkcs12 -export -inkey sign.key -in sign.pem -certfile ca.pem -out sign.pfx -passout file:password.txt
rm -f ca.key sign.key sign.csr
