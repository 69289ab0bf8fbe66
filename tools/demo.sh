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

echo "== a fresh sandbox installation with two instances"
root=$(mktemp -d /tmp/vxroot-XXXXXX)
trap 'rm -rf "$root"' EXIT
"$vxcfg" sandbox "$root" >/dev/null
vx() { echo "\$ vxcfg $*"; "$vxcfg" --root "$root" "$@"; }
vx add shop1 --host shop1.example.com --dbuser reldinst --dbpass Sandbox1 \
    --merchant-key 0123456789abcdef
vx add shop2 --host shop2.example.com --docroot "$root/srv/shop2/html" --db shop2 --procs 4
vx list
vx show shop1
echo "== a conflicting instance is refused and the data file stays as it was"
vx add shop3 --host shop1.example.com --port 16572 || echo "exit code $?"
vx list
echo "== values that would run as commands are refused, and nothing runs"
vx add 'x;touch PWNED' || echo "exit code $?"
vx add shop3 --docroot '/srv/$(reboot)' || echo "exit code $?"
echo "== a file that is not an instance data file is never written over"
vx add shop3 --data "$root/etc/shadow" || echo "exit code $?"
echo "== commands run at the same time take turns; none loses its change"
for i in 4 5 6 7; do
    "$vxcfg" --root "$root" add "shop$i" --host "shop$i.example.com" --docroot "$root/srv/shop$i" \
        --db "shop$i" >/dev/null &
done
wait
vx list
