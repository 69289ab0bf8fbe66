#!/usr/bin/env bash
# The browser console end to end: Cockpit's real login for a throwaway user, the page driving this
# build's vxcfg in a sandbox root, clicked through by headless Chromium (console_test.js).
# Leaves no user, process or file behind.
set -euo pipefail
bin=$(cd "${1:?usage: check_console.sh BUILD_BIN [SHOTS_DIR]}" && pwd)
shots=${2:-$bin/../console-shots}
here=$(cd "$(dirname "$0")" && pwd)
page=$here/../../tools/console
skip=77
ws=/usr/lib/cockpit/cockpit-ws

skip() { echo "SKIP: $*"; exit $skip; }
[ "$(id -u)" -eq 0 ] || skip "needs root to add a throwaway user and start cockpit-ws"
[ -x "$ws" ] && command -v cockpit-bridge >/dev/null && id cockpit-wsinstance >/dev/null 2>&1 ||
    skip "Cockpit is not installed (Debian packages cockpit-ws cockpit-bridge cockpit-system)"
[ -x /usr/bin/chromium ] || skip "chromium is not installed (Debian package chromium)"
command -v sudo >/dev/null || skip "sudo is not installed (Debian package sudo)"
command -v node >/dev/null || skip "node is not installed (Debian package nodejs)"
(cd "$here" && node -e 'require.resolve("puppeteer-core")' 2>/dev/null) ||
    skip "puppeteer-core is not installed: npm ci (in the source tree)"
[ -f "$page/manifest.json" ] || skip "the console page is not in $page"

started=$(date +%s%N)
user=vxcon$(od -An -N4 -tx4 /dev/urandom | tr -d ' ')
work=$(mktemp -d /tmp/vxconsole-XXXXXX)
root=$(mktemp -d /tmp/vxroot-XXXXXX)
wspid=
nodepid=
cleanup() {
    local rc=$? name left
    trap - EXIT
    set +e
    [ -n "$nodepid" ] && kill "$nodepid" 2>/dev/null && wait "$nodepid" 2>/dev/null
    for name in $(vxcfg --root "$root" list 2>/dev/null | cut -d' ' -f1); do
        vxcfg --root "$root" stop "$name" >/dev/null 2>&1 || true
    done
    [ -n "$wspid" ] && kill "$wspid" 2>/dev/null && wait "$wspid" 2>/dev/null
    if id "$user" >/dev/null 2>&1; then
        # Bounded: a session's bridge and sudo go with the kill, not at once.
        for _ in $(seq 50); do
            pkill -KILL -u "$user" 2>/dev/null || pkill -KILL -U "$user" 2>/dev/null || break
            sleep 0.1
        done
        left=$(pgrep -a -u "$user" ; pgrep -a -U "$user") || true
        [ -z "$left" ] || { echo "FAIL: processes of $user left: $left"; rc=1; }
        userdel -r "$user" 2>/dev/null
        rm -f "/run/sudo/ts/$user"
    fi
    rm -rf "$work" "$root"
    echo "console run: $(((($(date +%s%N) - started) / 1000000))) ms in all"
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
chmod 0755 "$work"

export PATH="$bin:$PATH" VXCONFIG_SLEEP_MS=50
vxcfg sandbox "$root" >/dev/null
vxcfg --root "$root" add shop1 --host shop1.example.com --dbuser reldinst

# A user who may use sudo, with a random password given to chpasswd and node on no command line.
useradd -m -G sudo -s /bin/bash "$user"
pass=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
printf '%s:%s\n' "$user" "$pass" | chpasswd

# Every command the page runs, as its arguments, so the test can tell no password was among them.
cat >"$work/vxcfg" <<WRAP
#!/bin/sh
{ printf '%s ' "\$@"; echo; } >>"$work/commands" 2>/dev/null
exec "$bin/vxcfg" "\$@"
WRAP
chmod 0755 "$work/vxcfg"

home=$(getent passwd "$user" | cut -d: -f6)
dest=$home/.local/share/cockpit/vxconfig
mkdir -p "$dest"
cp -r "$page"/. "$dest"/
printf 'window.VXCONSOLE = { program: "%s", environ: ["VXCONFIG_SLEEP_MS=50"] };\n' "$work/vxcfg" \
    >"$dest/config.js"
chown -R "$user:" "$home/.local"

port=$(node -e 'const s = require("net").createServer().listen(0, "127.0.0.1", () => {
    console.log(s.address().port); s.close(); });')
setpriv --reuid=cockpit-wsinstance --regid=cockpit-wsinstance --init-groups \
    "$ws" --no-tls --address 127.0.0.1 --port "$port" >"$work/ws.log" 2>&1 &
wspid=$!
for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.1
done

mkdir -p "$shots"
rm -f "$shots"/[0-9][0-9]-*.png
VXT_PORT=$port VXT_USER=$user VXT_PASS=$pass VXT_ROOT=$root VXT_SHOTS=$shots \
    VXT_COMMANDS=$work/commands node "$here/console_test.js" &
nodepid=$!
wait "$nodepid" || { nodepid=; echo "cockpit-ws said:"; grep -v 'Could not connect' "$work/ws.log" || true; exit 1; }
nodepid=
