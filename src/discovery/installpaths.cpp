// Fixed installation directories, and the answers that are constant on this platform.
#include <cstdio>

#include "vxconfig/discovery.h"
#include "vxconfig/sysroot.h"

int SysGetInstPath(ICString& out, int release) {
    // The first release had no number in its directory name.
    char dir[64];
    if (release == 1)
        snprintf(dir, sizeof dir, "/opt/Orvellvndx/Vendrix");
    else
        snprintf(dir, sizeof dir, "/opt/Orvellvndx/Vendrix%d", release);
    out = SysRootPath(dir);
    return 1;
}

int ICGetInstPath(ICString& out) {
    return SysGetInstPath(out, 3);
}

// The hosting edition installs into the product's own directory.
int SysGetHWLPath(ICString& out) {
    out = SysRootPath("/opt/Orvellvndx/Vendrix3");
    return 1;
}

int ICGetHWLInstPath(ICString& out) {
    return SysGetHWLPath(out);
}

int SysGetPayvanePath(ICString& out) {
    out = SysRootPath("/opt/Orvell_Payment_Server");
    return 1;
}

int SysGetMacrolinPath(ICString& out) {
    out = SysRootPath("/opt/OrvellMacrolin/docs");
    return 1;
}

// Left for the shell to expand in the scripts it is written into.
int SysGetOraSid(ICString& out) {
    out = "$ORACLE_SID";
    return 1;
}

int SysGetJREPath(ICString& out) {
    out = SysRootPath("/usr/java");
    return 1;
}

int ICGetJREPath(ICString& out) {
    return SysGetJREPath(out);
}

int SysGetMSCfgPathV1(ICString& out) {
    out = SysRootPath("/etc");
    return 1;
}

int SysGetShortPathName(ICString&) {
    return 1;
}

// No database service name, data source registry or settings registry exists here.
int SysGetRELDAService(char*, int) {
    return 0;
}

int ICGetRELDAService(char* out, int size) {
    return SysGetRELDAService(out, size);
}

int SysRegDataSource(const char*, const char*) {
    return 1;
}

int SysUpdateRegVX(const char*, const char*) {
    return 1;
}

int ICUpdateRegVX(const char* key, const char* value) {
    return SysUpdateRegVX(key, value);
}

int SysIsGroupLensInstalled() {
    return 1;
}

int SysIsPersonalizationInstalled() {
    return 1;
}
