// The seam's forms of the file system calls: each reads through a check run's overlay and
// notes what it is about to change, so that every operation can be checked and reported; reads,
// removals and renames walk their paths by the trust rule.
#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include "sys/check/overlay.h"
#include "sys/files/filestate.h"
#include "sys/files/trustpath.h"
#include "vxconfig/fileio.h"

using platform::ReadPath;

int SysAccess(const char* path, int mode) {
    return access(ReadPath(path), mode);
}

int SysStat(const char* path, struct stat* st) {
    return stat(ReadPath(path), st);
}

int SysLstat(const char* path, struct stat* st) {
    return lstat(ReadPath(path), st);
}

FILE* SysOpenRead(const char* path) {
    if (!path) {
        errno = EINVAL;
        return nullptr;
    }
    platform::ReadRecorder::Note(path);
    int fd = platform::OpenTrusted(ReadPath(path));
    FILE* fp = fd >= 0 ? fdopen(fd, "r") : nullptr;
    if (!fp && fd >= 0) {
        int error = errno;
        close(fd);
        errno = error;
    }
    return fp;
}

namespace {

// 0 when path's directories may be walked by the trust rule (its last component is removed or
// renamed itself, never followed), else -1 with errno and the reason.
int WayTrusted(const char* path) {
    SysTrustedPath trusted;
    return SysResolveTrusted(path, trusted) ? 0 : -1;
}

} // namespace

int SysRemove(const char* path) {
    if (!path) {
        errno = EINVAL;
        return -1;
    }
    if (WayTrusted(path) != 0)
        return -1;
    platform::NoteBefore(path);
    return platform::Overlaid() ? platform::OverlayRemove(path) : remove(path);
}

int SysRename(const char* from, const char* to) {
    if (!from || !to) {
        errno = EINVAL;
        return -1;
    }
    if (WayTrusted(from) != 0 || WayTrusted(to) != 0)
        return -1;
    platform::NoteBefore(from);
    platform::NoteBefore(to);
    int rc = platform::Overlaid() ? platform::OverlayRename(from, to) : rename(from, to);
    if (rc == 0)
        platform::NoteRename(from, to);
    return rc;
}

int SysSymlink(const char* target, const char* path) {
    if (!target || !path) {
        errno = EINVAL;
        return -1;
    }
    platform::NoteBefore(path);
    return platform::Overlaid() ? platform::OverlaySymlink(target, path) : symlink(target, path);
}
