// One backup generation of a file that is about to be rewritten.
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "vxconfig/sysutil.h"

ICString SysGetBackupName(const char* path) {
    const char* dot = strchr(path, '.');
    if (!dot)
        return ICString(path) + ".old";
    ICString head;
    head.CopyStr(path, static_cast<int>(dot - path));
    return head + ".old" + dot;
}

int ICCreateBackup(const char* path, const char* backupPath) {
    struct stat st;
    if (!path || stat(path, &st) != 0)
        return 0;
    ICString backup = backupPath ? ICString(backupPath) : SysGetBackupName(path);
    remove(backup);
    return rename(path, backup) == 0 ? 1 : 0;
}
