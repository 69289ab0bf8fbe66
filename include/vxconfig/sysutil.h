// Small operating-system services: commands, directories, owners, copies, backups, host.
#ifndef VXCONFIG_SYSUTIL_H
#define VXCONFIG_SYSUTIL_H

#include <sys/types.h>

#include "vxconfig/icstring.h"

struct hostent;

// Runs command with its output discarded. With user: "cd DIRECTORY;COMMAND" by a login shell of
// that user ("su -"); 1 when the run was waited for, whatever its exit status (callers judge by
// the files it leaves). Without: by the shell in directory (only the child changes directory);
// 1 when it exits 0. 0 when it cannot start. A check run records it instead of running it.
VX_API int SysExecCmd(const char* command, const char* directory, const char* user);
// SysExecCmd with no user.
VX_API int ICExecCmd(const char* command, const char* directory);
// Makes the directory (mode less the creation mask) in its parent as reached by the trust rule
// (fileio.h), then gives it to user (none: the process's own). 1, or 0 with the reason set.
VX_API int SysMkdir(const char* path, const char* user, mode_t mode);
// 1 when path is absolute (begins with "/"), else 0: the name is historical, it says nothing
// about the system root.
VX_API int SysCheckRoot(const char* path);
// 1 when path is a directory of the system that no instance may take over, whose owner and
// mode stay as they are: /, /tmp, /etc, /var, /usr, /opt, /home and their like (under the
// system root and outside it), or the home directory of a user of the system.
VX_API int SysIsSystemDirectory(const char* path);
// 1 when the process's real user is root.
VX_API int SysCheckAccess();
VX_API int ICCheckAccess();
// Copies source (SysReadCopySource: a regular file reached by the trust rule, not planted by
// another user) to destination through the write path, with the source's mode word. 1 / 0.
VX_API int SysCopyFile(const char* source, const char* destination);
// Like "cp SOURCE DESTINATION" without a shell: wildcards expanded, each match copied by
// SysCopyFile (into DESTINATION when it is a directory). Always 1.
VX_API int SysCopyFileBin(ICString source, ICString destination);
// The same copy as SysCopyFileBin, under the name the sample pages are copied by.
VX_API int SysCopyJSPFiles(ICString source, ICString destination);
// Every wait of the library goes through here; VXCONFIG_SLEEP_MS=k makes a second last k ms.
VX_API void SysSleep(int seconds);
// Gives path (and, recursive, the tree below it, not through links) to uid and gid. A link the
// trust rule does not follow is refused, never its target changed. 1 / 0.
VX_API int ChownPath(const char* path, uid_t uid, gid_t gid, int recursive);
// ChownPath to user's uid and gid from the password database; no user: the process's own.
VX_API int SysChown(const char* path, const char* user, int recursive);
// Sets the mode of path exactly; a link the trust rule does not follow is refused. 1 / 0.
VX_API int SysChmod(const char* path, mode_t mode);
// 1 when the password database (the rooted etc/passwd under a system root) knows user.
VX_API int SysIsUserExist(const char* user);
VX_API int ICIsUserExist(const char* user);
// Removes the files and empty subdirectories of directory (the product's cache); a non-empty
// subdirectory stays. Failures are silent.
VX_API void SysFlushVXCache(const char* directory);
// Moves path to its backup name (or backupPath), replacing an earlier backup in one step;
// 1 when moved, 0 when path did not exist or the move failed.
VX_API int ICCreateBackup(const char* path, const char* backupPath = nullptr);
// The backup name of path: ".old" inserted before the first dot of the whole path
// (directories included), or appended when there is no dot.
VX_API ICString SysGetBackupName(const char* path);

// The host entry of the local host name, or null.
VX_API hostent* GetHostEnt();
// The official name of the local host; 0 when it cannot be found.
VX_API int ISGetHostName(ICString& out);
// The first IPv4 address of the local host in dotted form; 0 when it cannot be found.
VX_API int ISGetIPAddr(ICString& out);

#endif
