// The process listing of a sandbox: only the sandbox's own stand-in processes, each as the
// user it stands for, so that a scan or a kill by the library never reaches a process outside.
// (Its columns are read where the boot script runs it against the controller.)
#include <csignal>
#include <map>
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

TEST_F(SandboxTest, PsListsTheSandboxsProcessesAndNoneOutside) {
    pid_t outside = fork();
    if (outside == 0) {
        execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(outside, 0);
    ASSERT_EQ(RunShell(Rooted("/usr/sbin/httpd")).exitCode, 0);
    const int httpd =
        atoi(ReadWholeFile(Rooted("/opt/WharfServer/usr/internet/server_root/httpd-pid")).c_str());
    ASSERT_GT(httpd, 1);
    ProgramResult full = RunShell(Rooted("/usr/bin/ps") + " -ef");
    EXPECT_EQ(LinesOf(full.out).at(0), "     UID   PID  PPID  C    STIME TTY         TIME CMD");
    auto listed = ByPid(full, 1);
    EXPECT_EQ(listed.count(httpd), 1u) << full.out;
    std::vector<std::string> server = listed[httpd];
    server.resize(8);
    EXPECT_EQ(server[0], "nobody");
    EXPECT_EQ(server[7], Rooted("/usr/sbin/httpd"));
    EXPECT_EQ(listed.count(getpid()) + listed.count(outside) + listed.count(getppid()), 0u);
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
    kill(httpd, SIGKILL);
}

} // namespace
