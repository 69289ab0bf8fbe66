// The process listing of a sandbox and the web server stand-in it shows as "nobody".
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

#include "daemon_fixture.h"
#include "standin_shell.h"

namespace {

const int kGoneMs = 8000;
const char kPidFile[] = "/opt/WharfServer/usr/internet/server_root/httpd-pid";

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

} // namespace

class PsTest : public DaemonTest {
protected:
    int StartHttpd() {
        ShellResult r = RunShell(Rooted("/usr/sbin/httpd"));
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return PidIn(Rooted(kPidFile));
    }
};

TEST_F(PsTest, ListsOnlyTheSandboxsProcessesAsTheUsersTheyStandFor) {
    int httpd = StartHttpd();
    int port = FreePort();
    AddService("vxshop1", port);
    std::string dir = ConfDir("shop1");
    std::string conf = WriteControllerConf(dir, "vxshop1", {"vxtrade"});
    RunShell("su - " SANDBOX_INSTANCE_USER " -c \"" + ProductBin() + "/srvrctrl -i " + conf +
             "&\"");
    ASSERT_TRUE(WaitFor([&] { return MarkerPids(dir).size() == 1; }, kGoneMs));
    int controller = PidIn(dir + "/srvrctrl.pid"), member = MarkerPids(dir)[0];
    pid_t outside = fork();
    ASSERT_GE(outside, 0);
    if (outside == 0) {
        execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(127);
    }

    ShellResult full = RunShell(Rooted("/usr/bin/ps") + " -ef");
    EXPECT_EQ(full.exitCode, 0) << full.err;
    ASSERT_FALSE(full.lines.empty());
    EXPECT_EQ(full.lines[0], "     UID   PID  PPID  C    STIME TTY         TIME CMD");
    auto listed = ByPid(full, 1);
    ASSERT_EQ(listed.count(httpd), 1u) << full.out;
    EXPECT_EQ(listed[httpd][0], "nobody");
    EXPECT_EQ(listed[httpd].size(), 8u);
    EXPECT_EQ(listed[httpd][7], Rooted("/usr/sbin/httpd"));
    ASSERT_EQ(listed.count(controller), 1u) << full.out;
    EXPECT_EQ(
        listed[controller],
        (std::vector<std::string>{SANDBOX_INSTANCE_USER, std::to_string(controller),
                                  listed[controller][2], "0", listed[controller][4], "?",
                                  listed[controller][6], ProductBin() + "/srvrctrl", "-i", conf}));
    ASSERT_EQ(listed.count(member), 1u) << full.out;
    EXPECT_EQ(listed[member][0], SANDBOX_INSTANCE_USER);
    EXPECT_EQ(listed[member][7], dir + "/vxtrade");
    EXPECT_EQ(listed.count(getpid()) + listed.count(outside) + listed.count(getppid()), 0u);
    // Every process listed runs a program of the sandbox (but ps itself has ended by now).
    for (const auto& entry : listed) {
        if (Alive(entry.first)) {
            EXPECT_EQ(ExeOf(entry.first).compare(0, Root().size() + 1, Root() + "/"), 0)
                << entry.first << " " << ExeOf(entry.first);
        }
    }

    // The short form, and bare "ps" through PATH as the boot script runs it.
    ShellResult brief = RunShell("ps -e");
    EXPECT_EQ(brief.lines.at(0), "  PID TTY         TIME CMD");
    auto names = ByPid(brief, 0);
    EXPECT_EQ(names[httpd],
              (std::vector<std::string>{std::to_string(httpd), "?", names[httpd].at(2), "httpd"}));
    EXPECT_EQ(names[controller].at(3), "srvrctrl");
    EXPECT_EQ(names[member].at(3), "vxtrade");
    EXPECT_EQ(names.count(outside), 0u);
    ShellResult running = RunShell("ps -e | grep srvrctrl | awk '{ print $1 }'");
    EXPECT_EQ(running.lines, std::vector<std::string>{std::to_string(controller)});
    ShellResult web = RunShell(Rooted("/bin/ps") + " -ef | grep httpd");
    ASSERT_EQ(web.lines.size(), 1u) << web.out;
    EXPECT_EQ(WordsOf(web.lines[0])[0], "nobody");
    EXPECT_EQ(WordsOf(web.lines[0])[1], std::to_string(httpd));
    kill(outside, SIGKILL);
    waitpid(outside, nullptr, 0);
}

TEST_F(PsTest, RefusesOtherFormsAndListsNothingWithoutARoot) {
    int httpd = StartHttpd();
    for (const char* shape : {"", " -x", " aux", " -e -x", " -", " -efx", " e"}) {
        ShellResult r = RunShell(Rooted("/usr/bin/ps") + shape);
        EXPECT_EQ(r.exitCode, 2) << shape;
        EXPECT_EQ(r.out, "") << shape;
    }
    // The build's own copy belongs to no root, and a copy lists only the root it lies in.
    const std::string strays[] = {"env -u VXCONFIG_ROOT " VX_BIN_DIR "/ps -ef",
                                  VX_BIN_DIR "/ps -ef",
                                  "VXCONFIG_ROOT=/usr " + Rooted("/usr/bin/ps") + " -ef"};
    for (const std::string& stray : strays) {
        ShellResult r = RunShell(stray);
        EXPECT_EQ(r.exitCode, 1) << stray;
        EXPECT_EQ(r.out, "") << stray;
    }
    // A sandbox's copy finds its root from where it lies.
    ShellResult placed = RunShell("env -u VXCONFIG_ROOT " + Rooted("/usr/bin/ps") + " -ef");
    EXPECT_EQ(placed.exitCode, 0);
    EXPECT_EQ(ByPid(placed, 1).count(httpd), 1u) << placed.out;
}

TEST_F(PsTest, HttpdWritesItsPidFileAndStopsOnSignal) {
    int httpd = StartHttpd();
    EXPECT_EQ(ReadWholeFile(Rooted(kPidFile)), std::to_string(httpd) + "\n");
    EXPECT_EQ(ExeOf(httpd), Rooted("/usr/sbin/httpd"));
    ShellResult second = RunShell(Rooted("/usr/sbin/httpd"));
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("already running"), std::string::npos) << second.err;
    EXPECT_EQ(PidIn(Rooted(kPidFile)), httpd);

    // A stopped server leaves its pid file, naming a process that is gone; a new start
    // replaces it.
    for (int signal : {SIGTERM, SIGINT}) {
        kill(httpd, signal);
        EXPECT_TRUE(WaitFor([&] { return !Alive(httpd); }, kGoneMs)) << signal;
        EXPECT_EQ(PidIn(Rooted(kPidFile)), httpd);
        int next = StartHttpd();
        EXPECT_NE(next, httpd);
        httpd = next;
    }
    // So does a pid file naming a process outside (here this test).
    kill(httpd, SIGKILL);
    ASSERT_TRUE(WaitFor([&] { return !Alive(httpd); }, kGoneMs));
    ASSERT_TRUE(WriteWholeFile(Rooted(kPidFile), std::to_string(getpid()) + "\n"));
    int next = StartHttpd();
    EXPECT_NE(next, getpid());
    EXPECT_TRUE(Alive(next));
}
