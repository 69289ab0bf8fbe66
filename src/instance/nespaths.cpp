// Netscape Enterprise Server paths, derived from the instance's server configuration
// directories or from the standard server root.
#include "vxconfig/msinfo.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/webpaths.h"

namespace {

// The path without its last component; empty when it has no "/".
ICString Parent(const ICString& path) {
    ICString out(path);
    int cut = -1;
    for (int i = 0; i < out.GetLength(); ++i) {
        if (out.GetAt(i) == '/')
            cut = i;
    }
    if (cut < 0)
        out.Empty();
    else
        out.Truncate(cut);
    return out;
}

} // namespace

// A secure configuration directory is ROOT/https-443/config, so the server root lies two
// components above it. Later elements are formed from element 0.
int SysGetISNESInfo(ISPath& ispath, MSInfo& instance) {
    if (instance.NESSecure.IsEmpty())
        ispath[ISPATH_NES_ROOT] = SysRootPath("/usr/netscape/suitespot");
    else
        ispath[ISPATH_NES_ROOT] = Parent(Parent(instance.NESSecure));
    if (instance.NESSecure.IsEmpty())
        ispath[ISPATH_NES_SECURE] = ispath[ISPATH_NES_ROOT] ^ "https-443" ^ "config";
    else
        ispath[ISPATH_NES_SECURE] = instance.NESSecure;
    ispath[ISPATH_NES_SECURE_ALSO] = ispath[ISPATH_NES_SECURE];
    if (instance.NESNonsecure.IsEmpty())
        ispath[ISPATH_NES_NONSECURE] = ispath[ISPATH_NES_ROOT] ^ "https-80" ^ "config";
    else
        ispath[ISPATH_NES_NONSECURE] = instance.NESNonsecure;
    ispath[ISPATH_DOCS] = ispath[ISPATH_NES_ROOT] ^ "docs";
    ispath[ISPATH_SERVER_ROOT] = ispath[ISPATH_NES_ROOT];
    return 1;
}
