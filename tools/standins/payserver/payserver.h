// Stand-in payment server: speaks the payment wire protocol on an API port and an
// administration port of the loopback interface. It answers the identification command with
// its identification text, stops on the stop command, answers every other command with a
// configurable reply, and keeps a log of the requests it received. Faults can be switched on
// to exercise a client's error paths.
#ifndef PAYSERVER_PAYSERVER_H
#define PAYSERVER_PAYSERVER_H

#include <stdint.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace payserver {

enum class Fault {
    None,
    CloseEarly,  // read the request, close without a reply
    ShortHeader, // send 5 of the 8 header bytes, then close
    ShortData,   // claim more reply data than is sent, then close
    Hold,        // keep the connection open without an answer until released or dropped
    Stall,       // send 5 of the 8 header bytes, then hold (a release sends the rest)
};

// Maps "none", "close", "short-header", "short-data", "hold", "stall"; false for anything else.
bool ParseFault(const char* name, Fault* fault);

struct Reply {
    uint16_t primary = 0;
    uint16_t secondary = 0;
    std::string data;
    int64_t claimedLength = -1; // 0 or more: the header's length, whatever data follows
};

struct Config {
    int apiPort = 0; // 0: any free port
    int adminPort = 0;
    std::string about = "Payvane Payment Server (stand-in), API version 2";
    Reply reply; // the answer to payment and batch commands
    Fault fault = Fault::None;
    std::string logPath; // one line per request; empty: no log file
};

struct Request {
    bool admin;          // came in on the administration port
    std::string command; // the request's bytes after the 4-byte frame length
};

class Server {
public:
    explicit Server(Config config);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds both ports on 127.0.0.1; false with the reason in *error.
    bool Listen(std::string* error);
    // Serves until a stop command arrives or Stop is called, then closes the ports.
    void Serve();
    // Listen, then Serve on a thread of its own.
    bool Start(std::string* error);
    // Ends Serve (from another thread) and joins the server's thread.
    void Stop();

    void SetReply(const Reply& reply);
    void SetFault(Fault fault);
    // Answers (normally) or closes (without a word) the connections held so far.
    void ReleaseHeld();
    void DropHeld();
    // Blocks until no connection is open, held ones included.
    void WaitIdle();

    int ApiPort() const { return apiPort_; }
    int AdminPort() const { return adminPort_; }
    std::vector<Request> Requests() const;
    bool StopRequested() const;

private:
    struct Held {
        int fd;
        bool admin;
        std::string name;
        size_t sent; // reply bytes already out (a stalled reply)
    };
    void Wake(char what);
    void Accept(int listener, bool admin);
    void Handle(int fd, bool admin);
    // Sends the reply from byte skip on; with Stall, holds the connection after a part of it.
    void Answer(int fd, bool admin, const std::string& name, Fault fault, size_t skip = 0);
    void CloseConnection(int fd);
    void LogRequest(const Request& request);

    Config config_;
    int apiListener_ = -1;
    int adminListener_ = -1;
    int apiPort_ = 0;
    int adminPort_ = 0;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable idle_;
    int openConnections_ = 0;
    bool stopRequested_ = false;
    std::vector<Request> requests_;
    std::vector<Held> held_;
};

} // namespace payserver

#endif
