// Servers that misbehave or are not there, and bounded calls: each failure gives its code and
// leaves no socket; servers that answer in drips or stall, replies that claim more than the
// protocol allows, the session's time-out itself, and a pending asynchronous request
// (collecting a whole reply is in the wire tests); `vxcfg pay`, run as a user would run it: the
// administrative requests it sends, and a server that never answers.
#include <chrono>

#include "pay_fixture.h"

using payserver::Fault;

namespace {

PaymentServerSession* OpenOn(int apiPort, int adminPort, int timeout) {
    int rc = -1;
    PaymentServerSession* s = pvInitializeAPI(PV_MODE_SYNC, "127.0.0.1", apiPort, adminPort, &rc);
    EXPECT_NE(nullptr, s);
    EXPECT_EQ(0, pvSetTimeout(s, timeout, &rc));
    return s;
}

} // namespace

// That a time-out set takes effect is what the bounded calls below show.
TEST(PayTimeout, DefaultsToThirtySecondsAndRefusesValuesBelowOne) {
    int rc = -1, seconds = -1;
    PaymentServerSession* s = pvInitializeAPI(PV_MODE_SYNC, "127.0.0.1", 1, 2, &rc);
    ASSERT_NE(nullptr, s);
    // Refused values leave the time-out as it was.
    EXPECT_EQ(Codes(16, 311), Codes(pvSetTimeout(s, 0, &rc), rc));
    EXPECT_EQ(Codes(16, 311), Codes(pvSetTimeout(s, -4, &rc), rc));
    EXPECT_EQ(16, pvSetTimeout(s, -1, nullptr));
    EXPECT_EQ(Codes(0, 0), Codes(pvGetTimeout(s, &seconds, &rc), rc));
    EXPECT_EQ(30, seconds);

    EXPECT_EQ(Codes(16, 308), Codes(pvSetTimeout(nullptr, 5, &rc), rc));
    EXPECT_EQ(Codes(16, 308), Codes(pvGetTimeout(nullptr, &seconds, &rc), rc));
    EXPECT_EQ(Codes(3, 129), Codes(pvGetTimeout(s, nullptr, &rc), rc));
    pvCloseAPI(&s);
}

TEST_F(PayServerTest, WaitGivesUpOnAReplyThatStopsHalfWay) {
    PaymentServerSession* s = Open(PV_MODE_ASYNC);
    ASSERT_EQ(0, pvSetTimeout(s, 1, nullptr));
    int before = Descriptors();
    server_->SetFault(Fault::Stall);
    int rc = -1, primary = -1;
    EXPECT_EQ(Codes(16, 330), Codes(pvCancelOrder(s, nullptr, nullptr, &rc), rc));
    ProtocolData reply = {nullptr, 0};
    // No limit on the wait for the reply to begin; it begins, then stops.
    EXPECT_EQ(Codes(16, 333), TimedCodes(0, 5.0, [&](int* code) {
                  return pvWait(s, nullptr, &primary, code, &reply);
              }));
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
    PaymentServerSession* s = OpenOn(port, port, 1);
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
    EXPECT_EQ(Codes(16, 333), TimedCodes(0.95, 3.0, [&](int* rc) {
                  return pvDepositReversal(s, nullptr, 9, nullptr, nullptr, rc);
              }));
    drip.join();
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
        PaymentServerSession* s = OpenOn(port, port, 1);
        EXPECT_EQ(Codes(16, 321),
                  TimedCodes(0.95, 5.0, [&](int* rc) { return pvAbout(s, rc, nullptr); }));
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

    // A claim of a gigabyte with nothing behind it; a length with the top bit set reads as
    // negative: no data, and the call succeeds.
    const std::pair<int64_t, std::pair<int, int>> lies[] = {{1000000000, {16, 300}},
                                                            {0xFFFFFFFF, {5, 6}}};
    for (const auto& lie : lies) {
        payserver::Reply lying{5, 6, "tiny"};
        lying.claimedLength = lie.first;
        server_->SetReply(lying);
        EXPECT_EQ(lie.second, Codes(receive(), rc)) << lie.first;
        EXPECT_EQ(nullptr, reply.data);
    }
    EXPECT_EQ(before, Descriptors());
}

