#include "vxconfig/sysroot.h"

#include <cstdlib>

ICString SysGetRoot() {
    const char* root = getenv("VXCONFIG_ROOT");
    return ICString(root && *root ? root : nullptr);
}

ICString SysRootPath(const char* path) {
    return SysGetRoot() + path;
}
