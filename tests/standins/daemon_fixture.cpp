#include "daemon_fixture.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "standin_shell.h"

namespace {

const int kPollMs = 20;
const int kCleanupMs = 10 * 1000;

long NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return long(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void ReapChildren() {
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

int ConnectTo(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string Resolved(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// The program a process runs, "" when it is gone.
std::string ExeOf(int pid) {
    char target[PATH_MAX];
    ssize_t n =
        readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, size_t(n)) : "";
}

} // namespace

std::string Exchange(int port, const std::string& request, int timeoutMs, bool* closed) {
    *closed = false;
    int fd = ConnectTo(port);
    if (fd < 0)
        return "";
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size())) {
        close(fd);
        return "";
    }
    std::string reply;
    long deadline = NowMs() + timeoutMs;
    char buffer[4096];
    while (NowMs() < deadline) {
        pollfd watch = {fd, POLLIN, 0};
        if (poll(&watch, 1, int(deadline - NowMs())) <= 0)
            break;
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            *closed = true;
            break;
        }
        reply.append(buffer, size_t(n));
    }
    close(fd);
    return reply;
}

std::string AdminRequest(const char* command, int port) {
    return std::string("GET /cgi-bin/vxtrade3/") + command +
           "/ HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\nUser-Agent: vxadmin\r\nX-Vx-Cookies: OFF\r\nConnection: close\r\n\r\n";
}

int StatusOf(const std::string& reply) {
    std::vector<std::string> words = WordsOf(reply.substr(0, reply.find('\n')));
    return words.size() >= 2 && words[0].compare(0, 5, "HTTP/") == 0 ? atoi(words[1].c_str()) : 0;
}

bool CanConnect(int port) {
    int fd = ConnectTo(port);
    if (fd >= 0)
        close(fd);
    return fd >= 0;
}

bool WaitFor(const std::function<bool()>& check, int timeoutMs) {
    long deadline = NowMs() + timeoutMs;
    for (;;) {
        if (check())
            return true;
        if (NowMs() >= deadline)
            return false;
        ReapChildren();
        usleep(kPollMs * 1000);
    }
}

bool Alive(int pid) {
    std::string stat = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    return pid > 0 && close != std::string::npos && close + 2 < stat.size() &&
           stat[close + 2] != 'Z';
}

int PidIn(const std::string& path) {
    return atoi(ReadWholeFile(path).c_str());
}

std::vector<int> MarkerPids(const std::string& dir) {
    std::vector<int> pids;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d)) {
            std::string name = entry->d_name;
            size_t dot = name.find(".vxpid");
            if (dot != std::string::npos && dot + 6 == name.size())
                pids.push_back(atoi(name.c_str()));
        }
        closedir(d);
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

void DaemonTest::SetUp() {
    SandboxTest::SetUp();
    // The daemons leave their starter; as their subreaper this process can reap them.
    prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0);
}

void DaemonTest::TearDown() {
    long deadline = NowMs() + kCleanupMs;
    std::vector<int> left;
    while (!(left = SandboxPids()).empty() && NowMs() < deadline) {
        for (int pid : left)
            kill(pid, SIGKILL);
        ReapChildren();
        usleep(kPollMs * 1000);
    }
    EXPECT_TRUE(left.empty()) << left.size() << " sandbox processes survive";
    ReapChildren();
    prctl(PR_SET_CHILD_SUBREAPER, 0, 0, 0, 0);
    SandboxTest::TearDown();
}

std::vector<int> DaemonTest::SandboxPids() const {
    std::vector<int> pids;
    std::string root = Resolved(Root()) + "/";
    if (DIR* d = opendir("/proc")) {
        while (dirent* entry = readdir(d)) {
            int pid = atoi(entry->d_name);
            if (pid > 0 && Alive(pid) && ExeOf(pid).compare(0, root.size(), root) == 0)
                pids.push_back(pid);
        }
        closedir(d);
    }
    return pids;
}

std::string DaemonTest::ConfDir(const std::string& name) const {
    std::string dir = Rooted("/home/" SANDBOX_OWNER_USER "/" + name);
    mkdir(dir.c_str(), 0755);
    dir += "/cfg";
    mkdir(dir.c_str(), 0755);
    return dir;
}

void DaemonTest::AddService(const std::string& service, int port) {
    std::string path = Rooted("/etc/services");
    ASSERT_TRUE(WriteWholeFile(path, ReadWholeFile(path) + service + "\t\t" + std::to_string(port) +
                                         "/tcp\t# Vendrix - test\n"));
}

std::string DaemonTest::WriteControllerConf(const std::string& dir, const std::string& service,
                                            const std::vector<std::string>& members) {
    std::string pool;
    for (const std::string& m : members)
        pool += (pool.empty() ? "" : ",") + dir + "/" + m;
    std::string conf = dir + "/srvrctrl.conf";
    EXPECT_TRUE(WriteWholeFile(conf, "MS_HOSTNAME localhost\n"
                                     "CONTROL_DBNAME mall\n"
                                     "CONTROL_DBINST " SANDBOX_INSTANCE_USER "\n"
                                     "CONTROL_DB_RETRY_LIMIT 5\n"
                                     "CONTROL_ERR_TOLERANCE 1\n"
                                     "CONTROL_SERVICE " +
                                         service + "\nCONTROL_POOL_CONFIG " + pool +
                                         "\nPERFORMANCE_SERVER_AUTOSTART NO\nMS_LOGLEVEL 0\n"));
    return conf;
}

int DaemonTest::StartController(const std::string& conf, std::string* err) {
    ShellResult r = RunShell(ProductBin() + "/srvrctrl -i " + conf);
    if (err)
        *err = r.err;
    return r.exitCode;
}
