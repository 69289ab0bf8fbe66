// Helpers of the service functions: process ids taken from files and listings are numbers
// checked before any signal, a process named by a file is signalled only when /proc shows it
// to be the instance's own, the process listing never passes through a shell, and the shell
// only ever sees commands whose values were checked.
#include "sys/process/svcproc.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

#include "sys/check/overlay.h"
#include "sys/process/spawn.h"
#include "sys/sysdb/passwd.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/safevalue.h"
#include "vxconfig/sysroot.h"

namespace platform {

namespace {

const char kProcessLister[] = "/usr/bin/ps";
const char kListerOption[] = "-ef";
// A shell command runs its programs in the background or starts a daemon that goes there;
// one that has not come back after this long is not waited for any more.
constexpr int kShellSeconds = 600;
// A listing that takes longer than this, or is longer than this, is not waited for.
constexpr int kListSeconds = 60;
constexpr size_t kMaxListing = 16 * 1024 * 1024;
constexpr size_t kReadChunk = 16 * 1024;

// The programs of an instance and how their command lines name its configuration.
const char kControllerProgram[] = "srvrctrl";
const char kServerProgram[] = "server";
const char kConfigOption[] = "-i";
const char kConfExtension[] = ".conf";
constexpr size_t kConfExtensionLength = sizeof kConfExtension - 1;
// A command line or status longer than this is not read further.
constexpr size_t kMaxProcFile = 64 * 1024;
// How much of a command line a message shows.
constexpr size_t kShownCommandLine = 160;
const char kUidField[] = "Uid:";
constexpr uid_t kRootUid = 0;

// path without repeated "/" and without a trailing one (unless it is "/").
std::string Normalized(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c != '/' || out.empty() || out.back() != '/')
            out += c;
    }
    if (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The content of /proc/PID/name; 1 when read, 0 when unreadable, -1 when there is no such
// process.
int ReadProcFile(pid_t pid, const char* name, std::string& out) {
    out.clear();
    std::string path = "/proc/" + std::to_string(static_cast<long>(pid)) + "/" + name;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ESRCH ? -1 : 0;
    char buffer[kReadChunk];
    int result = 1;
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            result = errno == ESRCH ? -1 : 0;
        if (n <= 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
        if (out.size() > kMaxProcFile) {
            result = 0;
            break;
        }
    }
    close(fd);
    return result;
}

// The real and effective user of a process from its status text.
bool ProcessUsers(const std::string& status, uid_t& real, uid_t& effective) {
    size_t at = status.find(std::string("\n") + kUidField);
    if (at == std::string::npos)
        return false;
    unsigned long r = 0, e = 0;
    if (sscanf(status.c_str() + at + 1 + strlen(kUidField), "%lu %lu", &r, &e) != 2)
        return false;
    real = static_cast<uid_t>(r);
    effective = static_cast<uid_t>(e);
    return true;
}

bool IsInstanceUser(uid_t uid, const SvcInstanceIds& ids) {
    return std::find(ids.users.begin(), ids.users.end(), uid) != ids.users.end();
}

// The command line as a message may show it: blanks between the arguments, no control
// characters, cut short.
std::string Shown(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args)
        text += (text.empty() ? "" : " ") + arg;
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ' || c == '\x7f')
            c = '?';
    return text.size() > kShownCommandLine ? text.substr(0, kShownCommandLine) + "..." : text;
}

// Whether args start a program of the instance with a configuration in one of its directories.
bool IsInstanceCommand(const std::vector<std::string>& args, const SvcInstanceIds& ids,
                       const char* program) {
    for (size_t i = 1; i + 1 < args.size(); ++i) {
        if (args[i] != kConfigOption)
            continue;
        std::string conf = Normalized(args[i + 1]);
        size_t slash = conf.rfind('/');
        if (slash == std::string::npos ||
            std::find(ids.dirs.begin(), ids.dirs.end(), conf.substr(0, slash)) == ids.dirs.end())
            return false;
        std::string base = BaseName(args[0]);
        if (program)
            return base == program;
        if (base == kControllerProgram || base == kServerProgram)
            return true;
        // A member of the pool is started under the name of its configuration, without ".conf".
        return conf.size() > kConfExtensionLength &&
               conf.compare(conf.size() - kConfExtensionLength, kConfExtensionLength,
                            kConfExtension) == 0 &&
               Normalized(args[0]) == conf.substr(0, conf.size() - kConfExtensionLength);
    }
    return false;
}

// Whether what file says may be believed: a regular file of a user of the instance, or one in
// a directory of such a user that nobody else can write.
bool IsTrustedFile(const char* file, const SvcInstanceIds& ids, std::string& why) {
    struct stat st;
    if (SysLstat(file, &st) != 0) {
        why = std::string("the file cannot be examined: ") + strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        why =
            S_ISLNK(st.st_mode) ? "the file is a symbolic link" : "the file is not a regular file";
        return false;
    }
    if (IsInstanceUser(st.st_uid, ids))
        return true;
    std::string path = file;
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat ds;
    if (SysStat(dir.c_str(), &ds) == 0 && S_ISDIR(ds.st_mode) && IsInstanceUser(ds.st_uid, ids) &&
        (ds.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return true;
    why = "the file belongs to user " + std::to_string(static_cast<unsigned long>(st.st_uid)) +
          ", not to root or a database user of the instance, in a directory others can write";
    return false;
}

// A process held from its check to its signal: by a process descriptor where the kernel has
// them, so that the id cannot name another process in between.
class ProcessHandle {
public:
    explicit ProcessHandle(pid_t pid)
        : m_pid(pid), m_fd(static_cast<int>(syscall(SYS_pidfd_open, pid, 0))) {
        m_missing = m_fd < 0 && errno == ESRCH;
    }
    ~ProcessHandle() {
        if (m_fd >= 0)
            close(m_fd);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;

    // True when the process has ended (a descriptor becomes readable then) or never was.
    bool Ended() const {
        if (m_missing)
            return true;
        if (m_fd < 0)
            return kill(m_pid, 0) != 0 && errno == ESRCH;
        pollfd p = {m_fd, POLLIN, 0};
        return poll(&p, 1, 0) > 0;
    }
    int Signal(int signal) const {
        if (m_fd >= 0)
            return static_cast<int>(syscall(SYS_pidfd_send_signal, m_fd, signal, nullptr, 0));
        return kill(m_pid, signal);
    }

private:
    pid_t m_pid;
    int m_fd;
    bool m_missing = false;
};

// The command a check run records for a signal ("kill -KILL 1234").
std::string SignalText(pid_t pid, int signal) {
    const char* name = signal == SIGKILL ? "KILL" : signal == SIGTERM ? "TERM" : nullptr;
    return "kill -" + (name ? std::string(name) : std::to_string(signal)) + " " +
           std::to_string(static_cast<long>(pid));
}

} // namespace

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
    SpawnRequest request;
    request.program = static_cast<const char*>(SysRootPath(kProcessLister));
    request.argv = {kProcessLister, kListerOption};
    request.output = SpawnOutput::Capture;
    request.outputCap = kMaxListing;
    request.deadlineSeconds = kListSeconds;
    request.kind = SpawnKind::Probe;
    request.note = "the process list (ps -ef)";
    SpawnResult result = RunSpawn(request);
    if (result.end != SpawnEnd::Exited)
        return 0;
    out = std::move(result.output);
    return 1;
}

int SvcRunShell(const ICString& command) {
    SpawnRequest request;
    request.shell = static_cast<const char*>(command);
    request.deadlineSeconds = kShellSeconds;
    return RunSpawn(request).Succeeded();
}

int SvcFileHeldOpen(const char* path) {
    struct stat file;
    if (SysStat(path, &file) != 0)
        return 0;
    DIR* proc = opendir("/proc");
    if (!proc)
        return 0;
    int held = 0;
    while (!held) {
        dirent* process = readdir(proc);
        if (!process)
            break;
        pid_t pid = 0;
        if (!SvcParsePid(process->d_name, strlen(process->d_name), pid))
            continue;
        std::string fdDir = std::string("/proc/") + process->d_name + "/fd";
        DIR* fds = opendir(fdDir.c_str());
        if (!fds)
            continue;
        while (dirent* fd = readdir(fds)) {
            struct stat open;
            if (fd->d_name[0] != '.' && stat((fdDir + "/" + fd->d_name).c_str(), &open) == 0 &&
                open.st_dev == file.st_dev && open.st_ino == file.st_ino) {
                held = 1;
                break;
            }
        }
        closedir(fds);
    }
    closedir(proc);
    return held;
}

int SvcSignal(pid_t pid, int signal) {
    if (!RunsCommand(SignalText(pid, signal)))
        return 0;
    return kill(pid, signal);
}

SvcInstanceIds SvcMakeIds(const char* name, std::initializer_list<const char*> dirs,
                          std::initializer_list<const char*> users) {
    SvcInstanceIds ids;
    ids.name = name ? name : "";
    for (const char* dir : dirs) {
        if (dir && *dir &&
            std::find(ids.dirs.begin(), ids.dirs.end(), Normalized(dir)) == ids.dirs.end())
            ids.dirs.push_back(Normalized(dir));
    }
    ids.users.push_back(kRootUid);
    for (const char* user : users) {
        SysPasswdEntry entry;
        if (user && *user && SysLookupUser(user, entry) && !IsInstanceUser(entry.uid, ids))
            ids.users.push_back(entry.uid);
    }
    return ids;
}

int SvcIsInstanceProcess(pid_t pid, const SvcInstanceIds& ids, std::string& why,
                         const char* program) {
    NoteProbe("the owner and command line of process " + std::to_string(static_cast<long>(pid)));
    std::string status, cmdline;
    int got = ReadProcFile(pid, "status", status);
    if (got > 0)
        got = ReadProcFile(pid, "cmdline", cmdline);
    if (got < 0)
        return -1;
    uid_t real = 0, effective = 0;
    if (got == 0 || !ProcessUsers(status, real, effective)) {
        why = "its owner and command line cannot be read";
        return 0;
    }
    if (!IsInstanceUser(real, ids) || !IsInstanceUser(effective, ids)) {
        why = "it runs as user " + std::to_string(static_cast<unsigned long>(real)) +
              ", not as root or a database user of instance " + ids.name;
        return 0;
    }
    std::vector<std::string> args;
    for (size_t at = 0; at < cmdline.size();) {
        size_t end = cmdline.find('\0', at);
        if (end == std::string::npos)
            end = cmdline.size();
        args.push_back(cmdline.substr(at, end - at));
        at = end + 1;
    }
    if (!IsInstanceCommand(args, ids, program)) {
        why = "its command line (" + Shown(args) + ") is not " +
              (program ? std::string(program) : std::string("a daemon")) + " of instance " +
              ids.name + " with its configuration";
        return 0;
    }
    return 1;
}

int SvcSignalInstanceProcess(pid_t pid, const char* file, const SvcInstanceIds& ids, int signal) {
    ProcessHandle process(pid);
    if (process.Ended())
        return 0;
    std::string why;
    int own = IsTrustedFile(file, ids, why) ? SvcIsInstanceProcess(pid, ids, why) : 0;
    // Ended meanwhile: what /proc showed may have been another process of that id.
    if (own < 0 || process.Ended())
        return 0;
    if (own == 0) {
        std::string text = "process " + std::to_string(static_cast<long>(pid)) + " named by " +
                           file + (Overlaid() ? " would be left alone: " : " is left alone: ") +
                           why;
        SysSetLastReason("%s", text.c_str());
        OutputMessage(text.c_str());
        return 0;
    }
    if (!RunsCommand(SignalText(pid, signal)))
        return 1;
    return process.Signal(signal) == 0 ? 1 : 0;
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
