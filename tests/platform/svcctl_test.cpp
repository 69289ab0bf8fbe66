// The controller of an instance: the administrative request on the wire, the probe's
// answer for every kind of reply, the start commands and the polling counts, the pid files,
// the stop that kills what the pid files name, and the status lines.
#include <chrono>
#include <csignal>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "svc_fixture.h"

namespace {

// A loopback port nobody listens on: bound, then closed.
int ClosedPort() {
    int port = 0;
    {
        FakeController probe([](int) { return CloseAtOnce(); });
        port = probe.Port();
    }
    return port;
}

// The request the controller must receive, written out by hand.
std::string ExpectedRequest(const char* target, int port) {
    return std::string("GET ") + target + " HTTP/1.0\r\n" +
           "Host: 127.0.0.1:" + std::to_string(port) + "\r\n" + "User-Agent: vxadmin\r\n" +
           "X-Vx-Cookies: OFF\r\n" + "Connection: close\r\n\r\n";
}

class ControllerTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        // The su of the sandbox only notes what it was asked to run.
        ASSERT_TRUE(WriteScript(Rooted("/bin/su"),
                                "for a in \"$@\"; do printf '%s|' \"$a\"; done >> " +
                                    Rooted("/su.log") + "\necho >> " + Rooted("/su.log") + "\n"));
    }

    // The lines the fake su noted, waited for (the commands run in the background).
    std::multiset<std::string> SuLines(size_t expected) {
        std::multiset<std::string> lines;
        for (int i = 0; i < 500; ++i) {
            lines.clear();
            std::istringstream in(ReadWholeFile(Rooted("/su.log")));
            for (std::string line; std::getline(in, line);)
                lines.insert(line);
            if (lines.size() >= expected)
                break;
            usleep(10000);
        }
        return lines;
    }

    // Registers the instance in etc/rc.vndx as the boot registration writes it.
    void Register(const MSInfo& m, const std::string& confDir) {
        std::string text = "#!/bin/sh\n# rc.vndx - Orvell Vendrix initialization file.\n#\n"
                           "#Vendrix Instance - " +
                           std::string(m.Name) + "\nsu - " + std::string(m.DBUser) +
                           " -c \"reldastart; " + Inst() + "/bin/srvrctrl -i " + confDir +
                           "/srvrctrl.conf&\"\n";
        ASSERT_TRUE(WriteWholeFile(Rooted("/etc/rc.vndx"), text, 0754));
    }

    std::string Inst() const { return Rooted("/opt/Orvellvndx/Vendrix3"); }
};

