// The trust rule of the paths root follows: a symbolic link is followed only where nobody but
// root (or this process's user) could have put it or redirected it, as OpenSSH's StrictModes
// and the kernel's protected_symlinks decide. Everything that writes, copies, reads or changes
// the owner or mode of a file finds its way here, and then works in a directory reached
// without following any link.
#include "sys/files/trustpath.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "sys/files/pathparts.h"

namespace {

// Links are followed at most this deep, as the kernel does.
const int kMaxLinks = 40;
const mode_t kWritableByOthers = S_IWGRP | S_IWOTH;

bool TrustedOwner(uid_t uid) {
    return uid == 0 || uid == geteuid();
}

std::string Join(const std::string& dir, const std::string& name) {
    return dir == "/" ? "/" + name : dir + "/" + name;
}

std::string Parent(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// Pushes the components of path so that the first is taken next.
void PushComponents(std::vector<std::string>& todo, const std::string& path) {
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= path.size()) {
        size_t end = path.find('/', at);
        if (end == std::string::npos)
            end = path.size();
        if (end > at)
            parts.push_back(path.substr(at, end - at));
        at = end + 1;
    }
    todo.insert(todo.end(), parts.rbegin(), parts.rend());
}

// Why the step from directory dir to its entry could be somebody else's doing; empty when
// only root or this process could have made it.
std::string UntrustedStep(const std::string& dir, const struct stat& dirSt,
                          const std::string& entry, const struct stat& st) {
    if (!TrustedOwner(dirSt.st_uid))
        return "the directory " + dir + " belongs to uid " + std::to_string(dirSt.st_uid);
    if ((dirSt.st_mode & kWritableByOthers) == 0)
        return std::string();
    if ((dirSt.st_mode & S_ISVTX) == 0)
        return "the directory " + dir + " is writable by others";
    if (!TrustedOwner(st.st_uid))
        return entry + " belongs to uid " + std::to_string(st.st_uid) +
               " in the shared directory " + dir;
    return std::string();
}

int Refuse(const char* path, const std::string& why, int error) {
    SysSetLastReason("%s: a symbolic link that is not followed: %s", path, why.c_str());
    errno = error;
    return 0;
}

} // namespace

int SysResolveTrusted(const char* path, SysTrustedPath& out) {
    out = SysTrustedPath();
    if (!path || !*path) {
        SysSetFileReason(path, ENOENT);
        return 0;
    }
    std::vector<std::string> todo;
    if (path[0] != '/') {
        char cwd[PATH_MAX];
        if (!getcwd(cwd, sizeof cwd)) {
            SysSetFileReason(path, errno);
            return 0;
        }
        PushComponents(todo, std::string(cwd) + "/" + path);
    } else {
        PushComponents(todo, path);
    }
    std::string current = "/";
    struct stat currentSt;
    bool exists = lstat("/", &currentSt) == 0;
    // The first step somebody else could have made, the path's own last component where it is a
    // link, and whether any link was followed: a followed link and an untrusted step anywhere
    // on the way (before or behind it) make the link one that may not be followed.
    std::string taint, finalLink;
    bool followed = false;
    int links = 0;
    while (!todo.empty()) {
        std::string name = todo.back();
        todo.pop_back();
        if (name == ".")
            continue;
        if (name == "..") {
            current = Parent(current);
            exists = lstat(current.c_str(), &currentSt) == 0 && S_ISDIR(currentSt.st_mode);
            continue;
        }
        std::string next = Join(current, name);
        struct stat st;
        if (!exists || lstat(next.c_str(), &st) != 0) {
            // Nothing lies beyond: the rest is kept as written.
            exists = false;
            current = next;
            continue;
        }
        if (taint.empty())
            taint = UntrustedStep(current, currentSt, next, st);
        bool link = S_ISLNK(st.st_mode);
        if (link && taint.empty() && !TrustedOwner(st.st_uid))
            taint = "the link belongs to uid " + std::to_string(st.st_uid);
        if (link && todo.empty() && finalLink.empty())
            finalLink = next;
        if ((link || followed) && !taint.empty()) {
            if (finalLink.empty())
                return Refuse(next.c_str(), taint, ELOOP);
            out.path = finalLink.c_str();
            out.untrustedLink = 1;
            out.why = taint.c_str();
            return 1;
        }
        if (!link) {
            current = next;
            currentSt = st;
            exists = S_ISDIR(st.st_mode);
            continue;
        }
        if (++links > kMaxLinks)
            return Refuse(path, "too many levels of symbolic links", ELOOP);
        char target[PATH_MAX];
        ssize_t n = readlink(next.c_str(), target, sizeof target - 1);
        if (n < 0) {
            SysSetFileReason(next.c_str(), errno);
            return 0;
        }
        target[n] = '\0';
        followed = true;
        if (target[0] == '/') {
            current = "/";
            exists = lstat("/", &currentSt) == 0;
        }
        PushComponents(todo, target);
    }
    out.path = current.c_str();
    return 1;
}

