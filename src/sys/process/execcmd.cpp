// Shell commands, run as the calling user or through "su -" as another user.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sys/check/overlay.h"
#include "sys/process/svcproc.h"
#include "vxconfig/fileio.h"
#include "vxconfig/safevalue.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/sysutil.h"

enum { kDirSize = 1024 };

// The longest a command run as another user may take: VXCONFIG_COMMAND_SECONDS, else an hour.
// Database scripts take minutes; one that hangs must not hold the caller for ever.
static int CommandTimeoutMs() {
    const char* text = getenv("VXCONFIG_COMMAND_SECONDS");
    char* end = nullptr;
    long seconds = text && *text ? strtol(text, &end, 10) : 0;
    if (!text || !*text || *end || seconds <= 0 || seconds > 24 * 3600)
        seconds = 3600;
    return static_cast<int>(seconds * 1000);
}

// text as one word of a shell line, for the record of what was run.
static std::string Quoted(const char* text) {
    std::string out = "'";
    for (const char* c = text; *c; ++c)
        out += *c == '\'' ? std::string("'\\''") : std::string(1, *c);
    return out + "'";
}

// As another user: a login shell of that user runs the command in directory. Only the wait
// is judged; callers check the files the command leaves. The run has a process group of its
// own, so that one that outlives its bound is killed with everything it started.
static int ExecAsUser(const char* command, const char* directory, const char* user) {
    // Everything the child needs is built before the fork.
    ICString text = ICString("cd ") + directory + ";" + command + " > /dev/null";
    if (!platform::RunsCommand(std::string("su - ") + user + " -c " + Quoted(text)))
        return 1;
    ICString su = SysRootPath("/bin/su");
    int timeoutMs = CommandTimeoutMs();
    pid_t pid = fork();
    if (pid < 0)
        return 0;
    if (pid == 0) {
        setpgid(0, 0);
        execl(su, "su", "-", user, "-c", static_cast<const char*>(text),
              static_cast<char*>(nullptr));
        _exit(1);
    }
    setpgid(pid, pid);
    int status = 0;
    if (!platform::WaitBounded(pid, timeoutMs, status)) {
        kill(-pid, SIGKILL);
        platform::Reap(pid);
        SysSetLastReason("%s: the command run as %s did not end within %d seconds", directory, user,
                         timeoutMs / 1000);
        return 0;
    }
    return 1;
}

// As the calling user: the shell runs in directory, and the working directory is restored.
static int ExecHere(const char* command, const char* directory) {
    std::string shown = std::string("cd ") + (directory ? directory : "") + " && " + command;
    if (!platform::RunsCommand(directory && *directory ? shown : std::string(command)))
        return 1;
    char saved[kDirSize];
    if (!getcwd(saved, sizeof saved))
        return 0;
    if (directory && *directory && chdir(directory) != 0)
        return 0;
    int status = system(ICString(command) + " > /dev/null");
    // The saved directory was reachable a moment ago; nothing better can be done if it is not.
    if (chdir(saved) != 0)
        return 0;
    return status == 0 ? 1 : 0;
}

int SysExecCmd(const char* command, const char* directory, const char* user) {
    // The directory and the user stand in the command text or its arguments as they are; a
    // value that is not safe there never runs.
    if (!command || !SysIsSafeValue(directory, SYS_VALUE_PATH) ||
        (user && (!*user || !SysIsSafeValue(user, SYS_VALUE_NAME))))
        return 0;
    if (user)
        return ExecAsUser(command, directory, user);
    return ExecHere(command, directory);
}

int ICExecCmd(const char* command, const char* directory) {
    return SysExecCmd(command, directory, nullptr);
}
