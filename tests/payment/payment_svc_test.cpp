// The payment server of an instance as the service functions see it: probed by its
// identification on the instance's payment ports, stopped by its shut-down request, started
// in a login shell of the database owner, and the status lines of each. (A start that
// succeeds is the service tests' part, with the stand-in program.)
#include <chrono>
#include <random>

#include "pay_fixture.h"

namespace {

class PaymentServiceTest : public SandboxTest {
protected:
    PaymentServiceTest() { sandboxOptions.standins = false; }

    void SetUp() override {
        SandboxTest::SetUp();
        // The sandbox's su only notes what it was asked to run.
        NotingSu();
        instance = Instance("shop");
        instance.MSProc = 2;
        instance.PVHost = "localhost";
    }

    // A stand-in payment server on the instance's ports (API MS_PORT + MS_PROC + 4,
    // administration MS_PORT + MS_PROC + 3), at a base port found free.
    std::unique_ptr<payserver::Server>
    StartServer(payserver::Fault fault = payserver::Fault::None) {
        std::mt19937 random(static_cast<unsigned>(getpid()));
        for (int attempt = 0; attempt < 50; ++attempt) {
            int base = 20000 + static_cast<int>(random() % 30000);
            payserver::Config config;
            config.apiPort = base + instance.MSProc + 4;
            config.adminPort = base + instance.MSProc + 3;
            config.fault = fault;
            auto server = std::make_unique<payserver::Server>(config);
            std::string error;
            if (server->Start(&error)) {
                instance.MSPort = base;
                return server;
            }
        }
        ADD_FAILURE() << "no free pair of ports";
        return nullptr;
    }

    // Ports where nothing listens: those of a server that has been stopped.
    void PortsOfNoServer() {
        auto server = StartServer();
        ASSERT_TRUE(server);
        server->Stop();
    }

    MSInfo instance;
};

TEST_F(PaymentServiceTest, ActiveWhenTheServerIdentifiesItselfAndStartedOrStoppedOnce) {
    auto server = StartServer();
    ASSERT_TRUE(server);
    EXPECT_EQ(1, SysIsPSSvcActive(instance));
    EXPECT_EQ(1, ICIsPSSvcActive(instance));
    ASSERT_FALSE(server->Requests().empty());
    EXPECT_TRUE(server->Requests()[0].admin) << "the identification goes to the admin port";

    MSInfo elsewhere = instance;
    elsewhere.MSProc = instance.MSProc + 10;
    EXPECT_EQ(0, SysIsPSSvcActive(elsewhere)) << "other ports";
    elsewhere = instance;
    elsewhere.PVHost = "";
    EXPECT_EQ(0, SysIsPSSvcActive(elsewhere)) << "no host";

    // Started again, it runs nothing; stopped, it waits until the server is gone.
    StatusLines status;
    EXPECT_EQ(1, ICStartPSSvc(instance));
    EXPECT_EQ(1, SysStartPSSvc(instance));
    EXPECT_FALSE(FileExists(Rooted("/su.log")));
    EXPECT_EQ(1, ICStopPSSvc(instance));
    EXPECT_TRUE(server->StopRequested());
    server->Stop();
    EXPECT_EQ(0, SysIsPSSvcActive(instance)) << "stopped";
    EXPECT_EQ(1, ICStopPSSvc(instance));
    EXPECT_EQ(1, SysStopPSSvc(instance));
    EXPECT_EQ((std::vector<std::string>{"Payment server for instance shop is already active.",
                                        "Payment server for instance shop stopped successfully.",
                                        "Payment server for instance shop is already inactive."}),
              status.Lines());

    // A server that takes the probe and never answers is not active, within the time-out.
    setenv("VXCONFIG_ADMIN_TIMEOUT_MS", "500", 1);
    auto silent = StartServer(payserver::Fault::Hold);
    ASSERT_TRUE(silent);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, SysIsPSSvcActive(instance));
    auto took = std::chrono::steady_clock::now() - start;
    unsetenv("VXCONFIG_ADMIN_TIMEOUT_MS");
    EXPECT_LE(took, std::chrono::seconds(3));
    silent->DropHeld();
    silent->Stop();
}

TEST_F(PaymentServiceTest, StartRunsTheServerAsTheOwnerAndPolls) {
    PortsOfNoServer();
    StatusLines status;
    // The program is there (a start never runs a missing one); the su notes its command line.
    ASSERT_TRUE(WriteWholeFile(Rooted("/opt/Orvellvndx/Vendrix3/bin/server"), "", 0755));
    // Nothing comes up: 180 probes, then failure.
    EXPECT_EQ(0, ICStartPSSvc(instance));
    EXPECT_EQ(std::vector<std::string>{"Cannot start Payment server for instance shop."},
              status.Lines());
    std::string expected = std::string("-|") + SANDBOX_OWNER_USER + "|-c|" +
                           Rooted("/opt/Orvellvndx/Vendrix3") + "/bin/server -i " +
                           std::string(instance.HtmlPath) + "//pay_payvane.conf -s vxshop_pe_1|";
    EXPECT_EQ(std::vector<std::string>{expected}, SuLines(1));
}

TEST_F(PaymentServiceTest, HostileValuesRunNothing) {
    PortsOfNoServer();
    std::string pwned = Rooted("/pwned");
    MSInfo owner = instance;
    owner.DBOwner = ("vxowner;touch " + pwned).c_str();
    MSInfo empty = instance;
    empty.DBOwner = "";
    MSInfo dir = instance;
    dir.HtmlPath = (std::string(instance.HtmlPath) + "$(touch${IFS}" + pwned + ")").c_str();
    MSInfo name = instance;
    name.Name = "shop`touch${IFS}x`";
    for (MSInfo* m : {&owner, &empty, &dir, &name})
        EXPECT_EQ(0, SysStartPSSvc(*m));
    usleep(100000);
    EXPECT_FALSE(FileExists(Rooted("/su.log")));
    EXPECT_FALSE(FileExists(pwned));
}

} // namespace
