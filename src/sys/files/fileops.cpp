// Directories, copies, modes and emptying a directory.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <glob.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "sys/check/overlay.h"
#include "sys/files/trustpath.h"
#include "sys/sysdb/passwd.h"
#include "vxconfig/fileio.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/sysutil.h"

namespace {

// The directories of the system that no instance may take over, as fixed paths.
const char* const kSystemDirectories[] = {
    "/",        "/bin",     "/boot",      "/dev",       "/etc",       "/home",
    "/lib",     "/media",   "/mnt",       "/opt",       "/proc",      "/root",
    "/run",     "/sbin",    "/srv",       "/sys",       "/tmp",       "/usr",
    "/usr/bin", "/usr/lib", "/usr/local", "/usr/sbin",  "/usr/share", "/var",
    "/var/lib", "/var/log", "/var/run",   "/var/spool", "/var/tmp",   "/var/www",
};

bool SameDirectory(const struct stat& st, const char* path) {
    struct stat other;
    return stat(path, &other) == 0 && other.st_dev == st.st_dev && other.st_ino == st.st_ino;
}

} // namespace

int SysIsSystemDirectory(const char* path) {
    struct stat st;
    if (!path || SysStat(path, &st) != 0 || !S_ISDIR(st.st_mode))
        return 0;
    // The rooted ones, and the real ones too: a path from a record is used as given.
    for (const char* dir : kSystemDirectories) {
        if (SameDirectory(st, SysRootPath(dir)) || SameDirectory(st, dir))
            return 1;
    }
    return SysIsUserHome(st);
}

int SysCheckRoot(const char* path) {
    return path && path[0] == '/' ? 1 : 0;
}

int SysMkdir(const char* path, const char* user, mode_t mode) {
    if (!path)
        return 0;
    platform::NoteBefore(path);
    if (platform::Overlaid()) {
        if (platform::OverlayMkdir(path, mode) != 0)
            return 0;
    } else {
        // Made in its directory as reached without a link, so nothing redirects it elsewhere.
        platform::OpenedParent parent;
        if (!platform::OpenParent(path, parent, false)) {
            if (errno != ELOOP)
                SysSetFileReason(path, errno);
            return 0;
        }
        if (mkdirat(parent.fd, parent.base.c_str(), mode) != 0) {
            SysSetFileReason(path, errno);
            return 0;
        }
    }
    return SysChown(path, user, 0);
}

int SysChmod(const char* path, mode_t mode) {
    if (!path)
        return 0;
    platform::NoteBefore(path);
    if (platform::Overlaid())
        return platform::OverlayChmod(path, mode) == 0 ? 1 : 0;
    // A link the trust rule does not follow is refused, never its target changed.
    platform::OpenedParent parent;
    if (!platform::OpenParent(path, parent, false))
        return 0;
    return fchmodat(parent.fd, parent.base.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0 ? 1 : 0;
}

int SysCopyFile(const char* source, const char* destination) {
    if (!source || !destination)
        return 0;
    ICString content;
    mode_t mode = 0;
    if (!SysReadCopySource(source, content, &mode))
        return 0;
    // The copy takes the source's whole mode word.
    SysWriteOptions options;
    options.mode = mode & 07777;
    return SysWriteFile(destination, content, static_cast<size_t>(content.GetLength()), options);
}

// What "cp SOURCE DESTINATION" does, without a shell: the source's wildcards are expanded,
// each file found is copied to the destination, or into it when it is a directory. The
// outcome is not judged.
static int CopyMatches(const char* source, const char* destination) {
    if (!source || !destination)
        return 1;
    glob_t found;
    if (glob(source, 0, nullptr, &found) != 0)
        return 1;
    struct stat st;
    bool intoDirectory = SysStat(destination, &st) == 0 && S_ISDIR(st.st_mode);
    for (size_t i = 0; i < found.gl_pathc; ++i) {
        const char* file = found.gl_pathv[i];
        struct stat fileStat;
        // cp without options leaves directories alone.
        if (SysStat(file, &fileStat) != 0 || S_ISDIR(fileStat.st_mode))
            continue;
        const char* slash = strrchr(file, '/');
        ICString target = intoDirectory ? ICString(destination) ^ (slash ? slash + 1 : file)
                                        : ICString(destination);
        SysCopyFile(file, target);
    }
    globfree(&found);
    return 1;
}

int SysCopyFileBin(ICString source, ICString destination) {
    return CopyMatches(source, destination);
}

int SysCopyJSPFiles(ICString source, ICString destination) {
    return SysCopyFileBin(source, destination);
}

void SysFlushVXCache(const char* directory) {
    std::vector<std::string> names;
    if (!directory || !platform::ListDirectory(directory, names))
        return;
    // Files and empty subdirectories go; a non-empty subdirectory stays.
    for (const std::string& name : names)
        SysRemove(ICString(directory) ^ name.c_str());
}
