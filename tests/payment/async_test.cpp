// Asynchronous mode: a pending request refuses other commands and is cleared by a failed read
// or by closing (collecting a whole reply is in the wire and time-out tests).
#include <cstdlib>

#include "pay_fixture.h"

using payserver::Fault;

TEST_F(PayServerTest, PendingRequestRefusesOtherCommandsAndSurvivesATimeOut) {
    PaymentServerSession* s = Open(PV_MODE_ASYNC);
    server_->SetFault(Fault::Hold);
    server_->SetReply({2, 3, ""});
    int rc = -1;
    EXPECT_EQ(Codes(16, 330), Codes(pvCancelOrder(s, nullptr, nullptr, &rc), rc));
    AwaitRequests(1);

    struct timeval zero = {0, 0};
    int primary = -1;
    EXPECT_EQ(Codes(16, 333), Codes(pvWait(s, &zero, &primary, &rc, nullptr), rc));
    struct timeval negative = {0, -1};
    EXPECT_EQ(Codes(16, 311), Codes(pvWait(s, &negative, &primary, &rc, nullptr), rc));

    // Still pending: every command is refused without being sent.
    EXPECT_EQ(Codes(16, 332), Codes(pvDeposit(s, nullptr, 1, nullptr, nullptr, nullptr, &rc), rc));
    EXPECT_EQ(Codes(16, 332), Codes(pvAbout(s, &rc, nullptr), rc));
    EXPECT_EQ(Codes(16, 332), Codes(pvShutdownTill(s, &rc), rc));
    EXPECT_EQ(1u, Count());

    // A time-out far beyond any real wait still waits for the reply, however it is counted.
    server_->SetFault(Fault::None);
    std::thread answerLater([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        server_->ReleaseHeld();
    });
    struct timeval patient = {time_t(1) << 61, 0};
    EXPECT_EQ(0, pvWait(s, &patient, &primary, &rc, nullptr));
    answerLater.join();
    EXPECT_EQ(2, primary);
    EXPECT_EQ(3, rc);
    // Free again; administrative commands are answered at once, even in this mode.
    EXPECT_EQ(0, pvAbout(s, &rc, nullptr));
}

TEST_F(PayServerTest, FailedReadsAndClosingClearThePendingRequest) {
    PaymentServerSession* s = Open(PV_MODE_ASYNC);
    int before = Descriptors();
    server_->SetFault(Fault::ShortData);
    int rc = -1;
    EXPECT_EQ(Codes(16, 330), Codes(pvCancelOrder(s, nullptr, nullptr, &rc), rc));
    ProtocolData reply = {nullptr, 0};
    EXPECT_EQ(Codes(16, 323), Codes(pvWait(s, nullptr, nullptr, &rc, &reply), rc));
    EXPECT_EQ(nullptr, reply.data);
    EXPECT_EQ(Codes(16, 331), Codes(pvWait(s, nullptr, nullptr, &rc, &reply), rc));
    EXPECT_EQ(before, Descriptors());

    // A session closed while its request is pending takes the connection with it.
    server_->SetFault(Fault::Hold);
    PaymentServerSession* t =
        pvInitializeAPI(PV_MODE_ASYNC, "localhost", server_->ApiPort(), server_->AdminPort(), &rc);
    ASSERT_NE(nullptr, t);
    before = Descriptors();
    EXPECT_EQ(Codes(16, 330), Codes(pvCancelOrder(t, nullptr, nullptr, &rc), rc));
    AwaitRequests(2);
    EXPECT_EQ(before + 2, OpenDescriptors()); // the client's socket and the held one
    pvCloseAPI(&t);
    server_->DropHeld();
    EXPECT_EQ(before, Descriptors());
}
