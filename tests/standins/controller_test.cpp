// The controller stand-in srvrctrl: started as the library starts it, asked over its port as
// the library asks it, and stopped.
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

#include "daemon_fixture.h"
#include "standin_shell.h"

namespace {

// Generous: under the sanitizers on a loaded machine a CloseAll that stops members takes a while.
const int kReplyMs = 30000;
const int kGoneMs = 8000;

} // namespace

class ControllerTest : public DaemonTest {
protected:
    void SetUp() override {
        DaemonTest::SetUp();
        port = FreePort();
        ASSERT_GT(port, 0);
        AddService("vxshop1", port);
        dir = ConfDir("shop1");
        conf = WriteControllerConf(dir, "vxshop1", {"vxtrade", "scheduler"});
        ASSERT_TRUE(WriteWholeFile(dir + "/vxtrade.conf", "SERVICE_NAME_PREFIX vxshop1\n"
                                                          "PROCESSES 2\n"));
    }

    std::string Ask(const char* command, bool* closed) {
        return Exchange(port, AdminRequest(command, port), kReplyMs, closed);
    }

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

TEST_F(ControllerTest, StartsItsPoolAnswersListServersAndClosesAll) {
    std::string err;
    ASSERT_EQ(StartController(conf, &err), 0) << err;
    int controller = PidIn(dir + "/srvrctrl.pid");
    EXPECT_EQ(ReadWholeFile(dir + "/srvrctrl.pid"), std::to_string(controller) + "\n");
    EXPECT_EQ(ExeOf(controller), ProductBin() + "/srvrctrl");
    // Two vxtrade processes (its PROCESSES) and one scheduler (its file is missing).
    std::vector<int> members = MarkerPids(dir);
    ASSERT_EQ(members.size(), 3u);
    for (int pid : members) {
        EXPECT_TRUE(Alive(pid)) << pid;
        EXPECT_EQ(ReadWholeFile(dir + "/" + std::to_string(pid) + ".vxpid"), "");
    }
    bool closed;
    std::string list = Ask("ListServers", &closed);
    EXPECT_TRUE(closed);
    EXPECT_EQ(StatusOf(list), 200) << list;
    std::string body = BodyOf(list);
    EXPECT_NE(list.find("Content-Length: " + std::to_string(body.size()) + "\r\n"),
              std::string::npos)
        << list;
    for (int pid : members)
        EXPECT_NE(body.find(std::to_string(pid) + " "), std::string::npos) << body;
    EXPECT_EQ(LinesWith(WordsOf(body), (dir + "/vxtrade").c_str()).size(), 2u) << body;
    EXPECT_EQ(LinesWith(WordsOf(body), (dir + "/scheduler").c_str()).size(), 1u) << body;

    std::string close = Ask("CloseAll", &closed);
    EXPECT_EQ(StatusOf(close), 200) << close;
    // Everything was down before the answer came.
    EXPECT_FALSE(FileExists(dir + "/srvrctrl.pid"));
    EXPECT_TRUE(MarkerPids(dir).empty());
    EXPECT_TRUE(Down());
}

TEST_F(ControllerTest, OneControllerPerPortAndNoneWithoutItsService) {
    ASSERT_EQ(StartController(conf), 0);
    int first = PidIn(dir + "/srvrctrl.pid");
    std::string other = ConfDir("shop2");
    std::string err;
    EXPECT_EQ(StartController(WriteControllerConf(other, "vxshop1", {"vxtrade"}), &err), 1);
    EXPECT_NE(err.find("port " + std::to_string(port)), std::string::npos) << err;
    EXPECT_FALSE(FileExists(other + "/srvrctrl.pid"));
    EXPECT_TRUE(MarkerPids(other).empty());
    EXPECT_EQ(PidIn(dir + "/srvrctrl.pid"), first);

    const char* unknownService = "vxnosuch";
    std::string third = ConfDir("shop3");
    ASSERT_TRUE(WriteWholeFile(third + "/noservice.conf", "CONTROL_POOL_CONFIG a,b\n"));
    const std::string bad[] = {WriteControllerConf(third, unknownService, {"vxtrade"}),
                               third + "/noservice.conf", third + "/missing.conf"};
    for (const std::string& path : bad) {
        ShellResult r = RunShell(ProductBin() + "/srvrctrl -i " + path);
        EXPECT_EQ(r.exitCode, 1) << path;
        EXPECT_NE(r.err.find("srvrctrl: "), std::string::npos) << r.err;
    }
    for (const char* shape : {"", "-i", "-x ", "-i a b"}) {
        ShellResult r = RunShell(ProductBin() + "/srvrctrl " + shape);
        EXPECT_EQ(r.exitCode, 2) << shape;
    }
    EXPECT_FALSE(FileExists(third + "/srvrctrl.pid"));
    EXPECT_EQ(SandboxPids().size(), 4u); // the first controller and its three members
}

TEST_F(ControllerTest, RefusesWhatIsNotItsRequestAndServesTheNextClient) {
    ASSERT_EQ(StartController(conf), 0);
    bool closed;
    struct Case {
        std::string request;
        int status;
    };
    const Case cases[] = {
        {"GET /cgi-bin/vxtrade3/Shutdown/ HTTP/1.0\r\n\r\n", 404},
        {"POST /cgi-bin/vxtrade3/CloseAll/ HTTP/1.0\r\n\r\n", 405},
        {"hello\r\n\r\n", 400},
        {"GET /CloseAll/\r\n\r\n", 400},
        {"GET /" + std::string(9000, 'x') + " HTTP/1.0\r\n", 400},
    };
    for (const Case& c : cases) {
        std::string reply = Exchange(port, c.request, kReplyMs, &closed);
        EXPECT_EQ(StatusOf(reply), c.status) << c.request.substr(0, 60);
        EXPECT_TRUE(closed);
    }
    // Half a request, never finished, while another client is served.
    std::string partial = Exchange(port, "GET /cgi-bin/vx", 300, &closed);
    EXPECT_EQ(partial, "");
    EXPECT_FALSE(closed);
    EXPECT_EQ(StatusOf(Ask("ListServers", &closed)), 200);
    // The command is the target's last segment, with or without the trailing slash.
    EXPECT_EQ(StatusOf(Exchange(port, "GET /ListServers HTTP/1.1\r\n\r\n", kReplyMs, &closed)),
              200);
    EXPECT_EQ(MarkerPids(dir).size(), 3u);
}

TEST_F(ControllerTest, FaultSwitchesOfTheConfigurationDirectory) {
    ASSERT_EQ(StartController(conf), 0);
    bool closed;
    ASSERT_TRUE(WriteWholeFile(dir + "/srvrctrl.silent", ""));
    const int kSilenceMs = 500;
    EXPECT_EQ(Exchange(port, AdminRequest("ListServers", port), kSilenceMs, &closed), "");
    EXPECT_FALSE(closed);
    unlink((dir + "/srvrctrl.silent").c_str());

    ASSERT_TRUE(WriteWholeFile(dir + "/srvrctrl.empty", ""));
    std::string empty = Ask("ListServers", &closed);
    EXPECT_EQ(StatusOf(empty), 200);
    EXPECT_EQ(BodyOf(empty), "");
    unlink((dir + "/srvrctrl.empty").c_str());

    ASSERT_TRUE(WriteWholeFile(dir + "/srvrctrl.nostop", ""));
    EXPECT_EQ(StatusOf(Ask("CloseAll", &closed)), 200);
    EXPECT_EQ(StatusOf(Ask("ListServers", &closed)), 200);
    EXPECT_EQ(MarkerPids(dir).size(), 3u);
    unlink((dir + "/srvrctrl.nostop").c_str());
    EXPECT_EQ(StatusOf(Ask("CloseAll", &closed)), 200);
    EXPECT_TRUE(Down());

    // A controller that dies at once leaves its pid file and nothing else.
    ASSERT_TRUE(WriteWholeFile(dir + "/srvrctrl.die", ""));
    ASSERT_EQ(StartController(conf), 0);
    int dead = PidIn(dir + "/srvrctrl.pid");
    EXPECT_GT(dead, 0);
    EXPECT_TRUE(WaitFor([&] { return !Alive(dead); }, kGoneMs));
    EXPECT_TRUE(MarkerPids(dir).empty());
    EXPECT_FALSE(CanConnect(port));
}

TEST_F(ControllerTest, StopsOnSignalAndOnLosingItsConfiguration) {
    ASSERT_EQ(StartController(conf), 0);
    kill(PidIn(dir + "/srvrctrl.pid"), SIGTERM);
    EXPECT_TRUE(Down());

    ASSERT_EQ(StartController(conf), 0);
    ASSERT_EQ(unlink(conf.c_str()), 0);
    EXPECT_TRUE(Down());
}

TEST_F(ControllerTest, MembersLiveWhileTheirMarkersExist) {
    ASSERT_EQ(StartController(conf), 0);
    // Killed the way a forced stop kills it: the members stay until their markers go.
    int controller = PidIn(dir + "/srvrctrl.pid");
    kill(controller, SIGKILL);
    ASSERT_TRUE(WaitFor([&] { return !Alive(controller); }, kGoneMs));
    std::vector<int> members = MarkerPids(dir);
    ASSERT_EQ(members.size(), 3u);
    for (int pid : members)
        EXPECT_TRUE(Alive(pid)) << pid;
    ASSERT_EQ(unlink((dir + "/" + std::to_string(members[0]) + ".vxpid").c_str()), 0);
    EXPECT_TRUE(WaitFor([&] { return !Alive(members[0]); }, kGoneMs));
    EXPECT_TRUE(Alive(members[1]) && Alive(members[2]));
    // The process list names each member after its configuration.
    ShellResult ps = RunShell("ps -e");
    EXPECT_EQ(LinesWith(ps.lines, " vxtrade").size() + LinesWith(ps.lines, " scheduler").size(), 2u)
        << ps.out;
}