TEST_F(PayServerTest, BrokenRepliesEndEarlyWithoutLeakingSockets) {
    PaymentServerSession* s = Open();
    Key key = {1, 2};
    struct Case {
        Fault fault;
        const char* what;
    } cases[] = {{Fault::CloseEarly, "closed without a reply"},
                 {Fault::ShortHeader, "header cut short"},
                 {Fault::ShortData, "less data than claimed"}};
    server_->SetReply({5, 6, "some reply data"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server_->SetFault(c.fault);
        int before = Descriptors();
        int rc = -1;
        ProtocolData reply = {nullptr, 0};
        EXPECT_EQ(Codes(16, 323), Codes(pvCancelOrder(s, &key, nullptr, &rc), rc));
        EXPECT_EQ(Codes(16, 323), Codes(pvReceivePayment(s, &key, nullptr, nullptr, nullptr,
                                                         nullptr, nullptr, nullptr, &rc, &reply),
                                        rc));
        EXPECT_EQ(nullptr, reply.data);
        EXPECT_EQ(Codes(16, 323), Codes(pvAbout(s, &rc, &reply), rc));
        EXPECT_EQ(before, Descriptors());
    }
}

TEST_F(PayServerTest, RefusedConnectionsFailCleanly) {
    // A bound socket that does not listen: connecting to its port is refused.
    int closedPort = 0;
    int blocker = LoopbackSocket(false, &closedPort);

    int before = Descriptors();
    int rc = -1;
    PaymentServerSession* s = pvInitializeAPI(0, "127.0.0.1", closedPort, closedPort, &rc);
    ASSERT_NE(nullptr, s);
    Key key = {1, 2};
    EXPECT_EQ(Codes(16, 321), Codes(pvCancelOrder(s, &key, nullptr, &rc), rc));
    ProtocolData reply = {nullptr, 0};
    EXPECT_EQ(Codes(16, 321), Codes(pvAbout(s, &rc, &reply), rc));
    EXPECT_EQ(Codes(16, 321), Codes(pvShutdownTill(s, &rc), rc));
    pvCloseAPI(&s);
    EXPECT_EQ(before, Descriptors());
    close(blocker);
}

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

// (A failed read clears the pending request as a time-out does: the time-out tests.)
TEST_F(PayServerTest, ClosingASessionWithAPendingRequestTakesItsConnection) {
    server_->SetFault(Fault::Hold);
    int rc = -1;
    PaymentServerSession* t =
        pvInitializeAPI(PV_MODE_ASYNC, "localhost", server_->ApiPort(), server_->AdminPort(), &rc);
    ASSERT_NE(nullptr, t);
    int before = Descriptors();
    EXPECT_EQ(Codes(16, 330), Codes(pvCancelOrder(t, nullptr, nullptr, &rc), rc));
    AwaitRequests(1);
    EXPECT_EQ(before + 2, OpenDescriptors()); // the client's socket and the held one
    pvCloseAPI(&t);
    server_->DropHeld();
    EXPECT_EQ(before, Descriptors());
}

// A server that takes the connection and never answers: vxcfg gives up at --timeout.
TEST(VxcfgPay, GivesUpOnASilentServerAtTheTimeOut) {
    int port = 0;
    int silent = LoopbackSocket(true, &port);
    std::string p = std::to_string(port);
    auto start = std::chrono::steady_clock::now();
    ProgramResult r =
        RunProgram("vxcfg", {"pay", "about", "--api-port", p, "--admin-port", p, "--timeout", "1"});
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(silent);
    EXPECT_EQ(1, r.exitCode);
    EXPECT_TRUE(Has(r.err, "(code 333)"));
    EXPECT_GE(took, 0.9);
    EXPECT_LT(took, 5.0);
    for (const char* bad : {"0", "-1", "1.5", "86401", "x"}) {
        ProgramResult u = RunProgram(
            "vxcfg", {"pay", "about", "--api-port", p, "--admin-port", p, "--timeout", bad});
        EXPECT_EQ(2, u.exitCode) << bad;
        EXPECT_TRUE(Has(u.err, "--timeout"));
    }
}

// About and stop go to the administration port, as the bytes below.
TEST_F(PayServerTest, VxcfgPayTalksToTheServer) {
    const std::string version = Parm("PVAPIVERSION    ", "2");
    std::string api = std::to_string(server_->ApiPort());
    std::string admin = std::to_string(server_->AdminPort());
    ProgramResult about =
        RunProgram("vxcfg", {"pay", "about", "--api-port", api, "--admin-port", admin});
    EXPECT_EQ(0, about.exitCode) << about.err;
    EXPECT_EQ("stand-in 2.0\n", about.out);
    EXPECT_TRUE(server_->Requests().back().admin);
    EXPECT_EQ("ABOUT          " + version, Last());

    EXPECT_EQ(2, RunProgram("vxcfg", {"pay"}).exitCode);
    EXPECT_EQ(2, RunProgram("vxcfg", {"pay", "restart", "--api-port", api}).exitCode);
    EXPECT_EQ(2, RunProgram("vxcfg", {"pay", "about", "--api-port", api}).exitCode);
    EXPECT_EQ(
        2,
        RunProgram("vxcfg", {"pay", "about", "--api-port", "0", "--admin-port", admin}).exitCode);
    EXPECT_EQ(1u, Count()); // none of the wrong calls reached the server

    ProgramResult stop = RunProgram(
        "vxcfg", {"pay", "stop", "--host", "127.0.0.1", "--api-port", api, "--admin-port", admin});
    EXPECT_EQ(0, stop.exitCode) << stop.err;
    AwaitRequests(2);
    server_->Stop();
    EXPECT_TRUE(server_->StopRequested());
    EXPECT_TRUE(server_->Requests().back().admin);
    EXPECT_EQ("STOP           " + version, Last());

    ProgramResult gone =
        RunProgram("vxcfg", {"pay", "about", "--api-port", api, "--admin-port", admin});
    EXPECT_EQ(1, gone.exitCode);
    EXPECT_TRUE(Has(gone.err, "321"));
}
