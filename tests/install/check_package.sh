#!/usr/bin/env bash
# Builds the Debian package from the build tree, unpacks it into a scratch root and runs the
# vxcfg it holds; the manual page must be there and name every command.
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/vxpackage-XXXXXX)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(find "$work/out" -maxdepth 1 -name 'vxconfig_*.deb' | head -n1)
[ -n "$deb" ] || { echo "no package was made"; exit 1; }
dpkg-deb -x "$deb" "$work/root"
version=$("$work/root/usr/bin/vxcfg" --version)
[[ "$version" == "vxcfg "* ]] || { echo "unexpected version output: $version"; exit 1; }
page=$work/root/usr/share/man/man1/vxcfg.1
[ -s "$page" ] || { echo "no manual page in the package"; exit 1; }
commands=$("$work/root/usr/bin/vxcfg" --help | awk '/^commands:/{on=1;next} /^$/{on=0} on && /^  [a-z]/{print $1}')
[ "$(wc -w <<<"$commands")" -gt 10 ] || { echo "the help text lists no commands"; exit 1; }
for command in $commands; do
    grep -q "^\\\\fB$command" "$page" || { echo "the manual page lacks $command"; exit 1; }
done
for f in usr/include/vxconfig/vxconfig.h usr/lib/libvxconfig.so usr/share/cockpit/vxconfig/index.html; do
    [ -e "$work/root/$f" ] || { echo "missing $f"; exit 1; }
done
echo "package $(basename "$deb"): $version, manual page complete"
