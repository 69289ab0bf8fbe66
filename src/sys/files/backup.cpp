// One backup generation of a file that is about to be rewritten.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "vxconfig/fileio.h"
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
    if (!path || SysStat(path, &st) != 0)
        return 0;
    ICString backup = backupPath ? ICString(backupPath) : SysGetBackupName(path);
    // The rename replaces an earlier backup in the same step, so there is always one. The
    // writers do not move a file away first (the file would be missing until they are done):
    // they give the backup name to SysWriteFile.
    if (SysRename(path, backup) != 0) {
        SysSetFileReason(backup, errno);
        return 0;
    }
    return 1;
}
