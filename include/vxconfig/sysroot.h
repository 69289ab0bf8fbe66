// The system root: every fixed path of the library goes through SysRootPath, so a whole
// installation can live under $VXCONFIG_ROOT (the sandbox) instead of "/".
#ifndef VXCONFIG_SYSROOT_H
#define VXCONFIG_SYSROOT_H

#include "vxconfig/icstring.h"

// 1 when root may serve as the system root: an absolute path that is a safe value (see
// safevalue.h), without a dot anywhere (backup names are formed at the first dot of a whole
// path) and other than "/". Otherwise 0 with the reason in why (when given).
VX_API int SysCheckRootValue(const char* root, ICString* why = nullptr);
// 1 when VXCONFIG_ROOT names a root other than "/", usable or not.
VX_API int SysHasRoot();
// The root in force, read afresh at each call, without trailing slashes: empty when
// VXCONFIG_ROOT is unset, empty or "/". A root that fails SysCheckRootValue is replaced by
// "/dev/null", under which nothing can be opened, created or run: a bad root makes every
// operation fail instead of reaching the real system.
VX_API ICString SysGetRoot();
// A fixed absolute path as this process must use it: the root followed by path.
VX_API ICString SysRootPath(const char* path);

#endif
