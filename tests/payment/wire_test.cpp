// The exact bytes each command puts on the wire, and how replies come back.
#include <poll.h>

#include <climits>
#include <cstdlib>

#include "pay_fixture.h"

namespace {

const std::string kVersion = Parm("PVAPIVERSION    ", "2");
const std::string kKey = Parm("ORDERNUMBER     ", "1234") + Parm("MERCHANTNUMBER  ", "77");
const Key kKeyRecord = {1234, 77};

} // namespace

TEST_F(PayServerTest, CancelOrderFramesExactlyTheseBytes) {
    PaymentServerSession* s = Open();
    int rc = -1;
    EXPECT_EQ(Codes(7, 9), Codes(pvCancelOrder(s, &kKeyRecord, nullptr, &rc), rc));
    const char raw[] = "CANCELORDER    "
                       "\0\0\0\x01"
                       "PVAPIVERSION    2"
                       "\0\0\0\x04"
                       "ORDERNUMBER     1234"
                       "\0\0\0\x02"
                       "MERCHANTNUMBER  77"
                       "\0\0\0\x01"
                       "DELETEORDER     1";
    EXPECT_EQ(std::string(raw, sizeof raw - 1), Last());
}

TEST_F(PayServerTest, ReceivePaymentSendsEveryGivenPartInOrder) {
    PaymentServerSession* s = Open();
    server_->SetReply({0, 41, std::string("ok\0data", 7)});
    ProtocolData pd = {nullptr, 0};
    int rc = -1;
    ASSERT_EQ(0, pvAddProtocolData(&pd, "CUSTOMFIELD     ", "x", 1, &rc));
    Amount amount = {1999, -2, 840};
    URLSet urls = {"http://s/ok", nullptr, "", "http://s/svc"};
    OrderDescription od = {"ISO-8859-1", "two\0bytes", 9};
    unsigned long batch = 12;
    DepositRequest deposit = {&batch};
    Approve approve = {5, 1999, 0, &deposit};
    ProtocolData reply = {nullptr, 0};
    EXPECT_EQ(Codes(0, 41), Codes(pvReceivePayment(s, &kKeyRecord, &amount, &urls, "VISA", &od,
                                                   &approve, &pd, &rc, &reply),
                                  rc));
    EXPECT_EQ("RECEIVEPAYMENT " + kVersion + kKey + Parm("AMOUNT          ", "1999") +
                  Parm("AMOUNTEXP10     ", "-2") + Parm("CURRENCY        ", "840") +
                  Parm("CUSTOMFIELD     ", "x") + Parm("SUCCESSURL      ", "http://s/ok") +
                  Parm("SERVICEURL      ", "http://s/svc") + Parm("PAYMENTTYPE     ", "VISA") +
                  Parm("CHARSET         ", "ISO-8859-1") +
                  Parm("ORDERDESCRIPTION", std::string("two\0bytes", 9)) +
                  Parm("APPROVEFLAG     ", "1") + Parm("PAYMENTNUMBER   ", "5") +
                  Parm("PAYMENTAMOUNT   ", "1999") + Parm("SPLITALLOWED    ", "0") +
                  Parm("DEPOSITFLAG     ", "1") + Parm("BATCHID         ", "12"),
              Last());
    ASSERT_EQ(7, reply.length);
    EXPECT_EQ(std::string("ok\0data", 7), std::string(reply.data, 7));
    EXPECT_EQ('\0', reply.data[7]);
    free(reply.data);
    free(pd.data);

    // Nothing optional given, empty URLs included: only the version and the key.
    URLSet empty = {"", "", "", ""};
    server_->SetReply({3, 0, ""});
    reply = {reinterpret_cast<char*>(&batch), 99}; // stale values the call must clear
    EXPECT_EQ(3, pvReceivePayment(s, &kKeyRecord, nullptr, &empty, "", nullptr, nullptr, nullptr,
                                  &rc, &reply));
    EXPECT_EQ("RECEIVEPAYMENT " + kVersion + kKey, Last());
    EXPECT_EQ(nullptr, reply.data);
    EXPECT_EQ(0, reply.length);
}

