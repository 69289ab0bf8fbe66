// The system root: every fixed path of the library goes through SysRootPath, so a whole
// installation can live under $VXCONFIG_ROOT (the sandbox) instead of "/".
#ifndef VXCONFIG_SYSROOT_H
#define VXCONFIG_SYSROOT_H

#include "vxconfig/icstring.h"

// The root in force, read afresh at each call, without trailing slashes: empty when
// VXCONFIG_ROOT is unset, empty or "/".
VX_API ICString SysGetRoot();
// A fixed absolute path as this process must use it: the root followed by path.
VX_API ICString SysRootPath(const char* path);

#endif
