// Internals of the payment server client: the session record, the wire layer and the
// command buffer. Internal errors are negative codes whose absolute value is the return code.
#ifndef PAYVANE_PVINTERNAL_H
#define PAYVANE_PVINTERNAL_H

#include <stddef.h>
#include <stdint.h>

#include "payvane/payvaneapi.h"

struct PaymentServerSession {
    int32_t mode;        // the lowest bit selects asynchronous mode
    int32_t adminSocket; // 0 when none
    int32_t apiSocket;   // 0 when none
    char* host;
    uint32_t address; // IPv4, network order
    int32_t apiPort;
    int32_t adminPort;
    unsigned char replyPending;
    int32_t timeoutSeconds; // bound on each call, from connecting to the last reply byte
};

struct returnStructure {
    uint16_t primary;
    uint16_t secondary;
    int32_t length;
    char* data; // length bytes and a NUL, or null
};

// Stores code into the caller's variable when there is one.
void setReturnCode(int* rc, int code);
// Stores code and gives the failure result.
int failWith(int* rc, int code);

// The moment by which a call must be over, on the monotonic clock. One deadline covers a
// whole call, so a server that answers a byte at a time cannot stretch it either.
struct Deadline {
    int64_t atNanos;
};
Deadline deadlineAfter(int seconds);
// The session's time-out, counted from now.
Deadline sessionDeadline(const PaymentServerSession* session);
// Waits until fd reports one of events or the deadline passes: 1 ready, 0 passed, -1 failed.
int awaitSocket(int fd, short events, const Deadline& deadline);

// Wire layer. The sockets are non-blocking; every wait on them is bounded by the deadline.
// A deadline that passes while connecting gives -321, later -333.
int newApiConnection(PaymentServerSession* session, const Deadline& deadline);
int newAdminConnection(PaymentServerSession* session, const Deadline& deadline);
int sendData(int socket, const char* command, size_t length, const Deadline& deadline);
// Reads one reply; a claimed length of PV_MAX_BLOCK_LEN or more is refused with -300 before
// anything is allocated or read for it.
int receiveResponse(int socket, returnStructure* reply, const Deadline& deadline);
// Reads up to count bytes; fewer when the connection ends or, with *timedOut set, when the
// deadline passes.
size_t read_bytes(int socket, char* buffer, size_t count, const Deadline& deadline, bool* timedOut);
int32_t getLongValue(const unsigned char* bytes);
void putLongValue(unsigned char* bytes, uint32_t value);
void closeApiSocket(PaymentServerSession* session);
void closeAdminSocket(PaymentServerSession* session);

// Calls: one connection, one request, one reply.
int doApiCall(PaymentServerSession* session, const char* command, size_t length,
              returnStructure* reply);
int doAdminCall(PaymentServerSession* session, const char* command, size_t length,
                returnStructure* reply);
int processAPICommand(PaymentServerSession* session, const char* start, const char* end, int* rc);
// Hands a reply's data to the caller (or frees it when the caller wants none).
void handOverReply(returnStructure* reply, ProtocolData* out);
void clearReply(ProtocolData* out);

// Protocol data.
int validateProtocolData(const ProtocolData* pd, int* rc);
int updateProtocolData(ProtocolData* pd, const char* parm, int32_t length, int* rc);
// True when a caller gave a block that is not the empty one.
bool protocolDataGiven(const ProtocolData* pd);

// A command under construction: the buffer is sized up front by apiCommandInit, so the
// encoders never grow it.
struct CommandBuffer {
    char* start;
    char* end; // where the next byte goes
    size_t capacity;
};

int apiCommandInit(CommandBuffer* buffer, int parameters, int numbers, int shortNumbers,
                   size_t dataLength);
void apiCommandFree(CommandBuffer* buffer);
void doCommandName(CommandBuffer* buffer, const char* name);
void doUnsignedLongParm(CommandBuffer* buffer, const char* field, unsigned long value);
void doLongParm(CommandBuffer* buffer, const char* field, long value);
void doCurrencyParm(CommandBuffer* buffer, const char* field, unsigned value);
void doStringArrayParm(CommandBuffer* buffer, const char* field, const char* text);
void doByteArrayParm(CommandBuffer* buffer, const char* field, const char* bytes, size_t length);
void doProtocolDataParms(CommandBuffer* buffer, const ProtocolData* pd);
void parseBatchParm(CommandBuffer* buffer, const unsigned long* batchNumber);
void parseAccountParm(CommandBuffer* buffer, unsigned long accountNumber);
// "PVAPIVERSION", the key and the amount when given, then the protocol data unchanged.
void parseCommonAPIParms(CommandBuffer* buffer, const Key* key, const Amount* amount,
                         const ProtocolData* pd);
void parseApproveParms(CommandBuffer* buffer, const Approve* approve);
// The frame every command shares.
// 0 when a command may go out on the session; else 16 with 308 (no session) or 332 (a reply
// is still pending).
int commandAllowed(PaymentServerSession* session, int* rc);
// Texts and descriptions must stay below PV_MAX_BLOCK_LEN bytes.
bool textFits(const char* text);
// Bytes of protocol data a command will carry.
size_t protocolDataLength(const ProtocolData* pd);
// Allocates the buffer for a command (index into kPvCommands) and writes its name; 0 or 16
// with 302.
int startCommand(CommandBuffer* buffer, int command, size_t dataLength, int* rc);
// Sends over the API port, discarding reply data, and frees the buffer.
int finishCommand(PaymentServerSession* session, CommandBuffer* buffer, int* rc);
// Sends over the API port, handing reply data to the caller, and frees the buffer.
int finishCommandWithReply(PaymentServerSession* session, CommandBuffer* buffer, int* rc,
                           ProtocolData* replyData);

// Writes one parameter header plus value into dest; returns the bytes written.
size_t encodeParm(char* dest, const char* field, const char* value, size_t length);

#endif
