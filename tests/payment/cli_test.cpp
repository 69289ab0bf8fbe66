// `vxcfg pay` and the payserver program, run as a user would run them.
#include <fstream>

#include "pay_fixture.h"
#include "run_program.h"
#include "sandbox_fixture.h"

namespace {

int FreePort() {
    int port = 0;
    close(LoopbackSocket(false, &port));
    return port;
}

} // namespace

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
    char dir[] = "/tmp/vxroot-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    std::string conf = std::string(dir) + "/pay_payvane.conf";
    std::string log = std::string(dir) + "/requests.log";
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
    remove(conf.c_str());
    remove(log.c_str());
    rmdir(dir);
}
