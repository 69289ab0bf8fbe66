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

echo
echo "== the whole road in a fresh sandbox: create, configure, start, stop, delete"
road=$(mktemp -d /tmp/vxroot-XXXXXX)
trap 'rm -rf "$root" "$road"' EXIT
"$vxcfg" sandbox "$road" --release 2 >/dev/null
export VXCONFIG_SLEEP_MS=50   # the waits of the service control, shortened for the demo
on() { echo "\$ vxcfg $*"; "$vxcfg" --root "$road" "$@"; }
mkdir -p "$road/logs"
# Ports away from the defaults, which tests running at the same time may be using.
on add shop1 --host localhost --pvhost localhost --dbuser reldinst --dbpass Sandbox1 \
    --logpath "$road/logs" --port 26570
on add shop2 --host 127.0.0.2 --docroot "$road/srv/shop2/html" --db shop2 \
    --dbuser reldinst --dbpass Sandbox1 --logpath "$road/logs" --port 26600
echo "== first a check run: what creation would do, with the diff of the services file"
before=$(cd "$road" && find . -type f -exec md5sum {} + | sort | md5sum)
rc=0
"$vxcfg" --root "$road" --check --diff create > "$road/check.out" || rc=$?
grep -c '^would create' "$road/check.out" | sed 's/^/files and directories it would create: /'
grep '^would change\|^would register service vxshop1 \|^would run' "$road/check.out" || true
sed -n '/^--- a\/etc\/services$/,/^--- /p' "$road/check.out" | sed '$d' | head -n 12
tail -n 1 "$road/check.out"
rm -f "$road/check.out"
after=$(cd "$road" && find . -type f -exec md5sum {} + | sort | md5sum)
echo "(exit code $rc; the sandbox is $([ "$before" = "$after" ] && echo unchanged || echo CHANGED))"
[ "$rc" = 3 ] && [ "$before" = "$after" ]
on create
echo "(services registered: $(grep -c '^vxshop' "$road/etc/services"), boot entries:" \
    "$(grep -c '^#Vendrix Instance' "$road/etc/rc.vndx"))"
on webconf
on createdb
echo "== is the machine as the records say? verify answers, and shows a hand edit as drift"
on verify shop1
conf=$("$vxcfg" --root "$road" show shop1 | awk '$1 == "RootPath" {print $2}')/vxtrade.conf
sed -i 's/^MS_HOSTNAME .*/MS_HOSTNAME edited.by.hand/' "$conf"
on verify --diff shop1 || echo "exit code $? (drifted)"
# The files the instances share hold the last creation: all are created again.
on create | sed -n '1p;$p'
on verify shop1
echo "== a start on a port another program holds fails, and says why"
python3 -c 'import socket,time; s=socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1); s.bind(("127.0.0.1", 26570)); s.listen(); time.sleep(30)' &
squatter=$!
sleep 0.5
on start shop1 || echo "exit code $?"
kill "$squatter"; wait "$squatter" 2>/dev/null || true
echo "== the port is free again"
on start shop1
on pay start shop1
on status shop1
on pay status shop1
on stop shop1
on status shop1 || echo "exit code $? (stopped)"
on delete shop2
on list
echo "== the same list as JSON, for programs"
on --json list
echo "== an installation of the earlier release, migrated"
on migrate
# Nothing of the sandbox may stay running (a stopped server is given a few seconds to exit).
for _ in 1 2 3 4 5 6 7 8 9 10; do
    pgrep -f "$road" >/dev/null || break
    sleep 0.5
done
if pgrep -f "$road" >/dev/null; then
    echo "processes left running:"; pgrep -af "$road"; exit 1
fi
echo "== done: nothing left running"
