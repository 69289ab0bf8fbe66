// The calling user, the users of the password database and the database instance owner.
#include <string>
#include <unistd.h>

#include "platform/passwd.h"
#include "platform/runprogram.h"
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
    std::string printed;
    if (!platform::ReadProgramOutput(command, printed))
        return 0;
    // The first line, without its line end.
    std::string first = printed.substr(0, printed.find('\n'));
    out.CopyStr(first.data(), static_cast<int>(first.size()));
    return out.IsEmpty() ? 0 : 1;
}

int ICGetUserName(ICString& out) {
    return SysGetUserName(out);
}
