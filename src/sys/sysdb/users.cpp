// The calling user and the users of the password database.
#include <unistd.h>

#include "sys/sysdb/passwd.h"
#include "vxconfig/sysutil.h"

int SysCheckAccess() {
    return getuid() == 0 ? 1 : 0;
}

int ICCheckAccess() {
    return SysCheckAccess();
}

int SysIsUserExist(const char* user) {
    SysPasswdEntry entry;
    return SysLookupUser(user, entry);
}

int ICIsUserExist(const char* user) {
    return SysIsUserExist(user);
}
