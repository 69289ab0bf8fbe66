// The wire layer: connections, request framing and reply reading.
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
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

// Descriptor 0 marks "no connection" in the session, so a socket must never be 0 (which it
// would be in a process that closed its standard input).
static int notZero(int fd) {
    if (fd != 0)
        return fd;
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, 1);
    close(fd);
    return moved;
}

static int connectTo(uint32_t address, int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
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
        close(fd);
        return -PV_RC_CONNECT_FAILED;
    }
    return fd;
}

int newApiConnection(PaymentServerSession* session) {
    int fd = connectTo(session->address, session->apiPort);
    if (fd > 0)
        session->apiSocket = fd;
    return fd;
}

int newAdminConnection(PaymentServerSession* session) {
    int fd = connectTo(session->address, session->adminPort);
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

int sendData(int socket, const char* command, size_t length) {
    size_t total = length + 4;
    auto* frame = static_cast<unsigned char*>(malloc(total));
    if (!frame)
        return -PV_RC_NO_MEMORY;
    putLongValue(frame, (uint32_t)length);
    memcpy(frame + 4, command, length);
    // One send call for the whole frame; a peer gone away must not raise SIGPIPE in the caller.
    ssize_t sent = send(socket, frame, total, MSG_NOSIGNAL);
    free(frame);
    return sent == (ssize_t)total ? 0 : -PV_RC_SEND_FAILED;
}

size_t read_bytes(int socket, char* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        size_t piece = count - done < kReadPiece ? count - done : kReadPiece;
        ssize_t got = recv(socket, buffer + done, piece, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += (size_t)got;
    }
    return done;
}

int receiveResponse(int socket, returnStructure* reply) {
    unsigned char header[kReplyHeaderLen];
    reply->data = nullptr;
    reply->length = 0;
    if (read_bytes(socket, reinterpret_cast<char*>(header), sizeof header) != sizeof header)
        return -PV_RC_SHORT_REPLY;
    reply->primary = (uint16_t)((header[0] << 8) | header[1]);
    reply->secondary = (uint16_t)((header[2] << 8) | header[3]);
    reply->length = getLongValue(header + 4);
    if (reply->length <= 0)
        return 0;
    size_t length = (size_t)reply->length;
    auto* data = static_cast<char*>(malloc(length + 1));
    if (!data)
        return -PV_RC_NO_MEMORY;
    if (read_bytes(socket, data, length) != length) {
        free(data);
        return -PV_RC_SHORT_REPLY;
    }
    data[length] = 0;
    reply->data = data;
    return 0;
}
