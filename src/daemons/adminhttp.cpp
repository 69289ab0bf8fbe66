// The administrative request to a server controller (see adminhttp.h for the wire form): one
// non-blocking socket, every step waited for with poll against a deadline, so that a
// controller that accepts and then stays silent cannot hold the caller longer than the
// time-outs.
#include "daemons/adminhttp.h"

#include "sys/check/overlay.h"
#include "sys/envnumber.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

const char ADMIN_SCRIPT_PATH[] = "/cgi-bin/vxtrade3/";
const char ADMIN_METHOD[] = "GET";
const char ADMIN_COOKIES[] = "OFF";
const char ADMIN_AGENT[] = "vxadmin";
const char ADMIN_LIST_SERVERS[] = "/ListServers/";
const char ADMIN_CLOSE_ALL[] = "/CloseAll/";

namespace {

const char kLoopback[] = "127.0.0.1";
const char kTimeoutVariable[] = "VXCONFIG_ADMIN_TIMEOUT_MS";
// The status line and headers of a reply are small; more than this is not a controller.
constexpr size_t kMaxHead = 64 * 1024;
constexpr int kMaxPort = 65535;
constexpr size_t kReadChunk = 16 * 1024;

using Clock = std::chrono::steady_clock;

// Milliseconds left until deadline, at least 0, at most INT_MAX.
int MillisLeft(Clock::time_point deadline) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

// Waits for events on fd until deadline. 1 when they came, 0 on time-out or error.
int WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p = {fd, events, 0};
        int n = poll(&p, 1, MillisLeft(deadline));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 0;
        // An error or hang-up is reported by the read, write or SO_ERROR that follows.
        return 1;
    }
}

class Socket {
public:
    Socket() : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (m_fd >= 0)
            close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

// 1 when connected; 0 with refused set when nothing listens on the port.
int Connect(int fd, int port, Clock::time_point deadline, int& refused) {
    sockaddr_in address;
    memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, kLoopback, &address.sin_addr) != 1)
        return 0;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return 1;
    if (errno != EINPROGRESS && errno != EINTR) {
        refused = errno == ECONNREFUSED;
        return 0;
    }
    if (!WaitFor(fd, POLLOUT, deadline))
        return 0;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return 0;
    refused = error == ECONNREFUSED;
    return error == 0;
}

int SendAll(int fd, const std::string& text, Clock::time_point deadline) {
    size_t sent = 0;
    while (sent < text.size()) {
        ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(fd, POLLOUT, deadline))
            continue;
        return 0;
    }
    return 1;
}

// The reply's head, parsed: status code and the body length when a Content-Length was given.
struct Head {
    int status = 0;
    bool hasLength = false;
    size_t length = 0;
};

// The value of a header line "Name: value" when its name is name (letter case aside).
const char* HeaderValue(const std::string& line, const char* name) {
    size_t n = strlen(name);
    if (line.size() <= n || strncasecmp(line.c_str(), name, n) != 0 || line[n] != ':')
        return nullptr;
    const char* value = line.c_str() + n + 1;
    while (*value == ' ' || *value == '\t')
        ++value;
    return value;
}

// Parses the head (status line and headers, without the empty line). 1 when it is HTTP.
int ParseHead(const std::string& head, Head& out) {
    size_t at = 0;
    bool first = true;
    while (at <= head.size()) {
        size_t end = head.find('\n', at);
        if (end == std::string::npos)
            end = head.size();
        std::string line = head.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        at = end + 1;
        if (first) {
            // "HTTP/1.x" SP three digits, then a blank and a reason or nothing.
            const char prefix[] = "HTTP/1.";
            size_t p = sizeof prefix - 1;
            if (line.compare(0, p, prefix) != 0 || line.size() < p + 5 || !isdigit(line[p]) ||
                line[p + 1] != ' ')
                return 0;
            for (size_t i = p + 2; i < p + 5; ++i)
                if (!isdigit(static_cast<unsigned char>(line[i])))
                    return 0;
            if (line.size() > p + 5 && line[p + 5] != ' ')
                return 0;
            out.status = atoi(line.c_str() + p + 2);
            first = false;
            continue;
        }
        if (const char* value = HeaderValue(line, "Content-Length")) {
            char* stop = nullptr;
            errno = 0;
            unsigned long long length = strtoull(value, &stop, 10);
            if (stop == value || !isdigit(static_cast<unsigned char>(*value)) || errno != 0)
                return 0;
            while (*stop == ' ' || *stop == '\t')
                ++stop;
            if (*stop || length > ADMIN_MAX_BODY)
                return 0;
            out.hasLength = true;
            out.length = static_cast<size_t>(length);
        }
    }
    return first ? 0 : 1;
}

