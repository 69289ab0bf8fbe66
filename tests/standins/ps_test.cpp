// The process listing of a sandbox: only the sandbox's own stand-in processes, each as the
// user it stands for, so that a scan or a kill by the library never reaches a process outside.
#include <climits>
#include <csignal>
#include <map>
#include <sys/prctl.h>
#include <sys/wait.h>

#include "sandbox_fixture.h"

namespace {

// The listing's lines after the header, by their process id column.
std::map<int, std::vector<std::string>> ByPid(const ProgramResult& r, size_t pidColumn) {
    std::map<int, std::vector<std::string>> lines;
    std::vector<std::string> all = LinesOf(r.out);
    for (size_t i = 1; i < all.size(); ++i) {
        std::vector<std::string> words = WordsOf(all[i]);
        if (words.size() > pidColumn)
            lines[atoi(words[pidColumn].c_str())] = words;
    }
    return lines;
}

// The daemons leave their starter: this process, their subreaper, reaps them, and at the end
// kills whatever still runs a program of the sandbox, so that no process outlives the test.
class PsTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0);
    }
    void TearDown() override {
        char resolved[PATH_MAX];
        const std::string root =
            std::string(realpath(Root().c_str(), resolved) ? resolved : Root()) + "/";
        EXPECT_TRUE(Eventually(
            [&] {
                bool none = true;
                for (const std::string& pid : Entries("/proc", "[0-9]*")) {
                    char exe[PATH_MAX];
                    ssize_t n = readlink(("/proc/" + pid + "/exe").c_str(), exe, sizeof exe);
                    if (n > 0 && std::string(exe, size_t(n)).compare(0, root.size(), root) == 0 &&
                        Alive(atoi(pid.c_str()))) {
                        kill(atoi(pid.c_str()), SIGKILL);
                        none = false;
                    }
                }
                while (waitpid(-1, nullptr, WNOHANG) > 0) {
                }
                return none;
            },
            10000))
            << "sandbox processes survive";
        prctl(PR_SET_CHILD_SUBREAPER, 0, 0, 0, 0);
        SandboxTest::TearDown();
    }
};

TEST_F(PsTest, ListsOnlyTheSandboxsProcessesAsTheUsersTheyStandFor) {
    ASSERT_EQ(RunShell(Rooted("/usr/sbin/httpd")).exitCode, 0);
    int httpd =
        atoi(ReadWholeFile(Rooted("/opt/WharfServer/usr/internet/server_root/httpd-pid")).c_str());
    const std::string dir = Rooted("/conf"), conf = dir + "/srvrctrl.conf";
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    ASSERT_TRUE(WriteWholeFile(Rooted("/etc/services"), ReadWholeFile(Rooted("/etc/services")) +
                                                            "vxshop1\t\t" +
                                                            std::to_string(FreePort()) + "/tcp\n"));
    ASSERT_TRUE(
        WriteWholeFile(conf, "CONTROL_SERVICE vxshop1\nCONTROL_POOL_CONFIG " + dir + "/vxtrade\n"));
    const std::string product = Rooted("/opt/Orvellvndx/Vendrix3/bin");
    RunShell("su - " SANDBOX_INSTANCE_USER " -c \"" + product + "/srvrctrl -i " + conf + "&\"");
    ASSERT_TRUE(Eventually([&] { return Entries(dir, "*.vxpid").size() == 1; }, 8000));
    int controller = atoi(ReadWholeFile(dir + "/srvrctrl.pid").c_str());
    pid_t outside = fork();
    ASSERT_GE(outside, 0);
    if (outside == 0) {
        execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(127);
    }

    ProgramResult full = RunShell(Rooted("/usr/bin/ps") + " -ef");
    ASSERT_FALSE(LinesOf(full.out).empty()) << full.err;
    EXPECT_EQ(LinesOf(full.out)[0], "     UID   PID  PPID  C    STIME TTY         TIME CMD");
    auto listed = ByPid(full, 1);
    ASSERT_EQ(listed.count(httpd), 1u) << full.out;
    EXPECT_EQ(listed[httpd][0], "nobody");
    EXPECT_EQ(listed[httpd][7], Rooted("/usr/sbin/httpd"));
    ASSERT_EQ(listed.count(controller), 1u) << full.out;
    EXPECT_EQ(listed[controller][0], SANDBOX_INSTANCE_USER);
    EXPECT_EQ(std::vector<std::string>(listed[controller].begin() + 7, listed[controller].end()),
              (std::vector<std::string>{product + "/srvrctrl", "-i", conf}));
    EXPECT_EQ(listed.count(getpid()) + listed.count(outside) + listed.count(getppid()), 0u);

    // The short form through PATH, as the boot script runs it.
    ProgramResult running = RunShell("ps -e | grep srvrctrl | awk '{ print $1 }'");
    EXPECT_EQ(LinesOf(running.out), std::vector<std::string>{std::to_string(controller)});
    EXPECT_EQ(ByPid(RunShell("ps -e"), 0).count(outside), 0u);
    kill(outside, SIGKILL);
    waitpid(outside, nullptr, 0);

    // The build's own copy belongs to no root, and a copy lists only the root it lies in.
    for (const std::string& stray : {std::string("env -u VXCONFIG_ROOT " VX_BIN_DIR "/ps -ef"),
                                     "VXCONFIG_ROOT=/usr " + Rooted("/usr/bin/ps") + " -ef"}) {
        ProgramResult r = RunShell(stray);
        EXPECT_EQ(r.exitCode, 1) << stray;
        EXPECT_EQ(r.out, "") << stray;
    }
    ProgramResult placed = RunShell("env -u VXCONFIG_ROOT " + Rooted("/usr/bin/ps") + " -ef");
    EXPECT_EQ(ByPid(placed, 1).count(httpd), 1u) << placed.out;
}

} // namespace
