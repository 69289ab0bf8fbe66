// The stand-in payment server's connection handling.
#include "payserver.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

namespace payserver {

namespace {

const char kStop[] = "STOP           ";
const char kAbout[] = "ABOUT          ";
const size_t kNameLen = 15;
const size_t kFieldLen = 16;
// A request larger than this is not a payment command.
const uint32_t kMaxRequest = 16u << 20;
// A client that stops sending mid-request is given up after this long.
const int kReadTimeoutSeconds = 2;

struct FaultName {
    const char* name;
    Fault fault;
};
const FaultName kFaultNames[] = {
    {"none", Fault::None},
    {"close", Fault::CloseEarly},
    {"short-header", Fault::ShortHeader},
    {"short-data", Fault::ShortData},
    {"hold", Fault::Hold},
    {"stall", Fault::Stall},
};

uint32_t GetLong(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void PutLong(std::string* out, uint32_t v) {
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out->append(bytes, 4);
}

bool ReadFull(int fd, char* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        ssize_t got = recv(fd, buffer + done, count - done, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += size_t(got);
    }
    return true;
}

void SendAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t sent = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return;
        done += size_t(sent);
    }
}

int ListenOn(int port, int* bound, std::string* error) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = std::string("socket: ") + strerror(errno);
        return -1;
    }
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 128) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        *error = "port " + std::to_string(port) + ": " + strerror(errno);
        close(fd);
        return -1;
    }
    *bound = ntohs(addr.sin_port);
    return fd;
}

// "NAME FIELD=value FIELD=value", names without their padding; for the log.
std::string Describe(const std::string& command) {
    auto trim = [](std::string s) {
        s.erase(s.find_last_not_of(' ') + 1);
        return s;
    };
    std::string line = trim(command.substr(0, kNameLen));
    size_t at = kNameLen;
    while (at + 4 + kFieldLen <= command.size()) {
        uint32_t len = GetLong(reinterpret_cast<const unsigned char*>(command.data() + at));
        size_t value = at + 4 + kFieldLen;
        if (len > command.size() - value)
            return line + " (malformed)";
        line += " " + trim(command.substr(at + 4, kFieldLen)) + "=" + command.substr(value, len);
        at = value + len;
    }
    return at == command.size() || command.size() < kNameLen ? line : line + " (malformed)";
}

} // namespace

bool ParseFault(const char* name, Fault* fault) {
    for (const FaultName& f : kFaultNames) {
        if (strcmp(f.name, name) == 0) {
            *fault = f.fault;
            return true;
        }
    }
    return false;
}

Server::Server(Config config) : config_(std::move(config)) {}

Server::~Server() {
    Stop();
    for (int fd : {apiListener_, adminListener_, wake_[0], wake_[1]}) {
        if (fd >= 0)
            close(fd);
    }
}

bool Server::Listen(std::string* error) {
    if (pipe2(wake_, O_CLOEXEC) != 0) {
        *error = std::string("pipe: ") + strerror(errno);
        return false;
    }
    apiListener_ = ListenOn(config_.apiPort, &apiPort_, error);
    if (apiListener_ < 0)
        return false;
    adminListener_ = ListenOn(config_.adminPort, &adminPort_, error);
    return adminListener_ >= 0;
}

bool Server::Start(std::string* error) {
    if (!Listen(error))
        return false;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void Server::Wake(char what) {
    if (wake_[1] >= 0) {
        ssize_t n = write(wake_[1], &what, 1);
        (void)n;
    }
}

void Server::Stop() {
    Wake('s');
    if (thread_.joinable())
        thread_.join();
}

void Server::ReleaseHeld() {
    Wake('r');
}
void Server::DropHeld() {
    Wake('d');
}

void Server::SetReply(const Reply& reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    config_.reply = reply;
}

void Server::SetFault(Fault fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    config_.fault = fault;
}

void Server::WaitIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return openConnections_ == 0; });
}

std::vector<Request> Server::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

bool Server::StopRequested() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stopRequested_;
}

