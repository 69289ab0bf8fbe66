// Installed products, told by the package information files the package tools keep.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

#include "sys/process/runprogram.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/sysroot.h"

// 1 when the package information file is readable by the caller.
static int IsReadable(const char* fixedPath) {
    return SysAccess(SysRootPath(fixedPath), R_OK) == 0 ? 1 : 0;
}

int SysIsHWLInstalled() {
    return IsReadable("/var/sadm/pkg/OrvellQBX/pkginfo");
}

int SysIsMacrolinInstalled() {
    return IsReadable("/var/sadm/pkg/Macrolin/pkginfo");
}

int SysIsRELDAExtInstalled() {
    return IsReadable("/var/sadm/pkg/reldatxcom/pkginfo");
}

int SysIsPayvaneInstalled() {
    if (!IsReadable("/var/sadm/pkg/OrvellPS/pkginfo"))
        return 0;
    // The payment server's user exit library must not be loaded by the product's daemons.
    ICString library = SysRootPath("/opt/Orvell_Payment_Server/lib/libuserexit.so");
    if (SysAccess(library, F_OK) == 0)
        SysRename(library, library + ".Payvane");
    return 1;
}

// Relda releases in the order they are looked for; the first installed one decides.
struct ReldaRelease {
    const char* pkginfo;
    const char* dir;
};

static const ReldaRelease kReldaReleases[] = {
    {"/var/sadm/pkg/reldaengn61/pkginfo", "/opt/Orvellrelda/V6.1"},
    {"/var/sadm/pkg/reldacliv61/pkginfo", "/opt/Orvellrelda/V6.1"},
    {"/var/sadm/pkg/reldaengn50/pkginfo", "/opt/Orvellrelda/V5.0"},
};

int SysGetDBOrvellPath(ICString& out) {
    for (const ReldaRelease& r : kReldaReleases) {
        if (IsReadable(r.pkginfo)) {
            out = SysRootPath(r.dir);
            return 1;
        }
    }
    return 0;
}

int ICGetDBOrvellPath(ICString& out) {
    return SysGetDBOrvellPath(out);
}

int SysCheckVersion(int release) {
    // The product's own package, or the hosting edition's when the product's is missing.
    std::unique_ptr<SysLineReader> in(
        new SysLineReader(SysRootPath("/var/sadm/pkg/Orvellvndx/pkginfo")));
    if (!in->IsOpen())
        in.reset(new SysLineReader(SysRootPath("/var/sadm/pkg/OrvellQBX/pkginfo")));
    if (!in->IsOpen())
        return 0;
    // The major release is the first character of the VERSION value.
    char major = 0;
    while (char* line = in->Next()) {
        char* equals = strchr(line, '=');
        if (equals && equals - line == 7 && strncmp(line, "VERSION", 7) == 0) {
            major = equals[1];
            break;
        }
    }
    return release >= 1 && release <= 3 && major == '0' + release ? 1 : 0;
}

// The database product's instance list tool prints the first database instance first; its
// name is that of the instance's owner.
int SysGetUserName(ICString& out) {
    out.Empty();
    ICString dir;
    if (!SysGetDBOrvellPath(dir))
        return 0;
    ICString command = (dir ^ "instance") ^ "reldailist";
    std::string printed;
    if (!platform::ReadProgramOutput(command, printed))
        return 0;
    // The first line, without its line end.
    std::string first = printed.substr(0, printed.find('\n'));
    out.CopyStr(first.data(), static_cast<int>(first.size()));
    return out.IsEmpty() ? 0 : 1;
}

int ICGetUserName(ICString& out) {
    return SysGetUserName(out);
}
