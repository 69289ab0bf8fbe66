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
        ispath[0] = SysRootPath("/usr/netscape/suitespot");
    else
        ispath[0] = Parent(Parent(instance.NESSecure));
    if (instance.NESSecure.IsEmpty())
        ispath[1] = ispath[0] ^ "https-443" ^ "config";
    else
        ispath[1] = instance.NESSecure;
    ispath[4] = ispath[1];
    if (instance.NESNonsecure.IsEmpty())
        ispath[2] = ispath[0] ^ "https-80" ^ "config";
    else
        ispath[2] = instance.NESNonsecure;
    ispath[3] = ispath[0] ^ "docs";
    ispath[5] = ispath[0];
    return 1;
}
