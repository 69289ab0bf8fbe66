// The controller of an instance: the request on the wire, which answers count, the start's
// commands and polls, the pid files, and the stop that kills only what is proved the instance's.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <set>

#include "svc_fixture.h"

namespace {

constexpr uid_t kNobody = 65534;

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
        NotingSu();
    }
    // shop on port with one server process, its configuration directory made.
    MSInfo Shop(int port) {
        MSInfo m = Instance("shop");
        m.MSPort = port;
        m.MSProc = 1;
        m.PVHost = "localhost";
        std::filesystem::create_directories(std::string(m.HtmlPath));
        return m;
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

    // The command line of the instance's controller.
    std::vector<std::string> ControllerArgs(const MSInfo& m) const {
        return {Inst() + "/bin/srvrctrl", "-i", std::string(m.HtmlPath) + "/srvrctrl.conf"};
    }
};

TEST_F(ControllerTest, ProbeSendsListServersAndNeedsTheControllersAnswer) {
    std::vector<std::string> replies;
    FakeController fake([&](int i) { return replies.at(static_cast<size_t>(i)); });
    MSInfo m = Shop(fake.Port());
    Lookalike controller(ControllerArgs(m));
    const std::string line = ControllerLine(controller.Pid(), "shop", fake.Port());
    const std::string length = "Content-Length: " + std::to_string(line.size());
    replies = {"HTTP/1.0 200 OK\r\n" + length + "\r\n\r\n" + line + "4242 vxshop_1\n",
               "HTTP/1.0 200 OK\r\n\r\n" + line};
    EXPECT_EQ(1, SysIsVXSvcActive(m));
    EXPECT_EQ(1, ICIsVXSvcActive(m));
    ASSERT_EQ(2u, fake.Requests().size());
    EXPECT_EQ(ExpectedRequest("/cgi-bin/vxtrade3/ListServers/", fake.Port()), fake.Requests()[0]);
    const std::string ok = "HTTP/1.0 200 OK\r\n", big(1024 * 1024 + 1, 'x');
    const std::pair<std::string, int> cases[] = {
        {"HTTP/1.1 200 OK\n" + length + "\n\n" + line, 1}, // bare line feeds
        {"HTTP/1.0 500 Oops\r\n\r\n" + line, 1},           // an error status still answers
        {ok + length + "\r\n\r\n" + line + "ab", 1},       // bytes beyond the length
        {ok + "\r\n" + ControllerLine(controller.Pid(), "shop2", fake.Port()), 0},
        {ok + "\r\n" + ControllerLine(controller.Pid(), "shop", fake.Port() + 1), 0},
        {ok + "\r\n" + ControllerLine(getpid(), "shop", fake.Port()), 0}, // not the controller
        {ok + "\r\n<html>It works!</html>\n", 0}, // some other server's page
        {ok + "Content-Length: 0\r\n\r\n", 0},
        {ok + "\r\n", 0},              // empty body up to the close
        {ok, 0},                       // head without its end
        {line + "\r\n\r\n" + line, 0}, // not HTTP
        {"HTTP/1.0 2x0 OK\r\n\r\n" + line, 0},
        {ok + "Content-Length: 90\r\n\r\n" + line, 0}, // body shorter than its length
        {ok + "Content-Length: -1\r\n\r\nabc", 0},
        {ok + "\r\n" + big, 0},                        // body over 1 MiB
        {ok + "Content-Length: 2000000\r\n\r\nab", 0}, // claimed length over 1 MiB
        {ok + std::string(70000, 'h'), 0},             // endless head
    };
    for (const auto& c : cases) {
        replies.push_back(c.first);
        EXPECT_EQ(c.second, SysIsVXSvcActive(m)) << c.first.substr(0, 80);
    }
    // Closed without a word, nothing listening, no port at all.
    FakeController closer([](int) { return std::string(); });
    for (int port : {closer.Port(), FreePort(), 0, -5, 70000}) {
        m.MSPort = port;
        EXPECT_EQ(0, SysIsVXSvcActive(m)) << "port " << port;
    }
}

