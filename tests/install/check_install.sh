#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses it the way an outside project would:
# the plain entry points are unmangled, pkg-config serves a C program, find_package a C++ one.
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/vxinstall-XXXXXX)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
lib=$(find "$prefix" -name 'libvxconfig.so' | head -n1)
[ -n "$lib" ] || { echo "libvxconfig.so not installed"; exit 1; }
for f in include/vxconfig/vxconfig.h bin/vxcfg; do
    [ -e "$prefix/$f" ] || { echo "missing $f"; exit 1; }
done

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
CM
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
echo "install check passed"
