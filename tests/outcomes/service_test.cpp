// Service outcomes as a user meets them: a start that fails says why at once, status tells a
// never created instance from a stopped one with the exit codes of init scripts, and a
// terminal sees a wait alive without messages written onto its line.
#include <chrono>
#include <pty.h>
#include <sys/wait.h>

#include "sandbox_fixture.h"

namespace {

class ServiceOutcomeTest : public SandboxTest {
protected:
    std::string Conf() const { return Rooted("/opt/Orvellvndx/Vendrix3/instance/shop1"); }
    // shop1 in the data file, registered for boot, with a controller configuration that names
    // a service the services file lacks: the controller gives up at once.
    void SetUp() override {
        SandboxTest::SetUp();
        m_port = FreePort();
        VxcfgOk({"add", "shop1", "--host", "web1", "--dbuser", SANDBOX_INSTANCE_USER, "--port",
                 std::to_string(m_port)});
        ASSERT_EQ(Vxcfg({"register", "shop1"}).exitCode, 0);
        ASSERT_EQ(0, system(("mkdir -p " + Conf()).c_str()));
        WriteWholeFile(Conf() + "/srvrctrl.conf.kept", "CONTROL_SERVICE vxnosuch\n");
    }
    void Created() {
        rename((Conf() + "/srvrctrl.conf.kept").c_str(), (Conf() + "/srvrctrl.conf").c_str());
    }
    int m_port = 0;
};

TEST_F(ServiceOutcomeTest, StartGivesUpAtOnceWithTheControllersOwnReason) {
    Created();
    // Waits long enough that polling to the end would take most of a minute.
    setenv("VXCONFIG_SLEEP_MS", "50", 1);
    auto began = std::chrono::steady_clock::now();
    ProgramResult start = Vxcfg({"--json", "start", "shop1"});
    auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - began)
            .count();
    EXPECT_EQ(start.exitCode, 1);
    EXPECT_LT(seconds, 10);
    EXPECT_TRUE(Has(start.out, "service vxnosuch is not in " + Rooted("/etc/services")));
    EXPECT_TRUE(Has(start.err, "Cannot start Storix servers for instance shop1."));

    ProgramResult unknown = Vxcfg({"--json", "start", "nosuch"});
    EXPECT_TRUE(Has(unknown.out, "\"reason\": \"Could not find instance nosuch\""));
}

TEST_F(ServiceOutcomeTest, StartWithoutDatabaseUserOrPaymentProgramNamesWhatIsMissing) {
    MSInfo m;
    m.Name = "shop1";
    m.HtmlPath = Conf().c_str();
    m.PVHost = "localhost";
    m.DBOwner = SANDBOX_OWNER_USER;
    VXOutcome outcome;
    {
        VXOutcomeScope collecting(outcome);
        EXPECT_EQ(0, SysStartVXSvc(m));
        ASSERT_EQ(0, unlink(Rooted("/opt/Orvellvndx/Vendrix3/bin/server").c_str()));
        EXPECT_EQ(0, SysStartPSSvc(m));
    }
    ASSERT_EQ(outcome.steps.size(), 2u);
    EXPECT_TRUE(Has(outcome.steps[0].reason, "no database user (DBINST)"));
    EXPECT_EQ(outcome.steps[1].reason, "the payment server program " +
                                           Rooted("/opt/Orvellvndx/Vendrix3/bin/server") +
                                           " is missing: No such file or directory");
}

TEST_F(ServiceOutcomeTest, StatusTellsNeverCreatedFromStoppedWithInitScriptCodes) {
    ProgramResult never = Vxcfg({"status", "shop1"});
    EXPECT_EQ(never.exitCode, 3);
    EXPECT_EQ(never.out,
              "shop1: not created (no " + Conf() + "/srvrctrl.conf; vxcfg create makes it)\n");
    Created();
    ProgramResult stopped = Vxcfg({"--json", "status", "shop1"});
    EXPECT_EQ(stopped.exitCode, 3);
    EXPECT_TRUE(Has(stopped.out, "\"state\": \"stopped\""));
}

TEST_F(ServiceOutcomeTest, TerminalSeesTheWaitAliveAndMessagesOffItsLine) {
    Created();
    setenv("VXCONFIG_SLEEP_MS", "100", 1);
    int terminal = -1;
    pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::string vxcfg = std::string(VX_BIN_DIR) + "/vxcfg";
        execl(vxcfg.c_str(), "vxcfg", "--root", Root().c_str(), "start", "shop1", nullptr);
        _exit(127);
    }
    std::string seen;
    char buffer[4096];
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;)
        seen.append(buffer, static_cast<size_t>(n));
    close(terminal);
    waitpid(pid, nullptr, 0);
    EXPECT_TRUE(Has(seen, "Starting the controller of shop1 | 0 s"));
    // Each message starts on a line of its own: the spinner's line is cleared first.
    for (const char* message : {"Cannot start Storix", "vxcfg: shop1: start failed"}) {
        size_t at = seen.find(message);
        ASSERT_NE(at, std::string::npos) << seen;
        EXPECT_TRUE(seen.compare(at - 4, 4, "\r\033[K") == 0 || seen[at - 1] == '\n') << seen;
    }
}

} // namespace
