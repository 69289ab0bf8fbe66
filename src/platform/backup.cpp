// One backup generation of a file that is about to be rewritten.
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "vxconfig/sysutil.h"

// The backup name: ".old" inserted before the first dot of the whole path (directories
// included), or appended when there is no dot.
static ICString BackupName(const char* path) {
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
    ICString backup = backupPath ? ICString(backupPath) : BackupName(path);
    remove(backup);
    return rename(path, backup) == 0 ? 1 : 0;
}
