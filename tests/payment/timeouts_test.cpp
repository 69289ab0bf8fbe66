// Bounded calls: servers that never answer, answer in drips or stall, replies that claim more
// than the protocol allows, and the session's time-out itself.
#include <cstdlib>
#include <functional>
#include <vector>

#include "pay_fixture.h"

using payserver::Fault;

namespace {

// Seconds a call takes.
double Timed(const std::function<void()>& call) {
    auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

PaymentServerSession* OpenOn(int mode, int apiPort, int adminPort, int timeout) {
    int rc = -1;
    PaymentServerSession* s = pvInitializeAPI(mode, "127.0.0.1", apiPort, adminPort, &rc);
    EXPECT_NE(nullptr, s);
    EXPECT_EQ(0, pvSetTimeout(s, timeout, &rc));
    return s;
}

} // namespace

TEST(PayTimeout, DefaultsToThirtySecondsAndRefusesValuesBelowOne) {
    int rc = -1;
    PaymentServerSession* s = pvInitializeAPI(PV_MODE_SYNC, "127.0.0.1", 1, 2, &rc);
    ASSERT_NE(nullptr, s);
    int seconds = -1;
    EXPECT_EQ(Codes(0, 0), Codes(pvGetTimeout(s, &seconds, &rc), rc));
    EXPECT_EQ(30, seconds);

    // Refused values leave the time-out as it was.
    EXPECT_EQ(Codes(16, 311), Codes(pvSetTimeout(s, 0, &rc), rc));
    EXPECT_EQ(Codes(16, 311), Codes(pvSetTimeout(s, -4, &rc), rc));
    EXPECT_EQ(16, pvSetTimeout(s, -1, nullptr));
    EXPECT_EQ(0, pvGetTimeout(s, &seconds, nullptr));
    EXPECT_EQ(30, seconds);
    EXPECT_EQ(Codes(0, 0), Codes(pvSetTimeout(s, 7, &rc), rc));
    EXPECT_EQ(0, pvGetTimeout(s, &seconds, &rc));
    EXPECT_EQ(7, seconds);

    EXPECT_EQ(Codes(16, 308), Codes(pvSetTimeout(nullptr, 5, &rc), rc));
    EXPECT_EQ(Codes(16, 308), Codes(pvGetTimeout(nullptr, &seconds, &rc), rc));
    EXPECT_EQ(Codes(3, 129), Codes(pvGetTimeout(s, nullptr, &rc), rc));
    pvCloseAPI(&s);
}

TEST_F(PayServerTest, CallsToAServerThatNeverAnswersOrStallsEndAtTheTimeOut) {
    PaymentServerSession* s = Open();
    ASSERT_EQ(0, pvSetTimeout(s, 1, nullptr));
    Key key = {1, 2};
    struct Case {
        Fault fault;
        const char* what;
    } cases[] = {
        {Fault::Hold, "accepted and never answered"},
        {Fault::Stall, "half a header, then nothing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server_->SetFault(c.fault);
        int before = Descriptors();
        size_t sent = Count();
        int rc = -1;
        int result = -1;
        double took = Timed([&] { result = pvCancelOrder(s, &key, nullptr, &rc); });
        EXPECT_EQ(Codes(16, 333), Codes(result, rc));
        EXPECT_GE(took, 0.95);
        EXPECT_LT(took, 5.0);
        ProtocolData reply = {nullptr, 7};
        took = Timed([&] { result = pvAbout(s, &rc, &reply); });
        EXPECT_EQ(Codes(16, 333), Codes(result, rc));
        EXPECT_LT(took, 5.0);
        EXPECT_EQ(nullptr, reply.data);
        EXPECT_EQ(0, reply.length);
        // Both requests got through: it was the reply that was waited for.
        EXPECT_EQ(sent + 2, Count());
        server_->DropHeld();
        EXPECT_EQ(before, Descriptors());
    }
}

TEST_F(PayServerTest, WaitGivesUpOnAReplyThatStopsHalfWay) {
    PaymentServerSession* s = Open(PV_MODE_ASYNC);
    ASSERT_EQ(0, pvSetTimeout(s, 1, nullptr));
    int before = Descriptors();
    server_->SetFault(Fault::Stall);
    int rc = -1;
    EXPECT_EQ(Codes(16, 330), Codes(pvCancelOrder(s, nullptr, nullptr, &rc), rc));
    int primary = -1;
    int result = -1;
    ProtocolData reply = {nullptr, 0};
    // No limit on the wait for the reply to begin; it begins, then stops.
    double took = Timed([&] { result = pvWait(s, nullptr, &primary, &rc, &reply); });
    EXPECT_EQ(Codes(16, 333), Codes(result, rc));
    EXPECT_LT(took, 5.0);
    EXPECT_EQ(-1, primary);
    EXPECT_EQ(nullptr, reply.data);
    // Given up for good: nothing pending, the connection gone.
    EXPECT_EQ(Codes(16, 331), Codes(pvWait(s, nullptr, &primary, &rc, &reply), rc));
    server_->DropHeld();
    EXPECT_EQ(before, Descriptors());

    // The same stalled reply completed in time is collected whole.
    server_->SetReply({4, 5, "late"});
    EXPECT_EQ(Codes(16, 330), Codes(pvCancelOrder(s, nullptr, nullptr, &rc), rc));
    std::thread finish([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        server_->ReleaseHeld();
    });
    EXPECT_EQ(Codes(0, 5), Codes(pvWait(s, nullptr, &primary, &rc, &reply), rc));
    finish.join();
    EXPECT_EQ(4, primary);
    ASSERT_EQ(4, reply.length);
    EXPECT_STREQ("late", reply.data);
    free(reply.data);
}

// A byte every 200 ms keeps each single receive short; the call as a whole must still end.
TEST(PayWire, AReplyDrippedByteByByteCannotOutlastTheTimeOut) {
    int port = 0;
    int listener = LoopbackSocket(true, &port);
    int before = OpenDescriptors();
    PaymentServerSession* s = OpenOn(PV_MODE_SYNC, port, port, 1);
    ASSERT_NE(nullptr, s);
    std::thread drip([listener] {
        int peer = accept(listener, nullptr, nullptr);
        ASSERT_GE(peer, 0);
        EXPECT_NE("", ReadRequest(peer));
        const std::string reply = std::string("\0\1\0\2\0\0\0\x14", 8) + std::string(20, 'x');
        for (char byte : reply) {
            if (send(peer, &byte, 1, MSG_NOSIGNAL) != 1)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        close(peer);
    });
    int rc = -1;
    int result = -1;
    double took = Timed([&] { result = pvDepositReversal(s, nullptr, 9, nullptr, nullptr, &rc); });
    drip.join();
    EXPECT_EQ(Codes(16, 333), Codes(result, rc));
    EXPECT_GE(took, 0.95);
    EXPECT_LT(took, 3.0);
    pvCloseAPI(&s);
    EXPECT_EQ(before, OpenDescriptors());
    close(listener);
}

// A listener whose queue is full and that never accepts: the kernel drops further connection
// attempts, as a black-holed address would.
TEST(PayWire, AConnectThatIsNeverAnsweredGivesUpAtTheTimeOut) {
    int port = 0;
    int listener = LoopbackSocket(false, &port);
    ASSERT_EQ(0, listen(listener, 0));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::vector<int> fillers;
    bool full = false;
    for (int i = 0; i < 8 && !full; ++i) {
        int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        fillers.push_back(fd);
        pollfd watch = {fd, POLLOUT, 0};
        full = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 &&
               errno == EINPROGRESS && poll(&watch, 1, 300) == 0;
    }
    if (full) {
        int before = OpenDescriptors();
        PaymentServerSession* s = OpenOn(PV_MODE_SYNC, port, port, 1);
        ASSERT_NE(nullptr, s);
        int rc = -1;
        int result = -1;
        double took = Timed([&] { result = pvAbout(s, &rc, nullptr); });
        EXPECT_EQ(Codes(16, 321), Codes(result, rc));
        EXPECT_GE(took, 0.95);
        EXPECT_LT(took, 5.0);
        pvCloseAPI(&s);
        EXPECT_EQ(before, OpenDescriptors());
    }
    for (int fd : fillers)
        close(fd);
    close(listener);
    if (!full)
        GTEST_SKIP() << "this kernel completes connections beyond a full queue";
}

TEST_F(PayServerTest, RepliesClaimingABlockOrMoreAreRefusedUnread) {
    PaymentServerSession* s = Open();
    Key key = {1, 2};
    int rc = -1;
    ProtocolData reply = {nullptr, 0};
    auto receive = [&] {
        return pvReceivePayment(s, &key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &rc,
                                &reply);
    };
    int before = Descriptors();

    // The largest reply the protocol allows still comes through whole.
    const std::string largest(PV_MAX_BLOCK_LEN - 1, 'a');
    server_->SetReply({5, 6, largest});
    EXPECT_EQ(Codes(5, 6), Codes(receive(), rc));
    ASSERT_EQ(PV_MAX_BLOCK_LEN - 1, reply.length);
    EXPECT_EQ(largest, std::string(reply.data, size_t(reply.length)));
    free(reply.data);

    // One byte more is refused, though every byte of it follows.
    server_->SetReply({5, 6, largest + "b"});
    EXPECT_EQ(Codes(16, 300), Codes(receive(), rc));
    EXPECT_EQ(nullptr, reply.data);
    EXPECT_EQ(0, reply.length);
    EXPECT_EQ(Codes(16, 300), Codes(pvCancelOrder(s, &key, nullptr, &rc), rc));

    // A claim of a gigabyte with nothing behind it.
    payserver::Reply huge{5, 6, "tiny"};
    huge.claimedLength = 1000000000;
    server_->SetReply(huge);
    EXPECT_EQ(Codes(16, 300), Codes(receive(), rc));
    EXPECT_EQ(nullptr, reply.data);

    // A length with the top bit set reads as negative: no data, and the call succeeds.
    payserver::Reply negative{5, 6, "ignored"};
    negative.claimedLength = 0xFFFFFFFF;
    server_->SetReply(negative);
    EXPECT_EQ(Codes(5, 6), Codes(receive(), rc));
    EXPECT_EQ(nullptr, reply.data);
    EXPECT_EQ(before, Descriptors());
}