namespace platform {

int OpenDirectoryNoFollow(const char* dir) {
    int fd = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::vector<std::string> parts;
    PushComponents(parts, dir ? dir : "");
    const char* last = "/";
    int parent = -1;
    while (fd >= 0 && !parts.empty()) {
        std::string name = parts.back();
        parts.pop_back();
        int next = openat(fd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        int error = errno;
        if (parts.empty() && next >= 0) {
            // The last step again, readable, so that the directory can be synced and listed.
            parent = fd;
            fd = next;
            break;
        }
        close(fd);
        fd = next;
        errno = error;
    }
    if (fd < 0) {
        // A link where a directory was is not followed: O_NOFOLLOW answers ENOTDIR there.
        if (errno == ENOTDIR) {
            struct stat st;
            if (lstat(dir, &st) == 0 && S_ISLNK(st.st_mode))
                errno = ELOOP;
        }
        return -1;
    }
    int readable = parent >= 0 ? openat(parent, BaseNameOf(dir),
                                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                               : open(last, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent >= 0)
        close(parent);
    if (readable < 0)
        return fd;
    // Still the same directory: nothing was swapped between the two opens.
    struct stat a, b;
    if (fstat(fd, &a) == 0 && fstat(readable, &b) == 0 && a.st_dev == b.st_dev &&
        a.st_ino == b.st_ino) {
        close(fd);
        return readable;
    }
    close(readable);
    return fd;
}

OpenedParent::~OpenedParent() {
    if (fd >= 0)
        close(fd);
}

int OpenParent(const char* path, OpenedParent& out, bool acceptLink) {
    if (!SysResolveTrusted(path, out.target))
        return 0;
    if (out.target.untrustedLink && !acceptLink)
        return Refuse(path, static_cast<const char*>(out.target.why), ELOOP);
    const char* resolved = out.target.path;
    out.base = BaseNameOf(resolved);
    out.fd = OpenDirectoryNoFollow(DirectoryOf(resolved));
    if (out.fd < 0 && errno == ELOOP)
        return Refuse(path, "a directory on the way was replaced by a link", ELOOP);
    return out.fd >= 0 ? 1 : 0;
}

bool IsPlanted(const struct stat& dir, const struct stat& st) {
    return (dir.st_mode & kWritableByOthers) != 0 && !TrustedOwner(st.st_uid) &&
           st.st_uid != dir.st_uid;
}

int OpenTrusted(const char* path, int extra) {
    OpenedParent parent;
    if (!OpenParent(path, parent, false))
        return -1;
    int fd = openat(parent.fd, parent.base.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | extra);
    if (fd < 0 && errno == ELOOP)
        Refuse(path, "it appeared while the file was opened", ELOOP);
    return fd;
}

} // namespace platform
