// The fake controller and the other helpers of the service control tests.
#include "svc_fixture.h"

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>

namespace {

// How long the fake waits for more of a request's head before it gives up on the connection.
constexpr time_t kRequestWaitSeconds = 5;
constexpr int kSleeperSeconds = 60;
constexpr int kLookalikeStartMs = 5000;
constexpr int kExecFailed = 127;
const char kLookalikeVariable[] = "VXTEST_LOOKALIKE";

// This program run again as a look-alike only waits, before any test is set up.
[[maybe_unused]] const bool g_lookalike = [] {
    if (!getenv(kLookalikeVariable))
        return false;
    struct timespec t = {kSleeperSeconds, 0};
    nanosleep(&t, nullptr);
    _exit(0);
}();

} // namespace

FakeAction ReplyWithBody(const std::string& body) {
    return FakeAction("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                      std::to_string(body.size()) + "\r\n\r\n" + body);
}

FakeController::FakeController(std::function<FakeAction(int)> policy)
    : m_policy(std::move(policy)) {
    m_listener = LoopbackSocket(true, &m_port);
    m_thread = std::thread([this] { Serve(); });
}

FakeController::~FakeController() {
    // A listening socket shut down makes the waiting accept fail: the thread ends.
    shutdown(m_listener, SHUT_RDWR);
    if (m_thread.joinable())
        m_thread.join();
    for (int fd : m_held)
        close(fd);
    if (m_listener >= 0)
        close(m_listener);
}

std::vector<std::string> FakeController::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void FakeController::Serve() {
    for (;;) {
        int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0 && errno == EINTR)
            continue;
        if (fd < 0)
            return;
        // A client that never ends its request's head is given up after a while.
        timeval wait = {kRequestWaitSeconds, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        std::string request;
        char buffer[4096];
        ssize_t n = 0;
        while (request.find("\r\n\r\n") == std::string::npos &&
               (n = recv(fd, buffer, sizeof buffer, 0)) > 0)
            request.append(buffer, static_cast<size_t>(n));
        // Kept before the answer, so a client that got one always sees its connection.
        int index = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(request);
            index = static_cast<int>(m_requests.size()) - 1;
        }
        FakeAction action = m_policy(index);
        if (!action) {
            m_held.push_back(fd);
            continue;
        }
        // A blocking send gives all or fails when the client is gone.
        if (!action->empty())
            send(fd, action->data(), action->size(), MSG_NOSIGNAL);
        close(fd);
    }
}

Lookalike::Lookalike(const std::vector<std::string>& args, uid_t uid) {
    std::vector<char*> argv;
    std::string expected;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
        expected += arg + '\0';
    }
    argv.push_back(nullptr);
    std::string variable = std::string(kLookalikeVariable) + "=1";
    char* envp[] = {const_cast<char*>(variable.c_str()), nullptr};
    pid_t pid = fork();
    if (pid == 0) {
        if (uid != 0 && (setgid(uid) != 0 || setuid(uid) != 0))
            _exit(kExecFailed);
        execve("/proc/self/exe", argv.data(), envp);
        _exit(kExecFailed);
    }
    if (pid < 0) {
        ADD_FAILURE() << "cannot fork: " << strerror(errno);
        return;
    }
    m_pid = pid;
    // Until the exec the child still shows this program's command line.
    std::string cmdline = "/proc/" + std::to_string(pid) + "/cmdline";
    EXPECT_TRUE(Eventually([&] { return ReadWholeFile(cmdline) == expected; }, kLookalikeStartMs))
        << "the look-alike did not start";
}

Lookalike::~Lookalike() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

int Lookalike::End(int timeoutMs) {
    int status = 0;
    pid_t done = 0;
    if (m_pid > 0 &&
        !Eventually([&] { return (done = waitpid(m_pid, &status, WNOHANG)) != 0; }, timeoutMs)) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
        return -1;
    }
    m_pid = -1;
    return done > 0 && WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

std::string ControllerLine(pid_t pid, const char* name, int port) {
    return "srvrctrl " + std::to_string(pid) + " vx" + name + " " + std::to_string(port) + "\n";
}
