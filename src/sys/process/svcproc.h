// What the service functions share: untrusted process ids read as numbers only and signalled
// only when the process proves to be the instance's own, the process listing of "ps" read
// without a shell, shell commands whose values were checked first, and the controller's files
// in its configuration directory.
#ifndef VX_SYS_PROCESS_SVCPROC_H
#define VX_SYS_PROCESS_SVCPROC_H

#include <cstddef>
#include <initializer_list>
#include <string>
#include <sys/types.h>
#include <vector>

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
// program run without a shell, bounded in time and size (a probe: a check run runs it too).
// 1 when it could be run and ended within those bounds, else 0 with the reason set.
int SvcReadProcessList(std::string& out);

// Runs command through the system shell ("/bin/sh -c", as system(3) does), waiting at most
// ten minutes for it (then it is killed with its process group). 1 when the shell's exit
// status was 0, or when a check run recorded it instead of running it.
int SvcRunShell(const ICString& command);

// 1 when some process holds the file at path open (any of its descriptors, as /proc shows
// them), 0 when none does, when it does not exist or when /proc cannot be read.
int SvcFileHeldOpen(const char* path);

// Sends signal to the process pid, as kill(2) does; a check run records it instead ("kill
// -KILL 1234") and answers 0.
int SvcSignal(pid_t pid, int signal);

// 1 when every value may stand in a shell command line unquoted: users as non-empty names,
// paths as paths. Otherwise 0 with the reason naming what (what: "database owner", ...).
int SvcCheckName(const char* value, const char* what);
int SvcCheckPath(const char* value, const char* what);

// Who the daemons of an instance are: the configuration directories their command lines name
// (the record's and the one registered for it), and the users they may run as (root, the
// database owner and the database instance user).
struct SvcInstanceIds {
    std::string name;              // the instance, for messages
    std::vector<std::string> dirs; // without repeated or trailing "/"
    std::vector<uid_t> users;
};

// The ids of instance name: its configuration directories (null or empty ones skipped, repeats
// once) and root with the uids of its users (unknown ones skipped).
SvcInstanceIds SvcMakeIds(const char* name, std::initializer_list<const char*> dirs,
                          std::initializer_list<const char*> users);

// 1 when pid is a daemon of the instance: it runs (real and effective user) as one of its
// users, and its command line is a program of the instance given "-i" and a configuration
// file directly in one of its directories; the program is program when given ("srvrctrl"),
// else "srvrctrl", "server" or a member named after that configuration file (D/NAME for
// "-i D/NAME.conf"). 0 with the reason in why when it is not; -1 when there is no such
// process.
int SvcIsInstanceProcess(pid_t pid, const SvcInstanceIds& ids, std::string& why,
                         const char* program = nullptr);

// Sends signal to process pid, which file (a pid file or a marker) names, only when both may
// be trusted: file is a regular file owned by a user of the instance or lies in a directory
// that only such a user can write, and the process is the instance's own
// (SvcIsInstanceProcess). The process is held by a process descriptor from the check to the
// signal, so that an id recycled meanwhile is never hit. Otherwise the process is left alone,
// and an information message names it, the file and why. 1 when signalled (or recorded by a
// check run), else 0.
int SvcSignalInstanceProcess(pid_t pid, const char* file, const SvcInstanceIds& ids, int signal);

// A file of the controller in directory dir: dir joined with name, or the rooted "/" + name
// when dir is empty (a fixed path then, never the real root's file in a sandbox).
ICString SvcDirFile(const char* dir, const char* name);

} // namespace platform

#endif
