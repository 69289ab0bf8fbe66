// The administrative request to an instance's server controller: a small HTTP/1.0 client over
// a TCP socket to the loopback address 127.0.0.1 on the instance port.
//
// A request is built from five texts: the script path "/cgi-bin/vxtrade3/", the method "GET",
// the cookie mode "OFF", the command path ("/ListServers/" or "/CloseAll/") and the agent
// "vxadmin". On the wire (CR LF line ends, nothing else sent, no body):
//
//   GET /cgi-bin/vxtrade3/ListServers/ HTTP/1.0
//   Host: 127.0.0.1:PORT
//   User-Agent: vxadmin
//   X-Vx-Cookies: OFF
//   Connection: close
//   (empty line)
//
// The request target is the script path and the command path joined with one "/" between
// them ("/cgi-bin/vxtrade3/CloseAll/" for the stop). A controller may take the command as the
// target's last non-empty "/"-separated segment ("ListServers", "CloseAll").
//
// The reply the client reads:
//
//   HTTP/1.0 200 OK            (status line: "HTTP/1.x", a blank, a three-digit code, text)
//   Content-Length: N          (optional; headers end at the first empty line)
//   (empty line)
//   body                       (N bytes, or up to the end of the connection)
//
// The controller closes the connection after the reply. A "/ListServers/" reply of a running
// instance has a non-empty body, its list of servers, whose first line names the controller:
//
//   srvrctrl PID SERVICE PORT
//
// (blank-separated: its process id, its own service name "vx" + instance name, its port),
// followed by one line per member. What "/CloseAll/" answers is not used.
//
// Time-outs: connecting and sending the request share one time-out of 60 s, reading the
// whole reply one of 180 s (poll-based; not scaled by VXCONFIG_SLEEP_MS). For tests the
// environment variable VXCONFIG_ADMIN_TIMEOUT_MS=k (read at each request, a positive
// decimal number) replaces both with k milliseconds. A caller may instead bound the whole
// exchange by one time-out of its own. A body longer than 1 MiB is an error.
#ifndef VX_DAEMONS_ADMINHTTP_H
#define VX_DAEMONS_ADMINHTTP_H

#include <string>

namespace platform {

// The five texts of an administrative request, in the order they are given.
extern const char ADMIN_SCRIPT_PATH[];  // "/cgi-bin/vxtrade3/"
extern const char ADMIN_METHOD[];       // "GET"
extern const char ADMIN_COOKIES[];      // "OFF"
extern const char ADMIN_AGENT[];        // "vxadmin"
extern const char ADMIN_LIST_SERVERS[]; // "/ListServers/"
extern const char ADMIN_CLOSE_ALL[];    // "/CloseAll/"

// The largest reply body accepted.
constexpr size_t ADMIN_MAX_BODY = 1024 * 1024;
constexpr int ADMIN_SEND_TIMEOUT_MS = 60 * 1000;
constexpr int ADMIN_RECEIVE_TIMEOUT_MS = 180 * 1000;

struct AdminReply {
    // 1 when a step failed: no connection, a send or receive error or time-out, a reply that
    // is not HTTP or a body too long. The body is then empty.
    int error = 0;
    // The reply's status code (0 when none was read).
    int status = 0;
    std::string body;
    // 1 when the connection was refused: nothing listens on the port.
    int refused = 0;
    // 1 when bytes came back, even if they were no reply.
    int received = 0;
};

// A time-out in milliseconds: VXCONFIG_ADMIN_TIMEOUT_MS when it holds a positive decimal
// number, else defaultMs. Read at each call; the other probes of instances use it too.
int AdminTimeoutMs(int defaultMs);

// The request text for a command path on port (exactly the bytes sent).
std::string AdminRequestText(const char* command, int port);

// Sends the request for command (ADMIN_LIST_SERVERS or ADMIN_CLOSE_ALL) to 127.0.0.1:port and
// reads the reply. Returns 1 when no step failed (reply.error 0), else 0. boundMs > 0 bounds
// the whole exchange instead of the time-outs above.
int AdminExchange(int port, const char* command, AdminReply& reply, int boundMs = 0);

} // namespace platform

#endif
