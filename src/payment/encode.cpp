// The command buffer and the parameter encoders.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "pvinternal.h"
#include "pvnames.h"

// Room reserved per number: the widest decimal text of a 64-bit long, and one spare.
static const size_t kNumberRoom = 21;
// Name, frame slack and two spare parameter headers, as the buffer has always been sized.
static const size_t kCommandBase = PV_COMMAND_NAME_LEN + 28;

int apiCommandInit(CommandBuffer* buffer, int parameters, int numbers, int shortNumbers,
                   size_t dataLength) {
    size_t capacity = kCommandBase + PV_PARM_HEADER_LEN * (size_t)(parameters + 2) +
                      kNumberRoom * (size_t)(numbers + shortNumbers) + dataLength;
    buffer->start = static_cast<char*>(malloc(capacity));
    buffer->end = buffer->start;
    buffer->capacity = buffer->start ? capacity : 0;
    return buffer->start ? 0 : -PV_RC_NO_MEMORY;
}

void apiCommandFree(CommandBuffer* buffer) {
    free(buffer->start);
    buffer->start = buffer->end = nullptr;
    buffer->capacity = 0;
}

// The sizing above covers every command; running past it is a fault in this library.
static char* reserve(CommandBuffer* buffer, size_t bytes) {
    if ((size_t)(buffer->end - buffer->start) + bytes > buffer->capacity)
        abort();
    char* at = buffer->end;
    buffer->end += bytes;
    return at;
}

size_t encodeParm(char* dest, const char* field, const char* value, size_t length) {
    putLongValue(reinterpret_cast<unsigned char*>(dest), (uint32_t)length);
    memcpy(dest + 4, field, PV_FIELD_NAME_LEN);
    if (length)
        memcpy(dest + PV_PARM_HEADER_LEN, value, length);
    return PV_PARM_HEADER_LEN + length;
}

void doCommandName(CommandBuffer* buffer, const char* name) {
    memcpy(reserve(buffer, PV_COMMAND_NAME_LEN), name, PV_COMMAND_NAME_LEN);
}

void doByteArrayParm(CommandBuffer* buffer, const char* field, const char* bytes, size_t length) {
    encodeParm(reserve(buffer, PV_PARM_HEADER_LEN + length), field, bytes, length);
}

void doStringArrayParm(CommandBuffer* buffer, const char* field, const char* text) {
    doByteArrayParm(buffer, field, text, text ? strlen(text) : 0);
}

void doUnsignedLongParm(CommandBuffer* buffer, const char* field, unsigned long value) {
    char text[kNumberRoom + 1];
    int n = snprintf(text, sizeof text, "%lu", value);
    doByteArrayParm(buffer, field, text, (size_t)n);
}

void doLongParm(CommandBuffer* buffer, const char* field, long value) {
    char text[kNumberRoom + 1];
    int n = snprintf(text, sizeof text, "%ld", value);
    doByteArrayParm(buffer, field, text, (size_t)n);
}

void doCurrencyParm(CommandBuffer* buffer, const char* field, unsigned value) {
    char text[kNumberRoom + 1];
    int n = snprintf(text, sizeof text, "%03u", value);
    doByteArrayParm(buffer, field, text, (size_t)n);
}

void doProtocolDataParms(CommandBuffer* buffer, const ProtocolData* pd) {
    if (!pd || !pd->data || pd->length <= 0)
        return;
    memcpy(reserve(buffer, (size_t)pd->length), pd->data, (size_t)pd->length);
}

void parseBatchParm(CommandBuffer* buffer, const unsigned long* batchNumber) {
    if (batchNumber)
        doUnsignedLongParm(buffer, kFieldBatchId, *batchNumber);
}

void parseAccountParm(CommandBuffer* buffer, unsigned long accountNumber) {
    if (accountNumber != 0)
        doUnsignedLongParm(buffer, kFieldAccountNumber, accountNumber);
}

void parseCommonAPIParms(CommandBuffer* buffer, const Key* key, const Amount* amount,
                         const ProtocolData* pd) {
    doUnsignedLongParm(buffer, kFieldApiVersion, kPvApiVersion);
    if (key) {
        doUnsignedLongParm(buffer, kFieldOrderNumber, key->orderNumber);
        doUnsignedLongParm(buffer, kFieldMerchantNumber, key->merchantNumber);
    }
    if (amount) {
        doUnsignedLongParm(buffer, kFieldAmount, amount->amount);
        doLongParm(buffer, kFieldAmountExp10, amount->exp10);
        doCurrencyParm(buffer, kFieldCurrency, amount->currency);
    }
    doProtocolDataParms(buffer, pd);
}

void parseApproveParms(CommandBuffer* buffer, const Approve* approve) {
    doUnsignedLongParm(buffer, kFieldPaymentNumber, approve->paymentNumber);
    doUnsignedLongParm(buffer, kFieldPaymentAmount, approve->paymentAmount);
    doLongParm(buffer, kFieldSplitAllowed, approve->splitAllowed);
    if (approve->deposit) {
        doLongParm(buffer, kFieldDepositFlag, 1);
        parseBatchParm(buffer, approve->deposit->batchNumber);
    }
}
