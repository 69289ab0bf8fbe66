// Boot registration: the registry's lines, the boot script byte for byte and as shell that
// parses and runs, its stop against what a user plants in /tmp, and registrations killed.
#include <fstream>

#include "installations.h"
#include "sandbox_fixture.h"

namespace {

class BootRegTest : public SandboxTest {
protected:
    std::string Registry() const { return Rooted("/etc/rc.vndx"); }
    std::string Inst() const { return Rooted("/opt/Orvellvndx/Vendrix3"); }

    // A Relda instance configured in ROOT/conf/NAME; its port has nothing listening.
    MSInfo Shop(const char* name) {
        MSInfo m = Instance(name);
        m.MSPort = 1;
        return m;
    }
    std::string StartLine(const char* name) const {
        return "su - " SANDBOX_INSTANCE_USER " -c \"reldastart; " + Inst() + "/bin/srvrctrl -i " +
               Root() + "/conf/" + name + "/srvrctrl.conf&\"\n";
    }
};

const uid_t kNobody = 65534;

const char kHeader[] = "#! /bin/ksh\n# rc.vndx - Orvell Vendrix initialization file.\n#\n";

TEST_F(BootRegTest, RegistryLinesAreAddedReplacedAndRemovedWithTheirComment) {
    MSInfo shop1 = Shop("shop1"), shop2 = Shop("shop2"), stranger = Shop("nobody");
    ASSERT_EQ(SysRegVXSvc(shop1), 1) << SysGetLastReason();
    EXPECT_EQ(ReadWholeFile(Registry()),
              kHeader + std::string("#Vendrix Instance - shop1\n") + StartLine("shop1"));
    EXPECT_EQ(ModeOf(Registry()), 0754u);

    // A user's own lines (CRLF, very long) stay where they are.
    std::string longLine = "# " + std::string(3000, 'x') + "\n";
    std::string crlf = "echo mine\r\n";
    ASSERT_TRUE(WriteWholeFile(Registry(), ReadWholeFile(Registry()) + crlf + longLine, 0754));
    ASSERT_EQ(SysRegVXSvc(shop2), 1);
    // Registering again replaces the start line; the earlier comment stays, so it stands twice.
    ASSERT_EQ(SysRegVXSvc(shop1), 1);
    std::string expected = kHeader + std::string("#Vendrix Instance - shop1\n") + crlf + longLine +
                           "#Vendrix Instance - shop2\n" + StartLine("shop2") +
                           "#Vendrix Instance - shop1\n" + StartLine("shop1");
    EXPECT_EQ(ReadWholeFile(Registry()), expected);
    EXPECT_TRUE(FileExists(Registry() + ".old"));

    ICString dir;
    EXPECT_EQ(Filled(SysGetIniPath(shop2, dir), dir), Root() + "/conf/shop2");
    EXPECT_EQ(Filled(SysGetIniPath(stranger, dir), dir), "");

    // Removing shop1 drops its start line together with the comment held before it; the
    // first, orphaned comment is followed by a foreign line and therefore kept.
    ASSERT_EQ(SysUnregVXSvc(shop1), 1);
    EXPECT_EQ(ReadWholeFile(Registry()), kHeader + std::string("#Vendrix Instance - shop1\n") +
                                             crlf + longLine + "#Vendrix Instance - shop2\n" +
                                             StartLine("shop2"));
    EXPECT_EQ(ReadWholeFile(Registry() + ".old"), expected);
    EXPECT_TRUE(Temporaries(Rooted("/etc")).empty());
}

// The boot script for the instance shop1 listed `listed` times (0 or 1) and the given start
// lines, written from the script's line list with the sandbox root before the fixed paths.
std::string ExpectedScript(const std::string& r, int listed,
                           const std::vector<std::string>& starts) {
    std::string s =
        "#Orvell Vendrix Startup/Stop Scripts \n \nif [ ! -d " + r +
        "/opt ]\nthen \t\t # /opt is not mounted\n\texit\nfi\n\nis_running()\n{\n"
        "\tpid=`ps -e | grep $1 | awk '{ print $1 }'` \n\tif [ \"${pid}\" = \"\" ] \n\tthen \n"
        "\t\treturn 1 \t # failure \n\telse \n\t\treturn 0 \t # success \n\tfi \n} \n\n"
        "not_running() \n{ \n"
        "\tpid=`ps -e | grep $1 | awk '{ print $1 }'` \n\tif [ \"${pid}\" = \"\" ] \n\tthen \n"
        "\t\treturn 0 \t # success \n\telse \n\t\treturn 1 \t # failure \n\tfi \n} \n\n"
        "stop_server() \n{ \n\tstopdir=`mktemp -d " +
        r + "/tmp/vxstop.XXXXXX` || return 1\n\n" +
        "\techo \"export CONTENT_LENGTH=20\" >> $stopdir/stop.sh\n" +
        "\techo \"export REQUEST_METHOD=POST\" >> $stopdir/stop.sh\n\n";
    std::vector<std::string> files(listed, "$stopdir/stop0.sh");
    files.push_back("$stopdir/stopcurrent.sh");
    for (const std::string& f : files)
        s += "\techo \"\\$COMMAND=STOP_SERVER\" >> " + f + "\n\techo \"NAME=shop1\" >> " + f +
             "\n\techo \"" + r + "/opt/Orvellvndx/Vendrix3/server/admin/webconfig < " + f +
             "\" >> $stopdir/stop.sh\n\n";
    s += "\tchmod a+x $stopdir/stop.sh\n\t$stopdir/stop.sh 2>/dev/null 1>/dev/null\n\n"
         "\trm -r $stopdir\n\treturn \n } \n\ncase  \"$1\" in \n'start') \n\tif [ -x " +
         r +
         "/opt/Orvellvndx/Vendrix3/bin/srvrctrl ] \n\tthen \n\t\tif not_running srvrctrl \n"
         "\t\tthen \n\t\t\t# Starting the different servers \n";
    for (const std::string& start : starts)
        s += "\t\t\t" + start + " \n";
    if (starts.empty())
        s += "\t\t\t: \n";
    s += "\t\telse \n\t\t\techo \"WARNING: srvrctrl processes are already running\" \n"
         "\t\t\techo \"WARNING: srvrctrl automatic process aborted.\" \n\t\tfi \n\tfi \n\t;; \n\n"
         "'stop') \n\tif is_running srvrctrl \n\tthen \n\t\tstop_server srvrctrl \n\tfi \n\t;; \n"
         "*) \n\techo \"Usage: $0 { start | stop }\" \n\t;; \nesac \n";
    return s;
}

TEST_F(BootRegTest, BootScriptsStopEveryInstanceAndStartAllButTheRemovedOne) {
    MSInfo shop1 = Shop("shop1");
    shop1.SetISHost("host1");
    std::string start = StartLine("shop1");
    start.pop_back();
    std::string rc2 = Rooted("/etc/rc2.d/S88vx3_mserverd");
    // Both shells that run the scripts at boot must accept them; ksh may be missing here.
    std::string ksh = Rooted("/bin/ksh");
    bool haveKsh = system((ksh + " -c true 2>/dev/null").c_str()) == 0;
    auto parses = [&](const std::string& script) {
        return system(("sh -n " + script).c_str()) == 0 &&
               (!haveKsh || system((ksh + " -n " + script + " 2>/dev/null").c_str()) == 0);
    };
    // The last instance removed: nothing left to start, and still a script the shell can run.
    ASSERT_EQ(SysConfigReboot(shop1, 1), 1);
    EXPECT_EQ(ReadWholeFile(rc2), ExpectedScript(Root(), 0, {}));
    EXPECT_TRUE(parses(rc2));

    // The instance as a configured machine has it: its files, its registry entry.
    ICString error;
    ASSERT_EQ(SandboxAddInstance(Root().c_str(), 3, shop1, error), 1) << (const char*)error;
    ASSERT_EQ(SysRegVXSvc(shop1), 1);
    // The registered instance is listed, and the current one is added once more.
    for (const char* script : {"/etc/rc0.d/K54vx3_mserverd", "/etc/rc1.d/K54vx3_mserverd",
                               "/etc/rc2.d/S88vx3_mserverd"}) {
        EXPECT_EQ(ReadWholeFile(Rooted(script)), ExpectedScript(Root(), 1, {start, start}))
            << script;
        EXPECT_EQ(ModeOf(Rooted(script)), 0744u) << script;
    }
    EXPECT_TRUE(parses(rc2));
    ASSERT_EQ(SysConfigReboot(shop1, 1), 1);
    EXPECT_EQ(ReadWholeFile(rc2), ExpectedScript(Root(), 1, {start}));
    EXPECT_TRUE(parses(rc2));

    // A directory standing where a script goes: message 3, the other two still written.
    RemoveTree(Rooted("/etc/rc1.d/K54vx3_mserverd"));
    ASSERT_EQ(mkdir(Rooted("/etc/rc1.d/K54vx3_mserverd").c_str(), 0755), 0);
    std::remove(rc2.c_str());
    EXPECT_EQ(SysConfigReboot(shop1, 0), 0);
    EXPECT_TRUE(FileExists(rc2));
    if (!haveKsh)
        GTEST_SKIP() << "no ksh on this machine: the scripts were checked with sh -n only";
}

TEST_F(BootRegTest, StopAtShutdownWritesNothingThroughWhatAUserPlantedInTmp) {
    MSInfo shop1 = Shop("shop1");
    ASSERT_EQ(SysConfigReboot(shop1, 0), 1);
    // webconfig records each request it is given, with the request's environment.
    std::string got = Rooted("/requests");
    ASSERT_TRUE(WriteWholeFile(
        Inst() + "/server/admin/webconfig",
        "#!/bin/sh\n{ echo \"$REQUEST_METHOD $CONTENT_LENGTH\"; cat; } >> " + got + "\n", 0755));
    // nobody links the stop scripts' old fixed names to a root-only file, and keeps a script of
    // its own whose name matches them.
    std::string victim = Rooted("/etc/shadow");
    std::string before = ReadWholeFile(victim);
    for (const char* name : {"/tmp/stop.sh", "/tmp/stopcurrent.sh"}) {
        ASSERT_EQ(symlink(victim.c_str(), Rooted(name).c_str()), 0);
        ASSERT_EQ(lchown(Rooted(name).c_str(), kNobody, kNobody), 0);
    }
    ASSERT_TRUE(WriteWholeFile(Rooted("/tmp/stopwatch.sh"), "mine\n"));
    ASSERT_EQ(chown(Rooted("/tmp/stopwatch.sh").c_str(), kNobody, kNobody), 0);

    std::string run =
        "sh -c '. " + Rooted("/etc/rc2.d/S88vx3_mserverd") + " >/dev/null && stop_server'";
    ASSERT_EQ(system(run.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(victim), before);
    EXPECT_EQ(ReadWholeFile(Rooted("/tmp/stopwatch.sh")), "mine\n");
    EXPECT_EQ(ReadWholeFile(got), "POST 20\n$COMMAND=STOP_SERVER\nNAME=shop1\n");
    // Nothing of the stop is left behind; what the user put there stays.
    EXPECT_EQ(Entries(Rooted("/tmp")),
              (std::vector<std::string>{"stop.sh", "stopcurrent.sh", "stopwatch.sh"}));
}

// Registration killed at random moments: the registry and the three boot scripts are always
// one whole generation (before or after a registration), never missing or cut.
TEST_F(BootRegTest, KilledRegistrationsLeaveEveryFileWhole) {
    MSInfo m = Shop("shopk");
    const std::vector<std::string> files = {Registry(), Rooted("/etc/rc0.d/K54vx3_mserverd"),
                                            Rooted("/etc/rc1.d/K54vx3_mserverd"),
                                            Rooted("/etc/rc2.d/S88vx3_mserverd")};
    // The two generations each file can be in: registered and removed.
    std::vector<std::string> registered, removed;
    ASSERT_EQ(SysRegVXSvc(m), 1);
    for (const std::string& f : files)
        registered.push_back(ReadWholeFile(f));
    ASSERT_EQ(SysUnregVXSvc(m), 1);
    for (const std::string& f : files)
        removed.push_back(ReadWholeFile(f));
    // The registry may hold the comment more than once (a registration repeated after a killed
    // one keeps the earlier comment), but only whole lines of the two kinds.
    const std::string comment = "#Vendrix Instance - shopk\n";
    const std::string start = registered[0].substr(registered[0].rfind("su - "));
    KillAtRandom(
        100, 20261206, 40000,
        [&] {
            for (;;) {
                SysRegVXSvc(m);
                SysUnregVXSvc(m);
            }
        },
        [&](int round) {
            std::string registry = ReadWholeFile(files[0]);
            ASSERT_EQ(registry.compare(0, removed[0].size(), removed[0]), 0) << registry;
            ASSERT_EQ(registry.back(), '\n') << "round " << round << ":\n" << registry;
            for (const std::string& line : LinesOf(registry.substr(removed[0].size())))
                ASSERT_TRUE(line + "\n" == comment || line + "\n" == start)
                    << "round " << round << ":\n"
                    << registry;
            for (size_t i = 1; i < files.size(); ++i) {
                std::string now = ReadWholeFile(files[i]);
                ASSERT_TRUE(now == registered[i] || now == removed[i])
                    << "round " << round << " " << files[i] << ":\n"
                    << now;
            }
        });
    ASSERT_FALSE(HasFatalFailure());
    // The next registration ends the file with the instance's two lines, as always.
    ASSERT_EQ(SysRegVXSvc(m), 1);
    std::string registry = ReadWholeFile(files[0]), ending = comment + start;
    EXPECT_EQ(registry.compare(registry.size() - ending.size(), ending.size(), ending), 0)
        << registry;
    EXPECT_EQ(Temporaries(Rooted("/etc")), std::vector<std::string>());
}

// The boot script run by ksh against the stand-ins: a controller with one pool member of two
// processes started once, then stopped with its members.
TEST_F(BootRegTest, BootScriptStartsAndStopsTheController) {
    MSInfo m = Shop("shop");
    m.MSPort = FreePort();
    const std::string conf = std::string(m.HtmlPath);
    ASSERT_EQ(0, system(("mkdir -p " + conf).c_str()));
    std::ofstream(Rooted("/etc/services"), std::ios::app) << "vxshop " << m.MSPort << "/tcp\n";
    std::ofstream(conf + "/srvrctrl.conf")
        << "CONTROL_SERVICE vxshop\nCONTROL_POOL_CONFIG " << conf << "/vxshop_srv\n";
    std::ofstream(conf + "/vxshop_srv.conf") << "PROCESSES 2\n";
    ASSERT_EQ(1, SysRegVXSvc(m));
    // The waits pass quickly, yet leave the daemons time to come up.
    setenv("VXCONFIG_SLEEP_MS", "20", 1);
    const std::string boot = Rooted("/bin/ksh") + " " + Rooted("/etc/rc2.d/S88vx3_mserverd");
    const std::string again = Rooted("/tmp/again.txt");
    ASSERT_EQ(0, system((boot + " start > /dev/null 2>&1").c_str()));
    EXPECT_TRUE(Eventually([&] { return SysIsVXSvcActive(m) == 1; }));
    int pid = 0;
    ASSERT_EQ(1, GetVXSvcPid(m, pid));
    // Started once: a second start finds srvrctrl running and only warns.
    EXPECT_EQ(0, system((boot + " start > " + again + " 2>&1").c_str()));
    EXPECT_TRUE(Has(ReadWholeFile(again), "WARNING: srvrctrl processes are already running"));
    ASSERT_EQ(0, system((boot + " stop > /dev/null 2>&1").c_str()));
    EXPECT_TRUE(Eventually([&] { return !Alive(pid); }));
    EXPECT_EQ(0, SysIsVXSvcActive(m));
    EXPECT_EQ(0u, Entries(conf, "*.vxpid").size());
    // The stop requests' private directory is removed after use.
    EXPECT_EQ(Entries(Rooted("/tmp"), "vxstop.*"), std::vector<std::string>());
}

} // namespace
