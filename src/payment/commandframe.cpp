// The frame shared by every command: session checks, buffer set-up and sending.
#include <string.h>

#include "pvinternal.h"
#include "pvnames.h"

int commandAllowed(PaymentServerSession* session, int* rc) {
    if (!session)
        return failWith(rc, PV_RC_NO_SESSION);
    if (session->replyPending)
        return failWith(rc, PV_RC_SESSION_BUSY);
    return PV_RESULT_OK;
}

bool textFits(const char* text) {
    return !text || strnlen(text, PV_MAX_BLOCK_LEN) < PV_MAX_BLOCK_LEN;
}

size_t protocolDataLength(const ProtocolData* pd) {
    return pd && pd->data && pd->length > 0 ? (size_t)pd->length : 0;
}

int startCommand(CommandBuffer* buffer, int command, size_t dataLength, int* rc) {
    const PvCommandSizing& sizing = kPvCommands[command];
    if (apiCommandInit(buffer, sizing.parameters, sizing.numbers, sizing.shortNumbers, dataLength))
        return failWith(rc, PV_RC_NO_MEMORY);
    doCommandName(buffer, sizing.name);
    return PV_RESULT_OK;
}

int finishCommand(PaymentServerSession* session, CommandBuffer* buffer, int* rc) {
    int result = processAPICommand(session, buffer->start, buffer->end, rc);
    apiCommandFree(buffer);
    return result;
}

int finishCommandWithReply(PaymentServerSession* session, CommandBuffer* buffer, int* rc,
                           ProtocolData* replyData) {
    returnStructure reply = {0, 0, 0, nullptr};
    int err = doApiCall(session, buffer->start, (size_t)(buffer->end - buffer->start), &reply);
    apiCommandFree(buffer);
    if (err != 0) {
        clearReply(replyData);
        return failWith(rc, -err);
    }
    setReturnCode(rc, reply.secondary);
    handOverReply(&reply, replyData);
    return reply.primary;
}