void Server::CloseConnection(int fd) {
    close(fd);
    std::lock_guard<std::mutex> lock(mutex_);
    if (--openConnections_ == 0)
        idle_.notify_all();
}

void Server::Serve() {
    bool running = true;
    while (running) {
        pollfd watch[3] = {
            {wake_[0], POLLIN, 0}, {apiListener_, POLLIN, 0}, {adminListener_, POLLIN, 0}};
        if (poll(watch, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (watch[0].revents & POLLIN) {
            char what[64];
            ssize_t n = read(wake_[0], what, sizeof what);
            for (ssize_t i = 0; i < n; ++i) {
                if (what[i] == 's')
                    running = false;
                std::vector<Held> held;
                if (what[i] == 'r' || what[i] == 'd')
                    held.swap(held_);
                for (const Held& h : held) {
                    if (what[i] == 'r')
                        Answer(h.fd, h.admin, h.name, Fault::None, h.sent);
                    else
                        CloseConnection(h.fd);
                }
            }
        }
        if (running && (watch[1].revents & POLLIN))
            Accept(apiListener_, false);
        if (running && (watch[2].revents & POLLIN))
            Accept(adminListener_, true);
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopRequested_)
            running = false;
    }
    for (const Held& h : held_)
        CloseConnection(h.fd);
    held_.clear();
    // A stopped server refuses connections, as a real one that has exited would.
    close(apiListener_);
    close(adminListener_);
    apiListener_ = adminListener_ = -1;
}

void Server::Accept(int listener, bool admin) {
    int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++openConnections_;
    }
    timeval limit{kReadTimeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    Handle(fd, admin);
}

void Server::Handle(int fd, bool admin) {
    unsigned char frame[4];
    if (!ReadFull(fd, reinterpret_cast<char*>(frame), 4) || GetLong(frame) > kMaxRequest) {
        CloseConnection(fd);
        return;
    }
    Request request{admin, std::string(GetLong(frame), '\0')};
    if (!ReadFull(fd, &request.command[0], request.command.size())) {
        CloseConnection(fd);
        return;
    }
    std::string name = request.command.substr(0, kNameLen);
    Fault fault;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
        fault = config_.fault;
    }
    LogRequest(request);
    if (admin && name == kStop) {
        CloseConnection(fd);
        std::lock_guard<std::mutex> lock(mutex_);
        stopRequested_ = true;
        return;
    }
    if (fault == Fault::Hold) {
        held_.push_back({fd, admin, name, 0});
        return;
    }
    Answer(fd, admin, name, fault);
}

void Server::Answer(int fd, bool admin, const std::string& name, Fault fault, size_t skip) {
    Reply reply;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        reply = config_.reply;
        if (admin && name == kAbout)
            reply = Reply{0, 0, config_.about};
    }
    std::string bytes;
    bytes.push_back(char(reply.primary >> 8));
    bytes.push_back(char(reply.primary));
    bytes.push_back(char(reply.secondary >> 8));
    bytes.push_back(char(reply.secondary));
    // A short reply claims fifty bytes more than it carries.
    uint32_t length = uint32_t(reply.data.size() + (fault == Fault::ShortData ? 50 : 0));
    PutLong(&bytes, reply.claimedLength >= 0 ? uint32_t(reply.claimedLength) : length);
    bytes += reply.data;
    if (fault == Fault::Stall) {
        SendAll(fd, bytes.substr(skip, 5));
        held_.push_back({fd, admin, name, skip + 5});
        return;
    }
    if (fault == Fault::ShortHeader)
        bytes.resize(5);
    if (fault != Fault::CloseEarly && skip < bytes.size())
        SendAll(fd, bytes.substr(skip)); // one piece, so the client never waits on a delayed half
    CloseConnection(fd);
}

void Server::LogRequest(const Request& request) {
    if (config_.logPath.empty())
        return;
    FILE* log = fopen(config_.logPath.c_str(), "a");
    if (!log)
        return;
    fprintf(log, "%s %s\n", request.admin ? "admin" : "api", Describe(request.command).c_str());
    fclose(log);
}

} // namespace payserver
