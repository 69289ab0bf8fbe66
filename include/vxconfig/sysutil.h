// Small operating-system services: commands, directories, owners, copies, backups, host.
#ifndef VXCONFIG_SYSUTIL_H
#define VXCONFIG_SYSUTIL_H

#include <sys/types.h>

#include "vxconfig/icstring.h"

struct hostent;

VX_API int SysExecCmd(const char* command, const char* directory, const char* user);
VX_API int ICExecCmd(const char* command, const char* directory);
VX_API int SysMkdir(const char* path, const char* user, mode_t mode);
VX_API int SysCheckRoot(const char* path);
VX_API int SysCheckAccess();
VX_API int ICCheckAccess();
VX_API int SysCopyFile(const char* source, const char* destination);
VX_API int SysCopyFileBin(ICString source, ICString destination);
VX_API int SysCopyJSPFiles(ICString source, ICString destination);
// Every wait of the library goes through here; VXCONFIG_SLEEP_MS=k makes a second last k ms.
VX_API void SysSleep(int seconds);
VX_API int ChownPath(const char* path, uid_t uid, gid_t gid, int recursive);
VX_API int SysChown(const char* path, const char* user, int recursive);
VX_API int SysChmod(const char* path, mode_t mode);
VX_API int SysGetUserName(ICString& out);
VX_API int ICGetUserName(ICString& out);
VX_API int SysIsUserExist(const char* user);
VX_API int ICIsUserExist(const char* user);
VX_API void SysFlushVXCache(const char* directory);
// Moves path to its backup name (or backupPath), replacing an earlier backup in one step;
// 1 when moved, 0 when path did not exist or the move failed.
VX_API int ICCreateBackup(const char* path, const char* backupPath = nullptr);
// The backup name of path: ".old" inserted before the first dot of the whole path
// (directories included), or appended when there is no dot.
VX_API ICString SysGetBackupName(const char* path);

VX_API hostent* GetHostEnt();
VX_API int ISGetHostName(ICString& out);
VX_API int ISGetIPAddr(ICString& out);

#endif
