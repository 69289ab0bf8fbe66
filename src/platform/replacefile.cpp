// Safe replacement of system files: the file named is never missing and never half written,
// even when the process dies in the middle.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "vxconfig/sysutil.h"

static int WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        ssize_t n = write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 0;
        data += n;
        length -= static_cast<size_t>(n);
    }
    return 1;
}

static mode_t NewFileMode() {
    // The creation mask can only be read by setting it; the library runs on one thread.
    mode_t mask = umask(022);
    umask(mask);
    return 0666 & ~mask;
}

// The directory part of path, for syncing the rename itself.
static ICString DirectoryOf(const char* path) {
    const char* slash = strrchr(path, '/');
    if (!slash)
        return ICString(".");
    if (slash == path)
        return ICString("/");
    ICString dir;
    dir.CopyStr(path, static_cast<int>(slash - path));
    return dir;
}

static void SyncDirectory(const char* path) {
    int fd = open(DirectoryOf(path), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Writes content to a fresh temporary file beside path and renames it over path. The new file
// keeps the owner and group of the one it replaces (where the process may give them).
static int WriteAndRename(const char* path, const char* content, size_t length, mode_t mode) {
    struct stat previous;
    bool hadFile = stat(path, &previous) == 0;
    char name[PATH_MAX];
    if (snprintf(name, sizeof name, "%s.vxnew-XXXXXX", path) >= static_cast<int>(sizeof name))
        return 0;
    int fd = mkstemp(name);
    if (fd < 0)
        return 0;
    int ok = WriteAll(fd, content, length);
    if (ok && hadFile && fchown(fd, previous.st_uid, previous.st_gid) != 0)
        ok = errno == EPERM; // an unprivileged caller keeps its own ownership
    ok = ok && fchmod(fd, mode == SYS_NEW_FILE_MODE ? NewFileMode() : mode) == 0;
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(name, path) == 0;
    if (!ok) {
        unlink(name);
        return 0;
    }
    SyncDirectory(path);
    return 1;
}

// The previous content kept under backupPath without path ever being absent: a second name
// for the same file, or a copy where the file system has no hard links.
static int KeepBackup(const char* path, const char* backupPath) {
    if (unlink(backupPath) != 0 && errno != ENOENT)
        return 0;
    if (link(path, backupPath) == 0)
        return 1;
    if (errno == ENOENT)
        return 1; // nothing to keep
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return 0;
    struct stat st;
    int ok = fstat(fd, &st) == 0;
    char* old = ok ? static_cast<char*>(malloc(static_cast<size_t>(st.st_size) + 1)) : nullptr;
    size_t got = 0;
    while (old && got < static_cast<size_t>(st.st_size)) {
        ssize_t n = read(fd, old + got, static_cast<size_t>(st.st_size) - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    ok = old && got == static_cast<size_t>(st.st_size) &&
         WriteAndRename(backupPath, old, got, st.st_mode & 07777);
    free(old);
    return ok;
}

int SysReplaceFile(const char* path, const char* content, size_t length, const char* backupPath,
                   mode_t mode) {
    if (!path || !*path || (!content && length > 0))
        return 0;
    if (backupPath && *backupPath && !KeepBackup(path, backupPath))
        return 0;
    return WriteAndRename(path, content ? content : "", length, mode);
}
