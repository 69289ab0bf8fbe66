// The seam's forms of the file system calls: each reads through a check run's overlay and
// notes what it is about to change, so that every operation can be checked and reported.
#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include "platform/overlay.h"
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
    return path ? fopen(ReadPath(path), "re") : nullptr;
}

int SysRemove(const char* path) {
    if (!path) {
        errno = EINVAL;
        return -1;
    }
    platform::NoteBefore(path);
    return platform::Overlaid() ? platform::OverlayRemove(path) : remove(path);
}

int SysRename(const char* from, const char* to) {
    if (!from || !to) {
        errno = EINVAL;
        return -1;
    }
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
