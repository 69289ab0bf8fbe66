// Daemons of the stand-ins: detaching, reporting readiness, stop conditions.
#include "standin_daemon.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace standin {

namespace {

// The daemon's end of the pipe to the waiting caller; -1 once it has reported.
int g_readyFd = -1;
volatile sig_atomic_t g_stop = 0;

const char kReady = 'R';
const char kFailed = 'E';
const int kMsPerSecond = 1000;
// The most of a reason the caller prints.
const size_t kMaxReason = 1024;

void OnStop(int) {
    g_stop = 1;
}

long Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return long(ts.tv_sec);
}

// The caller's side: the daemon's report, then exit.
[[noreturn]] void AwaitReport(const char* name, int fd) {
    std::string report;
    long deadline = Now() + kReadySeconds;
    char buffer[256];
    for (;;) {
        long left = deadline - Now();
        if (left <= 0) {
            report = std::string(1, kFailed) + "the daemon did not report in time";
            break;
        }
        pollfd watch = {fd, POLLIN, 0};
        int ready = poll(&watch, 1, int(left * kMsPerSecond));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            continue;
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (report.size() < kMaxReason)
            report.append(buffer, size_t(n));
        // Ready is one byte; whatever the daemon started since may still hold the pipe.
        if (report[0] == kReady)
            break;
    }
    if (!report.empty() && report[0] == kReady)
        _exit(0);
    if (report.empty())
        report = std::string(1, kFailed) + "the daemon ended without a word";
    fprintf(stderr, "%s: %s\n", name, report.c_str() + 1);
    fflush(stderr);
    _exit(1);
}

// Everything but the standard streams and keep is closed: the caller's pipes and files must
// not stay open in a daemon, or a caller reading them would wait for it.
void CloseInherited(int keep) {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return;
    int own = dirfd(dir);
    int fds[1024];
    size_t count = 0;
    while (dirent* entry = readdir(dir)) {
        int fd = atoi(entry->d_name);
        if (fd > 2 && fd != keep && fd != own && count < sizeof fds / sizeof fds[0])
            fds[count++] = fd;
    }
    closedir(dir);
    for (size_t i = 0; i < count; ++i)
        close(fds[i]);
}

void Report(const std::string& text) {
    if (g_readyFd < 0)
        return;
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(g_readyFd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
    }
    close(g_readyFd);
    g_readyFd = -1;
}

} // namespace

bool Daemonize(const char* name) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    fflush(nullptr);
    pid_t first = fork();
    if (first < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    if (first > 0) {
        close(pipeFds[1]);
        int status;
        while (waitpid(first, &status, 0) < 0 && errno == EINTR) {
        }
        AwaitReport(name, pipeFds[0]);
    }
    // The intermediate process: a session of its own, then the daemon, which is no session
    // leader and so can never take a terminal.
    close(pipeFds[0]);
    setsid();
    pid_t second = fork();
    if (second != 0)
        _exit(second < 0 ? 1 : 0);
    g_readyFd = pipeFds[1];
    if (chdir("/") != 0)
        DaemonFail(std::string("cannot change to /: ") + strerror(errno));
    int null = open("/dev/null", O_RDWR);
    if (null < 0)
        DaemonFail(std::string("cannot open /dev/null: ") + strerror(errno));
    for (int fd = 0; fd <= 2; ++fd)
        dup2(null, fd);
    if (null > 2)
        close(null);
    CloseInherited(g_readyFd);
    return true;
}

void DaemonReady() {
    Report(std::string(1, kReady));
}

void DaemonFail(const std::string& reason) {
    Report(std::string(1, kFailed) + reason);
    _exit(1);
}

void CatchStopSignals() {
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = OnStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    signal(SIGHUP, SIG_IGN);
}

bool StopSignalled() {
    return g_stop != 0;
}

Watch::Watch(std::string watchedPath) : m_path(std::move(watchedPath)), m_started(Now()) {}

bool Watch::ShouldEnd() const {
    struct stat st;
    return StopSignalled() || stat(m_path.c_str(), &st) != 0 ||
           Now() - m_started >= kMaxLifetimeSeconds;
}

void PauseMs(int ms) {
    timespec ts = {ms / kMsPerSecond, long(ms % kMsPerSecond) * 1000000L};
    nanosleep(&ts, nullptr);
}

} // namespace standin
