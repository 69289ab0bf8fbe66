#!/usr/bin/env bash
# The Ansible collection driving vxcfg through real plays against localhost, in a sandbox root:
# a check run changes nothing, the first run changes, the second changes nothing, an instance is
# deleted, and a refused value fails its task with vxcfg's reason.
set -euo pipefail
bin=$(cd "${1:?usage: check_fleet.sh BUILD_BIN}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
collection=$(cd "$here/../../contrib/ansible" && pwd)
skip=77

if ! command -v ansible-playbook >/dev/null 2>&1; then
    echo "SKIP: ansible-playbook is not installed (Debian package ansible-core)"
    exit $skip
fi

work=$(mktemp -d /tmp/vxfleet-XXXXXX)
root=$(mktemp -d /tmp/vxroot-XXXXXX)
trap 'rm -rf "$work" "$root"' EXIT
# Waits shortened, not removed: a started controller still needs real time to come up.
export PATH="$bin:$PATH" VXCONFIG_SLEEP_MS=50
vxcfg sandbox "$root" >/dev/null

# The collection as Ansible finds installed ones.
mkdir -p "$work/collections/ansible_collections/vendrix"
ln -s "$collection" "$work/collections/ansible_collections/vendrix/vxconfig"
export ANSIBLE_COLLECTIONS_PATH="$work/collections" ANSIBLE_LOCAL_TEMP="$work/tmp" \
       ANSIBLE_HOME="$work/home" ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0

cat >"$work/hosts" <<HOSTS
[shops]
localhost ansible_connection=local ansible_python_interpreter=/usr/bin/python3
HOSTS
cat >"$work/site.yml" <<PLAY
- hosts: shops
  gather_facts: false
  vars:
    vx: {root: "$root", vxcfg: "$bin/vxcfg"}
  tasks:
    - vendrix.vxconfig.instance:
        name: shop1
        host: shop1.example.com
        dbuser: reldinst
        dbpass: Sandbox1
        root: "{{ vx.root }}"
        vxcfg: "{{ vx.vxcfg }}"
    - vendrix.vxconfig.instance:
        name: shop2
        host: shop2.example.com
        db: shop2
        procs: 4
        docroot: "$root/srv/shop2/html"
        root: "{{ vx.root }}"
        vxcfg: "{{ vx.vxcfg }}"
    - vendrix.vxconfig.webconf:
        root: "{{ vx.root }}"
        vxcfg: "{{ vx.vxcfg }}"
    - vendrix.vxconfig.database:
        root: "{{ vx.root }}"
        vxcfg: "{{ vx.vxcfg }}"
    - vendrix.vxconfig.instance:
        name: shop1
        state: started
        root: "{{ vx.root }}"
        vxcfg: "{{ vx.vxcfg }}"
PLAY

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Every entry of the sandbox with its type, mode, owner and content.
listing() {
    (cd "$root" && find . -printf '%y %m %U:%G %p -> %l\n' | sort &&
        find . -type f -print0 | sort -z | xargs -0 sha256sum)
}

play() {
    local log=$1
    shift
    ansible-playbook -i "$work/hosts" "$@" >"$log" 2>&1 || { cat "$log"; return 1; }
}
recap() { grep -E '^localhost +: ' "$1"; }
changed_count() { recap "$1" | sed -E 's/.* changed=([0-9]+).*/\1/'; }

# A check run with diffs before anything is there: it says what would change, writes nothing.
listing >"$work/before"
play "$work/check.log" --check --diff "$work/site.yml" || fail "the check run failed"
listing >"$work/after"
cmp -s "$work/before" "$work/after" || fail "the check run changed the sandbox: $(diff "$work/before" "$work/after" | head -5)"
[ "$(changed_count "$work/check.log")" -gt 0 ] || fail "the check run reported no change"
grep -q '^+++ b/opt/Orvellvndx/Vendrix3/server/admin/vxconfig.dat' "$work/check.log" ||
    fail "the check run showed no diff of the data file"
if grep -q 'Sandbox1' "$work/check.log"; then fail "the check run showed the password"; fi

# The first run changes, the second run of the same play changes nothing.
play "$work/first.log" "$work/site.yml" || fail "the first run failed"
[ "$(changed_count "$work/first.log")" -gt 0 ] || fail "the first run reported no change"
vxcfg --root "$root" status shop1 >/dev/null || fail "shop1 is not running after the play"
play "$work/second.log" "$work/site.yml" || fail "the second run failed"
recap "$work/second.log" | grep -qE ' changed=0 +unreachable=0 +failed=0' ||
    fail "the second run reported changes: $(grep -B3 '^changed:' "$work/second.log" | head -20)"

# Facts of the running installation.
cat >"$work/facts.yml" <<PLAY
- hosts: shops
  gather_facts: false
  tasks:
    - vendrix.vxconfig.info: {root: "$root", vxcfg: "$bin/vxcfg"}
    - assert:
        that:
          - vxconfig_instances | map(attribute='name') | sort | list == ['shop1', 'shop2']
          - (vxconfig_instances | selectattr('name', 'eq', 'shop1') | first).status.state == 'running'
          - (vxconfig_instances | selectattr('name', 'eq', 'shop2') | first).status.state == 'stopped'
PLAY
play "$work/facts.log" "$work/facts.yml" || fail "the facts were not as the play left them"

# An instance deleted; a refused value fails its task with vxcfg's own reason.
vxcfg --root "$root" list | grep -q shop2 || fail "shop2 was not there to delete"
cat >"$work/change.yml" <<PLAY
- hosts: shops
  gather_facts: false
  tasks:
    - vendrix.vxconfig.instance: {name: shop1, state: stopped, root: "$root", vxcfg: "$bin/vxcfg"}
    - vendrix.vxconfig.instance: {name: shop2, state: absent, root: "$root", vxcfg: "$bin/vxcfg"}
    - vendrix.vxconfig.instance: {name: shop1, port: 80, root: "$root", vxcfg: "$bin/vxcfg"}
      register: refused
      ignore_errors: true
    - assert:
        that:
          - refused is failed
          - >-
            "--port: '80' is refused: a port from 1024 to 65535" in refused.msg
PLAY
play "$work/change.log" "$work/change.yml" || fail "the delete or the refusal went wrong"
vxcfg --root "$root" list | grep -q shop2 && fail "shop2 is still in the data file"
# A deleted instance keeps its directory; its configuration files are moved aside, not removed.
shop2="$root/opt/Orvellvndx/Vendrix3/instance/shop2"
[ -d "$shop2" ] || fail "shop2's directory was removed"
for conf in vxtrade srvrctrl; do
    [ -e "$shop2/$conf.conf" ] && fail "shop2's $conf.conf still takes effect"
    [ -f "$shop2/$conf.old.conf" ] || fail "shop2's $conf.conf was not moved aside to $conf.old.conf"
done
grep -q 'vxshop2' "$root/etc/services" && fail "shop2's services are still registered"

[ $failures -eq 0 ] && echo "fleet plays: all passed"
exit $((failures > 0))
