#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses it the way an outside project would:
# the plain entry points are unmangled, pkg-config serves a C program, find_package a C++ one,
# and the README's library example is such a program, run in a sandbox.
set -euo pipefail
build=$1
readme=$(dirname "$0")/../../README.md
work=$(mktemp -d /tmp/vxinstall-XXXXXX)
sandbox=$(mktemp -d /tmp/vxroot-XXXXXX)
trap 'rm -rf "$work" "$sandbox"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
lib=$(find "$prefix" -name 'libvxconfig.so' | head -n1)
[ -n "$lib" ] || { echo "libvxconfig.so not installed"; exit 1; }
for f in include/vxconfig/vxconfig.h bin/vxcfg share/cockpit/vxconfig/manifest.json \
         share/cockpit/vxconfig/index.html; do
    [ -e "$prefix/$f" ] || { echo "missing $f"; exit 1; }
done

# Where Cockpit is installed, it finds the console page among its packages.
if command -v cockpit-bridge >/dev/null 2>&1; then
    XDG_DATA_DIRS="$prefix/share" cockpit-bridge --packages 2>/dev/null |
        grep -q '^vxconfig  *Vendrix instances' || { echo "Cockpit does not find the console"; exit 1; }
fi

exports=$(nm -D --defined-only "$lib" | awk '{print $3}')
for sym in ICEncKey ICDecKey ICEncrypt ICDecrypt ICCheckPswd ICGetLastError \
           ICCreateInstance ICSetISConf ICCreateDatabase ICMigrate ICCreateFixpackQXInit \
           ICNetPerceptionConfig ICStartSvc ICStopSvc ICSetSvcAuto ICSetSvcManual ICIsSvcAuto \
           ICIsSvcActive ICGetRELDAService ICUpdateRegVX \
           pfnError pfnInfo pfnUpdate pfnProgress bCgiApp ic_mscfgStrTbl; do
    grep -qx "$sym" <<<"$exports" || { echo "plain export $sym missing"; exit 1; }
done
# Internals stay hidden.
for sym in vx_crypt gen1 old_vx_crypt; do
    if grep -q "$sym" <<<"$exports"; then echo "internal $sym exported"; exit 1; fi
done

libdir=$(dirname "$lib")
cat >"$work/plain.c" <<'C'
#include <stdio.h>
#include <string.h>
int ICEncKey(const char* key, char* out);
int ICDecKey(const char* stored, char* out);
extern const char* const ic_mscfgStrTbl[];
int main(void) {
    char stored[33], clear[17];
    if (!ICEncKey("0123456789abcdef", stored) || !ICDecKey(stored, clear)) return 1;
    if (strcmp(clear, "0123456789abcdef") != 0) return 2;
    return strcmp(ic_mscfgStrTbl[47], "Do not edit this section") != 0 ? 3 : 0;
}
C
PKG_CONFIG_PATH=$libdir/pkgconfig
export PKG_CONFIG_PATH
cc "$work/plain.c" -o "$work/plain" $(pkg-config --cflags --libs vxconfig) -Wl,-rpath,"$libdir"
"$work/plain"

mkdir -p "$work/consumer"
cat >"$work/consumer/CMakeLists.txt" <<'CM'
cmake_minimum_required(VERSION 3.20)
project(consumer CXX)
find_package(vxconfig REQUIRED)
add_executable(consumer main.cpp)
target_link_libraries(consumer PRIVATE vxconfig::vxconfig)
add_executable(example example.cpp)
target_link_libraries(example PRIVATE vxconfig::vxconfig)
CM
# The program of the README's library section, as it stands there.
awk '/^## The library/ { section = 1 } section && /^```cpp/ { inside = 1; next }
     inside && /^```/ { exit } inside' "$readme" >"$work/consumer/example.cpp"
grep -q 'int main' "$work/consumer/example.cpp" || { echo "no library example in $readme"; exit 1; }
cat >"$work/consumer/main.cpp" <<'CPP'
#include <cstring>
#include <vxconfig/vxconfig.h>
int main() {
    ICString path = ICString("/opt") ^ "Orvellvndx";
    char out[33];
    ICEncrypt("pw", out, sizeof out);
    char back[17];
    ICDecrypt(out, back, sizeof back);
    return std::strcmp(path, "/opt/Orvellvndx") == 0 && std::strcmp(back, "pw") == 0 ? 0 : 1;
}
CPP
cmake -S "$work/consumer" -B "$work/consumer/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer/build" >/dev/null
LD_LIBRARY_PATH=$libdir "$work/consumer/build/consumer"

# The example adds shop1 to a fresh installation, with this installation's ports and users.
"$build/bin/vxcfg" sandbox "$sandbox" >/dev/null
example() {
    VXCONFIG_ROOT=$sandbox PATH=$sandbox/bin:$PATH VXCONFIG_SLEEP_MS=0 \
        LD_LIBRARY_PATH=$libdir "$work/consumer/build/example" 2>"$work/example.err"
}
example || { cat "$work/example.err"; echo "the README's library example failed"; exit 1; }
shown=$("$prefix/bin/vxcfg" --root "$sandbox" show shop1)
for line in "ISHost         shop1.example.com" "DBUser         reldinst" "MSProc         2" \
            "MSPort         16570" "AuxPort        16580" \
            "RootPath       $sandbox/opt/Orvellvndx/Vendrix3/instance/shop1"; do
    grep -qxF "$line" <<<"$shown" || { echo "the example's record lacks: $line"; exit 1; }
done
# A data file it cannot read is reported through pfnError with the file and the reason.
data=$sandbox/opt/Orvellvndx/Vendrix3/server/admin/vxconfig.dat
rm "$data" && mkdir "$data"
if example; then echo "the example succeeded on an unreadable data file"; exit 1; fi
grep -qxF "$data: Is a directory" "$work/example.err" ||
    { cat "$work/example.err"; echo "the data file's failure was not reported"; exit 1; }
echo "install check passed"
