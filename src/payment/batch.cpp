// Settlement batches: open and close.
#include <string.h>

#include "pvinternal.h"
#include "pvnames.h"

// Both batch commands start alike: version, batch, account, merchant.
static int beginBatch(CommandBuffer* buffer, int command, unsigned long merchantNumber,
                      unsigned long accountNumber, const unsigned long* batchNumber,
                      size_t textLength, const ProtocolData* pd, int* rc) {
    if (protocolDataGiven(pd)) {
        if (int result = validateProtocolData(pd, rc))
            return result;
    }
    if (int result = startCommand(buffer, command, textLength + protocolDataLength(pd), rc))
        return result;
    doUnsignedLongParm(buffer, kFieldApiVersion, kPvApiVersion);
    parseBatchParm(buffer, batchNumber);
    parseAccountParm(buffer, accountNumber);
    doUnsignedLongParm(buffer, kFieldMerchantNumber, merchantNumber);
    return PV_RESULT_OK;
}

int pvBatchOpen(PaymentServerSession* session, unsigned long merchantNumber,
                unsigned long accountNumber, const unsigned long* batchNumber,
                const char* paymentType, const ProtocolData* pd, int* rc) {
    if (int result = commandAllowed(session, rc))
        return result;
    if (!textFits(paymentType))
        return failWith(rc, PV_RC_INVALID_DATA);
    CommandBuffer buffer;
    size_t typeLength = paymentType ? strlen(paymentType) : 0;
    if (int result = beginBatch(&buffer, PV_CMD_BATCH_OPEN, merchantNumber, accountNumber,
                                batchNumber, typeLength, pd, rc))
        return result;
    // The payment type always goes out, empty when none is given.
    doStringArrayParm(&buffer, kFieldPaymentType, paymentType);
    doProtocolDataParms(&buffer, pd);
    return finishCommand(session, &buffer, rc);
}

int pvBatchClose(PaymentServerSession* session, unsigned long merchantNumber,
                 unsigned long accountNumber, const unsigned long* batchNumber,
                 const ProtocolData* pd, int* rc) {
    if (int result = commandAllowed(session, rc))
        return result;
    CommandBuffer buffer;
    if (int result = beginBatch(&buffer, PV_CMD_BATCH_CLOSE, merchantNumber, accountNumber,
                                batchNumber, 0, pd, rc))
        return result;
    doProtocolDataParms(&buffer, pd);
    return finishCommand(session, &buffer, rc);
}
