// The process table as the stand-ins see it (from /proc): which processes belong to a sandbox
// (their program lies under its root), and what a process listing shows of them.
#ifndef STANDIN_PROC_H
#define STANDIN_PROC_H

#include <string>
#include <sys/types.h>
#include <vector>

namespace standin {

struct ProcessInfo {
    int pid = 0;
    int ppid = 0;
    char state = '?';
    std::string comm;                  // the process name (at most 15 characters)
    std::string exe;                   // the program's path, " (deleted)" removed
    std::vector<std::string> args;     // the command line
    uid_t uid = 0;                     // the real user id
    int ttyNr = 0;                     // the controlling terminal's device number, 0 for none
    unsigned long long cpuTicks = 0;   // user and system time, in clock ticks
    unsigned long long startTicks = 0; // start after boot, in clock ticks
};

// Every process id of the system, ascending.
std::vector<int> ListPids();
// Fills info; false when the process is gone, a zombie, or not ours to inspect.
bool ReadProcess(int pid, ProcessInfo* info);
// The value of name in the process's environment; false when it has none or it is unreadable.
bool ProcessEnv(int pid, const char* name, std::string* value);
// True when pid runs a program below root (root not empty), and, when program is given (an
// absolute path below the root), exactly that program.
bool IsSandboxProcess(int pid, const std::string& root, const char* program = nullptr);
// True while pid exists and is not a zombie.
bool ProcessAlive(int pid);

} // namespace standin

#endif
