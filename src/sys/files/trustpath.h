// The pieces of the path trust rule that the write path, the copies and the owner and mode
// changes share: a directory reached without following any link, and the test for an entry
// another user may have put into a directory (the rule itself is SysResolveTrusted, fileio.h).
#ifndef VX_SYS_FILES_TRUSTPATH_H
#define VX_SYS_FILES_TRUSTPATH_H

#include <string>
#include <sys/stat.h>

#include "vxconfig/fileio.h"

namespace platform {

// A descriptor of directory dir (an absolute path without symbolic links, as SysResolveTrusted
// gives it), reached from "/" one component at a time without following any link, so that a
// directory swapped for a link after the path was judged cannot redirect what is done in it.
// Readable where the process may read it (else a path-only descriptor). -1 with errno.
int OpenDirectoryNoFollow(const char* dir);

// Where the last component of a path lies: its directory opened as above and its name there.
// A last component that is a symbolic link nobody may trust is refused (ELOOP, reason set)
// unless acceptLink; then base names the link itself and untrustedLink is set. Other
// failures leave the reason alone (errno says why).
struct OpenedParent {
    int fd = -1;
    SysTrustedPath target;
    std::string base;
    ~OpenedParent();
};
int OpenParent(const char* path, OpenedParent& out, bool acceptLink);

// Whether an entry (st) of a directory (dir) may have been put there by a user who is neither
// root, this process's user nor the directory's owner: the directory is writable by group or
// others and the entry belongs to somebody else.
bool IsPlanted(const struct stat& dir, const struct stat& st);

// Opens path for reading (O_RDONLY plus extra flags) by the trust rule: through trusted links
// only and with no link in its last component. -1 with errno; the reason is set only for a
// link refused (ELOOP).
int OpenTrusted(const char* path, int extra = 0);

} // namespace platform

#endif
