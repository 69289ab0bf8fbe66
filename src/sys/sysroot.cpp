#include "vxconfig/sysroot.h"

#include <cstdlib>
#include <cstring>

#include "vxconfig/safevalue.h"

namespace {

// Where every path of an unusable root leads: a device, so nothing lies below it.
const char kNowhere[] = "/dev/null";

// VXCONFIG_ROOT without trailing slashes; empty for none and for "/".
ICString RootVariable() {
    const char* root = getenv("VXCONFIG_ROOT");
    if (!root)
        return ICString();
    int length = static_cast<int>(strlen(root));
    while (length > 0 && root[length - 1] == '/')
        --length;
    ICString out;
    out.CopyStr(root, length);
    return out;
}

int Refuse(ICString* why, const char* reason) {
    if (why)
        *why = reason;
    return 0;
}

} // namespace

int SysCheckRootValue(const char* root, ICString* why) {
    if (!root || root[0] != '/')
        return Refuse(why, "the root must be an absolute path");
    if (strspn(root, "/") == strlen(root))
        return Refuse(why, "the root must not be /");
    if (strchr(root, '.'))
        return Refuse(why, "the root must not contain a dot");
    if (!SysIsSafeValue(root, SYS_VALUE_PATH))
        return Refuse(why, "the root may hold only letters, digits, / and _ - + , : @ =");
    return 1;
}

int SysHasRoot() {
    return RootVariable().IsEmpty() ? 0 : 1;
}

ICString SysGetRoot() {
    ICString root = RootVariable();
    if (root.IsEmpty() || SysCheckRootValue(root))
        return root;
    return ICString(kNowhere);
}

ICString SysRootPath(const char* path) {
    return SysGetRoot() + path;
}
