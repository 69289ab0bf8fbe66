// Why the last operation failed, and what the library did instead of what was asked: kept here,
// below every other part, so that each layer can say why.
#ifndef VXCONFIG_REASON_H
#define VXCONFIG_REASON_H

#include "vxconfig/export.h"

// The reason of the most recent failure that the library described: the file and the
// system's message ("/etc/services: Permission denied"). Empty when there was none since the
// last SysClearLastReason. The message tables' texts stay as they are; the front end shows
// this beside them.
VX_API const char* SysGetLastReason();
VX_API void SysClearLastReason();
// Sets the reason: printf-style text.
VX_API void SysSetLastReason(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Sets the reason "path: strerror(error)" and leaves errno at error.
VX_API void SysSetFileReason(const char* path, int error);
// Tells the user what the library did instead of what was asked, or left alone (a link it
// did not follow, a directory it kept as it was): a line through the information callback.
VX_API void SysNotice(const char* format, ...) __attribute__((format(printf, 1, 2)));

#endif
