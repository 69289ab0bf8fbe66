// The product's payment server program stand-in, probed and stopped through the payment
// client as the library does.
#include <cstdlib>
#include <gtest/gtest.h>

#include "daemon_fixture.h"
#include "payvane/payvaneapi.h"
#include "standin_shell.h"

namespace {

const int kGoneMs = 8000;

} // namespace

class PaymentServerTest : public DaemonTest {
protected:
    void SetUp() override {
        DaemonTest::SetUp();
        dir = ConfDir("shop1");
        payPort = FreePort();
        do
            adminPort = FreePort();
        while (adminPort == payPort);
        conf = dir + "/pay_payvane.conf";
        ASSERT_TRUE(WriteWholeFile(conf, "SERVICE_NAME_PREFIX vxshop1_pe\n"
                                         "EXEC /opt/Orvellvndx/Vendrix3/bin/pay_server\n"
                                         "PROCESSES 1\n"
                                         "PAYVANE_ADMIN_PORT " +
                                             std::to_string(adminPort) + "\nPAYVANE_PAY_PORT " +
                                             std::to_string(payPort) +
                                             "\nPAYVANE_ERROR_PORT 1\nMS_LOGLEVEL 0\n"));
    }

    // The command line the library runs (the joined path has two slashes before the file).
    ShellResult Start(const std::string& confPath, const std::string& name = "vxshop1_pe_1") {
        return RunShell(ProductBin() + "/server -i " + confPath + " -s " + name);
    }

    // The identification text, or "" when the server does not answer.
    std::string About() {
        int rc = 0;
        PaymentServerSession* session = pvInitializeAPI(0, "localhost", payPort, adminPort, &rc);
        if (!session)
            return "";
        ProtocolData reply = {nullptr, 0};
        std::string text;
        if (pvAbout(session, &rc, &reply) == 0 && reply.data)
            text.assign(reply.data, size_t(reply.length));
        free(reply.data);
        pvCloseAPI(&session);
        return text;
    }

    std::string dir, conf;
    int payPort = 0, adminPort = 0;
};

TEST_F(PaymentServerTest, AnswersAboutAndStopsOnShutdown) {
    ShellResult r = Start(dir + "//pay_payvane.conf");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(About(), "Payvane Payment Server (stand-in) vxshop1_pe_1");
    std::vector<int> running = SandboxPids();
    ASSERT_EQ(running.size(), 1u);
    EXPECT_EQ(ExeOf(running[0]), ProductBin() + "/server");

    int rc = -1;
    PaymentServerSession* session = pvInitializeAPI(0, "localhost", payPort, adminPort, &rc);
    ASSERT_NE(session, nullptr) << rc;
    EXPECT_EQ(pvShutdownTill(session, &rc), 0) << rc;
    pvCloseAPI(&session);
    EXPECT_TRUE(WaitFor([&] { return SandboxPids().empty(); }, kGoneMs));
    EXPECT_EQ(About(), "");
    EXPECT_FALSE(CanConnect(payPort) || CanConnect(adminPort));
}

TEST_F(PaymentServerTest, RefusesBadStartsAndKeepsTheRunningServer) {
    ASSERT_EQ(Start(conf).exitCode, 0);
    ShellResult twice = Start(conf);
    EXPECT_EQ(twice.exitCode, 1);
    EXPECT_NE(twice.err.find("port"), std::string::npos) << twice.err;

    std::string noPorts = dir + "/noports.conf", badPort = dir + "/badport.conf";
    ASSERT_TRUE(WriteWholeFile(noPorts, "PAYVANE_PAY_PORT 4008\n"));
    ASSERT_TRUE(WriteWholeFile(badPort, "PAYVANE_PAY_PORT 70000\nPAYVANE_ADMIN_PORT 4007\n"));
    for (const std::string& path : {noPorts, badPort, dir + "/missing.conf"}) {
        ShellResult r = Start(path);
        EXPECT_EQ(r.exitCode, 1) << path;
        EXPECT_NE(r.err.find("server: "), std::string::npos) << r.err;
    }
    EXPECT_EQ(Start(conf, "'vx;reboot'").exitCode, 1);
    for (const char* shape : {"", " -i", " -s x -x y", " -i a -s b c"}) {
        ShellResult r = RunShell(ProductBin() + "/server" + shape);
        EXPECT_EQ(r.exitCode, 2) << shape;
    }
    EXPECT_EQ(SandboxPids().size(), 1u);
    EXPECT_NE(About(), "");
    // The server ends with its configuration.
    ASSERT_EQ(unlink(conf.c_str()), 0);
    EXPECT_TRUE(WaitFor([&] { return SandboxPids().empty(); }, kGoneMs));
}
