// The controller stand-in srvrctrl as strict as the product: the administrative requests
// answered and nothing else, one controller per port. (Starting, probing and stopping it are
// the service tests' part.)
#include <gtest/gtest.h>
#include <unistd.h>

#include "daemon_fixture.h"
#include "standin_shell.h"

namespace {

// Generous: under the sanitizers on a loaded machine a CloseAll that stops members takes a while.
const int kReplyMs = 30000;
const int kGoneMs = 8000;

class ControllerTest : public DaemonTest {
protected:
    void SetUp() override {
        DaemonTest::SetUp();
        port = FreePort();
        ASSERT_GT(port, 0);
        AddService("vxshop1", port);
        dir = ConfDir("shop1");
        conf = WriteControllerConf(dir, "vxshop1", {"vxtrade", "scheduler"});
        ASSERT_TRUE(WriteWholeFile(dir + "/vxtrade.conf", "PROCESSES 2\n"));
        ASSERT_EQ(StartController(conf), 0);
    }

    std::string Ask(const char* command, bool* closed) {
        return Exchange(port, AdminRequest(command, port), kReplyMs, closed);
    }
    // Nothing left of the controller: no pid file, markers, processes or listener.

    bool Down() {
        return WaitFor(
            [&] {
                return !FileExists(dir + "/srvrctrl.pid") && MarkerPids(dir).empty() &&
                       SandboxPids().empty() && !CanConnect(port);
            },
            kGoneMs);
    }

    int port = 0;
    std::string dir, conf;
};

// Anything but the library's own request is refused, so that a change of the request's form
// fails the library's tests; a client that never finishes holds up nobody.
TEST_F(ControllerTest, RefusesWhatIsNotItsRequestAndServesTheNextClient) {
    bool closed;
    const std::pair<std::string, int> cases[] = {
        {"GET /cgi-bin/vxtrade3/Shutdown/ HTTP/1.0\r\n\r\n", 404},
        {"POST /cgi-bin/vxtrade3/CloseAll/ HTTP/1.0\r\n\r\n", 405},
        {"GET /CloseAll/\r\n\r\n", 400},
        {"GET /" + std::string(9000, 'x') + " HTTP/1.0\r\n", 400}};
    for (const auto& c : cases) {
        EXPECT_EQ(StatusOf(Exchange(port, c.first, kReplyMs, &closed)), c.second)
            << c.first.substr(0, 60);
        EXPECT_TRUE(closed);
    }
    EXPECT_EQ(Exchange(port, "GET /cgi-bin/vx", 300, &closed), "");
    EXPECT_FALSE(closed);
    EXPECT_EQ(StatusOf(Ask("ListServers", &closed)), 200);
    EXPECT_EQ(MarkerPids(dir).size(), 3u);

    // A second controller on the same port is refused and leaves nothing behind.
    std::string other = ConfDir("shop2");
    std::string err;
    EXPECT_EQ(StartController(WriteControllerConf(other, "vxshop1", {"vxtrade"}), &err), 1);
    EXPECT_NE(err.find("port " + std::to_string(port)), std::string::npos) << err;
    EXPECT_FALSE(FileExists(other + "/srvrctrl.pid"));
    EXPECT_EQ(SandboxPids().size(), 4u); // the first controller and its three members
}

// A controller whose configuration is gone (its sandbox removed) ends with its pool, so that
// no test leaves daemons behind.
TEST_F(ControllerTest, EndsWithItsPoolWhenItsConfigurationIsGone) {
    ASSERT_EQ(MarkerPids(dir).size(), 3u);
    ASSERT_EQ(unlink(conf.c_str()), 0);
    EXPECT_TRUE(Down());
}

} // namespace