TEST_F(PayServerTest, AcceptPaymentPassesProtocolDataUncheckedAndPadsTheCurrency) {
    PaymentServerSession* s = Open();
    // Not a valid parameter sequence; accepting bounds only the size.
    char odd[3] = {'a', 'b', 'c'};
    ProtocolData pd = {odd, 3};
    Amount amount = {5, 3, 36};
    Approve approve = {8, 5, -1, nullptr};
    int rc = -1;
    EXPECT_EQ(7,
              pvAcceptPayment(s, nullptr, &amount, nullptr, nullptr, &approve, &pd, &rc, nullptr));
    EXPECT_EQ("ACCEPTPAYMENT  " + kVersion + Parm("AMOUNT          ", "5") +
                  Parm("AMOUNTEXP10     ", "3") + Parm("CURRENCY        ", "036") + "abc" +
                  Parm("APPROVEFLAG     ", "1") + Parm("PAYMENTNUMBER   ", "8") +
                  Parm("PAYMENTAMOUNT   ", "5") + Parm("SPLITALLOWED    ", "-1"),
              Last());
}

TEST_F(PayServerTest, ApproveDepositAndRefundFamilies) {
    PaymentServerSession* s = Open();
    Amount amount = {100, 0, 978};
    const std::string amt = Parm("AMOUNT          ", "100") + Parm("AMOUNTEXP10     ", "0") +
                            Parm("CURRENCY        ", "978");
    unsigned long batch = 31;
    DepositRequest noBatch = {nullptr};
    DepositRequest withBatch = {&batch};
    int rc = -1;
    const std::string head = kVersion + kKey + amt, pay = Parm("PAYMENTNUMBER   ", "6"),
                      credit = Parm("CREDITNUMBER    ", "2"),
                      batchId = Parm("BATCHID         ", "31"),
                      deposit = Parm("DEPOSITFLAG     ", "1");
    const std::string split0 = Parm("SPLITALLOWED    ", "0");
    EXPECT_EQ(7, pvApprove(s, &kKeyRecord, 6, &amount, 1, &noBatch, nullptr, &rc));
    EXPECT_EQ("APPROVE        " + head + pay + Parm("SPLITALLOWED    ", "1") + deposit, Last());
    EXPECT_EQ(7, pvApprove(s, &kKeyRecord, 6, &amount, 0, &withBatch, nullptr, &rc));
    EXPECT_EQ("APPROVE        " + head + pay + split0 + deposit + batchId, Last());
    EXPECT_EQ(7, pvApproveReversal(s, &kKeyRecord, 6, &amount, 0, nullptr, &rc));
    EXPECT_EQ("APPROVEREVERSAL" + head + pay + split0, Last());
    EXPECT_EQ(7, pvDeposit(s, &kKeyRecord, 6, &amount, nullptr, nullptr, &rc));
    EXPECT_EQ("DEPOSIT        " + head + pay, Last());
    EXPECT_EQ(7, pvDepositReversal(s, &kKeyRecord, 6, &amount, nullptr, &rc));
    EXPECT_EQ("DEPOSITREVERSAL" + head + pay, Last());
    EXPECT_EQ(7, pvRefund(s, &kKeyRecord, 2, &amount, &batch, nullptr, &rc));
    EXPECT_EQ("REFUND         " + head + credit + batchId, Last());
    EXPECT_EQ(7, pvRefundReversal(s, &kKeyRecord, 2, &amount, nullptr, &rc));
    EXPECT_EQ("REFUNDREVERSAL " + head + credit, Last());
    EXPECT_EQ(9, rc);
}

TEST_F(PayServerTest, BatchCommandsPutProtocolDataLast) {
    PaymentServerSession* s = Open();
    ProtocolData pd = {nullptr, 0};
    int rc = -1;
    ASSERT_EQ(0, pvAddProtocolDataString(&pd, "TERMINAL        ", "T1", 2, &rc));
    EXPECT_EQ(7, pvBatchOpen(s, 77, 0, nullptr, nullptr, nullptr, &rc));
    EXPECT_EQ("BATCHOPEN      " + kVersion + Parm("MERCHANTNUMBER  ", "77") +
                  Parm("PAYMENTTYPE     ", ""),
              Last());
    unsigned long batch = 4;
    const std::string ids = Parm("BATCHID         ", "4") + Parm("ACCOUNTNUMBER   ", "3") +
                            Parm("MERCHANTNUMBER  ", "77"),
                      terminal = Parm("TERMINAL        ", "T1");
    EXPECT_EQ(7, pvBatchOpen(s, 77, 3, &batch, "SET", &pd, &rc));
    EXPECT_EQ("BATCHOPEN      " + kVersion + ids + Parm("PAYMENTTYPE     ", "SET") + terminal,
              Last());
    EXPECT_EQ(7, pvBatchClose(s, 77, 3, &batch, &pd, &rc));
    EXPECT_EQ("BATCHCLOSE     " + kVersion + ids + terminal, Last());
    free(pd.data);
}

