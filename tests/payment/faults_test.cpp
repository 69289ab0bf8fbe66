// Servers that misbehave or are not there: each failure gives its code and leaves no socket.
#include "pay_fixture.h"

using payserver::Fault;

TEST_F(PayServerTest, BrokenRepliesEndEarlyWithoutLeakingSockets) {
    PaymentServerSession* s = Open();
    Key key = {1, 2};
    struct Case {
        Fault fault;
        const char* what;
    } cases[] = {
        {Fault::CloseEarly, "closed without a reply"},
        {Fault::ShortHeader, "header cut short"},
        {Fault::ShortData, "less data than claimed"},
    };
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

    // A server that has stopped refuses as well.
    s = Open();
    server_->Stop();
    before = OpenDescriptors();
    EXPECT_EQ(Codes(16, 321), Codes(pvRefund(s, &key, 1, nullptr, nullptr, nullptr, &rc), rc));
    EXPECT_EQ(before, OpenDescriptors());
}
