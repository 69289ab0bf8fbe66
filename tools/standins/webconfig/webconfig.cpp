// webconfig: the product's administration program, as a stand-in that knows one request, the
// stop of an instance's servers, given as a CGI POST request on standard input:
//
//   $COMMAND=STOP_SERVER
//   NAME=INSTANCE
//
// (lines; "&" may separate the fields as well). The environment is that of the request
// (REQUEST_METHOD=POST; CONTENT_LENGTH is not trusted, the whole input is read, at most
// 64 KiB and 10 seconds). The instance's controller is found through its registration in
// ROOT/etc/rc.vndx (the line "#Vendrix Instance - INSTANCE", the start line after it, whose
// last word names the controller's srvrctrl.conf; ROOT is $VXCONFIG_ROOT, else found from this
// program's place ROOT/opt/Orvellvndx/Vendrix3/server/admin/webconfig). It is sent "/CloseAll/"
// on the port of its CONTROL_SERVICE (waits of 5 s to connect and 30 s for the answer, or
// $VXCONFIG_ADMIN_TIMEOUT_MS milliseconds each); when it does not answer, the controller named by
// its srvrctrl.pid is sent SIGTERM, but only when that process is this root's srvrctrl.
//
// The answer is a CGI reply on standard output: "Content-type: text/plain", an empty line and
// one line of text, with "Status: 4xx/5xx ..." first for a refused or failed request. The exit
// status is 0 when the instance's controller is down afterwards, 1 otherwise.
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "standin_daemon.h"
#include "standin_files.h"
#include "standin_proc.h"

namespace {

const char kInstalledAt[] = "/opt/Orvellvndx/Vendrix3/server/admin/webconfig";
const char kController[] = "/opt/Orvellvndx/Vendrix3/bin/srvrctrl";
const char kEntryMark[] = "#Vendrix Instance";
const char kStopCommand[] = "STOP_SERVER";
const size_t kMaxInput = 64 * 1024;
const int kInputMs = 10 * 1000;
const int kConnectMs = 5 * 1000;
const int kReplyMs = 30 * 1000;
// How long a signalled controller is given to end.
const int kStopWaitMs = 10 * 1000;
const int kTickMs = 100;
const size_t kMaxReply = 1024 * 1024;
const size_t kLineSize = 1024;

// VXCONFIG_ADMIN_TIMEOUT_MS, a positive number, shortens the waits on the controller for
// tests, as it does for the library's own administrative requests.
int TimeoutMs(int normal) {
    const long kMaxTimeoutMs = 3600L * 1000;
    const char* text = getenv("VXCONFIG_ADMIN_TIMEOUT_MS");
    long ms;
    return text && standin::ParseNumber(text, 1, kMaxTimeoutMs, &ms) ? int(ms) : normal;
}

long NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return long(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int Answer(int status, const char* statusText, const std::string& text) {
    if (status != 0)
        printf("Status: %s\r\n", statusText);
    printf("Content-type: text/plain\r\n\r\n%s\n", text.c_str());
    fflush(stdout);
    return status;
}

std::string ReadInput() {
    std::string input;
    long deadline = NowMs() + kInputMs;
    char buffer[4096];
    while (input.size() < kMaxInput) {
        long left = deadline - NowMs();
        pollfd watch = {0, POLLIN, 0};
        if (left <= 0 || poll(&watch, 1, int(left)) <= 0)
            break;
        ssize_t n = read(0, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        input.append(buffer, size_t(n));
    }
    return input;
}

// The value of a field of the request ("$COMMAND" may also come without its "$").
bool Field(const std::string& input, const char* name, std::string* value) {
    for (const std::string& field : standin::SplitWords(input, "&\r\n")) {
        std::string key = field.substr(0, field.find('='));
        if (field.find('=') == std::string::npos)
            continue;
        if (key == name || (key[0] == '$' && key.substr(1) == name)) {
            *value = field.substr(field.find('=') + 1);
            return true;
        }
    }
    return false;
}

// The configuration file of the instance's controller, from its last registration.
std::string RegisteredConf(const std::string& root, const std::string& name) {
    FILE* file = fopen((root + "/etc/rc.vndx").c_str(), "r");
    if (!file)
        return "";
    char line[kLineSize];
    std::string conf;
    bool entry = false;
    while (fgets(line, sizeof line, file)) {
        std::string text(line);
        if (text.find(kEntryMark) != std::string::npos) {
            size_t dash = text.find('-');
            std::vector<std::string> words =
                dash == std::string::npos ? std::vector<std::string>()
                                          : standin::SplitWords(text.substr(dash + 1), " \t\r\n");
            entry = !words.empty() && words[0] == name;
            continue;
        }
        if (!entry)
            continue;
        entry = false;
        std::vector<std::string> words = standin::SplitWords(text, " \t\r\n");
        if (words.empty())
            continue;
        std::string last = words.back();
        while (!last.empty() && (last.back() == '&' || last.back() == '"' || last.back() == '\''))
            last.pop_back();
        conf = last;
    }
    fclose(file);
    return conf;
}

int Connect(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        pollfd watch = {fd, POLLOUT, 0};
        int error = 0;
        socklen_t len = sizeof error;
        if (errno != EINPROGRESS || poll(&watch, 1, TimeoutMs(kConnectMs)) != 1 ||
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) {
            close(fd);
            return -1;
        }
    }
    return fd;
}

// Sends "/CloseAll/" to the controller on port; true when it answered 200.
bool CloseAll(int port) {
    int fd = Connect(port);
    if (fd < 0)
        return false;
    std::string request =
        "GET /cgi-bin/vxtrade3/CloseAll/ HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) +
        "\r\nUser-Agent: vxadmin\r\nX-Vx-Cookies: OFF\r\nConnection: "
        "close\r\n\r\n";
    std::string reply;
    long deadline = NowMs() + TimeoutMs(kReplyMs);
    size_t sent = 0;
    char buffer[4096];
    while (NowMs() < deadline && reply.size() < kMaxReply) {
        pollfd watch = {fd, short(sent < request.size() ? POLLOUT : POLLIN), 0};
        if (poll(&watch, 1, int(deadline - NowMs())) <= 0)
            break;
        if (sent < request.size()) {
            ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n <= 0 && errno != EINTR && errno != EAGAIN)
                break;
            sent += n > 0 ? size_t(n) : 0;
            continue;
        }
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
            break;
        if (n > 0)
            reply.append(buffer, size_t(n));
    }
    close(fd);
    std::vector<std::string> status = standin::SplitWords(reply.substr(0, reply.find('\n')), " \r");
    return status.size() >= 2 && status[0].compare(0, 5, "HTTP/") == 0 && status[1] == "200";
}

// Signals the controller of dir's srvrctrl.pid and waits for it to end. True when no
// controller of this root runs under that pid afterwards.
bool SignalController(const std::string& root, const std::string& dir) {
    int pid = standin::ReadPidFile(dir + "/srvrctrl.pid");
    if (pid <= 0 || !standin::IsSandboxProcess(pid, root, kController))
        return true;
    kill(pid, SIGTERM);
    long deadline = NowMs() + kStopWaitMs;
    while (standin::ProcessAlive(pid) && NowMs() < deadline)
        standin::PauseMs(kTickMs);
    return !standin::ProcessAlive(pid);
}

} // namespace

