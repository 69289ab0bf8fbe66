// Service outcomes as a user meets them: a start that fails says why at once, status tells a
// never created instance from a stopped one with the exit codes of init scripts, and a
// terminal sees a wait alive without messages written onto its line; the --json document of
// every command, and a record that could never run. (The data file's own failures are the
// instance list's tests.)
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

TEST_F(SandboxTest, OutcomeJsonDocumentsHoldTheDataTheFailureAndItsReason) {
    ASSERT_EQ(Vxcfg({"add", "shop1", "--host", "web1", "--port", "16570"}).exitCode, 0);

    ProgramResult list = VxcfgOk({"--json", "list"});
    EXPECT_TRUE(Has(list.out, "\"data\": [\n  {\"name\": \"shop1\", \"first_port\": 16570, "
                              "\"last_port\": 16580, \"web_server\": \"Wharf\", "
                              "\"database_type\": \"Relda\", \"database\": \"mser\"}],"))
        << list.out;
    EXPECT_EQ(list.err, "");

    ProgramResult show = Vxcfg({"--json", "show", "shop1"});
    EXPECT_TRUE(Has(show.out, "\"failed\": false")) << show.out;
    EXPECT_TRUE(Has(show.out, "\"ISHost\": \"web1\", \"DBName\": \"mser\", \"DBUser\": "
                              "\"" SANDBOX_INSTANCE_USER "\""))
        << show.out;
    EXPECT_TRUE(Has(show.out, "\"MSPort\": 16570, \"AuxPort\": 16580")) << show.out;

    ProgramResult start = Vxcfg({"--json", "start", "nosuch"});
    EXPECT_EQ(start.exitCode, 1);
    EXPECT_TRUE(Has(start.out, "\"exit\": 1, \"outcome_known\": true, \"failed\": true"))
        << start.out;
    EXPECT_TRUE(Has(start.out, "\"msg\": [\n  \"Could not find instance nosuch\"]")) << start.out;

    // A data file that cannot be read: the document names it and says why.
    ProgramResult lost = Vxcfg({"--json", "list", "--data", Root()});
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_TRUE(Has(lost.out, "\"msg\": [\n  \"Configuration data loading error. " + Root() +
                                  ": Is a directory\"]"))
        << lost.out;

    // A refused command line still gives its document.
    ProgramResult usage = Vxcfg({"--json", "list", "--bogus"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(Has(usage.out, "\"exit\": 2, \"outcome_known\": true, \"failed\": true"))
        << usage.out;
}

// The controller and the database commands run as the database instance user: a record
// without one is filled from the installation or refused, never found out at creation.
TEST_F(SandboxTest, OutcomeTheDatabaseInstanceUserComesFromTheInstallationOrIsRequired) {
    // The database lists its instance: the README's own example takes it.
    ASSERT_EQ(Vxcfg({"add", "shop1", "--host", "shop1.example.com", "--dbpass", SANDBOX_PASSWORD})
                  .exitCode,
              0);
    EXPECT_TRUE(Has(Vxcfg({"show", "shop1"}).out, "DBUser         " SANDBOX_INSTANCE_USER "\n"));
    // The product profile names the instance the installation's shells use.
    const std::string profile = Rooted("/opt/Orvellvndx/Vendrix3/server/bin/vndxprofile");
    ASSERT_TRUE(
        WriteWholeFile(profile, "RELDAINSTANCE=" SANDBOX_OWNER_USER "\nexport RELDAINSTANCE\n"));
    VxcfgOk({"add", "shop2", "--host", "web2", "--db", "shop2", "--docroot", "/srv/d2"});
    EXPECT_TRUE(Has(Vxcfg({"show", "shop2"}).out, "DBUser         " SANDBOX_OWNER_USER "\n"));

    // Nothing names one: add says which option gives it.
    ASSERT_TRUE(WriteWholeFile(profile, ""));
    ASSERT_EQ(unlink(Rooted("/opt/Orvellrelda/V6.1/instance/instances.lst").c_str()), 0);
    ProgramResult refused =
        Vxcfg({"add", "shop3", "--host", "web3", "--db", "shop3", "--docroot", "/srv/d3"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(Has(refused.err, "no database instance user")) << refused.err;
    EXPECT_TRUE(Has(refused.err, "give --dbuser USER")) << refused.err;
    EXPECT_FALSE(Has(Vxcfg({"list"}).out, "shop3"));
}

} // namespace
