// The process listing of a sandbox: only the sandbox's own stand-in processes, each as the
// user it stands for, so that a scan or a kill by the library never reaches a process outside.
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

#include "daemon_fixture.h"
#include "standin_shell.h"

namespace {

const int kGoneMs = 8000;

// The listing's lines after the header, by their process id column.
std::map<int, std::vector<std::string>> ByPid(const ShellResult& r, size_t pidColumn) {
    std::map<int, std::vector<std::string>> lines;
    for (size_t i = 1; i < r.lines.size(); ++i) {
        std::vector<std::string> words = WordsOf(r.lines[i]);
        if (words.size() > pidColumn)
            lines[atoi(words[pidColumn].c_str())] = words;
    }
    return lines;
}

class PsTest : public DaemonTest {};

TEST_F(PsTest, ListsOnlyTheSandboxsProcessesAsTheUsersTheyStandFor) {
    ASSERT_EQ(RunShell(Rooted("/usr/sbin/httpd")).exitCode, 0);
    int httpd = PidIn(Rooted("/opt/WharfServer/usr/internet/server_root/httpd-pid"));
    int port = FreePort();
    AddService("vxshop1", port);
    std::string dir = ConfDir("shop1");
    std::string conf = WriteControllerConf(dir, "vxshop1", {"vxtrade"});
    RunShell("su - " SANDBOX_INSTANCE_USER " -c \"" + ProductBin() + "/srvrctrl -i " + conf +
             "&\"");
    ASSERT_TRUE(WaitFor([&] { return MarkerPids(dir).size() == 1; }, kGoneMs));
    int controller = PidIn(dir + "/srvrctrl.pid");
    pid_t outside = fork();
    ASSERT_GE(outside, 0);
    if (outside == 0) {
        execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(127);
    }

    ShellResult full = RunShell(Rooted("/usr/bin/ps") + " -ef");
    ASSERT_FALSE(full.lines.empty()) << full.err;
    EXPECT_EQ(full.lines[0], "     UID   PID  PPID  C    STIME TTY         TIME CMD");
    auto listed = ByPid(full, 1);
    ASSERT_EQ(listed.count(httpd), 1u) << full.out;
    EXPECT_EQ(listed[httpd][0], "nobody");
    EXPECT_EQ(listed[httpd][7], Rooted("/usr/sbin/httpd"));
    ASSERT_EQ(listed.count(controller), 1u) << full.out;
    EXPECT_EQ(listed[controller][0], SANDBOX_INSTANCE_USER);
    EXPECT_EQ(std::vector<std::string>(listed[controller].begin() + 7, listed[controller].end()),
              (std::vector<std::string>{ProductBin() + "/srvrctrl", "-i", conf}));
    EXPECT_EQ(listed.count(getpid()) + listed.count(outside) + listed.count(getppid()), 0u);

    // The short form through PATH, as the boot script runs it.
    ShellResult running = RunShell("ps -e | grep srvrctrl | awk '{ print $1 }'");
    EXPECT_EQ(running.lines, std::vector<std::string>{std::to_string(controller)});
    EXPECT_EQ(ByPid(RunShell("ps -e"), 0).count(outside), 0u);
    kill(outside, SIGKILL);
    waitpid(outside, nullptr, 0);

    // The build's own copy belongs to no root, and a copy lists only the root it lies in.
    for (const std::string& stray : {std::string("env -u VXCONFIG_ROOT " VX_BIN_DIR "/ps -ef"),
                                     "VXCONFIG_ROOT=/usr " + Rooted("/usr/bin/ps") + " -ef"}) {
        ShellResult r = RunShell(stray);
        EXPECT_EQ(r.exitCode, 1) << stray;
        EXPECT_EQ(r.out, "") << stray;
    }
    ShellResult placed = RunShell("env -u VXCONFIG_ROOT " + Rooted("/usr/bin/ps") + " -ef");
    EXPECT_EQ(ByPid(placed, 1).count(httpd), 1u) << placed.out;
}

} // namespace
