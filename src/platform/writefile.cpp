// The one write path: every file goes to a temporary beside it first and is renamed into
// place, so that it is never missing and never half written, even when the process is killed.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/overlay.h"
#include "platform/passwd.h"
#include "platform/pathparts.h"
#include "vxconfig/fileio.h"

namespace platform {

ICString DirectoryOf(const char* path) {
    const char* slash = strrchr(path, '/');
    if (!slash)
        return ICString(".");
    if (slash == path)
        return ICString("/");
    ICString dir;
    dir.CopyStr(path, static_cast<int>(slash - path));
    return dir;
}

const char* BaseNameOf(const char* path) {
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

int WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        ssize_t n = write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return 0;
        }
        data += n;
        length -= static_cast<size_t>(n);
    }
    return 1;
}

} // namespace platform

namespace {

using platform::BaseNameOf;
using platform::DirectoryOf;
using platform::WriteAll;

// Temporaries are the target's name, this mark and six characters of mkstemp.
const char kTempMark[] = ".vxnew-";
const size_t kTempSuffix = 6;
// Links are followed at most this deep, as the kernel does.
const int kMaxLinks = 40;

int Fail(const char* path, int error) {
    SysSetFileReason(path, error);
    return 0;
}

mode_t NewFileMode() {
    // The creation mask can only be read by setting it; the library runs on one thread.
    mode_t mask = umask(022);
    umask(mask);
    return 0666 & ~mask;
}

void SyncDirectory(const char* path) {
    int fd = open(DirectoryOf(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Whether entry is a temporary of a writer of the file with this base name: the name, the
// mark and six characters.
bool IsTemporaryOf(const char* entry, const char* base) {
    size_t length = strlen(base);
    return strncmp(entry, base, length) == 0 &&
           strncmp(entry + length, kTempMark, sizeof kTempMark - 1) == 0 &&
           strlen(entry) == length + sizeof kTempMark - 1 + kTempSuffix;
}

// Removes what killed writers of path (and of also, a second file in the same directory, or
// null) left there, in one pass over the directory. Only called with the directory's lock
// held, so none of them is being written.
void RemoveStaleTemporaries(const char* path, const char* also = nullptr) {
    ICString dirPath = DirectoryOf(path);
    DIR* dir = opendir(dirPath);
    if (!dir)
        return;
    const char* base = BaseNameOf(path);
    const char* alsoBase =
        also && strcmp(DirectoryOf(also), dirPath) == 0 ? BaseNameOf(also) : nullptr;
    while (dirent* entry = readdir(dir)) {
        if (IsTemporaryOf(entry->d_name, base) ||
            (alsoBase && IsTemporaryOf(entry->d_name, alsoBase)))
            unlinkat(dirfd(dir), entry->d_name, 0);
    }
    closedir(dir);
    if (also && !alsoBase)
        RemoveStaleTemporaries(also);
}

// Where the file goes, and what stood there before.
struct Target {
    ICString path;
    bool existed = false;
    struct stat previous;
};

int FindTarget(const char* path, bool noFollow, Target& target) {
    if (noFollow) {
        // A link or another user's file under a fixed name is somebody else's trap.
        struct stat st;
        if (lstat(platform::ReadPath(path), &st) == 0) {
            if (S_ISLNK(st.st_mode)) {
                SysSetLastReason("%s: is a symbolic link, which is not followed here", path);
                errno = ELOOP;
                return 0;
            }
            if (st.st_uid != geteuid()) {
                SysSetLastReason("%s: belongs to another user, it is not written through", path);
                errno = EPERM;
                return 0;
            }
        } else if (errno != ENOENT) {
            return Fail(path, errno);
        }
        target.path = path;
    } else if (!SysResolveLinks(path, target.path)) {
        return Fail(path, errno);
    }
    if (stat(platform::ReadPath(target.path), &target.previous) == 0) {
        if (!S_ISREG(target.previous.st_mode))
            return Fail(target.path, S_ISDIR(target.previous.st_mode) ? EISDIR : EINVAL);
        target.existed = true;
    } else if (errno != ENOENT) {
        return Fail(target.path, errno);
    }
    return 1;
}

// Writes content to a fresh temporary beside path and renames it over path.
int WriteAndRename(const char* path, const char* content, size_t length, mode_t mode, uid_t uid,
                   gid_t gid, bool ownerRequired) {
    char name[PATH_MAX];
    if (snprintf(name, sizeof name, "%s%sXXXXXX", path, kTempMark) >= static_cast<int>(sizeof name))
        return Fail(path, ENAMETOOLONG);
    // mkstemp makes the file 0600: private until it has its final mode.
    int fd = mkostemp(name, O_CLOEXEC);
    if (fd < 0)
        return Fail(path, errno);
    const char* step = name;
    int ok = WriteAll(fd, content, length);
    if (ok && uid != static_cast<uid_t>(-1) && fchown(fd, uid, gid) != 0)
        ok = errno == EPERM && !ownerRequired; // an unprivileged caller keeps its own ownership
    ok = ok && fchmod(fd, mode) == 0;
    ok = ok && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = 0;
        error = errno;
    }
    if (ok && rename(name, path) != 0) {
        ok = 0;
        error = errno;
        step = path;
    }
    if (!ok) {
        unlink(name);
        return Fail(step, error);
    }
    SyncDirectory(path);
    return 1;
}

// Six characters for a temporary's name, from the clock, the process and a counter: link(2)
// fails rather than replace, so a name that happens to be taken only costs another try.
void UniqueSuffix(char out[kTempSuffix + 1]) {
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static unsigned long counter = 0;
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    unsigned long value = static_cast<unsigned long>(now.tv_nsec) * 2654435761UL ^
                          static_cast<unsigned long>(getpid()) << 20 ^ ++counter * 40503UL;
    for (size_t i = 0; i < kTempSuffix; ++i) {
        out[i] = kDigits[value % (sizeof kDigits - 1)];
        value /= sizeof kDigits - 1;
    }
    out[kTempSuffix] = '\0';
}

// A new hard link to existing under a free temporary name beside backup, written to name.
int LinkBeside(const char* existing, const char* backup, char* name, size_t size) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[kTempSuffix + 1];
        UniqueSuffix(suffix);
        if (snprintf(name, size, "%s%s%s", backup, kTempMark, suffix) >= static_cast<int>(size)) {
            errno = ENAMETOOLONG;
            return 0;
        }
        if (link(existing, name) == 0)
            return 1;
        if (errno != EEXIST)
            return 0;
    }
    errno = EEXIST;
    return 0;
}

// The previous content under the backup name, replacing what stood there in one step: a
// second name for the same file, or a copy where no hard link can be made.
int KeepBackup(const Target& target, const char* backup) {
    char name[PATH_MAX];
    if (LinkBeside(target.path, backup, name, sizeof name)) {
        if (rename(name, backup) == 0) {
            // When the backup was already this very file (a run killed between keeping the
            // backup and renaming the new file), rename leaves both names: drop the spare.
            unlink(name);
            return 1;
        }
        int error = errno;
        unlink(name);
        return Fail(backup, error);
    }
    ICString old;
    if (!SysReadFile(target.path, old))
        return 0;
    return WriteAndRename(backup, old, static_cast<size_t>(old.GetLength()),
                          target.previous.st_mode & 07777, target.previous.st_uid,
                          target.previous.st_gid, false);
}

} // namespace

