#include "vxconfig/sysroot.h"

#include <cstdlib>
#include <cstring>

ICString SysGetRoot() {
    const char* root = getenv("VXCONFIG_ROOT");
    if (!root)
        return ICString();
    // Trailing slashes are dropped so that root + "/etc/..." has a single slash; a root of
    // "/" is no root at all.
    int length = static_cast<int>(strlen(root));
    while (length > 0 && root[length - 1] == '/')
        --length;
    ICString out;
    out.CopyStr(root, length);
    return out;
}

ICString SysRootPath(const char* path) {
    return SysGetRoot() + path;
}
