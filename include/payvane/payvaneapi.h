/* Client of the Payvane payment server.
 *
 * A session names the server's host, its API port (payment and batch commands) and its
 * administration port (stop, identification). Every command travels over a fresh TCP
 * connection. Usable from C and C++; every function has C linkage.
 *
 * Results: 0 success, 3 a required argument is missing, 16 failure (the reason is stored in
 * the caller's return-code variable), or the primary code of the server's reply. Reply data
 * handed to the caller is allocated with malloc and released by the caller with free.
 *
 * Time-outs: no call waits without limit. Each command runs under one overall deadline, the
 * session's time-out (PV_DEFAULT_TIMEOUT_SECONDS unless changed with pvSetTimeout), counted
 * from its start and covering connecting, sending and reading the whole reply. When it passes
 * the call fails with 16 and PV_RC_WAIT_TIMEOUT, or PV_RC_CONNECT_FAILED when the connection
 * could not be made in time; no socket is left open. An asynchronous command is bounded the
 * same way up to the sending; pvWait's own time-out bounds the wait for the reply to begin,
 * and the session's time-out then bounds the reading of it.
 *
 * A reply claiming PV_MAX_BLOCK_LEN data bytes or more is refused with 16 and
 * PV_RC_INVALID_DATA, without reading or allocating for the claim.
 */
#ifndef PAYVANE_PAYVANEAPI_H
#define PAYVANE_PAYVANEAPI_H

#include <stdint.h>
#include <sys/time.h>

#define PV_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* Session modes. */
#define PV_MODE_SYNC 0
#define PV_MODE_ASYNC 1

/* Results of the exported functions (besides a reply's primary code). */
#define PV_RESULT_OK 0
#define PV_RESULT_MISSING 3
#define PV_RESULT_FAILED 16

/* Codes stored into the caller's return-code variable. */
#define PV_RC_OK 0
#define PV_RC_NULL_ARGUMENT 129
#define PV_RC_INVALID_DATA 300
#define PV_RC_NO_HOST 301
#define PV_RC_NO_MEMORY 302
#define PV_RC_BAD_API_PORT 304
#define PV_RC_BAD_ADMIN_PORT 305
#define PV_RC_UNKNOWN_HOST 306
#define PV_RC_NO_SESSION 308
#define PV_RC_BAD_MODE 310
#define PV_RC_BAD_TIMEOUT 311 /* negative pvWait time-out, or pvSetTimeout value of 0 or less */
#define PV_RC_BAD_FIELD_NAME 312
#define PV_RC_NO_SOCKET 320
#define PV_RC_CONNECT_FAILED 321
#define PV_RC_SEND_FAILED 322
#define PV_RC_SHORT_REPLY 323
#define PV_RC_WAIT_FAILED 324
#define PV_RC_REQUEST_PENDING 330
#define PV_RC_NOTHING_PENDING 331
#define PV_RC_SESSION_BUSY 332
#define PV_RC_WAIT_TIMEOUT 333 /* time-out expired without (a whole) reply */

/* Wire widths. */
#define PV_COMMAND_NAME_LEN 15
#define PV_FIELD_NAME_LEN 16
#define PV_PARM_HEADER_LEN 20
/* Texts, descriptions and protocol-data blocks stay below this size. */
#define PV_MAX_BLOCK_LEN 65536

/* Upper bound on each call of a new session, in seconds (see pvSetTimeout). */
#define PV_DEFAULT_TIMEOUT_SECONDS 30

/* Opaque: created by pvInitializeAPI, released by pvCloseAPI. */
typedef struct PaymentServerSession PaymentServerSession;

/* Extra parameters in wire format, built with pvAddProtocolData; also carries reply data.
 * A null pointer with length 0 is the empty block. */
typedef struct ProtocolData {
    char* data;
    int32_t length;
} ProtocolData;

typedef struct Key {
    unsigned long orderNumber;
    unsigned long merchantNumber;
} Key;

typedef struct Amount {
    unsigned long amount;
    long exp10;        /* power-of-ten exponent */
    unsigned currency; /* numeric currency code, sent as three digits */
} Amount;

typedef struct DepositRequest {
    const unsigned long* batchNumber; /* null: no batch number */
} DepositRequest;

typedef struct Approve {
    unsigned long paymentNumber;
    unsigned long paymentAmount;
    long splitAllowed;
    const DepositRequest* deposit; /* null: no deposit */
} Approve;

typedef struct URLSet {
    const char* successURL;
    const char* failureURL;
    const char* cancelURL;
    const char* serviceURL;
} URLSet;

typedef struct OrderDescription {
    const char* charset;
    const char* description; /* bytes, not necessarily terminated */
    long length;
} OrderDescription;

/* Session. */
/* Opens a session with the server at host (a dotted IPv4 address or a name to resolve). Null,
 * with the code in *rc, for a mode other than sync or async, no host, a port out of range, no
 * memory or an unknown host. */
