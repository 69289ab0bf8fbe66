// Payment commands over the API port: receive, accept, cancel, approve, deposit, refund and
// their reversals.
#include <string.h>

#include "pvinternal.h"
#include "pvnames.h"

static size_t textLength(const char* text) {
    return text ? strlen(text) : 0;
}

static bool descriptionFits(const OrderDescription* od) {
    if (!od)
        return true;
    if (!textFits(od->charset) || od->length < 0 || od->length >= PV_MAX_BLOCK_LEN)
        return false;
    return od->length == 0 || od->description;
}

static size_t descriptionLength(const OrderDescription* od) {
    return od ? textLength(od->charset) + (size_t)od->length : 0;
}

// "PAYMENTTYPE", "CHARSET" and "ORDERDESCRIPTION", each only when it has content.
static void parseOrderParms(CommandBuffer* buffer, const char* paymentType,
                            const OrderDescription* od) {
    if (paymentType && *paymentType)
        doStringArrayParm(buffer, kFieldPaymentType, paymentType);
    if (!od)
        return;
    if (od->charset && *od->charset)
        doStringArrayParm(buffer, kFieldCharset, od->charset);
    if (od->length != 0)
        doByteArrayParm(buffer, kFieldOrderDescription, od->description, (size_t)od->length);
}

static void parseOptionalApprove(CommandBuffer* buffer, const Approve* approve) {
    if (!approve)
        return;
    doLongParm(buffer, kFieldApproveFlag, 1);
    parseApproveParms(buffer, approve);
}

int pvReceivePayment(PaymentServerSession* session, const Key* key, const Amount* amount,
                     const URLSet* urls, const char* paymentType,
                     const OrderDescription* description, const Approve* approve,
                     const ProtocolData* pd, int* rc, ProtocolData* reply) {
    clearReply(reply);
    if (int result = commandAllowed(session, rc))
        return result;
    if (!textFits(paymentType) || !descriptionFits(description))
        return failWith(rc, PV_RC_INVALID_DATA);
    if (protocolDataGiven(pd)) {
        if (int result = validateProtocolData(pd, rc))
            return result;
    }
    const char* const urlFields[4] = {kFieldSuccessUrl, kFieldFailureUrl, kFieldCancelUrl,
                                      kFieldServiceUrl};
    const char* urlTexts[4] = {nullptr, nullptr, nullptr, nullptr};
    if (urls) {
        urlTexts[0] = urls->successURL;
        urlTexts[1] = urls->failureURL;
        urlTexts[2] = urls->cancelURL;
        urlTexts[3] = urls->serviceURL;
    }
    size_t data = textLength(paymentType) + descriptionLength(description) + protocolDataLength(pd);
    for (const char* url : urlTexts)
        data += textLength(url);

    CommandBuffer buffer;
    if (int result = startCommand(&buffer, PV_CMD_RECEIVE_PAYMENT, data, rc))
        return result;
    parseCommonAPIParms(&buffer, key, amount, pd);
    for (int i = 0; i < 4; ++i) {
        if (urlTexts[i] && *urlTexts[i])
            doStringArrayParm(&buffer, urlFields[i], urlTexts[i]);
    }
    parseOrderParms(&buffer, paymentType, description);
    parseOptionalApprove(&buffer, approve);
    return finishCommandWithReply(session, &buffer, rc, reply);
}

int pvAcceptPayment(PaymentServerSession* session, const Key* key, const Amount* amount,
                    const char* paymentType, const OrderDescription* description,
                    const Approve* approve, const ProtocolData* pd, int* rc, ProtocolData* reply) {
    clearReply(reply);
    if (int result = commandAllowed(session, rc))
        return result;
    if (!textFits(paymentType) || !descriptionFits(description))
        return failWith(rc, PV_RC_INVALID_DATA);
    // Accepting only bounds the block's size; its parameters are passed on as they are.
    if (pd && pd->length >= PV_MAX_BLOCK_LEN)
        return failWith(rc, PV_RC_INVALID_DATA);
    size_t data = textLength(paymentType) + descriptionLength(description) + protocolDataLength(pd);

    CommandBuffer buffer;
    if (int result = startCommand(&buffer, PV_CMD_ACCEPT_PAYMENT, data, rc))
        return result;
    parseCommonAPIParms(&buffer, key, amount, pd);
    parseOrderParms(&buffer, paymentType, description);
    parseOptionalApprove(&buffer, approve);
    return finishCommandWithReply(session, &buffer, rc, reply);
}

