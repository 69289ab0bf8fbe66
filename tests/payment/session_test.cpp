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

TEST(PaySession, ArgumentsAreCheckedInOrder) {
    int rc = -1;
    EXPECT_EQ(nullptr, pvInitializeAPI(2, nullptr, 0, 0, &rc));
    EXPECT_EQ(310, rc);
    EXPECT_EQ(nullptr, pvInitializeAPI(1, nullptr, 0, 0, &rc));
    EXPECT_EQ(301, rc);
    EXPECT_EQ(nullptr, pvInitializeAPI(0, "localhost", 65536, 70000, &rc));
    EXPECT_EQ(304, rc);
    EXPECT_EQ(nullptr, pvInitializeAPI(0, "localhost", 0, 1, &rc));
    EXPECT_EQ(304, rc);
    EXPECT_EQ(nullptr, pvInitializeAPI(0, "localhost", 65535, 65536, &rc));
    EXPECT_EQ(305, rc);
    EXPECT_EQ(nullptr, pvInitializeAPI(0, "localhost", 1, 0, &rc));
    EXPECT_EQ(305, rc);
    // Looks like an address but is none: the resolver refuses it without asking anyone.
    EXPECT_EQ(nullptr, pvInitializeAPI(0, "999.999.999.999", 1, 2, &rc));
    EXPECT_EQ(306, rc);
    // No return-code variable: still refused, nothing written anywhere.
    EXPECT_EQ(nullptr, pvInitializeAPI(5, "localhost", 1, 2, nullptr));
}

TEST(PaySession, DottedAddressesNeedNoLookupAndNamesAreResolvedOnce) {
    int rc = -1;
    g_lookups = 0;
    PaymentServerSession* s = pvInitializeAPI(0, "10.1.2.3", 1, 2, &rc);
    EXPECT_NE(nullptr, s);
    EXPECT_EQ(0, rc);
    EXPECT_EQ(0, g_lookups);
    pvCloseAPI(&s);
    EXPECT_EQ(nullptr, s);

    s = pvInitializeAPI(1, "localhost", 65535, 65535, &rc);
    ASSERT_NE(nullptr, s);
    EXPECT_EQ(1, g_lookups);
    pvCloseAPI(&s);
}

TEST_F(PayServerTest, CommandsUseTheAddressResolvedAtOpening) {
    PaymentServerSession* s = Open();
    int before = g_lookups;
    int rc = -1;
    EXPECT_EQ(7, pvCancelOrder(s, nullptr, nullptr, &rc));
    EXPECT_EQ(0, pvAbout(s, &rc, nullptr));
    EXPECT_EQ(before, g_lookups);
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
