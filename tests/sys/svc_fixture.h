// Helpers of the service tests: a fake controller on a loopback port, look-alikes of the
// daemons, and scripts standing in for programs.
#ifndef VXTEST_SVC_FIXTURE_H
#define VXTEST_SVC_FIXTURE_H

#include <mutex>
#include <optional>
#include <thread>

#include "platform_fixture.h"

// What the fake controller sends on one connection once it has read the request, then it
// closes the connection (nothing sent: closed without a word); no bytes at all: it holds the
// connection open in silence.
using FakeAction = std::optional<std::string>;
// A 200 answer with body and its length.
FakeAction ReplyWithBody(const std::string& body);

// Listens on a free port of 127.0.0.1 in a thread of its own; each connection's action is
// chosen by policy from its index (0 the first).
class FakeController {
public:
    explicit FakeController(std::function<FakeAction(int)> policy);
    ~FakeController();
    FakeController(const FakeController&) = delete;
    FakeController& operator=(const FakeController&) = delete;

    int Port() const { return m_port; }
    int Connections() const { return static_cast<int>(Requests().size()); }
    // The request bytes of each connection, in order.
    std::vector<std::string> Requests() const;

private:
    void Serve();

    std::function<FakeAction(int)> m_policy;
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::vector<int> m_held;
};

// A process that shows the command line args (args[0] the program name it shows) and waits
// to be killed, at most a minute, running as uid: this test program run again. Killed and
// reaped with the object unless End found it ended.
class Lookalike {
public:
    explicit Lookalike(const std::vector<std::string>& args, uid_t uid = 0);
    ~Lookalike();
    Lookalike(const Lookalike&) = delete;
    Lookalike& operator=(const Lookalike&) = delete;
    pid_t Pid() const { return m_pid; }
    // Waits for the process: the signal that ended it, 0 when it exited, -1 when it still runs
    // after timeoutMs (it is then killed and reaped).
    int End(int timeoutMs);

private:
    pid_t m_pid = -1;
};

// The first line of a controller's "/ListServers/" answer: "srvrctrl PID vxNAME PORT".
std::string ControllerLine(pid_t pid, const char* name, int port);

#endif
