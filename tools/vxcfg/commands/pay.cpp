// pay about | pay stop: talk to a payment server through the payment client (pay ACTION NAME,
// about an instance's own payment server, is in cmd_service.cpp).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/frontend.h"
#include "payvane/payvaneapi.h"

namespace {

struct PayTarget {
    const char* host = "localhost";
    int apiPort = -1;
    int adminPort = -1;
    int timeout = PV_DEFAULT_TIMEOUT_SECONDS;
};

// A whole decimal number from lo to hi, else -1.
int ParseNumber(const char* text, long lo, long hi) {
    char* end = nullptr;
    long n = strtol(text, &end, 10);
    return *text && !*end && n >= lo && n <= hi ? int(n) : -1;
}

int PayAbout(PaymentServerSession* session, const PayTarget& target) {
    int rc = 0;
    ProtocolData reply = {nullptr, 0};
    int result = pvAbout(session, &rc, &reply);
    if (result != 0) {
        free(reply.data);
        return Failure("pay about: the payment server at %s port %d gave %d (code %d)", target.host,
                       target.adminPort, result, rc);
    }
    printf("%.*s\n", int(reply.length), reply.data ? reply.data : "");
    free(reply.data);
    return VX_EXIT_OK;
}

int PayStop(PaymentServerSession* session, const PayTarget& target) {
    int rc = 0;
    if (pvShutdownTill(session, &rc) != 0)
        return Failure("pay stop: cannot reach the payment server at %s port %d (code %d)",
                       target.host, target.adminPort, rc);
    printf("stop request sent to the payment server at %s port %d\n", target.host,
           target.adminPort);
    return VX_EXIT_OK;
}

struct PayAction {
    const char* name;
    int (*run)(PaymentServerSession* session, const PayTarget& target);
};

const PayAction kActions[] = {
    {"about", PayAbout},
    {"stop", PayStop},
};

} // namespace

int NumberOption(const VxCommand& self, const VxArgs& args, const char* name, long lo, long hi,
                 int& out) {
    const char* value = args.Value(name);
    if (!value)
        return VX_EXIT_OK;
    out = ParseNumber(value, lo, hi);
    if (out == -1)
        return UsageError(self, "%s: '%s' is refused: a number from %ld to %ld", name,
                          Shown(value).c_str(), lo, hi);
    return VX_EXIT_OK;
}

int CmdPay(const VxCommand& self, const VxArgs& args) {
    // With an instance's name the action is about that instance's payment server.
    if (args.operands.size() == 2)
        return CmdPayService(self, args);
    const PayAction* action = nullptr;
    for (const PayAction& a : kActions) {
        if (strcmp(a.name, args.operands[0]) == 0)
            action = &a;
    }
    if (!action)
        return UsageError(self, "unknown action '%s'", Shown(args.operands[0]).c_str());

    PayTarget target;
    if (const char* host = args.Value("--host"))
        target.host = host;
    if (int rc = NumberOption(self, args, "--api-port", 1, 65535, target.apiPort))
        return rc;
    if (int rc = NumberOption(self, args, "--admin-port", 1, 65535, target.adminPort))
        return rc;
    if (int rc = NumberOption(self, args, "--timeout", 1, 86400, target.timeout))
        return rc;
    if (target.apiPort == -1 || target.adminPort == -1)
        return UsageError(self, "both --api-port and --admin-port are needed");

    int rc = 0;
    PaymentServerSession* session =
        pvInitializeAPI(PV_MODE_SYNC, target.host, target.apiPort, target.adminPort, &rc);
    if (!session)
        return Failure("pay %s: cannot open a session with %s (code %d)", action->name,
                       Shown(target.host).c_str(), rc);
    // The value is within the client's range already.
    pvSetTimeout(session, target.timeout, &rc);
    int exitCode = action->run(session, target);
    pvCloseAPI(&session);
    return exitCode;
}