TEST_F(ControllerTest, StartRunsManagerAndControllerAsTheDatabaseUserAndPolls) {
    // What the start prints goes to a fixed name in /tmp, where the second start finds a link.
    std::string output = Rooted("/tmp/test.txt"), victim = Rooted("/victim");
    ASSERT_TRUE(WriteWholeFile(victim, "keep\n"));
    for (eDBType type : {DB_RELDA, DB_ORACLE}) {
        RemoveTree(Rooted("/su.log"));
        if (type == DB_ORACLE) {
            // This time su says something, which must not reach the link's target.
            RemoveTree(output);
            ASSERT_EQ(0, symlink(victim.c_str(), output.c_str()));
            NotingSu("echo output\n");
        }
        // Two probes find the controller still silent, the third finds it running.
        std::string line;
        FakeController fake([&](int i) { return ReplyWithBody(i < 2 ? "" : line); });
        MSInfo m = Shop(fake.Port());
        m.DBType = type;
        std::string conf = std::string(m.HtmlPath);
        Register(m, conf);
        Lookalike running(ControllerArgs(m));
        line = ControllerLine(running.Pid(), "shop", fake.Port());
        EXPECT_EQ(1, SysStartVXSvc(m));
        EXPECT_EQ(3, fake.Connections()) << "three probes";
        std::string user = type == DB_RELDA ? SANDBOX_INSTANCE_USER : SANDBOX_OWNER_USER;
        std::string controller = Inst() + "/bin/srvrctrl -i " + conf + "/srvrctrl.conf&";
        std::string start = type == DB_RELDA ? "reldastart; " + controller : controller;
        std::multiset<std::string> expected = {"-|" + user + "|-c|reldastart|",
                                               "-|" + user + "|-c|" + start + "|"};
        std::vector<std::string> noted = SuLines(2);
        EXPECT_EQ(expected, std::multiset<std::string>(noted.begin(), noted.end())) << type;
        EXPECT_TRUE(FileExists(output));
        StatusLines status;
        EXPECT_EQ(1, ICStartVXSvc(m));
        EXPECT_EQ(std::vector<std::string>{"Storix servers for instance shop are already active."},
                  status.Lines());
    }
    EXPECT_EQ("keep\n", ReadWholeFile(victim));
}

TEST_F(ControllerTest, StartGivesUpAfter180SilentProbes) {
    FakeController fake([](int) { return ReplyWithBody(""); });
    MSInfo m = Shop(fake.Port());
    Register(m, std::string(m.HtmlPath));
    EXPECT_EQ(0, SysStartVXSvc(m));
    EXPECT_EQ(180, fake.Connections());
}

TEST_F(ControllerTest, HostileValuesRunNothing) {
    int port = FreePort();
    std::string pwned = Rooted("/pwned");
    // Fields set around the setters, as a hand-edited data file could hold them.
    MSInfo user = Shop(port), owner = user, oracleEmpty = user, dir = user;
    user.DBUser = ("reldinst;touch " + pwned).c_str();
    owner.DBType = oracleEmpty.DBType = DB_ORACLE;
    owner.DBOwner = ("$(touch " + pwned + ")").c_str();
    oracleEmpty.DBOwner = "";
    dir.HtmlPath = (std::string(dir.HtmlPath) + "$(touch${IFS}" + pwned + ")").c_str();
    for (MSInfo* m : {&user, &owner, &oracleEmpty, &dir}) {
        Register(*m, std::string(m->HtmlPath));
        EXPECT_EQ(0, SysStartVXSvc(*m)) << m->DBUser << " " << m->DBOwner << " " << m->HtmlPath;
        EXPECT_STRNE("", SysGetLastReason());
    }
    // A registered directory that could run a command is refused too.
    MSInfo m = Shop(port);
    Register(m, Root() + "/x;touch${IFS}" + pwned);
    EXPECT_EQ(0, SysStartVXSvc(m));
    usleep(100000);
    EXPECT_FALSE(FileExists(Rooted("/su.log")));
    EXPECT_FALSE(FileExists(pwned));
}

