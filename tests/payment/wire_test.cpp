// The exact bytes each command puts on the wire, and how replies come back. (The
// administrative requests are the front end's tests.)
#include <climits>

#include "pay_fixture.h"

namespace {

const std::string kVersion = Parm("PVAPIVERSION    ", "2");
const std::string kKey = Parm("ORDERNUMBER     ", "1234") + Parm("MERCHANTNUMBER  ", "77");
const Key kKeyRecord = {1234, 77};

} // namespace

// Each command's parameters in their order, optional ones only when given; the reply data.
TEST_F(PayServerTest, EachCommandSendsItsParametersInOrder) {
    PaymentServerSession* s = Open();
    int rc = -1;
    Amount amount = {100, 0, 978};
    const std::string amt = Parm("AMOUNT          ", "100") + Parm("AMOUNTEXP10     ", "0") +
                            Parm("CURRENCY        ", "978");
    unsigned long batch = 31, batch4 = 4;
    DepositRequest noBatch = {nullptr};
    DepositRequest withBatch = {&batch};
    // Protocol data built by the caller: a value with a NUL in it, then an empty one.
    ProtocolData terminal = {nullptr, 0};
    ASSERT_EQ(Codes(0, 0), Codes(pvAddProtocolData(&terminal, "TERMINAL        ",
                                                   "T\0"
                                                   "1",
                                                   3, &rc),
                                 rc));
    ASSERT_EQ(0, pvAddProtocolDataString(&terminal, "EMPTY           ", "", 0, &rc));
    // Not a valid parameter sequence; accepting bounds only the size.
    char odd[3] = {'a', 'b', 'c'};
    ProtocolData unchecked = {odd, 3};
    Amount small = {5, 3, 36};
    Approve approve = {8, 5, -1, nullptr};
    Key widest = {ULONG_MAX, ULONG_MAX};
    Amount widestAmount = {ULONG_MAX, LONG_MIN, UINT_MAX};
    unsigned long widestBatch = ULONG_MAX;
    DepositRequest widestDeposit = {&widestBatch};
    Approve widestApprove = {ULONG_MAX, ULONG_MAX, LONG_MIN, &widestDeposit};
    // Every part of a payment given, a description with a NUL included; then nothing
    // optional, empty URLs included.
    URLSet urls = {"http://s/ok", nullptr, "", "http://s/svc"}, noUrls = {"", "", "", ""};
    OrderDescription od = {"ISO-8859-1", "two\0bytes", 9};
    Approve approveAll = {5, 100, 0, &withBatch};
    const std::string head = kVersion + kKey + amt, pay = Parm("PAYMENTNUMBER   ", "6"),
                      credit = Parm("CREDITNUMBER    ", "2"),
                      batchId = Parm("BATCHID         ", "31"),
                      deposit = Parm("DEPOSITFLAG     ", "1"),
                      split0 = Parm("SPLITALLOWED    ", "0"),
                      ids = Parm("BATCHID         ", "4") + Parm("ACCOUNTNUMBER   ", "3") +
                            Parm("MERCHANTNUMBER  ", "77"),
                      t1 = Parm("TERMINAL        ", std::string("T\0"
                                                                "1",
                                                                3)) +
                           Parm("EMPTY           ", ""),
                      max = "18446744073709551615", min = "-9223372036854775808";
    const struct {
        std::function<int()> call;
        std::string sent;
    } cases[] = {
        {[&] {
             return pvReceivePayment(s, &kKeyRecord, &amount, &urls, "VISA", &od, &approveAll,
                                     &terminal, &rc, nullptr);
         },
         "RECEIVEPAYMENT " + head + t1 + Parm("SUCCESSURL      ", "http://s/ok") +
             Parm("SERVICEURL      ", "http://s/svc") + Parm("PAYMENTTYPE     ", "VISA") +
             Parm("CHARSET         ", "ISO-8859-1") +
             Parm("ORDERDESCRIPTION", std::string("two\0bytes", 9)) +
             Parm("APPROVEFLAG     ", "1") + Parm("PAYMENTNUMBER   ", "5") +
             Parm("PAYMENTAMOUNT   ", "100") + split0 + deposit + batchId},
        {[&] {
             return pvReceivePayment(s, &kKeyRecord, nullptr, &noUrls, "", nullptr, nullptr,
                                     nullptr, &rc, nullptr);
         },
         "RECEIVEPAYMENT " + kVersion + kKey},
        {[&] { return pvCancelOrder(s, &kKeyRecord, nullptr, &rc); },
         "CANCELORDER    " + kVersion + kKey + Parm("DELETEORDER     ", "1")},
        {[&] { return pvApprove(s, &kKeyRecord, 6, &amount, 1, &noBatch, nullptr, &rc); },
         "APPROVE        " + head + pay + Parm("SPLITALLOWED    ", "1") + deposit},
        {[&] { return pvApprove(s, &kKeyRecord, 6, &amount, 0, &withBatch, nullptr, &rc); },
         "APPROVE        " + head + pay + split0 + deposit + batchId},
        {[&] { return pvApproveReversal(s, &kKeyRecord, 6, &amount, 0, nullptr, &rc); },
         "APPROVEREVERSAL" + head + pay + split0},
        {[&] { return pvDeposit(s, &kKeyRecord, 6, &amount, nullptr, nullptr, &rc); },
         "DEPOSIT        " + head + pay},
        {[&] { return pvDepositReversal(s, &kKeyRecord, 6, &amount, nullptr, &rc); },
         "DEPOSITREVERSAL" + head + pay},
        {[&] { return pvRefund(s, &kKeyRecord, 2, &amount, &batch, nullptr, &rc); },
         "REFUND         " + head + credit + batchId},
        {[&] { return pvRefundReversal(s, &kKeyRecord, 2, &amount, nullptr, &rc); },
         "REFUNDREVERSAL " + head + credit},
        {[&] { return pvBatchOpen(s, 77, 0, nullptr, nullptr, nullptr, &rc); },
         "BATCHOPEN      " + kVersion + Parm("MERCHANTNUMBER  ", "77") +
             Parm("PAYMENTTYPE     ", "")},
        {[&] { return pvBatchOpen(s, 77, 3, &batch4, "SET", &terminal, &rc); },
         "BATCHOPEN      " + kVersion + ids + Parm("PAYMENTTYPE     ", "SET") + t1},
        {[&] { return pvBatchClose(s, 77, 3, &batch4, &terminal, &rc); },
         "BATCHCLOSE     " + kVersion + ids + t1},
        // Protocol data passed on as it is; the currency padded to three digits.
        {[&] {
             return pvAcceptPayment(s, nullptr, &small, nullptr, nullptr, &approve, &unchecked, &rc,
                                    nullptr);
         },
         "ACCEPTPAYMENT  " + kVersion + Parm("AMOUNT          ", "5") +
             Parm("AMOUNTEXP10     ", "3") + Parm("CURRENCY        ", "036") + "abc" +
             Parm("APPROVEFLAG     ", "1") + Parm("PAYMENTNUMBER   ", "8") +
             Parm("PAYMENTAMOUNT   ", "5") + Parm("SPLITALLOWED    ", "-1")},
        // The widest numbers are sent in full.
        {[&] {
             return pvAcceptPayment(s, &widest, &widestAmount, nullptr, nullptr, &widestApprove,
                                    nullptr, &rc, nullptr);
         },
         "ACCEPTPAYMENT  " + kVersion + Parm("ORDERNUMBER     ", max) +
             Parm("MERCHANTNUMBER  ", max) + Parm("AMOUNT          ", max) +
             Parm("AMOUNTEXP10     ", min) + Parm("CURRENCY        ", "4294967295") +
             Parm("APPROVEFLAG     ", "1") + Parm("PAYMENTNUMBER   ", max) +
             Parm("PAYMENTAMOUNT   ", max) + Parm("SPLITALLOWED    ", min) +
             Parm("DEPOSITFLAG     ", "1") + Parm("BATCHID         ", max)}};
    for (const auto& c : cases) {
        rc = -1;
        EXPECT_EQ(Codes(7, 9), Codes(c.call(), rc)) << c.sent.substr(0, 15);
        EXPECT_EQ(c.sent, Last());
    }
    free(terminal.data);

    // Reply data comes back whole, a NUL in it and one after it; a call without data clears
    // what the reply held before.
    ProtocolData reply = {nullptr, 0};
    auto receive = [&] {
        return pvReceivePayment(s, &kKeyRecord, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, &rc, &reply);
    };
    server_->SetReply({0, 41, std::string("ok\0data", 7)});
    EXPECT_EQ(Codes(0, 41), Codes(receive(), rc));
    ASSERT_EQ(7, reply.length);
    EXPECT_EQ(std::string("ok\0data", 8), std::string(reply.data, 8));
    free(reply.data);
    server_->SetReply({3, 0, ""});
    reply = {reinterpret_cast<char*>(&batch), 99};
    EXPECT_EQ(3, receive());
    EXPECT_EQ(nullptr, reply.data);
    EXPECT_EQ(0, reply.length);
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
    std::string got = ReadRequest(peer);
    const char raw[] = "\0\0\0\x39"
                       "DEPOSITREVERSAL"
                       "\0\0\0\x01"
                       "PVAPIVERSION    2"
                       "\0\0\0\x01"
                       "PAYMENTNUMBER   9";
    EXPECT_EQ(std::string(raw, sizeof raw - 1), got);
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