TEST_F(PayServerTest, WidestNumbersAreSentInFull) {
    PaymentServerSession* s = Open();
    Key key = {ULONG_MAX, ULONG_MAX};
    Amount amount = {ULONG_MAX, LONG_MIN, UINT_MAX};
    unsigned long batch = ULONG_MAX;
    DepositRequest deposit = {&batch};
    Approve approve = {ULONG_MAX, ULONG_MAX, LONG_MIN, &deposit};
    int rc = -1;
    EXPECT_EQ(7,
              pvAcceptPayment(s, &key, &amount, nullptr, nullptr, &approve, nullptr, &rc, nullptr));
    const std::string max = "18446744073709551615", min = "-9223372036854775808";
    EXPECT_EQ("ACCEPTPAYMENT  " + kVersion + Parm("ORDERNUMBER     ", max) +
                  Parm("MERCHANTNUMBER  ", max) + Parm("AMOUNT          ", max) +
                  Parm("AMOUNTEXP10     ", min) + Parm("CURRENCY        ", "4294967295") +
                  Parm("APPROVEFLAG     ", "1") + Parm("PAYMENTNUMBER   ", max) +
                  Parm("PAYMENTAMOUNT   ", max) + Parm("SPLITALLOWED    ", min) +
                  Parm("DEPOSITFLAG     ", "1") + Parm("BATCHID         ", max),
              Last());
}

TEST_F(PayServerTest, AboutAndStopGoToTheAdministrationPort) {
    PaymentServerSession* s = Open();
    int rc = -1;
    ProtocolData reply = {nullptr, 0};
    EXPECT_EQ(Codes(0, 0), Codes(pvAbout(s, &rc, &reply), rc));
    ASSERT_EQ(12, reply.length);
    EXPECT_STREQ("stand-in 2.0", reply.data);
    free(reply.data);
    EXPECT_TRUE(server_->Requests().back().admin);
    EXPECT_EQ("ABOUT          " + kVersion, Last());

    EXPECT_EQ(Codes(0, 0), Codes(pvShutdownTill(s, &rc), rc));
    AwaitRequests(2);
    server_->Stop();
    EXPECT_TRUE(server_->StopRequested());
    EXPECT_TRUE(server_->Requests().back().admin);
    EXPECT_EQ("STOP           " + kVersion, Last());
}

// A bare listener shows the frame itself: the 4-byte length, then the command.
TEST(PayWire, RequestFrameCarriesItsLengthFirst) {
    int port = 0;
    int listener = LoopbackSocket(true, &port);
    int rc = -1;
    PaymentServerSession* s = pvInitializeAPI(PV_MODE_ASYNC, "127.0.0.1", port, 1, &rc);
    ASSERT_NE(nullptr, s);
    EXPECT_EQ(Codes(16, 330), Codes(pvDepositReversal(s, nullptr, 9, nullptr, nullptr, &rc), rc));
    int peer = accept(listener, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    std::string got;
    char buffer[512];
    pollfd watch = {peer, POLLIN, 0};
    while (got.size() < 61 && poll(&watch, 1, 2000) == 1) {
        ssize_t n = recv(peer, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        got.append(buffer, size_t(n));
    }
    EXPECT_EQ(Be32(57) + "DEPOSITREVERSAL" + kVersion + Parm("PAYMENTNUMBER   ", "9"), got);
    // Answered with a header only: no data comes back, and that is success.
    const char header[8] = {0, 1, 0, 2, 0, 0, 0, 0};
    ASSERT_EQ(8, send(peer, header, 8, 0));
    int primary = -1;
    ProtocolData reply = {nullptr, 5};
    EXPECT_EQ(0, pvWait(s, nullptr, &primary, &rc, &reply));
    EXPECT_EQ(1, primary);
    EXPECT_EQ(2, rc);
    EXPECT_EQ(nullptr, reply.data);
    EXPECT_EQ(0, reply.length);
    close(peer);
    close(listener);
    pvCloseAPI(&s);
}
