// API and administrative calls, and the collection of an asynchronous reply.
#include <errno.h>
#include <limits.h>
#include <poll.h>
#include <stdlib.h>

#include "pvinternal.h"

int doApiCall(PaymentServerSession* session, const char* command, size_t length,
              returnStructure* reply) {
    const Deadline deadline = sessionDeadline(session);
    int fd = newApiConnection(session, deadline);
    if (fd < 0)
        return fd;
    int err = sendData(fd, command, length, deadline);
    if (err != 0) {
        closeApiSocket(session);
        return err;
    }
    if (session->mode & 1) {
        // The connection stays open until pvWait has read the reply.
        session->replyPending = 1;
        return -PV_RC_REQUEST_PENDING;
    }
    err = receiveResponse(fd, reply, deadline);
    closeApiSocket(session);
    return err;
}

int doAdminCall(PaymentServerSession* session, const char* command, size_t length,
                returnStructure* reply) {
    const Deadline deadline = sessionDeadline(session);
    int fd = newAdminConnection(session, deadline);
    if (fd < 0)
        return fd;
    int err = sendData(fd, command, length, deadline);
    if (err == 0)
        err = receiveResponse(fd, reply, deadline);
    closeAdminSocket(session);
    return err;
}

int processAPICommand(PaymentServerSession* session, const char* start, const char* end, int* rc) {
    returnStructure reply = {0, 0, 0, nullptr};
    int err = doApiCall(session, start, (size_t)(end - start), &reply);
    if (err != 0)
        return failWith(rc, -err);
    setReturnCode(rc, reply.secondary);
    free(reply.data);
    return reply.primary;
}

void clearReply(ProtocolData* out) {
    if (out) {
        out->data = nullptr;
        out->length = 0;
    }
}

void handOverReply(returnStructure* reply, ProtocolData* out) {
    if (out && reply->data) {
        out->data = reply->data;
        out->length = reply->length;
    } else {
        free(reply->data);
        clearReply(out);
    }
    reply->data = nullptr;
}

// Milliseconds for poll, rounded up so that a short positive time-out still waits. A time-out
// beyond poll's range waits as long as poll can; the seconds are bounded before they are
// multiplied, so a huge value cannot wrap round to a short or zero wait.
static int timeoutMillis(const struct timeval* timeout) {
    if (!timeout)
        return -1;
    if (timeout->tv_sec > INT_MAX / 1000)
        return INT_MAX;
    long long ms = (long long)timeout->tv_sec * 1000 + timeout->tv_usec / 1000 +
                   (timeout->tv_usec % 1000 != 0);
    return ms > INT_MAX ? INT_MAX : (int)ms;
}

int pvWait(PaymentServerSession* session, const struct timeval* timeout, int* primary, int* rc,
           ProtocolData* replyData) {
    if (!session)
        return failWith(rc, PV_RC_NO_SESSION);
    if (timeout && (timeout->tv_sec < 0 || timeout->tv_usec < 0))
        return failWith(rc, PV_RC_BAD_TIMEOUT);
    if (!session->replyPending)
        return failWith(rc, PV_RC_NOTHING_PENDING);

    // poll rather than select: a descriptor above FD_SETSIZE must not corrupt the stack.
    struct pollfd watch = {session->apiSocket, POLLIN, 0};
    int ready;
    do
        ready = poll(&watch, 1, timeoutMillis(timeout));
    while (ready < 0 && errno == EINTR);
    if (ready < 0) {
        closeApiSocket(session);
        return failWith(rc, PV_RC_WAIT_FAILED);
    }
    if (ready == 0)
        return failWith(rc, PV_RC_WAIT_TIMEOUT);

    // The caller's time-out bounds the wait for the reply to begin; once it has, the session's
    // time-out bounds its reading, so a reply that stops half way cannot hold the caller.
    returnStructure reply = {0, 0, 0, nullptr};
    int err = receiveResponse(session->apiSocket, &reply, sessionDeadline(session));
    closeApiSocket(session);
    if (err != 0) {
        clearReply(replyData);
        return failWith(rc, -err);
    }
    if (primary)
        *primary = reply.primary;
    setReturnCode(rc, reply.secondary);
    handOverReply(&reply, replyData);
    return PV_RESULT_OK;
}
