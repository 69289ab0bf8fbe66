// The calling user, the users of the password database and the database instance owner.
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "platform/passwd.h"
#include "vxconfig/discovery.h"
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

// The database product's instance list tool prints the first database instance first; its
// name is that of the instance's owner.
int SysGetUserName(ICString& out) {
    out.Empty();
    ICString dir;
    if (!SysGetDBOrvellPath(dir))
        return 0;
    ICString command = (dir ^ "instance") ^ "reldailist";
    FILE* pipe = popen(command, "r");
    if (!pipe)
        return 0;
    char line[1024];
    if (fgets(line, sizeof line, pipe)) {
        line[strcspn(line, "\n")] = 0;
        out = line;
    }
    pclose(pipe);
    return out.IsEmpty() ? 0 : 1;
}

int ICGetUserName(ICString& out) {
    return SysGetUserName(out);
}
