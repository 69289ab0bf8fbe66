// `vxcfg pay` and the payserver program, run as a user would run them.
#include <chrono>
#include <fstream>

#include "pay_fixture.h"
#include "run_program.h"
#include "sandbox_fixture.h"

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
    EXPECT_NE(std::string::npos, r.err.find("(code 333)")) << r.err;
    EXPECT_GE(took, 0.9);
    EXPECT_LT(took, 5.0);
    for (const char* bad : {"0", "-1", "1.5", "86401", "x"}) {
        ProgramResult u = RunProgram(
            "vxcfg", {"pay", "about", "--api-port", p, "--admin-port", p, "--timeout", bad});
        EXPECT_EQ(2, u.exitCode) << bad;
        EXPECT_NE(std::string::npos, u.err.find("--timeout")) << u.err;
    }
}

TEST_F(PayServerTest, VxcfgPayTalksToTheServer) {
    std::string api = std::to_string(server_->ApiPort());
    std::string admin = std::to_string(server_->AdminPort());
    ProgramResult about =
        RunProgram("vxcfg", {"pay", "about", "--api-port", api, "--admin-port", admin});
    EXPECT_EQ(0, about.exitCode) << about.err;
    EXPECT_EQ("stand-in 2.0\n", about.out);

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

    ProgramResult gone =
        RunProgram("vxcfg", {"pay", "about", "--api-port", api, "--admin-port", admin});
    EXPECT_EQ(1, gone.exitCode);
    EXPECT_NE(std::string::npos, gone.err.find("321")) << gone.err;
}

TEST(PayServerProgram, ServesThePortsOfItsConfigurationFileUntilStopped) {
    ScratchDir scratch;
    std::string conf = scratch.Path() + "/pay_payvane.conf";
    std::string log = scratch.Path() + "/requests.log";
    int api = FreePort(), admin = FreePort();
    std::ofstream(conf) << "PAYVANE_ADMIN_PORT " << admin << "\nPAYVANE_PAY_PORT " << api << "\n";

    ProgramResult server;
    std::thread run([&] {
        server = RunProgram("payserver", {"-i", conf, "-s", "vxshop_pe_1", "--log", log,
                                          "--primary", "4", "--secondary", "5"});
    });
    int rc = -1;
    PaymentServerSession* s = pvInitializeAPI(0, "localhost", api, admin, &rc);
    ASSERT_NE(nullptr, s);
    int answered = -1;
    for (int tries = 0; tries < 500 && answered != 0; ++tries) {
        answered = pvAbout(s, &rc, nullptr);
        if (answered != 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(0, answered);
    Key key = {10, 20};
    EXPECT_EQ(Codes(4, 5), Codes(pvCancelOrder(s, &key, nullptr, &rc), rc));
    EXPECT_EQ(0, pvShutdownTill(s, &rc));
    run.join();
    pvCloseAPI(&s);

    EXPECT_EQ(0, server.exitCode) << server.err;
    EXPECT_EQ("payserver: api port " + std::to_string(api) + ", admin port " +
                  std::to_string(admin) + "\n",
              server.out);
    EXPECT_EQ("admin ABOUT PVAPIVERSION=2\n"
              "api CANCELORDER PVAPIVERSION=2 ORDERNUMBER=10 MERCHANTNUMBER=20 DELETEORDER=1\n"
              "admin STOP PVAPIVERSION=2\n",
              ReadWholeFile(log));
}