// Session checks, protocol-data validation and the common parameters of the commands that
// carry no texts.
static int beginKeyedCommand(CommandBuffer* buffer, int command, PaymentServerSession* session,
                             const Key* key, const Amount* amount, const ProtocolData* pd,
                             int* rc) {
    if (int result = commandAllowed(session, rc))
        return result;
    if (protocolDataGiven(pd)) {
        if (int result = validateProtocolData(pd, rc))
            return result;
    }
    if (int result = startCommand(buffer, command, protocolDataLength(pd), rc))
        return result;
    parseCommonAPIParms(buffer, key, amount, pd);
    return PV_RESULT_OK;
}

int pvCancelOrder(PaymentServerSession* session, const Key* key, const ProtocolData* pd, int* rc) {
    CommandBuffer buffer;
    if (int result = beginKeyedCommand(&buffer, PV_CMD_CANCEL_ORDER, session, key, nullptr, pd, rc))
        return result;
    doLongParm(&buffer, kFieldDeleteOrder, 1);
    return finishCommand(session, &buffer, rc);
}

int pvApprove(PaymentServerSession* session, const Key* key, unsigned long paymentNumber,
              const Amount* amount, long splitAllowed, const DepositRequest* deposit,
              const ProtocolData* pd, int* rc) {
    CommandBuffer buffer;
    if (int result = beginKeyedCommand(&buffer, PV_CMD_APPROVE, session, key, amount, pd, rc))
        return result;
    doUnsignedLongParm(&buffer, kFieldPaymentNumber, paymentNumber);
    doLongParm(&buffer, kFieldSplitAllowed, splitAllowed);
    if (deposit) {
        doLongParm(&buffer, kFieldDepositFlag, 1);
        parseBatchParm(&buffer, deposit->batchNumber);
    }
    return finishCommand(session, &buffer, rc);
}

int pvApproveReversal(PaymentServerSession* session, const Key* key, unsigned long paymentNumber,
                      const Amount* amount, long splitAllowed, const ProtocolData* pd, int* rc) {
    CommandBuffer buffer;
    if (int result =
            beginKeyedCommand(&buffer, PV_CMD_APPROVE_REVERSAL, session, key, amount, pd, rc))
        return result;
    doUnsignedLongParm(&buffer, kFieldPaymentNumber, paymentNumber);
    doLongParm(&buffer, kFieldSplitAllowed, splitAllowed);
    return finishCommand(session, &buffer, rc);
}

// Deposit, refund and their reversals differ only in the command and the number's field.
static int sendNumbered(int command, const char* numberField, PaymentServerSession* session,
                        const Key* key, unsigned long number, const Amount* amount,
                        const unsigned long* batchNumber, const ProtocolData* pd, int* rc) {
    CommandBuffer buffer;
    if (int result = beginKeyedCommand(&buffer, command, session, key, amount, pd, rc))
        return result;
    doUnsignedLongParm(&buffer, numberField, number);
    parseBatchParm(&buffer, batchNumber);
    return finishCommand(session, &buffer, rc);
}

int pvDeposit(PaymentServerSession* session, const Key* key, unsigned long paymentNumber,
              const Amount* amount, const unsigned long* batchNumber, const ProtocolData* pd,
              int* rc) {
    return sendNumbered(PV_CMD_DEPOSIT, kFieldPaymentNumber, session, key, paymentNumber, amount,
                        batchNumber, pd, rc);
}

int pvDepositReversal(PaymentServerSession* session, const Key* key, unsigned long paymentNumber,
                      const Amount* amount, const ProtocolData* pd, int* rc) {
    return sendNumbered(PV_CMD_DEPOSIT_REVERSAL, kFieldPaymentNumber, session, key, paymentNumber,
                        amount, nullptr, pd, rc);
}

int pvRefund(PaymentServerSession* session, const Key* key, unsigned long creditNumber,
             const Amount* amount, const unsigned long* batchNumber, const ProtocolData* pd,
             int* rc) {
    return sendNumbered(PV_CMD_REFUND, kFieldCreditNumber, session, key, creditNumber, amount,
                        batchNumber, pd, rc);
}

int pvRefundReversal(PaymentServerSession* session, const Key* key, unsigned long creditNumber,
                     const Amount* amount, const ProtocolData* pd, int* rc) {
    return sendNumbered(PV_CMD_REFUND_REVERSAL, kFieldCreditNumber, session, key, creditNumber,
                        amount, nullptr, pd, rc);
}
