#include "sys/sysdb/passwd.h"

#include <cstdio>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>

#include "vxconfig/fileio.h"
#include "vxconfig/sysroot.h"

static void CopyEntry(const passwd& pw, SysPasswdEntry& out) {
    out.name = pw.pw_name;
    out.passwd = pw.pw_passwd;
    out.gecos = pw.pw_gecos;
    out.home = pw.pw_dir;
    out.shell = pw.pw_shell;
    out.uid = pw.pw_uid;
    out.gid = pw.pw_gid;
}

int SysLookupUser(const char* user, SysPasswdEntry& out) {
    if (!user || !*user)
        return 0;
    if (!SysHasRoot()) {
        passwd* pw = getpwnam(user);
        if (!pw)
            return 0;
        CopyEntry(*pw, out);
        return 1;
    }
    FILE* fp = SysOpenRead(SysRootPath("/etc/passwd"));
    if (!fp)
        return 0;
    int found = 0;
    while (passwd* pw = fgetpwent(fp)) {
        if (strcmp(pw->pw_name, user) == 0) {
            CopyEntry(*pw, out);
            found = 1;
            break;
        }
    }
    fclose(fp);
    return found;
}

int SysIsUserHome(const struct stat& st) {
    FILE* fp = nullptr;
    if (SysHasRoot()) {
        fp = SysOpenRead(SysRootPath("/etc/passwd"));
        if (!fp)
            return 0;
    } else {
        setpwent();
    }
    int found = 0;
    while (passwd* pw = fp ? fgetpwent(fp) : getpwent()) {
        struct stat home;
        if (pw->pw_dir && *pw->pw_dir && stat(pw->pw_dir, &home) == 0 && home.st_dev == st.st_dev &&
            home.st_ino == st.st_ino) {
            found = 1;
            break;
        }
    }
    if (fp)
        fclose(fp);
    else
        endpwent();
    return found;
}
