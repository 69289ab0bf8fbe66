// What the write path shares with the files beside it: a path split into its directory and
// its last component, and the whole of a buffer written to a descriptor.
#ifndef VX_SYS_FILES_PATHPARTS_H
#define VX_SYS_FILES_PATHPARTS_H

#include <cstddef>

#include "vxconfig/icstring.h"

namespace platform {

// The directory part of path: "." for a bare name, "/" for a name right under the root.
ICString DirectoryOf(const char* path);
// The last component of path.
const char* BaseNameOf(const char* path);
// Writes all length bytes, retrying interrupted and short writes; 1, or 0 with errno.
int WriteAll(int fd, const char* data, size_t length);

} // namespace platform

#endif
