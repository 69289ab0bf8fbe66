// Handing files and trees to a user.
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sys/check/overlay.h"
#include "sys/files/trustpath.h"
#include "sys/sysdb/passwd.h"
#include "vxconfig/fileio.h"
#include "vxconfig/sysutil.h"

int ChownPath(const char* path, uid_t uid, gid_t gid, int recursive) {
    // The owner change follows a link the trust rule allows (to its target) and refuses any
    // other; the walk below never descends through a link.
    platform::OpenedParent parent;
    if (!path || !platform::OpenParent(path, parent, false))
        return 0;
    const char* base = parent.base.c_str();
    if (fchownat(parent.fd, base, uid, gid, AT_SYMLINK_NOFOLLOW) != 0)
        return 0;
    if (!recursive)
        return 1;
    struct stat st;
    if (lstat(path, &st) != 0)
        return 0;
    if (!S_ISDIR(st.st_mode))
        return 1;
    int fd = openat(parent.fd, base, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return 0;
    }
    while (dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
            continue;
        ChownPath(ICString(path) ^ entry->d_name, uid, gid, recursive);
    }
    closedir(dir);
    return 1;
}

int SysChown(const char* path, const char* user, int recursive) {
    if (!user)
        return 1;
    SysPasswdEntry entry;
    if (!SysLookupUser(user, entry))
        return 0;
    // A check run changes no owner: it notes the one it would give where the change would land
    // (a trusted link followed) and refuses what the change would refuse.
    if (platform::Overlaid()) {
        struct stat st;
        SysTrustedPath trusted;
        if (SysLstat(path, &st) != 0 || !SysResolveTrusted(path, trusted))
            return 0;
        if (trusted.untrustedLink) {
            SysSetLastReason("%s: a symbolic link that is not followed: %s", path,
                             static_cast<const char*>(trusted.why));
            errno = ELOOP;
            return 0;
        }
        platform::NoteOwner(trusted.path, entry.uid, entry.gid, recursive != 0);
        return 1;
    }
    return ChownPath(path, entry.uid, entry.gid, recursive);
}