int SysResolveLinks(const char* path, ICString& out) {
    if (!path || !*path) {
        errno = ENOENT;
        return 0;
    }
    ICString current = path;
    for (int depth = 0; depth < kMaxLinks; ++depth) {
        struct stat st;
        if (lstat(current, &st) != 0 || !S_ISLNK(st.st_mode)) {
            out = current;
            return 1;
        }
        char link[PATH_MAX];
        ssize_t n = readlink(current, link, sizeof link - 1);
        if (n < 0)
            return 0;
        link[n] = '\0';
        current = link[0] == '/' ? ICString(link) : DirectoryOf(current) ^ link;
    }
    errno = ELOOP;
    return 0;
}

int SysReadFile(const char* path, ICString& out) {
    int fd = path ? open(platform::ReadPath(path), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0)
        return Fail(path, path ? errno : EINVAL);
    struct stat st;
    int error = fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    if (error) {
        close(fd);
        return Fail(path, error);
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            int error = errno;
            close(fd);
            return Fail(path, error);
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    out.CopyStr(text.data(), static_cast<int>(text.size()));
    return 1;
}

namespace {

SysWriteObserver s_observer = nullptr;
void* s_observerContext = nullptr;

} // namespace

void SysObserveWrites(SysWriteObserver observer, void* context) {
    s_observer = observer;
    s_observerContext = context;
}

int SysWriteFile(const char* path, const char* content, size_t length,
                 const SysWriteOptions& options) {
    if (!path || !*path || (!content && length > 0))
        return Fail(path, EINVAL);
    Target target;
    if (!FindTarget(path, options.noFollow, target))
        return 0;
    SysFileLock lock(target.path);
    if (!lock.Held())
        return 0;
    bool keepBackup = options.backup && *options.backup;
    bool overlaid = platform::Overlaid();
    // A check run leaves the directory as it is, temporaries of killed runs included.
    if (!overlaid)
        RemoveStaleTemporaries(target.path, keepBackup ? options.backup : nullptr);
    // The lock was waited for: what stands there now is what gets replaced.
    target.existed = stat(platform::ReadPath(target.path), &target.previous) == 0;
    platform::NoteBefore(target.path);
    if (keepBackup)
        platform::NoteBefore(options.backup);

    uid_t uid = static_cast<uid_t>(-1);
    gid_t gid = static_cast<gid_t>(-1);
    if (options.owner) {
        SysPasswdEntry entry;
        if (!SysLookupUser(options.owner, entry)) {
            SysSetLastReason("%s: the owner %s is not a user of this system", path, options.owner);
            errno = EINVAL;
            return 0;
        }
        uid = entry.uid;
        gid = entry.gid;
    } else if (target.existed) {
        uid = target.previous.st_uid;
        gid = target.previous.st_gid;
    }
    mode_t mode = options.mode == SYS_NEW_FILE_MODE ? NewFileMode() : (options.mode & 07777);
    if (options.keepMode && target.existed)
        mode = target.previous.st_mode & 07777;

    if (s_observer)
        s_observer(path, content ? content : "", length, s_observerContext);
    if (overlaid) {
        if (platform::OverlayWrite(target.path, content ? content : "", length, mode,
                                   keepBackup && target.existed ? options.backup : nullptr) != 0)
            return Fail(target.path, errno);
        return 1;
    }
    if (keepBackup && target.existed && !KeepBackup(target, options.backup))
        return 0;
    return WriteAndRename(target.path, content ? content : "", length, mode, uid, gid,
                          options.owner != nullptr);
}
