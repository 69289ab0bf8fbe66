// Helpers of the service functions: process ids taken from files and listings are numbers
// checked before any signal, the process listing never passes through a shell, and the shell
// only ever sees commands whose values were checked.
#include "platform/svcproc.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/overlay.h"
#include "vxconfig/fileio.h"
#include "vxconfig/safevalue.h"
#include "vxconfig/sysroot.h"

namespace platform {

namespace {

const char kProcessLister[] = "/usr/bin/ps";
const char kListerOption[] = "-ef";
const char kShell[] = "/bin/sh";
// A shell command runs its programs in the background or starts a daemon that goes there;
// one that has not come back after this long is not waited for any more.
constexpr int kShellTimeoutMs = 600 * 1000;
// A listing that takes longer than this, or is longer than this, is not waited for.
constexpr int kListTimeoutMs = 60 * 1000;
constexpr size_t kMaxListing = 16 * 1024 * 1024;
constexpr size_t kReadChunk = 16 * 1024;
constexpr int kExecFailed = 127;

using Clock = std::chrono::steady_clock;

void CloseAll(std::initializer_list<int> fds) {
    for (int fd : fds)
        if (fd >= 0)
            close(fd);
}

} // namespace

void Reap(pid_t pid) {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

int WaitBounded(pid_t pid, int timeoutMs, int& status) {
    int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd >= 0) {
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            pollfd p = {fd, POLLIN, 0};
            int ready = left <= 0 ? 0 : poll(&p, 1, static_cast<int>(left));
            if (ready < 0 && errno == EINTR)
                continue;
            close(fd);
            if (ready <= 0)
                return 0;
            break;
        }
    }
    pid_t done;
    do {
        done = waitpid(pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    return done == pid ? 1 : 0;
}

int SvcParsePid(const char* text, size_t length, pid_t& out) {
    if (!text || length == 0 || text[0] == '0')
        return 0;
    long long value = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return 0;
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<pid_t>::max())
            return 0;
    }
    if (value <= 1)
        return 0;
    out = static_cast<pid_t>(value);
    return 1;
}

int SvcReadProcessList(std::string& out) {
    out.clear();
    NoteProbe("the process list (ps -ef)");
    ICString program = SysRootPath(kProcessLister);
    int outFds[2];
    if (pipe2(outFds, O_CLOEXEC) != 0)
        return 0;
    // The child reports a failed exec through a second pipe.
    int execFds[2];
    if (pipe2(execFds, O_CLOEXEC) != 0) {
        CloseAll({outFds[0], outFds[1]});
        return 0;
    }
    pid_t pid = fork();
    if (pid < 0) {
        CloseAll({outFds[0], outFds[1], execFds[0], execFds[1]});
        return 0;
    }
    if (pid == 0) {
        int null = open("/dev/null", O_RDONLY);
        if (null >= 0)
            dup2(null, STDIN_FILENO);
        dup2(outFds[1], STDOUT_FILENO);
        execl(program, kProcessLister, kListerOption, static_cast<char*>(nullptr));
        int error = errno;
        ssize_t ignored = write(execFds[1], &error, sizeof error);
        (void)ignored;
        _exit(kExecFailed);
    }
    CloseAll({outFds[1], execFds[1]});
    auto deadline = Clock::now() + std::chrono::milliseconds(kListTimeoutMs);
    bool complete = false;
    char buffer[kReadChunk];
    for (;;) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd p = {outFds[0], POLLIN, 0};
        int ready = poll(&p, 1, static_cast<int>(left > INT_MAX ? INT_MAX : left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        ssize_t n = read(outFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0) {
            complete = true;
            break;
        }
        if (n < 0 || out.size() + static_cast<size_t>(n) > kMaxListing)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    close(outFds[0]);
    if (!complete)
        kill(pid, SIGKILL);
    int error = 0;
    bool execFailed = read(execFds[0], &error, sizeof error) == sizeof error;
    close(execFds[0]);
    Reap(pid);
    if (execFailed) {
        SysSetFileReason(program, error);
        out.clear();
        return 0;
    }
    if (!complete) {
        SysSetLastReason("%s: the process listing did not end in time",
                         static_cast<const char*>(program));
        out.clear();
        return 0;
    }
    return 1;
}

int SvcRunShell(const ICString& command) {
    if (!RunsCommand(static_cast<const char*>(command)))
        return 1;
    pid_t pid = fork();
    if (pid < 0)
        return 0;
    if (pid == 0) {
        // A group of its own, so that a shell that outlives its bound goes with its children.
        setpgid(0, 0);
        execl(kShell, "sh", "-c", static_cast<const char*>(command), static_cast<char*>(nullptr));
        _exit(kExecFailed);
    }
    setpgid(pid, pid);
    int status = 0;
    if (!WaitBounded(pid, kShellTimeoutMs, status)) {
        kill(-pid, SIGKILL);
        Reap(pid);
        SysSetLastReason("the command did not end within %d seconds", kShellTimeoutMs / 1000);
        return 0;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : 0;
}

int SvcSignal(pid_t pid, int signal) {
    const char* name = signal == SIGKILL ? "KILL" : signal == SIGTERM ? "TERM" : nullptr;
    std::string text = "kill -" + (name ? std::string(name) : std::to_string(signal)) + " " +
                       std::to_string(static_cast<long>(pid));
    if (!RunsCommand(text))
        return 0;
    return kill(pid, signal);
}

int SvcCheckName(const char* value, const char* what) {
    if (value && *value && SysIsSafeValue(value, SYS_VALUE_NAME))
        return 1;
    SysSetLastReason("%s '%s' is not a name that may stand in a command", what, value ? value : "");
    return 0;
}

int SvcCheckPath(const char* value, const char* what) {
    if (value && *value && SysIsSafeValue(value, SYS_VALUE_PATH))
        return 1;
    SysSetLastReason("%s '%s' is not a path that may stand in a command", what, value ? value : "");
    return 0;
}

ICString SvcDirFile(const char* dir, const char* name) {
    if (!dir || !*dir)
        return SysRootPath(ICString("/") + name);
    return ICString(dir) ^ name;
}

} // namespace platform
