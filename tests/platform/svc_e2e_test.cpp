// The service functions against the sandbox's stand-in programs: a controller started,
// found and stopped with its members, also from the boot script, and the web server started,
// restarted and stopped, each as a user of the sandbox would see it.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "svc_fixture.h"

namespace {

// True while pid names a process that has not ended (a zombie has ended).
bool Alive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text))
        return false;
    size_t paren = text.rfind(')');
    return paren != std::string::npos && paren + 2 < text.size() && text[paren + 2] != 'Z';
}

// Waits up to a few seconds for check to hold.
template <typename Check> bool Eventually(Check check) {
    for (int i = 0; i < 500; ++i) {
        if (check())
            return true;
        usleep(10000);
    }
    return check();
}

// The names in dir that begin with prefix and end with suffix.
std::vector<std::string> Names(const std::string& dir, const std::string& prefix,
                               const std::string& suffix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::string name = entry.path().filename();
        if (name.size() >= prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            names.push_back(name);
    }
    return names;
}

class StandInServiceTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        // The waits pass quickly, yet leave the daemons time to come up.
        setenv("VXCONFIG_SLEEP_MS", "20", 1);
    }

    std::string Conf() const { return Rooted("/conf/shop"); }

    // An instance whose controller listens on a free port, with one pool member of two
    // processes, registered in etc/rc.vndx.
    MSInfo ControllerInstance() {
        MSInfo m = SvcInstance(Root(), "shop", FreePort());
        std::ofstream(Rooted("/etc/services"), std::ios::app) << "vxshop " << m.MSPort << "/tcp\n";
        std::ofstream(Conf() + "/srvrctrl.conf")
            << "CONTROL_SERVICE vxshop\nCONTROL_POOL_CONFIG " << Conf() << "/vxshop_srv\n";
        std::ofstream(Conf() + "/vxshop_srv.conf") << "PROCESSES 2\n";
        std::ofstream(Rooted("/etc/rc.vndx"))
            << "#!/bin/sh\n#Vendrix Instance - shop\nsu - " << SANDBOX_INSTANCE_USER
            << " -c \"reldastart; " << Rooted("/opt/Orvellvndx/Vendrix3/bin/srvrctrl") << " -i "
            << Conf() << "/srvrctrl.conf&\"\n";
        return m;
    }
};

TEST_F(StandInServiceTest, ControllerStartsAnswersAndStopsWithItsMembers) {
    MSInfo m = ControllerInstance();
    StatusLines status;
    EXPECT_EQ(0, SysIsVXSvcActive(m));
    ASSERT_EQ(1, ICStartVXSvc(m)) << ReadWholeFile(Rooted("/tmp/test.txt"));
    int pid = 0;
    ASSERT_EQ(1, GetVXSvcPid(m, pid));
    EXPECT_TRUE(Alive(pid));
    EXPECT_EQ(2u, Names(Conf(), "", ".vxpid").size());
    EXPECT_EQ(1, ICStartVXSvc(m));
    std::vector<std::string> expected = {"Storix servers for instance shop started successfully.",
                                         "Storix servers for instance shop are already active."};
    EXPECT_EQ(expected, status.Lines());

    EXPECT_EQ(1, ICStopVXSvc(m));
    EXPECT_EQ("Storix servers for instance shop stopped successfully.", status.Lines().back());
    EXPECT_TRUE(Eventually([&] { return !Alive(pid); }));
    EXPECT_EQ(0, SysIsVXSvcActive(m));
    EXPECT_FALSE(FileExists(Conf() + "/srvrctrl.pid"));
    EXPECT_EQ(0u, Names(Conf(), "", ".vxpid").size());
}

TEST_F(StandInServiceTest, BootScriptStartsAndStopsTheController) {
    MSInfo m = ControllerInstance();
    ASSERT_EQ(1, SysConfigReboot(m, 0));
    std::string script = Rooted("/etc/rc2.d/S88vx3_mserverd");
    std::string ksh = Rooted("/bin/ksh");
    ASSERT_EQ(0, system((ksh + " " + script + " start > /dev/null 2>&1").c_str()));
    EXPECT_TRUE(Eventually([&] { return SysIsVXSvcActive(m) == 1; }));
    int pid = 0;
    ASSERT_EQ(1, GetVXSvcPid(m, pid));
    // Started once: a second start finds srvrctrl running and only warns.
    std::string again = Rooted("/tmp/again.txt");
    EXPECT_EQ(0, system((ksh + " " + script + " start > " + again + " 2>&1").c_str()));
    EXPECT_NE(ReadWholeFile(again).find("WARNING: srvrctrl processes are already running"),
              std::string::npos);

    ASSERT_EQ(0, system((ksh + " " + script + " stop > /dev/null 2>&1").c_str()));
    EXPECT_TRUE(Eventually([&] { return !Alive(pid); }));
    EXPECT_EQ(0, SysIsVXSvcActive(m));
    EXPECT_EQ(0u, Names(Conf(), "", ".vxpid").size());
    // The stop requests' private directory is removed after use.
    EXPECT_EQ(Names(Rooted("/tmp"), "vxstop.", ""), std::vector<std::string>());
}

TEST_F(StandInServiceTest, WebServerStartsRestartsAndStops) {
    EXPECT_EQ(0, SysIsSvcActive("httpd")) << "no process id file yet";
    EXPECT_EQ(1, ICRestartHWLWebServer()) << "not running: nothing to restart";
    EXPECT_FALSE(FileExists(Rooted("/tmp/pat.sh")));
    ASSERT_EQ(1, ICStartSvc("httpd"));
    EXPECT_EQ(1, SysIsSvcActive("httpd"));
    std::string pidFile = Rooted("/opt/WharfServer/usr/internet/server_root/httpd-pid");
    pid_t first = atoi(ReadWholeFile(pidFile).c_str());
    ASSERT_GT(first, 1);

    EXPECT_EQ(1, ICRestartHWLWebServer());
    EXPECT_EQ(1, SysIsSvcActive("httpd"));
    pid_t second = atoi(ReadWholeFile(pidFile).c_str());
    EXPECT_NE(first, second);
    EXPECT_TRUE(Eventually([&] { return !Alive(first); }));

    EXPECT_EQ(1, ICStopSvc("httpd"));
    EXPECT_TRUE(Eventually([] { return SysIsSvcStopped("httpd") == 1; }));
    EXPECT_EQ(0, SysIsSvcActive("httpd"));
}

} // namespace
