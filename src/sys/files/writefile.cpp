// The one write path: every file goes to a temporary beside it first and is renamed into
// place, so that it is never missing and never half written, even when the process is killed;
// both happen in the file's directory as reached without following a link, and a link is
// followed only where the trust rule allows it.
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

#include "sys/check/overlay.h"
#include "sys/files/pathparts.h"
#include "sys/files/trustpath.h"
#include "sys/sysdb/passwd.h"
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

// Temporaries are the target's name, this mark and six characters.
const char kTempMark[] = ".vxnew-";
const size_t kTempSuffix = 6;
// Links are followed at most this deep, as the kernel does.
const int kMaxLinks = 40;
// Free names tried for a temporary before giving up.
const int kTempAttempts = 100;

int Fail(const char* path, int error) {
    SysSetFileReason(path, error);
    return 0;
}

mode_t NewFileMode() {
    // The creation mask can only be read by setting it; the library runs on one thread.
    // Whatever the mask, no file is written that others could change.
    mode_t mask = umask(022);
    umask(mask);
    return 0666 & ~mask & ~(S_IWGRP | S_IWOTH);
}

// Whether entry is a temporary of a writer of the file with this base name: the name, the
// mark and six characters.
bool IsTemporaryOf(const char* entry, const char* base) {
    size_t length = strlen(base);
    return strncmp(entry, base, length) == 0 &&
           strncmp(entry + length, kTempMark, sizeof kTempMark - 1) == 0 &&
           strlen(entry) == length + sizeof kTempMark - 1 + kTempSuffix;
}

// Removes what killed writers of base left in the directory dirFd. Only called with the
// directory's lock held, so none of them is being written.
void RemoveStaleTemporaries(int dirFd, const char* base) {
    int listing = dup(dirFd);
    DIR* dir = listing >= 0 ? fdopendir(listing) : nullptr;
    if (!dir) {
        if (listing >= 0)
            close(listing);
        return;
    }
    while (dirent* entry = readdir(dir)) {
        if (IsTemporaryOf(entry->d_name, base))
            unlinkat(dirFd, entry->d_name, 0);
    }
    closedir(dir);
}

// Six characters for a temporary's name, from the clock, the process and a counter: the
// exclusive creation or link(2) fails rather than replace, so a name that happens to be taken
// only costs another try.
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

// A temporary name for base (written to name), and what make does with it: 1 done, 0 failed
// with errno (EEXIST: the name is taken, another is tried).
template <typename Make> int WithFreeName(const char* base, char* name, size_t size, Make make) {
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        char suffix[kTempSuffix + 1];
        UniqueSuffix(suffix);
        if (snprintf(name, size, "%s%s%s", base, kTempMark, suffix) >= static_cast<int>(size) ||
            strlen(name) > NAME_MAX) {
            errno = ENAMETOOLONG;
            break;
        }
        if (make(name))
            return 1;
        if (errno != EEXIST)
            break;
        errno = EEXIST;
    }
    // The name last tried is somebody else's or nobody's: it is not handed back.
    int error = errno;
    name[0] = '\0';
    errno = error;
    return 0;
}

// Where the file goes, and what stood there before.
struct Target {
    ICString path;
    // The last component is a link that is not followed: the new file takes its place.
    bool replacesLink = false;
    ICString why;
    // What stood there may pass on its owner, mode and content (it is neither a link nor a
    // file another user put there).
    bool inherits = false;
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
    }
    SysTrustedPath trusted;
    if (!SysResolveTrusted(path, trusted))
        return 0;
    target.path = trusted.path;
    target.replacesLink = trusted.untrustedLink != 0;
    target.why = trusted.why;
    return 1;
}

// Judges what stands at the target now (st from lstat; found tells whether anything does).
int Examine(Target& target, bool found, const struct stat& st, const struct stat* dir) {
    target.inherits = false;
    if (!found)
        return 1;
    target.previous = st;
    if (S_ISDIR(st.st_mode))
        return Fail(target.path, EISDIR);
    if (S_ISLNK(st.st_mode)) {
        // Swapped for a link since the path was judged: replaced, never followed.
        target.replacesLink = true;
        return 1;
    }
    if (!S_ISREG(st.st_mode))
        return Fail(target.path, EINVAL);
    target.inherits = !target.replacesLink && (!dir || !platform::IsPlanted(*dir, st));
    return 1;
}

