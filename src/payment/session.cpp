// Opening and closing a payment server session.
#include <arpa/inet.h>
#include <netdb.h>
#include <stdlib.h>
#include <string.h>

#include "pvinternal.h"

void setReturnCode(int* rc, int code) {
    if (rc)
        *rc = code;
}

int failWith(int* rc, int code) {
    setReturnCode(rc, code);
    return PV_RESULT_FAILED;
}

// A dotted IPv4 address is taken as it is; anything else is looked up once, here, so that
// the commands never wait on the resolver.
static int resolveHost(const char* host, uint32_t* address) {
    struct in_addr dotted;
    if (inet_pton(AF_INET, host, &dotted) == 1) {
        *address = dotted.s_addr;
        return 1;
    }
    struct hostent entry;
    struct hostent* found = nullptr;
    char work[8192];
    int herr = 0;
    if (gethostbyname_r(host, &entry, work, sizeof work, &found, &herr) != 0 || !found ||
        found->h_addrtype != AF_INET || found->h_length != 4 || !found->h_addr_list[0])
        return 0;
    memcpy(address, found->h_addr_list[0], 4);
    return 1;
}

PaymentServerSession* pvInitializeAPI(int mode, const char* host, int apiPort, int adminPort,
                                      int* rc) {
    if (mode >= 2) {
        setReturnCode(rc, PV_RC_BAD_MODE);
        return nullptr;
    }
    if (!host) {
        setReturnCode(rc, PV_RC_NO_HOST);
        return nullptr;
    }
    if (apiPort <= 0 || apiPort > 65535) {
        setReturnCode(rc, PV_RC_BAD_API_PORT);
        return nullptr;
    }
    if (adminPort <= 0 || adminPort > 65535) {
        setReturnCode(rc, PV_RC_BAD_ADMIN_PORT);
        return nullptr;
    }
    auto* session = static_cast<PaymentServerSession*>(calloc(1, sizeof(PaymentServerSession)));
    char* copy = session ? strdup(host) : nullptr;
    if (!copy) {
        free(session);
        setReturnCode(rc, PV_RC_NO_MEMORY);
        return nullptr;
    }
    session->mode = mode;
    session->host = copy;
    session->apiPort = apiPort;
    session->adminPort = adminPort;
    session->timeoutSeconds = PV_DEFAULT_TIMEOUT_SECONDS;
    if (!resolveHost(copy, &session->address)) {
        free(copy);
        free(session);
        setReturnCode(rc, PV_RC_UNKNOWN_HOST);
        return nullptr;
    }
    setReturnCode(rc, PV_RC_OK);
    return session;
}

int pvCloseAPI(PaymentServerSession** session) {
    if (!session || !*session)
        return PV_RESULT_OK;
    // A request still pending when the caller gives up must not leave its socket behind.
    closeApiSocket(*session);
    closeAdminSocket(*session);
    free((*session)->host);
    free(*session);
    *session = nullptr;
    return PV_RESULT_OK;
}

int pvSetTimeout(PaymentServerSession* session, int seconds, int* rc) {
    if (!session)
        return failWith(rc, PV_RC_NO_SESSION);
    // Zero would fail every call at once; "no limit" is not offered, as it is what hangs.
    if (seconds <= 0)
        return failWith(rc, PV_RC_BAD_TIMEOUT);
    session->timeoutSeconds = seconds;
    setReturnCode(rc, PV_RC_OK);
    return PV_RESULT_OK;
}

int pvGetTimeout(const PaymentServerSession* session, int* seconds, int* rc) {
    if (!session)
        return failWith(rc, PV_RC_NO_SESSION);
    if (!seconds) {
        setReturnCode(rc, PV_RC_NULL_ARGUMENT);
        return PV_RESULT_MISSING;
    }
    *seconds = session->timeoutSeconds;
    setReturnCode(rc, PV_RC_OK);
    return PV_RESULT_OK;
}
