// The reason of the last failure the library described, for the front end to show beside the
// message of the table, and the notices of what it left alone.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "vxconfig/messages.h"
#include "vxconfig/reason.h"

namespace {

thread_local char t_reason[1024];

} // namespace

const char* SysGetLastReason() {
    return t_reason;
}

void SysClearLastReason() {
    t_reason[0] = '\0';
}

void SysSetLastReason(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vsnprintf(t_reason, sizeof t_reason, format, args);
    va_end(args);
}

void SysSetFileReason(const char* path, int error) {
    SysSetLastReason("%s: %s", path ? path : "(no file)", strerror(error));
    errno = error;
}

void SysNotice(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    OutputMessage(text);
}
