// Opening and closing sessions: argument checks in order, name resolution, null sessions.
#include <dlfcn.h>
#include <netdb.h>

#include <functional>
#include <vector>

#include "pay_fixture.h"

// Counts the client's name lookups; the real resolver still answers. Visible, so that it takes
// the place of the C library's for the client library.
static int g_lookups = 0;

extern "C" __attribute__((visibility("default"))) int
gethostbyname_r(const char* name, struct hostent* ret, char* buf, size_t buflen,
                struct hostent** result, int* h_errnop) {
    using Real = int (*)(const char*, struct hostent*, char*, size_t, struct hostent**, int*);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "gethostbyname_r"));
    ++g_lookups;
    return real(name, ret, buf, buflen, result, h_errnop);
}

TEST(PaySession, ArgumentsAreCheckedInOrderAndNamesAreResolvedOnce) {
    const struct {
        int mode;
        const char* host;
        int api, admin, rc;
    } refused[] = {
        {2, nullptr, 0, 0, 310},
        {1, nullptr, 0, 0, 301},
        {0, "localhost", 65536, 70000, 304},
        {0, "localhost", 0, 1, 304},
        {0, "localhost", 65535, 65536, 305},
        {0, "localhost", 1, 0, 305},
        // Looks like an address but is none: the resolver refuses it without asking anyone.
        {0, "999.999.999.999", 1, 2, 306},
    };
    for (const auto& r : refused) {
        int rc = -1;
        EXPECT_EQ(nullptr, pvInitializeAPI(r.mode, r.host, r.api, r.admin, &rc));
        EXPECT_EQ(r.rc, rc);
    }
    // No return-code variable: still refused, nothing written anywhere.
    EXPECT_EQ(nullptr, pvInitializeAPI(5, "localhost", 1, 2, nullptr));

    int rc = -1;
    g_lookups = 0;
    PaymentServerSession* s = pvInitializeAPI(1, "10.1.2.3", 65535, 65535, &rc);
    EXPECT_NE(nullptr, s);
    EXPECT_EQ(0, rc);
    EXPECT_EQ(0, g_lookups);
    pvCloseAPI(&s);
    EXPECT_EQ(nullptr, s);
}

// A name is looked up when the session opens, never again by its commands.
TEST_F(PayServerTest, CommandsUseTheAddressResolvedAtOpening) {
    int before = g_lookups;
    PaymentServerSession* s = Open();
    EXPECT_EQ(before + 1, g_lookups);
    int rc = -1;
    EXPECT_EQ(7, pvCancelOrder(s, nullptr, nullptr, &rc));
    EXPECT_EQ(0, pvAbout(s, &rc, nullptr));
    EXPECT_EQ(before + 1, g_lookups);
}

TEST(PaySession, ClosingToleratesNullAndEveryCommandRefusesANullSession) {
    EXPECT_EQ(0, pvCloseAPI(nullptr));
    PaymentServerSession* none = nullptr;
    EXPECT_EQ(0, pvCloseAPI(&none));

    // One of each family: payment with reply data, payment, batch, administration, wait.
    Key key = {1, 2};
    ProtocolData reply = {nullptr, 0};
    const std::vector<std::function<int(int*)>> commands = {
        [&](int* rc) {
            return pvAcceptPayment(nullptr, &key, nullptr, nullptr, nullptr, nullptr, nullptr, rc,
                                   &reply);
        },
        [&](int* rc) { return pvRefund(nullptr, &key, 1, nullptr, nullptr, nullptr, rc); },
        [&](int* rc) { return pvBatchClose(nullptr, 1, 0, nullptr, nullptr, rc); },
        [&](int* rc) { return pvShutdownTill(nullptr, rc); },
        [&](int* rc) { return pvAbout(nullptr, rc, &reply); },
        [&](int* rc) { return pvWait(nullptr, nullptr, nullptr, rc, &reply); },
    };
    for (size_t i = 0; i < commands.size(); ++i) {
        int rc = -1;
        EXPECT_EQ(16, commands[i](&rc)) << "command " << i;
        EXPECT_EQ(308, rc) << "command " << i;
        EXPECT_EQ(16, commands[i](nullptr)) << "command " << i;
    }
}