TEST_F(ControllerTest, PidFileIsReadAsAnUntrustedNumber) {
    MSInfo m = Shop(FreePort());
    std::string conf = std::string(m.HtmlPath);
    Register(m, conf);
    // The first word of the first line, a plain decimal number above 1; else nothing.
    auto read = [&](const char* text) {
        int pid = -7;
        EXPECT_TRUE(WriteWholeFile(conf + "/srvrctrl.pid", text));
        int result = GetVXSvcPid(m, pid);
        return std::to_string(result) + " " + std::to_string(pid);
    };
    EXPECT_EQ("1 4242", read("4242\n"));
    EXPECT_EQ("1 4242", read("  4242 extra words\n"));
    EXPECT_EQ("1 4242", read("4242"));
    EXPECT_EQ("1 77", read("\t77\tx\n"));
    for (const char* text : {"", "\n4242\n", "abc\n", "12abc\n", "0\n", "1\n", "-1\n", "+5\n",
                             "0123\n", "99999999999999999999\n"})
        EXPECT_EQ("0 0", read(text)) << "'" << text << "'";
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

TEST_F(ControllerTest, StopSendsCloseAllThenKillsOnlyWhatItsFilesProveToBeTheInstances) {
    FakeController fake([](int) { return ReplyWithBody("closing"); });
    MSInfo m = Shop(fake.Port());
    std::string conf = std::string(m.HtmlPath);
    Register(m, conf);
    // The configuration directory as other users can write it.
    ASSERT_EQ(0, chmod(conf.c_str(), 0777));
    Lookalike rootsOwn({"sleeper"}), unrelated({"sleeper"}), bystander({"sleeper"});
    Lookalike controller(ControllerArgs(m));
    Lookalike member({conf + "/vxtrade", "-i", conf + "/vxtrade.conf", "--member"});
    // The payment server as it is started: two slashes before its file name.
    Lookalike payment(
        {Inst() + "/bin/server", "-i", conf + "//pay_payvane.conf", "-s", "vxshop_pe_1"});
    Lookalike planted({conf + "/vxtrade", "-i", conf + "/vxtrade.conf"});
    Lookalike otherInstance({Inst() + "/bin/srvrctrl", "-i", Rooted("/conf/other/srvrctrl.conf")});
    Lookalike asNobody({conf + "/scheduler", "-i", conf + "/scheduler.conf"}, kNobody);
    // Markers, some planted by nobody; names that are no process id; another directory's marker.
    auto marker = [&](pid_t pid) { return conf + "/" + std::to_string(pid) + ".vxpid"; };
    for (pid_t p :
         {rootsOwn.Pid(), planted.Pid(), otherInstance.Pid(), asNobody.Pid(), member.Pid()}) {
        uid_t owner = p == rootsOwn.Pid() || p == planted.Pid() ? kNobody : 0;
        ASSERT_TRUE(WriteWholeFile(marker(p), "") && lchown(marker(p).c_str(), owner, owner) == 0);
    }
    const char* junk[] = {"abc.vxpid", "x12.vxpid", "12x.vxpid"};
    for (const char* name : junk)
        ASSERT_TRUE(WriteWholeFile(conf + "/" + name, ""));
    ASSERT_TRUE(WriteWholeFile(Rooted("/conf/") + std::to_string(bystander.Pid()) + ".vxpid", ""));

    const pid_t killed[] = {member.Pid(), payment.Pid()};
    // Running: the controller takes the request and goes on, so it is killed as its file says.
    InfoLines info;
    ASSERT_TRUE(WriteWholeFile(conf + "/srvrctrl.pid", std::to_string(controller.Pid()) + " 1\n"));
    EXPECT_EQ(1, SysStopVXSvc(m));
    ASSERT_GE(fake.Requests().size(), 1u);
    EXPECT_EQ(ExpectedRequest("/cgi-bin/vxtrade3/CloseAll/", fake.Port()), fake.Requests()[0]);
    EXPECT_EQ(SIGKILL, controller.End(5000));
    EXPECT_EQ(SIGKILL, member.End(5000));
    EXPECT_FALSE(FileExists(conf + "/srvrctrl.pid"));

    // Stopped, nothing listening: a stale pid file of root's names an unrelated process.
    m.MSPort = FreePort();
    ASSERT_TRUE(WriteWholeFile(conf + "/srvrctrl.pid", std::to_string(unrelated.Pid()) + "\n"));
    ASSERT_TRUE(WriteWholeFile(marker(payment.Pid()), ""));
    struct Case {
        pid_t pid;
        std::string file, why;
    };
    const Case leftAlone[] = {
        {unrelated.Pid(), conf + "/srvrctrl.pid", "its command line ("},
        {rootsOwn.Pid(), marker(rootsOwn.Pid()), "the file belongs to user 65534"},
        {planted.Pid(), marker(planted.Pid()), "the file belongs to user 65534"},
        {otherInstance.Pid(), marker(otherInstance.Pid()), "is not a daemon of instance shop"},
        {asNobody.Pid(), marker(asNobody.Pid()), "it runs as user 65534"},
    };
    {
        StatusLines status;
        EXPECT_EQ(1, ICStopVXSvc(m));
        EXPECT_EQ(
            std::vector<std::string>{"Storix servers for instance shop stopped successfully."},
            status.Lines());
    }
    EXPECT_EQ(SIGKILL, payment.End(5000));
    // The two stops told why they left each process alone, once.
    EXPECT_EQ(std::size(leftAlone), info.Lines().size());
    for (const Case& c : leftAlone) {
        std::string head = "process " + std::to_string(c.pid) + " named by " + c.file;
        EXPECT_EQ(1, std::count_if(info.Lines().begin(), info.Lines().end(),
                                   [&](const std::string& line) {
                                       return line.rfind(head + " is left alone: ", 0) == 0 &&
                                              line.find(c.why) != std::string::npos;
                                   }))
            << head;
    }
    for (pid_t p : killed)
        EXPECT_FALSE(FileExists(marker(p)));
    for (const char* name : junk)
        EXPECT_TRUE(FileExists(conf + "/" + name)) << name;
    EXPECT_EQ(1, SysStopVXSvc(m)) << "again";
    for (Lookalike* p : {&rootsOwn, &unrelated, &bystander, &planted, &otherInstance, &asNobody})
        EXPECT_EQ(-1, p->End(100)) << "still running";
}

TEST_F(ControllerTest, VxcfgStatusAnswersInTimeAndNamesThePortTakenByAnotherProgram) {
    FakeController fake(
        [](int i) { return i == 0 ? FakeAction() : ReplyWithBody("<html>It works!</html>\n"); });
    const std::string port = std::to_string(fake.Port());
    ProgramResult add = Vxcfg({"add", "shop", "--host", "web1", "--docroot", "/srv/d1", "--db",
                               "db1", "--dbuser", SANDBOX_INSTANCE_USER, "--port", port});
    ASSERT_EQ(0, add.exitCode) << add.err;
    // Created as far as status asks: its controller's configuration stands.
    std::string conf = Rooted("/opt/Orvellvndx/Vendrix3/instance/shop");
    ASSERT_EQ(0, system(("mkdir -p " + conf).c_str()));
    ASSERT_TRUE(WriteWholeFile(conf + "/srvrctrl.conf", "CONTROL_SERVICE vxshop\n"));
    auto start = std::chrono::steady_clock::now();
    ProgramResult silent = Vxcfg({"status", "shop", "--timeout", "1"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(4, silent.exitCode);
    EXPECT_EQ("vxcfg: shop: cannot tell whether it runs: port " + port +
                  " accepts connections but gave no answer within 1 s\n",
              silent.err);
    ProgramResult other = Vxcfg({"status", "shop"});
    EXPECT_EQ(3, other.exitCode) << other.err;
    EXPECT_EQ("shop: stopped (port " + port + " is taken by another program)\n", other.out);
    ProgramResult started = Vxcfg({"start", "shop"});
    EXPECT_EQ(1, started.exitCode);
    EXPECT_EQ("Cannot start Storix servers for instance shop.\n", started.out);
    EXPECT_EQ("vxcfg: port " + port +
                  " of instance shop is taken by another program: what answers there is not "
                  "the instance's controller\n",
              started.err);
    EXPECT_FALSE(FileExists(Rooted("/su.log")));
    EXPECT_EQ(2, Vxcfg({"status", "shop", "--timeout", "0"}).exitCode);
}

} // namespace
