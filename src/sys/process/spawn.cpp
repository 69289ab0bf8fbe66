// The one runner of programs. Everything the child needs is made before the fork; the child
// only takes a process group of its own, moves descriptors, changes directory and execs, and
// reports a failure of either through a pipe that the exec closes. The parent never reaps the
// child before the group is dealt with, so the group's id cannot pass to another process.
#include "sys/process/spawn.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sys/check/overlay.h"
#include "vxconfig/fileio.h"
#include "vxconfig/sysroot.h"

namespace platform {

namespace {

const char kShell[] = "/bin/sh";
const char kSu[] = "/bin/su";
const char kNullDevice[] = "/dev/null";
constexpr int kExecFailedStatus = 127;
// Between TERM and KILL: time for a killed script to take away what it made.
constexpr int kKillGraceMs = 2000;
// Without process descriptors (an old kernel), how often an ended child is looked for.
constexpr int kPollSliceMs = 50;
constexpr size_t kReadChunk = 16 * 1024;
constexpr int kMsPerSecond = 1000;
constexpr int kFirstFreeFd = 3;

using Clock = std::chrono::steady_clock;

// What the child reports when it cannot go on.
enum ChildStep { kStepDirectory = 1, kStepExec = 2 };
struct ChildFailure {
    int step;
    int error;
};

void CloseFd(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// fd moved above the standard descriptors, so that the child's dup2 onto them cannot
// overwrite another source (the caller may run with one of them closed).
int AboveStandard(int fd) {
    if (fd < 0 || fd >= kFirstFreeFd)
        return fd;
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, kFirstFreeFd);
    close(fd);
    return moved;
}

// The text the shell runs: for another user, the login shell first goes to the directory.
std::string ShellText(const SpawnRequest& request) {
    if (!request.user.empty() && !request.directory.empty())
        return "cd " + request.directory + ";" + request.shell;
    return request.shell;
}

// The run as a shell line shows it, for the change notes and the reasons.
std::string Shown(const SpawnRequest& request) {
    if (!request.note.empty())
        return request.note;
    if (!request.user.empty())
        return "su - " + request.user + " -c " + ShellQuote(ShellText(request));
    if (request.argv.empty())
        return request.directory.empty() ? request.shell
                                         : "cd " + request.directory + " && " + request.shell;
    std::string shown;
    for (const std::string& arg : request.argv)
        shown += (shown.empty() ? "" : " ") + arg;
    return shown;
}

int MsLeft(Clock::time_point deadline) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

// A child looked at without reaping it: while it is not reaped, its id and its group's stay
// its own. Watched through a process descriptor where the kernel has them.
class Child {
public:
    explicit Child(pid_t pid)
        : m_pid(pid), m_fd(static_cast<int>(syscall(SYS_pidfd_open, pid, 0))) {}
    ~Child() { CloseFd(m_fd); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return m_pid; }
    // The descriptor to poll for its end, or -1 when it must be looked for in slices.
    int Fd() const { return m_fd; }
    bool Ended() const {
        siginfo_t info = {};
        return waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == m_pid;
    }
    // Waits at most ms for its end; true when it ended.
    bool WaitEnd(int ms) const {
        auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        while (!Ended()) {
            int left = MsLeft(deadline);
            if (left == 0)
                return false;
            pollfd p = {m_fd, POLLIN, 0};
            if (m_fd < 0)
                poll(nullptr, 0, left < kPollSliceMs ? left : kPollSliceMs);
            else if (poll(&p, 1, left) < 0 && errno != EINTR)
                return false;
        }
        return true;
    }
    // TERM to the whole group, a grace for the leader to end, then KILL to whatever is left.
    void KillGroup() const {
        kill(-m_pid, SIGTERM);
        WaitEnd(kKillGraceMs);
        kill(-m_pid, SIGKILL);
    }
    int Reap() const {
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        return status;
    }

private:
    pid_t m_pid;
    int m_fd;
};

// The child's side: never returns.
[[noreturn]] void RunChild(const char* program, char* const* argv, const char* directory, int input,
                           int output, int report) {
    setpgid(0, 0);
    dup2(input, STDIN_FILENO);
    dup2(output, STDOUT_FILENO);
    ChildFailure failure = {kStepExec, 0};
    if (directory && chdir(directory) != 0)
        failure.step = kStepDirectory;
    else if (strchr(program, '/'))
        execv(program, argv);
    else
        execvp(program, argv);
    failure.error = errno;
    ssize_t ignored = write(report, &failure, sizeof failure);
    (void)ignored;
    _exit(kExecFailedStatus);
}

} // namespace

int SpawnResult::Succeeded() const {
    if (end == SpawnEnd::Recorded)
        return 1;
    return end == SpawnEnd::Exited && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : 0;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

SpawnResult RunSpawn(const SpawnRequest& request) {
    SpawnResult result;
    const std::string shown = Shown(request);
    if (request.kind == SpawnKind::Probe)
        NoteProbe(shown);
    else if (!RunsCommand(shown)) {
        result.end = SpawnEnd::Recorded;
        return result;
    }

    // The program and its arguments, made before the fork.
    std::vector<std::string> args = request.argv;
    std::string program = request.program;
    if (!request.user.empty()) {
        program = static_cast<const char*>(SysRootPath(kSu));
        args = {"su", "-", request.user, "-c", ShellText(request)};
    } else if (args.empty()) {
        program = kShell;
        args = {"sh", "-c", request.shell};
    } else if (program.empty()) {
        program = args[0];
    }
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    // With a user, the login shell chooses the directory (the text goes there).
    const char* directory =
        request.user.empty() && !request.directory.empty() ? request.directory.c_str() : nullptr;
    bool capture = request.output == SpawnOutput::Capture;

    int input = AboveStandard(open(kNullDevice, O_RDONLY | O_CLOEXEC));
    int outFds[2] = {-1, -1}, reportFds[2] = {-1, -1};
    if (capture) {
        if (pipe2(outFds, O_CLOEXEC) == 0) {
            outFds[0] = AboveStandard(outFds[0]);
            outFds[1] = AboveStandard(outFds[1]);
        }
    } else {
        outFds[1] = AboveStandard(open(kNullDevice, O_WRONLY | O_CLOEXEC));
    }
    if (pipe2(reportFds, O_CLOEXEC) == 0)
        reportFds[1] = AboveStandard(reportFds[1]);
    pid_t pid = -1;
    if (input >= 0 && outFds[1] >= 0 && (!capture || outFds[0] >= 0) && reportFds[0] >= 0 &&
        reportFds[1] >= 0)
        pid = fork();
    if (pid == 0)
        RunChild(program.c_str(), argv.data(), directory, input, outFds[1], reportFds[1]);
    int forkError = errno;
    CloseFd(input);
    CloseFd(outFds[1]);
    CloseFd(reportFds[1]);
    if (pid < 0) {
        CloseFd(outFds[0]);
        CloseFd(reportFds[0]);
        SysSetFileReason(program.c_str(), forkError);
        return result;
    }
    // Both sides set the group, so that it exists whichever runs first.
    setpgid(pid, pid);
    Child child(pid);

    // The report pipe closes at the exec, or brings why there was none.
    ChildFailure failure = {0, 0};
    ssize_t got;
    do {
        got = read(reportFds[0], &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    CloseFd(reportFds[0]);
    if (got == static_cast<ssize_t>(sizeof failure)) {
        CloseFd(outFds[0]);
        child.Reap();
        result.end = SpawnEnd::NotExecuted;
        SysSetFileReason(failure.step == kStepDirectory ? directory : program.c_str(),
                         failure.error);
        return result;
    }

    auto deadline = Clock::now() + std::chrono::seconds(request.deadlineSeconds);
    bool ended = false, drained = !capture;
    result.end = SpawnEnd::Exited;
    char buffer[kReadChunk];
    while (!ended || !drained) {
        int left = MsLeft(deadline);
        if (left == 0) {
            result.end = SpawnEnd::TimedOut;
            break;
        }
        pollfd fds[2];
        nfds_t count = 0;
        if (!drained)
            fds[count++] = {outFds[0], POLLIN, 0};
        nfds_t watched = count;
        if (!ended && child.Fd() >= 0)
            fds[count++] = {child.Fd(), POLLIN, 0};
        bool slices = !ended && child.Fd() < 0;
        int ready = poll(fds, count, slices && left > kPollSliceMs ? kPollSliceMs : left);
        if (ready < 0 && errno != EINTR) {
            result.end = SpawnEnd::TimedOut;
            break;
        }
        if (ready > 0 && !drained && fds[0].revents) {
            ssize_t n = read(outFds[0], buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                drained = true;
            } else if (result.output.size() + static_cast<size_t>(n) > request.outputCap) {
                result.end = SpawnEnd::TooMuchOutput;
                break;
            } else {
                result.output.append(buffer, static_cast<size_t>(n));
            }
        }
        if (!ended)
            ended = slices ? child.Ended() : ready > 0 && fds[watched].revents != 0;
    }
    CloseFd(outFds[0]);
    if (result.end != SpawnEnd::Exited) {
        child.KillGroup();
        result.output.clear();
        if (result.end == SpawnEnd::TimedOut)
            SysSetLastReason("%s: timed out after %d s", shown.c_str(), request.deadlineSeconds);
        else
            SysSetLastReason("%s: printed more than %zu bytes", shown.c_str(), request.outputCap);
    }
    result.status = child.Reap();
    return result;
}

} // namespace platform