// Writes content to a fresh temporary for base in dirFd (its name into name). 1, or 0 with
// nothing left behind and errno set.
int WriteTemporary(int dirFd, const char* base, const char* content, size_t length, mode_t mode,
                   uid_t uid, gid_t gid, bool ownerRequired, char* name, size_t size) {
    int fd = -1;
    // Created private to the process: nobody can open it before it has its final mode.
    if (!WithFreeName(base, name, size, [&](const char* candidate) {
            fd = openat(dirFd, candidate, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        0600);
            return fd >= 0;
        }))
        return 0;
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
    if (!ok) {
        unlinkat(dirFd, name, 0);
        name[0] = '\0';
        errno = error;
    }
    return ok;
}

// The whole of what fd reads into text. 1, or 0 with errno.
int ReadAll(int fd, std::string& text) {
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return 0;
        if (n == 0)
            return 1;
        text.append(buffer, static_cast<size_t>(n));
    }
}

// The content of the file that is base in dirFd, when it is still the file target found.
int ReadPrevious(const Target& target, int dirFd, const char* base, std::string& text) {
    int fd = openat(dirFd, base, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat st;
    int ok = fstat(fd, &st) == 0;
    if (ok && (st.st_ino != target.previous.st_ino || st.st_dev != target.previous.st_dev)) {
        // Replaced meanwhile: what stands there now is not the previous content.
        ok = 0;
        errno = EAGAIN;
    }
    ok = ok && ReadAll(fd, text);
    int error = errno;
    close(fd);
    errno = error;
    return ok;
}

// The previous content of target (base in dirFd) under the backup name, replacing what stood
// there in one step: a second name for the same file when its bits are no more open than
// those of the new file, else a copy with the bits both share.
int KeepBackup(const Target& target, int dirFd, const char* base, const char* backup,
               mode_t newMode) {
    SysTrustedPath place;
    if (!SysResolveTrusted(DirectoryOf(backup), place))
        return 0;
    if (place.untrustedLink) {
        SysSetLastReason("%s: a symbolic link that is not followed: %s",
                         static_cast<const char*>(place.path), static_cast<const char*>(place.why));
        errno = ELOOP;
        return 0;
    }
    int backupFd = platform::OpenDirectoryNoFollow(place.path);
    if (backupFd < 0)
        return Fail(place.path, errno);
    const char* backupBase = BaseNameOf(backup);
    RemoveStaleTemporaries(backupFd, backupBase);
    char name[NAME_MAX + 1] = "";
    mode_t kept = target.previous.st_mode & 07777;
    int linked = (kept & ~newMode) == 0 &&
                 WithFreeName(backupBase, name, sizeof name, [&](const char* candidate) {
                     return linkat(dirFd, base, backupFd, candidate, 0) == 0;
                 });
    int done = 0;
    if (linked) {
        done = renameat(backupFd, name, backupFd, backupBase) == 0;
        int error = errno;
        // When the backup was already this very file (a run killed between keeping the
        // backup and renaming the new file), rename leaves both names: drop the spare.
        unlinkat(backupFd, name, 0);
        errno = error;
    } else {
        // No second name can be made, or the backup must be closer than the file was.
        std::string old;
        done = ReadPrevious(target, dirFd, base, old) &&
               WriteTemporary(backupFd, backupBase, old.data(), old.size(), kept & newMode,
                              target.previous.st_uid, target.previous.st_gid, false, name,
                              sizeof name);
        if (done && renameat(backupFd, name, backupFd, backupBase) != 0) {
            int error = errno;
            unlinkat(backupFd, name, 0);
            errno = error;
            done = 0;
        }
    }
    int error = errno;
    close(backupFd);
    return done ? 1 : Fail(backup, error);
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

namespace {

// A file's whole content, opened by the trust rule; a copy source must be a regular file that
// no other user put into a directory others may write.
int ReadWhole(const char* path, ICString& out, bool copySource, mode_t* mode) {
    if (!path)
        return Fail(path, EINVAL);
    ICString view = platform::ReadPath(path);
    int fd = platform::OpenTrusted(view, copySource ? O_NONBLOCK : 0);
    if (fd < 0) {
        // The trust rule's own reason names the link; a plain failure names the path given.
        if (errno != ELOOP)
            SysSetFileReason(path, errno);
        return 0;
    }
    struct stat st;
    int error = fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    if (!error && copySource && !S_ISREG(st.st_mode))
        error = EINVAL;
    if (!error && copySource) {
        struct stat dir;
        if (stat(DirectoryOf(view), &dir) == 0 && platform::IsPlanted(dir, st)) {
            close(fd);
            SysSetLastReason("%s: belongs to uid %u in a directory others can write; not copied",
                             path, static_cast<unsigned>(st.st_uid));
            errno = EPERM;
            return 0;
        }
    }
    std::string text;
    if (!error && !ReadAll(fd, text))
        error = errno;
    close(fd);
    if (error)
        return Fail(path, error);
    out.CopyStr(text.data(), static_cast<int>(text.size()));
    if (mode)
        *mode = st.st_mode;
    return 1;
}

} // namespace

int SysReadFile(const char* path, ICString& out) {
    return ReadWhole(path, out, false, nullptr);
}

int SysReadCopySource(const char* path, ICString& out, mode_t* mode) {
    return ReadWhole(path, out, true, mode);
}

int SysWriteFile(const char* path, const char* content, size_t length,
                 const SysWriteOptions& options) {
    if (!path || !*path || (!content && length > 0))
        return Fail(path, EINVAL);
    if (!content)
        content = "";
    Target target;
    if (!FindTarget(path, options.noFollow, target))
        return 0;
    SysFileLock lock(target.path);
    if (!lock.Held())
        return 0;
    bool keepBackup = options.backup && *options.backup;
    bool overlaid = platform::Overlaid();
    const char* base = BaseNameOf(target.path);
    int dirFd = -1;
    struct stat dir, st;
    bool found, dirKnown;
    if (overlaid) {
        // A check run leaves the directory as it is, temporaries of killed runs included.
        found = lstat(platform::ReadPath(target.path), &st) == 0;
        dirKnown = lstat(platform::ReadPath(DirectoryOf(target.path)), &dir) == 0;
    } else {
        dirFd = platform::OpenDirectoryNoFollow(DirectoryOf(target.path));
        if (dirFd < 0)
            return Fail(DirectoryOf(target.path), errno);
        RemoveStaleTemporaries(dirFd, base);
        found = fstatat(dirFd, base, &st, AT_SYMLINK_NOFOLLOW) == 0;
        dirKnown = fstat(dirFd, &dir) == 0;
    }
    // The lock was waited for: what stands there now is what gets replaced.
    uid_t uid = static_cast<uid_t>(-1);
    gid_t gid = static_cast<gid_t>(-1);
    SysPasswdEntry entry;
    int usable = Examine(target, found, st, dirKnown ? &dir : nullptr);
    if (usable && options.owner) {
        usable = SysLookupUser(options.owner, entry);
        if (!usable) {
            SysSetLastReason("%s: the owner %s is not a user of this system", path, options.owner);
            errno = EINVAL;
        }
        uid = entry.uid;
        gid = entry.gid;
    } else if (target.inherits) {
        uid = target.previous.st_uid;
        gid = target.previous.st_gid;
    }
    if (!usable) {
        if (dirFd >= 0)
            close(dirFd);
        return 0;
    }
    platform::NoteWrite(path, target.path);
    if (keepBackup)
        platform::NoteBefore(options.backup);
    mode_t mode = options.mode == SYS_NEW_FILE_MODE ? NewFileMode() : (options.mode & 07777);
    if (options.keepMode && target.inherits)
        mode = target.previous.st_mode & 07777;
    bool backupNow = keepBackup && target.inherits;

    int ok;
    if (overlaid) {
        ok = platform::OverlayWrite(target.path, content, length, mode,
                                    backupNow ? options.backup : nullptr) == 0 ||
             Fail(target.path, errno);
        // Without an owner named, a file that passes on its owner keeps it; one planted by
        // another user (or a link) gives way to a file of this process, in the directory's
        // group where the directory hands its group down.
        if (ok && options.owner)
            platform::NoteOwner(target.path, uid, gid, false);
        else if (ok && found && !target.inherits)
            platform::NoteOwner(target.path, geteuid(),
                                dirKnown && (dir.st_mode & S_ISGID) ? dir.st_gid : getegid(),
                                false);
    } else {
        char temp[NAME_MAX + 1] = "";
        ok = WriteTemporary(dirFd, base, content, length, mode, uid, gid, options.owner != nullptr,
                            temp, sizeof temp) ||
             Fail(target.path, errno);
        ok = ok && (!backupNow || KeepBackup(target, dirFd, base, options.backup, mode));
        if (ok && renameat(dirFd, temp, dirFd, base) != 0)
            ok = Fail(target.path, errno);
        if (ok)
            fsync(dirFd);
        else if (*temp)
            unlinkat(dirFd, temp, 0);
        close(dirFd);
    }
    if (ok && target.replacesLink)
        SysNotice("%s: the symbolic link there %s not followed (%s); %s", path,
                  overlaid ? "would not be" : "was",
                  target.why.IsEmpty() ? "it appeared while the file was written"
                                       : static_cast<const char*>(target.why),
                  overlaid ? "the file would take its place" : "the file took its place");
    return ok;
}
