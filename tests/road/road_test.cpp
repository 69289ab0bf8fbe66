// The user's road through vxcfg in a sandbox, each step checked by what it leaves: services and
// boot entries, the web server's block, the database's tables, processes running and gone,
// the data file; creation twice; and vxcfg create and delete killed at random moments.
#include <csignal>
#include <random>
#include <sys/wait.h>

#include "sandbox_fixture.h"

namespace {

class RoadTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        // The service waits poll; short seconds keep them quick without skipping them.
        setenv("VXCONFIG_SLEEP_MS", "20", 1);
        logs = Rooted("/logs");
        mkdir(logs.c_str(), 0755);
        DataFile = Rooted("/opt/Orvellvndx/Vendrix3/server/admin/vxconfig.dat");
    }
    void Add(const std::string& name, const std::string& host, int port) {
        VxcfgOk({"add", name, "--host", host, "--pvhost", "localhost", "--db", name, "--docroot",
                 "/srv/" + name, "--dbuser", SANDBOX_INSTANCE_USER, "--dbpass", SANDBOX_PASSWORD,
                 "--logpath", logs, "--port", std::to_string(port)});
    }
    int Lines(const std::string& file, const std::string& start) {
        std::string text = "\n" + ReadWholeFile(file);
        int n = 0;
        for (size_t at = text.find("\n" + start); at != std::string::npos;
             at = text.find("\n" + start, at + 1))
            ++n;
        return n;
    }
    int Count(const std::string& file, const std::string& text) {
        std::string content = ReadWholeFile(file);
        int n = 0;
        for (size_t at = content.find(text); at != std::string::npos;
             at = content.find(text, at + 1))
            ++n;
        return n;
    }
    // Processes whose command line names the sandbox, given a moment to go.
    bool NoneRunning() {
        return Eventually([&] { return Processes(Root()) == 0; });
    }
    std::string logs, DataFile;
};

TEST_F(RoadTest, FromAnEmptySandboxToARunningInstanceAndBack) {
    // Ports nothing listens on, so that tests running beside this one never answer for it.
    int first = FreePort(), second = FreePort();
    while (std::abs(first - second) < 30)
        second = FreePort();
    Add("shop1", "localhost", first);
    Add("shop2", "127.0.0.2", second);
    const std::string services = Rooted("/etc/services");
    ProgramResult create = VxcfgOk({"create"});
    EXPECT_TRUE(Has(create.out, "Created 2 of 2 instances."));
    EXPECT_EQ(Lines(services, "vxshop1"), 21);
    EXPECT_EQ(Lines(services, "vxshop2"), 21);
    const std::string registry = Rooted("/etc/rc.vndx");
    EXPECT_EQ(Count(registry, "/srvrctrl.conf"), 2);
    const std::string registered = ReadWholeFile(services);
    // Creation again changes no service and replaces each start line (the registry keeps
    // the earlier comment line of each entry).
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    EXPECT_EQ(ReadWholeFile(services), registered);
    EXPECT_EQ(Count(registry, "/srvrctrl.conf"), 2);

    VxcfgOk({"webconf"});
    EXPECT_EQ(Lines(Rooted("/etc/httpd.conf"), "###### Orvell Vendrix ######"), 1);
    VxcfgOk({"createdb"});
    for (const char* name : {"SHOP1", "SHOP2"})
        EXPECT_TRUE(
            FileExists(Rooted("/home/" SANDBOX_INSTANCE_USER "/sqllib/databases/") + name + ".db"));

    VxcfgOk({"start", "shop1"});
    EXPECT_EQ(Vxcfg({"status", "shop1"}).out, "shop1: running\n");
    ASSERT_EQ(Vxcfg({"pay", "start", "shop1"}).exitCode, 0);
    EXPECT_EQ(Vxcfg({"pay", "status", "shop1"}).out, "payment server of shop1: running\n");
    EXPECT_GT(Processes(Root()), 0);
    VxcfgOk({"stop", "shop1"});
    EXPECT_EQ(Vxcfg({"status", "shop1"}).out, "shop1: stopped\n");
    EXPECT_TRUE(NoneRunning());

    ProgramResult del = VxcfgOk({"delete", "shop2"});
    EXPECT_TRUE(Has(del.out, "shop2 removed from " + DataFile));
    EXPECT_EQ(Lines(services, "vxshop2"), 0);
    EXPECT_FALSE(Has(Vxcfg({"list"}).out, "shop2"));
    EXPECT_EQ(Count(registry, "/srvrctrl.conf"), 1);
    EXPECT_EQ(Count(registry, "shop2"), 0);
    EXPECT_EQ(Vxcfg({"delete", "shop2"}).exitCode, 1);
    EXPECT_EQ(Vxcfg({"create", "nosuchshop"}).exitCode, 1);
    EXPECT_EQ(Vxcfg({"create", "--help"}).exitCode, 0);
}

TEST_F(RoadTest, KilledCreatesAndDeletesLeaveWholeFilesAndFinishWhenRunAgain) {
    Add("shop1", "localhost", 16570);
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    const std::string services = ReadWholeFile(Rooted("/etc/services"));
    ProgramResult list = Vxcfg({"list"});
    const std::string mainConf = Rooted("/opt/Orvellvndx/Vendrix3/instance/shop1/vxtrade.conf");
    // The services file without the instance's entries: what every killed run must keep.
    auto others = [](const std::string& text) {
        std::string kept;
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find('\n', at);
            std::string line = text.substr(at, end == std::string::npos ? end : end - at + 1);
            at = end == std::string::npos ? text.size() : end + 1;
            if (line.compare(0, 7, "vxshop1") != 0 && line.compare(0, 6, "vxperf") != 0)
                kept += line;
        }
        return kept;
    };
    const std::string base = others(services);
    ASSERT_EQ(services.back(), '\n');
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delay(0, 300000);
    for (int round = 0; round < 200; ++round) {
        bool deleting = round % 2 == 1;
        pid_t pid =
            StartProgram("vxcfg", {"--root", Root(), deleting ? "delete" : "create", "shop1"});
        ASSERT_GT(pid, 0);
        usleep(static_cast<useconds_t>(delay(random)));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        MSList loaded;
        ASSERT_EQ(loaded.Load(DataFile.c_str()), 1) << "round " << round;
        std::string now = ReadWholeFile(Rooted("/etc/services"));
        ASSERT_EQ(others(now), base) << "round " << round;
        ASSERT_EQ(now.back(), '\n') << "round " << round;
        std::string conf = ReadWholeFile(mainConf);
        ASSERT_TRUE(conf.empty() ||
                    (conf.compare(0, 20, "SERVICE_NAME_PREFIX ") == 0 && conf.back() == '\n'))
            << "round " << round << ":\n"
            << conf;
        // A deletion that went through: the instance comes back for the next rounds.
        if (deleting && loaded.GetCount() == 0)
            Add("shop1", "localhost", 16570);
    }
    // Running the command again completes the job.
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/services")), services);
    EXPECT_EQ(Vxcfg({"list"}).out, list.out);
    EXPECT_TRUE(NoneRunning());
}

} // namespace
