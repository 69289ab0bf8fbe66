// `vxcfg pay`, run as a user would run it: the administrative requests it sends, and a server
// that never answers.
#include <chrono>

#include "pay_fixture.h"

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
