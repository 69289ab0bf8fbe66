// The controller daemon: one poll loop over its listening socket and its connections, ticking
// to reap members and to watch its stop conditions.
#include "controller.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "standin_daemon.h"
#include "standin_files.h"

namespace srvrctrl {

namespace {

const char kPidFile[] = "srvrctrl.pid";
const char kMarkerSuffix[] = ".vxpid";
// Fault switches: files in the configuration directory, looked at when they matter.
const char kSilentKnob[] = "srvrctrl.silent"; // take requests, never answer
const char kEmptyKnob[] = "srvrctrl.empty";   // answer with an empty body
const char kDieKnob[] = "srvrctrl.die";       // exit right after start, pid file left behind
const char kNoStopKnob[] = "srvrctrl.nostop"; // answer "/CloseAll/" but keep running

const char kListServers[] = "ListServers";
const char kCloseAll[] = "CloseAll";
const int kMaxMemberProcesses = 16;
const int kTickMs = 200;
// A client has this long to send its request and to take the reply.
const int kRequestMs = 10 * 1000;
// A silent controller holds a connection at most this long.
const int kHoldMs = 600 * 1000;
const size_t kMaxRequest = 8192;
const size_t kMaxConnections = 64;
// Members are given this long to end on SIGTERM before they are killed.
const int kStopGraceMs = 5 * 1000;
const int kListenBacklog = 16;

struct Status {
    int code;
    const char* text;
};
const Status kStatuses[] = {
    {200, "OK"}, {400, "Bad Request"}, {404, "Not Found"}, {405, "Method Not Allowed"}};

long NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return long(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

struct Member {
    pid_t pid;
    std::string base;
};

struct Connection {
    int fd;
    std::string request;
    long deadline;
    bool held; // silent: read and dropped until the client gives up
};

class Controller {
public:
    explicit Controller(const Settings& settings) : m_s(settings) {}
    int Run();

private:
    bool Knob(const char* name) const {
        struct stat st;
        return stat((m_s.dir + "/" + name).c_str(), &st) == 0;
    }
    std::string PidPath() const { return m_s.dir + "/" + kPidFile; }
    std::string MarkerPath(pid_t pid) const {
        return m_s.dir + "/" + std::to_string(pid) + kMarkerSuffix;
    }
    void Listen();
    void StartMembers();
    void StartMember(const std::string& base);
    void Reap();
    void Shutdown();
    void Accept();
    // False when the connection is finished with.
    bool Serve(Connection& c);
    void Answer(Connection& c);
    void Reply(int fd, int code, const std::string& body);
    std::string ServerList() const;
    // Stops what was started, then reports reason to the waiting caller and ends.
    [[noreturn]] void Fail(const std::string& reason);

    Settings m_s;
    int m_listener = -1;
    std::vector<Member> m_members;
    std::vector<Connection> m_connections;
    bool m_closed = false;
};

void Controller::Listen() {
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listener < 0)
        standin::DaemonFail(std::string("socket: ") + strerror(errno));
    int on = 1;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(m_s.port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(m_listener, kListenBacklog) != 0)
        standin::DaemonFail("port " + std::to_string(m_s.port) + " of service " + m_s.service +
                            ": " + strerror(errno));
}

// The number of processes a member runs: its configuration's PROCESSES, else one.
int ProcessCount(const std::string& base) {
    std::string value;
    long count = 1;
    if (standin::ReadConfValue(base + ".conf", "PROCESSES", &value) &&
        !standin::ParseNumber(value, 1, kMaxMemberProcesses, &count))
        count = 1;
    return int(count);
}

void Controller::StartMembers() {
    for (const std::string& base : m_s.pool) {
        for (int i = ProcessCount(base); i > 0; --i)
            StartMember(base);
    }
}

void Controller::Fail(const std::string& reason) {
    Shutdown();
    standin::DaemonFail(reason);
}

void Controller::StartMember(const std::string& base) {
    // A member shows its configuration in its command line, as the product's daemons do.
    std::string conf = base + ".conf";
    int go[2];
    if (pipe2(go, O_CLOEXEC) != 0)
        Fail(std::string("pipe: ") + strerror(errno));
    pid_t pid = fork();
    if (pid < 0)
        Fail(std::string("cannot start a member: ") + strerror(errno));
    if (pid == 0) {
        // The member runs only once its marker exists, so it never misses it.
        close(go[1]);
        char c;
        ssize_t n;
        while ((n = read(go[0], &c, 1)) < 0 && errno == EINTR) {
        }
        if (n != 1)
            _exit(1);
        execl("/proc/self/exe", base.c_str(), "-i", conf.c_str(), "--member",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(go[0]);
    bool marked = standin::WriteSmallFile(MarkerPath(pid), "");
    if (marked && write(go[1], "g", 1) != 1)
        marked = false;
    close(go[1]);
    m_members.push_back({pid, base});
    if (!marked)
        Fail("cannot write " + MarkerPath(pid) + ": " + strerror(errno));
}

void Controller::Reap() {
    int status;
    pid_t pid;
    while ((pid = waitpid(-1, &status, WNOHANG)) > 0) {
        for (size_t i = 0; i < m_members.size(); ++i) {
            if (m_members[i].pid == pid) {
                unlink(MarkerPath(pid).c_str());
                m_members.erase(m_members.begin() + long(i));
                break;
            }
        }
    }
}

void Controller::Shutdown() {
    for (const Member& m : m_members)
        kill(m.pid, SIGTERM);
    long deadline = NowMs() + kStopGraceMs;
    while (!m_members.empty() && NowMs() < deadline) {
        Reap();
        if (!m_members.empty())
            standin::PauseMs(kTickMs / 4);
    }
    for (const Member& m : m_members) {
        kill(m.pid, SIGKILL);
        while (waitpid(m.pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        unlink(MarkerPath(m.pid).c_str());
    }
    m_members.clear();
    if (m_listener >= 0)
        close(m_listener);
    m_listener = -1;
    if (standin::ReadPidFile(PidPath()) == getpid())
        unlink(PidPath().c_str());
    m_closed = true;
}

void Controller::Accept() {
    int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return;
    if (m_connections.size() >= kMaxConnections) {
        close(fd);
        return;
    }
    m_connections.push_back({fd, "", NowMs() + kRequestMs, false});
}

std::string Controller::ServerList() const {
    std::string body = "srvrctrl " + std::to_string(getpid()) + " " + m_s.service + " " +
                       std::to_string(m_s.port) + "\n";
    for (const Member& m : m_members)
        body += std::to_string(m.pid) + " " + m.base + "\n";
    return body;
}

void Controller::Reply(int fd, int code, const std::string& body) {
    const char* text = "";
    for (const Status& s : kStatuses) {
        if (s.code == code)
            text = s.text;
    }
    std::string reply =
        "HTTP/1.0 " + std::to_string(code) + " " + text +
        "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nConnection: close\r\n\r\n" + body;
    long deadline = NowMs() + kRequestMs;
    size_t done = 0;
    while (done < reply.size() && NowMs() < deadline) {
        ssize_t n = send(fd, reply.data() + done, reply.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            break;
        pollfd watch = {fd, POLLOUT, 0};
        poll(&watch, 1, kTickMs);
    }
}

// The command of a request target: its last non-empty "/"-separated segment.
std::string CommandOf(const std::string& target) {
    std::vector<std::string> parts = standin::SplitWords(target.substr(0, target.find('?')), "/");
    return parts.empty() ? "" : parts.back();
}

void Controller::Answer(Connection& c) {
    std::vector<std::string> words =
        standin::SplitWords(c.request.substr(0, c.request.find('\n')), " \t\r");
    if (words.size() != 3 || words[2].compare(0, 5, "HTTP/") != 0) {
        Reply(c.fd, 400, "bad request\n");
        return;
    }
    if (words[0] != "GET") {
        Reply(c.fd, 405, "only GET is served\n");
        return;
    }
    std::string command = CommandOf(words[1]);
    if (command == kListServers) {
        Reply(c.fd, 200, Knob(kEmptyKnob) ? "" : ServerList());
    } else if (command == kCloseAll) {
        // Everything is stopped before the answer, so a caller that has the answer finds the
        // instance down.
        if (Knob(kNoStopKnob)) {
            Reply(c.fd, 200, Knob(kEmptyKnob) ? "" : "not closing\n");
            return;
        }
        size_t count = m_members.size();
        Shutdown();
        Reply(c.fd, 200, Knob(kEmptyKnob) ? "" : "closed " + std::to_string(count) + " servers\n");
    } else {
        Reply(c.fd, 404, "unknown request " + words[1] + "\n");
    }
}

bool Controller::Serve(Connection& c) {
    char buffer[2048];
    for (;;) {
        ssize_t n = recv(c.fd, buffer, sizeof buffer, 0);
        if (n == 0)
            return false;
        if (n < 0)
            return errno == EAGAIN || errno == EINTR;
        if (c.held)
            continue;
        c.request.append(buffer, size_t(n));
        bool complete = c.request.find("\r\n\r\n") != std::string::npos ||
                        c.request.find("\n\n") != std::string::npos;
        if (!complete && c.request.size() <= kMaxRequest)
            continue;
        if (!complete) {
            Reply(c.fd, 400, "request too long\n");
            return false;
        }
        if (Knob(kSilentKnob)) {
            c.held = true;
            c.deadline = NowMs() + kHoldMs;
            continue;
        }
        Answer(c);
        return false;
    }
}

int Controller::Run() {
    Listen();
    if (!standin::WriteSmallFile(PidPath(), std::to_string(getpid()) + "\n"))
        standin::DaemonFail("cannot write " + PidPath() + ": " + strerror(errno));
    if (Knob(kDieKnob)) {
        standin::DaemonReady();
        return 0;
    }
    StartMembers();
    standin::DaemonReady();
    standin::Watch watch(m_s.confPath);
    while (!m_closed) {
        std::vector<pollfd> watched;
        watched.push_back({m_listener, POLLIN, 0});
        for (const Connection& c : m_connections)
            watched.push_back({c.fd, POLLIN, 0});
        poll(watched.data(), watched.size(), kTickMs);
        if (watched[0].revents & POLLIN)
            Accept();
        long now = NowMs();
        for (size_t i = 0; i < m_connections.size() && !m_closed;) {
            Connection& c = m_connections[i];
            bool ready = false;
            for (size_t w = 1; w < watched.size(); ++w)
                ready = ready || (watched[w].fd == c.fd && watched[w].revents != 0);
            bool keep = ready ? Serve(c) : now < c.deadline;
            if (keep && now >= c.deadline)
                keep = false;
            if (keep) {
                ++i;
                continue;
            }
            close(c.fd);
            m_connections.erase(m_connections.begin() + long(i));
        }
        Reap();
        if (!m_closed && watch.ShouldEnd())
            Shutdown();
    }
    for (const Connection& c : m_connections)
        close(c.fd);
    return 0;
}

} // namespace

int RunController(const Settings& settings) {
    standin::CatchStopSignals();
    Controller controller(settings);
    return controller.Run();
}

int RunMember(const std::string& base, const std::string& dir) {
    standin::CatchStopSignals();
    // The process list shows the member by its name rather than the controller's.
    std::string name = standin::BaseOf(base).substr(0, 15);
    prctl(PR_SET_NAME, name.c_str(), 0, 0, 0);
    standin::Watch watch(dir + "/" + std::to_string(getpid()) + kMarkerSuffix);
    while (!watch.ShouldEnd())
        standin::PauseMs(kTickMs);
    return 0;
}

} // namespace srvrctrl
