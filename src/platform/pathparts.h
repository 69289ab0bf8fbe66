// Splitting a path into its directory and its last component.
#ifndef VX_PLATFORM_PATHPARTS_H
#define VX_PLATFORM_PATHPARTS_H

#include "vxconfig/icstring.h"

namespace platform {

// The directory part of path: "." for a bare name, "/" for a name right under the root.
ICString DirectoryOf(const char* path);
// The last component of path.
const char* BaseNameOf(const char* path);

} // namespace platform

#endif
