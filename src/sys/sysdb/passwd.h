// Users of this system: the rooted etc/passwd when a system root is set, else the password
// database of the C library.
#ifndef VX_SYS_SYSDB_PASSWD_H
#define VX_SYS_SYSDB_PASSWD_H

#include <sys/stat.h>
#include <sys/types.h>

#include "vxconfig/icstring.h"

struct SysPasswdEntry {
    ICString name;
    ICString passwd;
    ICString gecos;
    ICString home;
    ICString shell;
    uid_t uid = 0;
    gid_t gid = 0;
};

// 1 when user is known, with its entry in out; else 0 and out unchanged.
int SysLookupUser(const char* user, SysPasswdEntry& out);
// 1 when the directory st describes is the home directory of a user of the system.
int SysIsUserHome(const struct stat& st);

#endif
