// Building protocol data, and the commands' checks of protocol data and text sizes.
#include <cstdlib>

#include "pay_fixture.h"

TEST(PayProtocolData, AppendsParametersInWireFormat) {
    ProtocolData pd = {nullptr, 0};
    int rc = -1;
    EXPECT_EQ(Codes(0, 0),
              Codes(pvAddProtocolData(&pd, "CARDHOLDER      ", "Ann\0Lee", 7, &rc), rc));
    ASSERT_EQ(27, pd.length);
    EXPECT_EQ(std::string("\0\0\0\x07"
                          "CARDHOLDER      Ann\0Lee",
                          27),
              std::string(pd.data, 27));
    EXPECT_EQ(0, pvAddProtocolDataString(&pd, "EMPTY           ", "", 0, &rc));
    ASSERT_EQ(47, pd.length);
    EXPECT_EQ(std::string("\0\0\0\0EMPTY           ", 20), std::string(pd.data + 27, 20));
    free(pd.data);
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
