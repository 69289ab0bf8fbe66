#!/usr/bin/env bash
# The main job on a fresh machine, in a sandbox root: nothing outside it is touched.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
vxcfg="$bin/vxcfg"

echo "== stored forms of a password and a merchant key"
stored=$("$vxcfg" encrypt s3cret)
echo "vxcfg encrypt s3cret            -> $stored"
echo "vxcfg decrypt $stored  -> $("$vxcfg" decrypt "$stored")"
key=$("$vxcfg" enckey 0123456789abcdef)
echo "vxcfg enckey 0123456789abcdef   -> $key"
echo "vxcfg deckey $key -> $("$vxcfg" deckey "$key")"
echo "== a wrong argument is refused with exit code 2"
"$vxcfg" enckey 12345 || echo "exit code $?"