int main() {
    signal(SIGPIPE, SIG_IGN);
    const char* method = getenv("REQUEST_METHOD");
    if (!method || strcmp(method, "POST") != 0)
        return Answer(1, "405 Method Not Allowed", "webconfig takes POST requests");
    std::string input = ReadInput(), command, name;
    if (!Field(input, "COMMAND", &command) || command != kStopCommand)
        return Answer(1, "400 Bad Request", "unknown command " + command);
    if (!Field(input, "NAME", &name) || !standin::IsSafeName(name))
        return Answer(1, "400 Bad Request", "no valid instance NAME");
    std::string root = standin::SystemRoot(kInstalledAt);
    std::string conf = RegisteredConf(root, name);
    if (conf.empty())
        return Answer(1, "404 Not Found", "instance " + name + " is not registered");
    if (!standin::IsSafeAbsolutePath(conf) || standin::BaseOf(conf) != "srvrctrl.conf")
        return Answer(1, "500 Internal Server Error",
                      "instance " + name + " has a start line that names no srvrctrl.conf");
    std::string dir = standin::DirOf(conf), service;
    int port = -1;
    if (standin::ReadConfValue(conf, "CONTROL_SERVICE", &service))
        port = standin::LookupTcpPort(root + "/etc/services", service);
    bool closed = port > 0 && CloseAll(port);
    if (!SignalController(root, dir))
        return Answer(1, "500 Internal Server Error",
                      "the servers of instance " + name + " do not stop");
    return Answer(0, "",
                  std::string(closed ? "STOP_SERVER " : "STOP_SERVER (signalled) ") + name +
                      ": the servers are stopped");
}
