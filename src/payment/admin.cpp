// Administrative commands over the administration port: stop and identification.
#include "pvinternal.h"
#include "pvnames.h"

// The administrative commands carry only the API version.
static int buildAdminCommand(CommandBuffer* buffer, int command, int* rc) {
    if (int result = startCommand(buffer, command, 0, rc))
        return result;
    doUnsignedLongParm(buffer, kFieldApiVersion, kPvApiVersion);
    return PV_RESULT_OK;
}

int pvShutdownTill(PaymentServerSession* session, int* rc) {
    if (int result = commandAllowed(session, rc))
        return result;
    CommandBuffer buffer;
    if (int result = buildAdminCommand(&buffer, PV_CMD_STOP, rc))
        return result;
    // A stopping server sends nothing back; the connection is closed as soon as the request
    // is out.
    const Deadline deadline = sessionDeadline(session);
    int fd = newAdminConnection(session, deadline);
    int err =
        fd < 0 ? fd : sendData(fd, buffer.start, (size_t)(buffer.end - buffer.start), deadline);
    if (fd > 0)
        closeAdminSocket(session);
    apiCommandFree(&buffer);
    if (err != 0)
        return failWith(rc, -err);
    setReturnCode(rc, PV_RC_OK);
    return PV_RESULT_OK;
}

int pvAbout(PaymentServerSession* session, int* rc, ProtocolData* replyData) {
    clearReply(replyData);
    if (int result = commandAllowed(session, rc))
        return result;
    CommandBuffer buffer;
    if (int result = buildAdminCommand(&buffer, PV_CMD_ABOUT, rc))
        return result;
    returnStructure reply = {0, 0, 0, nullptr};
    int err = doAdminCall(session, buffer.start, (size_t)(buffer.end - buffer.start), &reply);
    apiCommandFree(&buffer);
    if (err != 0)
        return failWith(rc, -err);
    setReturnCode(rc, reply.secondary);
    handOverReply(&reply, replyData);
    return reply.primary;
}