// Where the head ends in data: the index of the body's first byte, or npos.
size_t BodyStart(const std::string& data, size_t& headLength) {
    size_t crlf = data.find("\r\n\r\n");
    size_t lf = data.find("\n\n");
    if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf)) {
        headLength = crlf;
        return crlf + 4;
    }
    if (lf != std::string::npos) {
        headLength = lf;
        return lf + 2;
    }
    return std::string::npos;
}

// Reads the reply until the body is complete (its Content-Length) or the connection ends.
int Receive(int fd, Clock::time_point deadline, AdminReply& reply) {
    std::string data;
    Head head;
    size_t bodyAt = std::string::npos;
    char buffer[kReadChunk];
    for (;;) {
        if (bodyAt != std::string::npos && head.hasLength && data.size() - bodyAt >= head.length)
            break;
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(fd, POLLIN, deadline))
                return 0;
            continue;
        }
        if (n < 0)
            return 0;
        if (n == 0)
            break;
        reply.received = 1;
        data.append(buffer, static_cast<size_t>(n));
        if (bodyAt == std::string::npos) {
            size_t headLength = 0;
            bodyAt = BodyStart(data, headLength);
            if (bodyAt == std::string::npos) {
                if (data.size() > kMaxHead)
                    return 0;
                continue;
            }
            if (headLength > kMaxHead || !ParseHead(data.substr(0, headLength), head))
                return 0;
        }
        if (data.size() - bodyAt > ADMIN_MAX_BODY)
            return 0;
    }
    if (bodyAt == std::string::npos) {
        // The connection ended inside the head: a head without body is still a reply.
        if (data.empty() || !ParseHead(data, head))
            return 0;
        bodyAt = data.size();
    }
    size_t available = data.size() - bodyAt;
    if (head.hasLength && available < head.length)
        return 0;
    reply.status = head.status;
    reply.body = data.substr(bodyAt, head.hasLength ? head.length : available);
    return 1;
}

} // namespace

int AdminTimeoutMs(int defaultMs) {
    return static_cast<int>(EnvNumber(kTimeoutVariable, defaultMs, 1, INT_MAX));
}

std::string AdminRequestText(const char* command, int port) {
    // The script path ends in "/" and the command path begins with one: one of them goes.
    std::string target = ADMIN_SCRIPT_PATH;
    const char* rest = command ? command : "";
    if (!target.empty() && target.back() == '/' && *rest == '/')
        ++rest;
    target += rest;
    std::string text = std::string(ADMIN_METHOD) + " " + target + " HTTP/1.0\r\n";
    text += std::string("Host: ") + kLoopback + ":" + std::to_string(port) + "\r\n";
    text += std::string("User-Agent: ") + ADMIN_AGENT + "\r\n";
    text += std::string("X-Vx-Cookies: ") + ADMIN_COOKIES + "\r\n";
    text += "Connection: close\r\n\r\n";
    return text;
}

int AdminExchange(int port, const char* command, AdminReply& reply, int boundMs) {
    reply = AdminReply();
    reply.error = 1;
    if (port <= 0 || port > kMaxPort || !command)
        return 0;
    // Listing the servers only asks; closing them is a change a check run records.
    std::string what = "the controller on port " + std::to_string(port) + " (" + command + ")";
    if (strcmp(command, ADMIN_LIST_SERVERS) == 0)
        NoteProbe(what);
    else if (!RunsCommand(std::string(ADMIN_AGENT) + " request " + command + " to " + kLoopback +
                          ":" + std::to_string(port)))
        return 0;
    Socket socket;
    if (socket.Fd() < 0)
        return 0;
    auto bound = Clock::now() + std::chrono::milliseconds(boundMs);
    auto sendDeadline =
        boundMs > 0
            ? bound
            : Clock::now() + std::chrono::milliseconds(AdminTimeoutMs(ADMIN_SEND_TIMEOUT_MS));
    if (!Connect(socket.Fd(), port, sendDeadline, reply.refused) ||
        !SendAll(socket.Fd(), AdminRequestText(command, port), sendDeadline))
        return 0;
    auto receiveDeadline =
        boundMs > 0
            ? bound
            : Clock::now() + std::chrono::milliseconds(AdminTimeoutMs(ADMIN_RECEIVE_TIMEOUT_MS));
    AdminReply got;
    int received = Receive(socket.Fd(), receiveDeadline, got);
    reply.received = got.received;
    if (!received)
        return 0;
    reply = got;
    reply.error = 0;
    return 1;
}

} // namespace platform