PV_API PaymentServerSession* pvInitializeAPI(int mode, const char* host, int apiPort, int adminPort,
                                             int* rc);
/* Frees the session and sets *session to null; a null argument or session is ignored. 0. */
PV_API int pvCloseAPI(PaymentServerSession** session);
/* Collects the reply of a pending asynchronous request. The time-out bounds the wait for the
 * reply to begin (null: no limit); when it passes, 16 with PV_RC_WAIT_TIMEOUT and the request
 * stays pending. Once the reply has begun, reading it is bounded by the session's time-out; a
 * reply that stalls gives 16 with PV_RC_WAIT_TIMEOUT too, but then the connection is closed
 * and nothing is pending any more. */
PV_API int pvWait(PaymentServerSession* session, const struct timeval* timeout, int* primary,
                  int* rc, ProtocolData* reply);
/* Sets the upper bound, in whole seconds, on every later call of the session (a pending
 * request's reply included). 0 on success; 16 with PV_RC_NO_SESSION for a null session, with
 * PV_RC_BAD_TIMEOUT for a value of 0 or less (the time-out stays as it was). */
PV_API int pvSetTimeout(PaymentServerSession* session, int seconds, int* rc);
/* Stores the session's time-out in *seconds. 0 on success; 16 with PV_RC_NO_SESSION for a null
 * session; 3 with PV_RC_NULL_ARGUMENT for a null seconds pointer. */
PV_API int pvGetTimeout(const PaymentServerSession* session, int* seconds, int* rc);

/* Protocol data: appends one parameter (a 16-character field name and the value bytes). */
PV_API int pvAddProtocolData(ProtocolData* pd, const char* name, const void* value, int32_t length,
                             int* rc);
/* The same for a text value. */
PV_API int pvAddProtocolDataString(ProtocolData* pd, const char* name, const char* value,
                                   int32_t length, int* rc);

/* Payment commands (API port). Each sends the key, the amount where it takes one, its own
 * parameters and the caller's protocol data; a parameter whose pointer is null (or text empty)
 * is not sent. Result: the reply's primary code, or 3 / 16 with the code in *rc. */
PV_API int pvReceivePayment(PaymentServerSession* session, const Key* key, const Amount* amount,
                            const URLSet* urls, const char* paymentType,
                            const OrderDescription* description, const Approve* approve,
                            const ProtocolData* pd, int* rc, ProtocolData* reply);
PV_API int pvAcceptPayment(PaymentServerSession* session, const Key* key, const Amount* amount,
                           const char* paymentType, const OrderDescription* description,
                           const Approve* approve, const ProtocolData* pd, int* rc,
                           ProtocolData* reply);
PV_API int pvCancelOrder(PaymentServerSession* session, const Key* key, const ProtocolData* pd,
                         int* rc);
PV_API int pvApprove(PaymentServerSession* session, const Key* key, unsigned long paymentNumber,
                     const Amount* amount, long splitAllowed, const DepositRequest* deposit,
                     const ProtocolData* pd, int* rc);
PV_API int pvApproveReversal(PaymentServerSession* session, const Key* key,
                             unsigned long paymentNumber, const Amount* amount, long splitAllowed,
                             const ProtocolData* pd, int* rc);
PV_API int pvDeposit(PaymentServerSession* session, const Key* key, unsigned long paymentNumber,
                     const Amount* amount, const unsigned long* batchNumber, const ProtocolData* pd,
                     int* rc);
PV_API int pvDepositReversal(PaymentServerSession* session, const Key* key,
                             unsigned long paymentNumber, const Amount* amount,
                             const ProtocolData* pd, int* rc);
PV_API int pvRefund(PaymentServerSession* session, const Key* key, unsigned long creditNumber,
                    const Amount* amount, const unsigned long* batchNumber, const ProtocolData* pd,
                    int* rc);
PV_API int pvRefundReversal(PaymentServerSession* session, const Key* key,
                            unsigned long creditNumber, const Amount* amount,
                            const ProtocolData* pd, int* rc);

/* Settlement batches (API port). "ACCOUNTNUMBER" is sent when the account number is not 0,
 * "BATCHID" when the batch number pointer is not null. */
PV_API int pvBatchOpen(PaymentServerSession* session, unsigned long merchantNumber,
                       unsigned long accountNumber, const unsigned long* batchNumber,
                       const char* paymentType, const ProtocolData* pd, int* rc);
PV_API int pvBatchClose(PaymentServerSession* session, unsigned long merchantNumber,
                        unsigned long accountNumber, const unsigned long* batchNumber,
                        const ProtocolData* pd, int* rc);

/* Administration port. pvShutdownTill asks the server to stop and reads no reply; pvAbout
 * returns the server's identification as reply data. */
PV_API int pvShutdownTill(PaymentServerSession* session, int* rc);
PV_API int pvAbout(PaymentServerSession* session, int* rc, ProtocolData* reply);

#ifdef __cplusplus
}
#endif

#endif
