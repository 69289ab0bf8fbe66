// The wire layer: connections, request framing and reply reading.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include "pvinternal.h"

// Replies are read in pieces of this size at most.
static const size_t kReadPiece = 256;
static const size_t kReplyHeaderLen = 8;

int32_t getLongValue(const unsigned char* bytes) {
    uint32_t v = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) |
                 (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]);
    return int32_t(v);
}

void putLongValue(unsigned char* bytes, uint32_t value) {
    bytes[0] = (unsigned char)(value >> 24);
    bytes[1] = (unsigned char)(value >> 16);
    bytes[2] = (unsigned char)(value >> 8);
    bytes[3] = (unsigned char)value;
}

static int64_t nowNanos() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (int64_t)now.tv_sec * 1000000000 + now.tv_nsec;
}

Deadline deadlineAfter(int seconds) {
    // int seconds in nanoseconds stay far inside 64 bits.
    return Deadline{nowNanos() + (int64_t)(seconds > 0 ? seconds : 0) * 1000000000};
}

Deadline sessionDeadline(const PaymentServerSession* session) {
    return deadlineAfter(session->timeoutSeconds);
}

// Rounded up: poll then never returns "nothing yet" while time is left, so a zero result
// always means the deadline has passed.
static int millisLeft(const Deadline& deadline) {
    int64_t left = deadline.atNanos - nowNanos();
    if (left <= 0)
        return 0;
    int64_t ms = (left + 999999) / 1000000;
    return ms > INT_MAX ? INT_MAX : (int)ms;
}

int awaitSocket(int fd, short events, const Deadline& deadline) {
    for (;;) {
        struct pollfd watch = {fd, events, 0};
        int ready = poll(&watch, 1, millisLeft(deadline));
        if (ready >= 0)
            return ready > 0 ? 1 : 0;
        if (errno != EINTR)
            return -1;
    }
}

// Descriptor 0 marks "no connection" in the session, so a socket must never be 0 (which it
// would be in a process that closed its standard input).
static int notZero(int fd) {
    if (fd != 0)
        return fd;
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, 1);
    close(fd);
    return moved;
}

// Non-blocking, so that an address that never answers costs at most the time left.
static int connectTo(uint32_t address, int port, const Deadline& deadline) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd >= 0)
        fd = notZero(fd);
    if (fd < 0)
        return -PV_RC_NO_SOCKET;
    struct sockaddr_in peer;
    memset(&peer, 0, sizeof peer);
    peer.sin_family = AF_INET;
    peer.sin_port = htons((uint16_t)port);
    peer.sin_addr.s_addr = address;
    if (connect(fd, reinterpret_cast<struct sockaddr*>(&peer), sizeof peer) != 0) {
        // An interrupted connect goes on in the background, like one in progress.
        int error = errno;
        socklen_t size = sizeof error;
        if ((error != EINPROGRESS && error != EINTR) || awaitSocket(fd, POLLOUT, deadline) != 1 ||
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            close(fd);
            return -PV_RC_CONNECT_FAILED;
        }
    }
    return fd;
}

int newApiConnection(PaymentServerSession* session, const Deadline& deadline) {
    int fd = connectTo(session->address, session->apiPort, deadline);
    if (fd > 0)
        session->apiSocket = fd;
    return fd;
}

int newAdminConnection(PaymentServerSession* session, const Deadline& deadline) {
    int fd = connectTo(session->address, session->adminPort, deadline);
    if (fd > 0)
        session->adminSocket = fd;
    return fd;
}

void closeApiSocket(PaymentServerSession* session) {
    if (session->apiSocket != 0)
        close(session->apiSocket);
    session->apiSocket = 0;
    session->replyPending = 0;
}

void closeAdminSocket(PaymentServerSession* session) {
    if (session->adminSocket != 0)
        close(session->adminSocket);
    session->adminSocket = 0;
}

int sendData(int socket, const char* command, size_t length, const Deadline& deadline) {
    size_t total = length + 4;
    auto* frame = static_cast<unsigned char*>(malloc(total));
    if (!frame)
        return -PV_RC_NO_MEMORY;
    putLongValue(frame, (uint32_t)length);
    memcpy(frame + 4, command, length);
    // An ordinary frame fits the socket's buffer and goes out in the first send; a server that
    // stops taking a large one is waited for no longer than the deadline. A peer gone away must
    // not raise SIGPIPE in the caller.
    int err = 0;
    size_t done = 0;
    while (done < total && err == 0) {
        ssize_t sent = send(socket, frame + done, total - done, MSG_NOSIGNAL);
        if (sent > 0)
            done += (size_t)sent;
        else if (sent < 0 && errno == EINTR)
            continue;
        else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            int ready = awaitSocket(socket, POLLOUT, deadline);
            if (ready <= 0)
                err = ready == 0 ? -PV_RC_WAIT_TIMEOUT : -PV_RC_SEND_FAILED;
        } else
            err = -PV_RC_SEND_FAILED;
    }
    free(frame);
    return err;
}

size_t read_bytes(int socket, char* buffer, size_t count, const Deadline& deadline,
                  bool* timedOut) {
    *timedOut = false;
    size_t done = 0;
    while (done < count) {
        // Each wait gets only what is left of the call's time.
        int ready = awaitSocket(socket, POLLIN, deadline);
        if (ready == 0)
            *timedOut = true;
        if (ready <= 0)
            break;
        size_t piece = count - done < kReadPiece ? count - done : kReadPiece;
        ssize_t got = recv(socket, buffer + done, piece, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (got <= 0)
            break;
        done += (size_t)got;
    }
    return done;
}

int receiveResponse(int socket, returnStructure* reply, const Deadline& deadline) {
    unsigned char header[kReplyHeaderLen];
    reply->data = nullptr;
    reply->length = 0;
    bool timedOut = false;
    if (read_bytes(socket, reinterpret_cast<char*>(header), sizeof header, deadline, &timedOut) !=
        sizeof header)
        return timedOut ? -PV_RC_WAIT_TIMEOUT : -PV_RC_SHORT_REPLY;
    reply->primary = (uint16_t)((header[0] << 8) | header[1]);
    reply->secondary = (uint16_t)((header[2] << 8) | header[3]);
    reply->length = getLongValue(header + 4);
    if (reply->length <= 0)
        return 0;
    // No reply of the protocol is this large; the claim is not believed, nor memory spent on it.
    if (reply->length >= PV_MAX_BLOCK_LEN) {
        reply->length = 0;
        return -PV_RC_INVALID_DATA;
    }
    size_t length = (size_t)reply->length;
    auto* data = static_cast<char*>(malloc(length + 1));
    if (!data)
        return -PV_RC_NO_MEMORY;
    if (read_bytes(socket, data, length, deadline, &timedOut) != length) {
        free(data);
        return timedOut ? -PV_RC_WAIT_TIMEOUT : -PV_RC_SHORT_REPLY;
    }
    data[length] = 0;
    reply->data = data;
    return 0;
}
