#!/bin/sh
# Regenerates the certificates of the download tests: a test certificate authority (ca.pem, the
# tests' own CA bundle), a second authority that the tests do not trust, and four server
# certificates sharing server.key:
#   server.pem     127.0.0.1 / localhost, signed by the test CA, valid for a century
#   expired.pem    127.0.0.1 / localhost, signed by the test CA, valid only in 2000
#   wronghost.pem  www.example.invalid, signed by the test CA, valid for a century
#   untrusted.pem  127.0.0.1 / localhost, signed by the untrusted authority
# The host name is checked against the subject's common name too, so the wrong-host certificate
# names another host in both places. Run in this folder: sh make-certs.sh
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ca() {  # name subject
    openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 36500 -keyout "$1.key" -out "$1.pem" \
        -subj "$2" -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}

ca ca "/CN=Velmor Test CA"
ca "$work/other-ca" "/CN=Velmor Untrusted CA"
openssl req -newkey rsa:2048 -nodes -keyout server.key -out "$work/server.csr" \
    -subj "/CN=127.0.0.1" 2>/dev/null

cat > "$work/ca.cnf" <<CNF
[ ca ]
default_ca = test
[ test ]
database = $work/index.txt
new_certs_dir = $work
serial = $work/serial
default_md = sha256
policy = any
unique_subject = no
[ any ]
commonName = supplied
[ loopback ]
subjectAltName = IP:127.0.0.1,DNS:localhost
basicConstraints = critical,CA:FALSE
extendedKeyUsage = serverAuth
[ wronghost ]
subjectAltName = DNS:www.example.invalid
basicConstraints = critical,CA:FALSE
extendedKeyUsage = serverAuth
CNF
: > "$work/index.txt"
echo 1000 > "$work/serial"

sign() {  # out cakey cacert extensions startdate enddate [subject]
    openssl ca -batch -notext -config "$work/ca.cnf" -in "$work/server.csr" -out "$1" \
        -keyfile "$2" -cert "$3" -extensions "$4" -startdate "$5" -enddate "$6" \
        -subj "${7:-/CN=127.0.0.1}" 2>/dev/null
}

sign server.pem ca.key ca.pem loopback 20240101000000Z 21240101000000Z
sign expired.pem ca.key ca.pem loopback 20000101000000Z 20001231000000Z
sign wronghost.pem ca.key ca.pem wronghost 20240101000000Z 21240101000000Z \
    /CN=www.example.invalid
sign untrusted.pem "$work/other-ca.key" "$work/other-ca.pem" loopback 20240101000000Z \
    21240101000000Z
