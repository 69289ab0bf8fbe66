// Opening and closing sessions (argument checks in order, name resolution, null sessions), and
// the checks of protocol data when it is built and when commands take it, and of text sizes.
// (The bytes that building appends are the wire tests'.)
#include <dlfcn.h>
#include <netdb.h>

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
        {0, "999.999.999.999", 1, 2, 306}};
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
        [&](int* rc) { return pvWait(nullptr, nullptr, nullptr, rc, &reply); }};
    for (size_t i = 0; i < commands.size(); ++i) {
        int rc = -1;
        EXPECT_EQ(16, commands[i](&rc)) << "command " << i;
        EXPECT_EQ(308, rc) << "command " << i;
        EXPECT_EQ(16, commands[i](nullptr)) << "command " << i;
    }
}

TEST(PayProtocolData, RefusesMissingArgumentsBadNamesAndOversizedValues) {
    ProtocolData pd = {nullptr, 0};
    int rc = -1;
    const char* name = "ABCDEFGHIJKLMNOP";
    EXPECT_EQ(Codes(3, 129), Codes(pvAddProtocolData(nullptr, name, "v", 1, &rc), rc));
    EXPECT_EQ(3, pvAddProtocolData(&pd, nullptr, "v", 1, &rc));
    EXPECT_EQ(Codes(3, 129), Codes(pvAddProtocolDataString(&pd, name, nullptr, 1, &rc), rc));
    EXPECT_EQ(Codes(16, 312), Codes(pvAddProtocolData(&pd, "AMOUNT", "5", 1, &rc), rc));
    EXPECT_EQ(Codes(16, 312),
              Codes(pvAddProtocolDataString(&pd, "ABCDEFGHIJKLMNOPQ", "5", 1, &rc), rc));

    std::string big(65516, 'x');
    EXPECT_EQ(Codes(16, 300), Codes(pvAddProtocolData(&pd, name, big.data(), 65516, &rc), rc));
    EXPECT_EQ(nullptr, pd.data);
    EXPECT_EQ(0, pvAddProtocolData(&pd, name, big.data(), 65515, &rc));
    EXPECT_EQ(65535, pd.length);
    free(pd.data);

    // A block whose last parameter claims 9 bytes but holds 2 is not added to.
    std::string bytes = Parm("FIRST           ", "ab") + Be32(9) + "SECOND          " + "zz";
    pd = {static_cast<char*>(malloc(bytes.size())), int32_t(bytes.size())};
    memcpy(pd.data, bytes.data(), bytes.size());
    EXPECT_EQ(Codes(16, 300), Codes(pvAddProtocolData(&pd, "THIRD           ", "c", 1, &rc), rc));
    EXPECT_EQ(int32_t(bytes.size()), pd.length);
    EXPECT_EQ(bytes, std::string(pd.data, bytes.size()));
    free(pd.data);
}

TEST_F(PayServerTest, BadProtocolDataAndLongTextsAreRefusedBeforeSending) {
    PaymentServerSession* s = Open();
    std::string bytes = Parm("FIRST           ", "ab") + Be32(9) + "SECOND          " + "zz";
    ProtocolData bad = {&bytes[0], int32_t(bytes.size())};
    ProtocolData dangling = {nullptr, 4};
    std::string huge(65536, 'p');
    ProtocolData tooBig = {&huge[0], 65536};
    OrderDescription longDescription = {"UTF-8", huge.data(), 65536};
    OrderDescription longCharset = {huge.c_str(), "d", 1};
    Key key = {1, 2};
    unsigned long batch = 1;
    int rc = -1;

    EXPECT_EQ(Codes(16, 300), Codes(pvCancelOrder(s, &key, &bad, &rc), rc));
    EXPECT_EQ(Codes(16, 300), Codes(pvDeposit(s, &key, 1, nullptr, &batch, &dangling, &rc), rc));
    EXPECT_EQ(Codes(16, 300), Codes(pvBatchClose(s, 1, 1, &batch, &bad, &rc), rc));
    EXPECT_EQ(Codes(16, 300), Codes(pvReceivePayment(s, &key, nullptr, nullptr, huge.c_str(),
                                                     nullptr, nullptr, nullptr, &rc, nullptr),
                                    rc));
    EXPECT_EQ(Codes(16, 300),
              Codes(pvReceivePayment(s, &key, nullptr, nullptr, nullptr, &longDescription, nullptr,
                                     nullptr, &rc, nullptr),
                    rc));
    EXPECT_EQ(Codes(16, 300), Codes(pvAcceptPayment(s, &key, nullptr, nullptr, &longCharset,
                                                    nullptr, nullptr, &rc, nullptr),
                                    rc));
    EXPECT_EQ(Codes(16, 300), Codes(pvAcceptPayment(s, &key, nullptr, nullptr, nullptr, nullptr,
                                                    &tooBig, &rc, nullptr),
                                    rc));
    EXPECT_EQ(Codes(16, 300), Codes(pvBatchOpen(s, 1, 0, nullptr, huge.c_str(), nullptr, &rc), rc));
    EXPECT_EQ(0u, Count());

    // The empty block counts as no protocol data at all.
    ProtocolData empty = {nullptr, 0};
    EXPECT_EQ(7, pvCancelOrder(s, &key, &empty, &rc));
    EXPECT_EQ(1u, Count());
}
