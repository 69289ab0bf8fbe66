// pay about | pay stop: talk to a payment server through the payment client.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend.h"
#include "payvane/payvaneapi.h"

namespace {

struct PayTarget {
    const char* host = "localhost";
    int apiPort = -1;
    int adminPort = -1;
};

int ParsePort(const char* text) {
    char* end = nullptr;
    long port = strtol(text, &end, 10);
    return *text && !*end && port > 0 && port <= 65535 ? int(port) : -1;
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

int CmdPay(int argc, char** argv) {
    const VxCommand& command = FindCommand(argv[0]);
    if (argc < 2)
        return UsageError(command, "no action given");
    const PayAction* action = nullptr;
    for (const PayAction& a : kActions) {
        if (strcmp(a.name, argv[1]) == 0)
            action = &a;
    }
    if (!action)
        return UsageError(command, "unknown action '%s'", argv[1]);

    PayTarget target;
    for (int at = 2; at < argc; at += 2) {
        const char* option = argv[at];
        if (at + 1 >= argc)
            return UsageError(command, "%s needs a value", option);
        const char* value = argv[at + 1];
        int* port = nullptr;
        if (strcmp(option, "--host") == 0)
            target.host = value;
        else if (strcmp(option, "--api-port") == 0)
            port = &target.apiPort;
        else if (strcmp(option, "--admin-port") == 0)
            port = &target.adminPort;
        else
            return UsageError(command, "unknown option '%s'", option);
        if (port && (*port = ParsePort(value)) == -1)
            return UsageError(command, "'%s' is not a port (1 to 65535)", value);
    }
    if (target.apiPort == -1 || target.adminPort == -1)
        return UsageError(command, "both --api-port and --admin-port are needed");

    int rc = 0;
    PaymentServerSession* session =
        pvInitializeAPI(PV_MODE_SYNC, target.host, target.apiPort, target.adminPort, &rc);
    if (!session)
        return Failure("pay %s: cannot open a session with %s (code %d)", action->name, target.host,
                       rc);
    int exitCode = action->run(session, target);
    pvCloseAPI(&session);
    return exitCode;
}