TEST_F(ControllerTest, ProbeSendsListServersAndNeedsANonEmptyBody) {
    {
        FakeController fake([](int) { return ReplyWithBody("vxshop_srv_1 running\n"); });
        MSInfo m = SvcInstance(Root(), "shop", fake.Port());
        EXPECT_EQ(1, SysIsVXSvcActive(m));
        EXPECT_EQ(1, ICIsVXSvcActive(m));
        ASSERT_EQ(2u, fake.Requests().size());
        EXPECT_EQ(ExpectedRequest("/cgi-bin/vxtrade3/ListServers/", fake.Port()),
                  fake.Requests()[0]);
    }
    struct Case {
        const char* what;
        std::string reply;
        int active;
    };
    const Case cases[] = {
        {"body up to the close", "HTTP/1.0 200 OK\r\n\r\nlist", 1},
        {"bare line feeds", "HTTP/1.1 200 OK\nContent-Length: 4\n\nlist", 1},
        {"an error status still answers", "HTTP/1.0 500 Oops\r\nContent-Length: 2\r\n\r\nno", 1},
        {"extra bytes beyond the length", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nabcdef", 1},
        {"empty body", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", 0},
        {"empty body up to the close", "HTTP/1.0 200 OK\r\n\r\n", 0},
        {"head without its end", "HTTP/1.0 200 OK\r\n", 0},
        {"not HTTP", "list of servers\r\n\r\nbody", 0},
        {"bad status code", "HTTP/1.0 2x0 OK\r\n\r\nbody", 0},
        {"body shorter than its length", "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc", 0},
        {"length that is no number", "HTTP/1.0 200 OK\r\nContent-Length: -1\r\n\r\nabc", 0},
        {"body over 1 MiB", "HTTP/1.0 200 OK\r\n\r\n" + std::string(1024 * 1024 + 1, 'x'), 0},
        {"claimed length over 1 MiB", "HTTP/1.0 200 OK\r\nContent-Length: 2000000\r\n\r\nab", 0},
        {"endless head", "HTTP/1.0 200 OK\r\n" + std::string(70000, 'h'), 0},
    };
    for (const Case& c : cases) {
        FakeController fake([&](int) { return RawReply(c.reply); });
        MSInfo m = SvcInstance(Root(), "shop", fake.Port());
        EXPECT_EQ(c.active, SysIsVXSvcActive(m)) << c.what;
    }
    FakeController closer([](int) { return CloseAtOnce(); });
    MSInfo m = SvcInstance(Root(), "shop", closer.Port());
    EXPECT_EQ(0, SysIsVXSvcActive(m)) << "closed without a word";
    for (int port : {ClosedPort(), 0, -5, 70000}) {
        m.MSPort = port;
        EXPECT_EQ(0, SysIsVXSvcActive(m)) << "port " << port;
    }
}

TEST_F(ControllerTest, SilentControllerIsNotActiveWithinTheTimeOut) {
    ScopedEnv timeout("VXCONFIG_ADMIN_TIMEOUT_MS", "300");
    FakeController fake([](int) { return HoldSilent(); });
    MSInfo m = SvcInstance(Root(), "shop", fake.Port());
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, SysIsVXSvcActive(m));
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count();
    EXPECT_GE(ms, 250);
    EXPECT_LT(ms, 5000);
}

TEST_F(ControllerTest, StartOfAnActiveInstanceSays46AndRunsNothing) {
    FakeController fake([](int) { return ReplyWithBody("running"); });
    MSInfo m = SvcInstance(Root(), "shop", fake.Port());
    StatusLines status;
    EXPECT_EQ(1, ICStartVXSvc(m));
    EXPECT_EQ(std::vector<std::string>{"Storix servers for instance shop are already active."},
              status.Lines());
    EXPECT_EQ(1, fake.Connections());
    EXPECT_FALSE(FileExists(Rooted("/su.log")));
}

TEST_F(ControllerTest, StartWithoutDatabaseUserSays74AndRunsNothing) {
    MSInfo m = SvcInstance(Root(), "shop", ClosedPort());
    m.DBUser = "";
    StatusLines status;
    EXPECT_EQ(0, SysStartVXSvc(m));
    EXPECT_EQ(std::vector<std::string>{"Database owner must be a valid system user."},
              status.Lines());
    EXPECT_FALSE(FileExists(Rooted("/su.log")));
}

TEST_F(ControllerTest, StartRunsManagerAndControllerAsTheDatabaseUserAndPolls) {
    for (eDBType type : {DB_RELDA, DB_ORACLE}) {
        RemoveTree(Rooted("/su.log"));
        // The check and two probes find the controller still silent, the third probe finds it
        // running.
        FakeController fake([](int i) { return i < 3 ? ReplyWithBody("") : ReplyWithBody("up"); });
        MSInfo m = SvcInstance(Root(), "shop", fake.Port());
        m.DBType = type;
        std::string conf = std::string(m.HtmlPath);
        Register(m, conf);
        StatusLines status;
        EXPECT_EQ(1, ICStartVXSvc(m));
        EXPECT_EQ(4, fake.Connections()) << "the already-active check and three probes";
        EXPECT_EQ(
            std::vector<std::string>{"Storix servers for instance shop started successfully."},
            status.Lines());
        std::string user = type == DB_RELDA ? SANDBOX_INSTANCE_USER : SANDBOX_OWNER_USER;
        std::string controller = Inst() + "/bin/srvrctrl -i " + conf + "/srvrctrl.conf&";
        std::string start = type == DB_RELDA ? "reldastart; " + controller : controller;
        std::multiset<std::string> expected = {"-|" + user + "|-c|reldastart|",
                                               "-|" + user + "|-c|" + start + "|"};
        EXPECT_EQ(expected, SuLines(2)) << "type " << type;
        EXPECT_TRUE(FileExists(Rooted("/tmp/test.txt")));
    }
}

TEST_F(ControllerTest, StartGivesUpAfter180SilentProbes) {
    FakeController fake([](int) { return ReplyWithBody(""); });
    MSInfo m = SvcInstance(Root(), "shop", fake.Port());
    Register(m, std::string(m.HtmlPath));
    StatusLines status;
    EXPECT_EQ(0, ICStartVXSvc(m));
    EXPECT_EQ(181, fake.Connections()) << "the already-active check and 180 probes";
    EXPECT_EQ(std::vector<std::string>{"Cannot start Storix servers for instance shop."},
              status.Lines());
}

TEST_F(ControllerTest, HostileValuesRunNothing) {
    int port = ClosedPort();
    std::string pwned = Rooted("/pwned");
    // Fields set around the setters, as a hand-edited data file could hold them.
    MSInfo user = SvcInstance(Root(), "shop", port);
    user.DBUser = ("reldinst;touch " + pwned).c_str();
    MSInfo owner = SvcInstance(Root(), "shop", port);
    owner.DBType = DB_ORACLE;
    owner.DBOwner = ("$(touch " + pwned + ")").c_str();
    MSInfo oracleEmpty = SvcInstance(Root(), "shop", port);
    oracleEmpty.DBType = DB_ORACLE;
    oracleEmpty.DBOwner = "";
    MSInfo dir = SvcInstance(Root(), "shop", port);
    dir.HtmlPath = (std::string(dir.HtmlPath) + "$(touch${IFS}" + pwned + ")").c_str();
    for (MSInfo* m : {&user, &owner, &oracleEmpty, &dir}) {
        Register(*m, std::string(m->HtmlPath));
        EXPECT_EQ(0, SysStartVXSvc(*m)) << m->DBUser << " " << m->DBOwner << " " << m->HtmlPath;
        EXPECT_STRNE("", SysGetLastReason());
    }
    // A registered directory that could run a command is refused too.
    MSInfo m = SvcInstance(Root(), "shop", port);
    Register(m, Root() + "/x;touch${IFS}" + pwned);
    EXPECT_EQ(0, SysStartVXSvc(m));
    usleep(100000);
    EXPECT_FALSE(FileExists(Rooted("/su.log")));
    EXPECT_FALSE(FileExists(pwned));
}

TEST_F(ControllerTest, StartOutputNeverWritesThroughAPlantedLink) {
    ASSERT_TRUE(WriteWholeFile(Rooted("/victim"), "keep\n"));
    ASSERT_EQ(0, symlink(Rooted("/victim").c_str(), Rooted("/tmp/test.txt").c_str()));
    // The fake su prints something, which must not reach the link's target.
    ASSERT_TRUE(WriteScript(Rooted("/bin/su"), "echo output\necho >> " + Rooted("/su.log") + "\n"));
    FakeController fake([](int i) { return ReplyWithBody(i < 1 ? "" : "up"); });
    MSInfo m = SvcInstance(Root(), "shop", fake.Port());
    Register(m, std::string(m.HtmlPath));
    EXPECT_EQ(1, SysStartVXSvc(m));
    SuLines(2);
    EXPECT_EQ("keep\n", ReadWholeFile(Rooted("/victim")));
}

TEST_F(ControllerTest, PidFileIsReadAsAnUntrustedNumber) {
    MSInfo m = SvcInstance(Root(), "shop", ClosedPort());
    std::string conf = std::string(m.HtmlPath);
    Register(m, conf);
    struct Case {
        const char* text;
        int result;
        int pid;
    };
    const Case cases[] = {
        {"4242\n", 1, 4242}, {"  4242 extra words\n", 1, 4242},
        {"4242", 1, 4242},   {"\t77\tx\n", 1, 77},
        {"", 0, 0},          {"\n4242\n", 0, 0},
        {"abc\n", 0, 0},     {"12abc\n", 0, 0},
        {"0\n", 0, 0},       {"1\n", 0, 0},
        {"-1\n", 0, 0},      {"+5\n", 0, 0},
        {"0123\n", 0, 0},    {"99999999999999999999\n", 0, 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteWholeFile(conf + "/srvrctrl.pid", c.text));
        int pid = -7;
        EXPECT_EQ(c.result, GetVXSvcPid(m, pid)) << "'" << c.text << "'";
        EXPECT_EQ(c.pid, pid) << "'" << c.text << "'";
    }
    unlink((conf + "/srvrctrl.pid").c_str());
    int pid = 0;
    EXPECT_EQ(0, GetVXSvcPid(m, pid)) << "no pid file";

    // Without a registry entry the directory is the empty one: the file at the root.
    RemoveTree(Rooted("/etc/rc.vndx"));
    ASSERT_TRUE(WriteWholeFile(conf + "/srvrctrl.pid", "888\n"));
    ASSERT_TRUE(WriteWholeFile(Rooted("/srvrctrl.pid"), "777\n"));
    EXPECT_EQ(1, GetVXSvcPid(m, pid));
    EXPECT_EQ(777, pid);
}

TEST_F(ControllerTest, StopOfAStoppedInstanceKillsWhatThePidFilesName) {
    MSInfo m = SvcInstance(Root(), "shop", ClosedPort());
    std::string conf = std::string(m.HtmlPath);
    Register(m, conf);
    pid_t controller = StartSleeper();
    pid_t member1 = StartSleeper();
    pid_t member2 = StartSleeper();
    pid_t bystander = StartSleeper();
    ASSERT_TRUE(controller > 0 && member1 > 0 && member2 > 0 && bystander > 0);
    ASSERT_TRUE(WriteWholeFile(conf + "/srvrctrl.pid", std::to_string(controller) + " 1\n"));
    for (pid_t p : {member1, member2})
        ASSERT_TRUE(WriteWholeFile(conf + "/" + std::to_string(p) + ".vxpid", ""));
    // Names that are no process id stay as they are.
    for (const char* junk : {"abc.vxpid", "x12.vxpid", "12x.vxpid"})
        ASSERT_TRUE(WriteWholeFile(conf + "/" + junk, ""));
    // Another directory's marker is not this instance's.
    ASSERT_TRUE(WriteWholeFile(Rooted("/conf/") + std::to_string(bystander) + ".vxpid", ""));

    StatusLines status;
    EXPECT_EQ(1, ICStopVXSvc(m));
    EXPECT_EQ(std::vector<std::string>{"Storix servers for instance shop stopped successfully."},
              status.Lines());
    for (pid_t p : {controller, member1, member2})
        EXPECT_EQ(SIGKILL, WaitForEnd(p, 5000)) << p;
    EXPECT_EQ(-1, WaitForEnd(bystander, 100)) << "still running";
    EXPECT_FALSE(FileExists(conf + "/srvrctrl.pid"));
    for (pid_t p : {member1, member2})
        EXPECT_FALSE(FileExists(conf + "/" + std::to_string(p) + ".vxpid"));
    for (const char* junk : {"abc.vxpid", "x12.vxpid", "12x.vxpid"})
        EXPECT_TRUE(FileExists(conf + "/" + junk)) << junk;

    // Again, with nothing left: still 1.
    EXPECT_EQ(1, SysStopVXSvc(m));
}

TEST_F(ControllerTest, StopSendsCloseAllFirst) {
    FakeController fake([](int) { return ReplyWithBody("closing"); });
    MSInfo m = SvcInstance(Root(), "shop", fake.Port());
    pid_t member = StartSleeper();
    ASSERT_GT(member, 0);
    std::string marker = std::string(m.HtmlPath) + "/" + std::to_string(member) + ".vxpid";
    ASSERT_TRUE(WriteWholeFile(marker, ""));
    EXPECT_EQ(1, SysStopVXSvc(m));
    ASSERT_GE(fake.Requests().size(), 1u);
    EXPECT_EQ(ExpectedRequest("/cgi-bin/vxtrade3/CloseAll/", fake.Port()), fake.Requests()[0]);
    EXPECT_EQ(SIGKILL, WaitForEnd(member, 5000));
    EXPECT_FALSE(FileExists(marker));
}

TEST_F(ControllerTest, StartOfEveryInstanceOfTheDataFile) {
    StatusLines status;
    EXPECT_EQ(0, ICStartVXServer(Rooted("/no/such/file").c_str()));
    EXPECT_TRUE(status.Lines().empty());

    MSList list;
    for (const char* name : {"one", "two"}) {
        MSInfo m = SvcInstance(Root(), name, ClosedPort());
        m.DBUser = "";
        list.Add(m, 0);
    }
    std::string path = Rooted("/instances.dat");
    ASSERT_EQ(1, list.Store(path.c_str())) << SysGetLastReason();
    EXPECT_EQ(1, ICStartVXServer(path.c_str()));
    std::vector<std::string> expected = {"Starting Storix servers...",
                                         "Database owner must be a valid system user.",
                                         "Database owner must be a valid system user."};
    EXPECT_EQ(expected, status.Lines());
}

} // namespace
