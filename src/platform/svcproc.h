// What the service functions share: untrusted process ids read as numbers only, the process
// listing of "ps" read without a shell, shell commands whose values were checked first, and
// the controller's files in its configuration directory.
#ifndef VX_PLATFORM_SVCPROC_H
#define VX_PLATFORM_SVCPROC_H

#include <cstddef>
#include <string>
#include <sys/types.h>

#include "vxconfig/icstring.h"

namespace platform {

// Polling counts and intervals of the service waits, in seconds of SysSleep.
constexpr int SVC_POLL_COUNT = 180;
constexpr int SVC_CONTROLLER_POLL_SECONDS = 5;
constexpr int SVC_MANAGER_START_SECONDS = 20;
constexpr int SVC_POLL_SECONDS = 1;

// 1 when text (length characters, not necessarily terminated) is a process id that may be
// signalled: decimal digits only, no leading zero, greater than 1 and within pid_t. Never
// 0, -1 or 1, whose kill would reach a group or every process.
int SvcParsePid(const char* text, size_t length, pid_t& out);

// The listing of the rooted "/usr/bin/ps -ef" into out, read through a pipe from the
// program run without a shell, bounded in time and size. 1 when it could be run.
int SvcReadProcessList(std::string& out);

// Waits for the child pid to end, at most timeoutMs, through a process descriptor (no
// polling). Without one (an old kernel) the wait is not bounded. 1 with its status when it
// ended; 0 when it still runs (or cannot be waited for).
int WaitBounded(pid_t pid, int timeoutMs, int& status);
// Waits for the child pid to end, however long.
void Reap(pid_t pid);

// Runs command through the system shell ("/bin/sh -c", as system(3) does), waiting at most
// ten minutes for it (then it is killed with its process group). 1 when the shell's exit
// status was 0.
int SvcRunShell(const ICString& command);

// Sends signal to the process pid, as kill(2) does; a check run records it instead ("kill
// -KILL 1234") and answers 0.
int SvcSignal(pid_t pid, int signal);

// 1 when every value may stand in a shell command line unquoted: users as non-empty names,
// paths as paths. Otherwise 0 with the reason naming what (what: "database owner", ...).
int SvcCheckName(const char* value, const char* what);
int SvcCheckPath(const char* value, const char* what);

// A file of the controller in directory dir: dir joined with name, or the rooted "/" + name
// when dir is empty (a fixed path then, never the real root's file in a sandbox).
ICString SvcDirFile(const char* dir, const char* name);

} // namespace platform

#endif
