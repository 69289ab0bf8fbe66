// The web server through the generic service functions: the start script, the stop that
// signals only the web server's user, and the restart's wait.
#include <csignal>

#include "svc_fixture.h"

namespace {

const char kPidFile[] = "/opt/WharfServer/usr/internet/server_root/httpd-pid";

class WebServerTest : public PlatformTest {
protected:
    // The process listing the sandbox's ps prints: the file ROOT/listing, or for the first
    // busyCalls runs ROOT/listing.busy. Its runs from now on are counted in ROOT/ps.count.
    void FakeProcessList(const std::string& listing, int busyCalls = 0,
                         const std::string& busy = "") {
        ASSERT_TRUE(WriteWholeFile(Rooted("/listing"), listing));
        ASSERT_TRUE(WriteWholeFile(Rooted("/listing.busy"), busy));
        RemoveTree(Rooted("/ps.count"));
        std::string script =
            "[ \"$1\" = -ef ] || exit 2\ncd " + Root() +
            "\nn=$(($(cat ps.count 2>/dev/null || echo 0) + 1)); echo $n > ps.count"
            "\nif [ $n -le " +
            std::to_string(busyCalls) + " ]; then cat listing.busy; else cat listing; fi\n";
        ASSERT_TRUE(WriteScript(Rooted("/usr/bin/ps"), script));
    }

    int ProcessListRuns() { return atoi(ReadWholeFile(Rooted("/ps.count")).c_str()); }

    void WritePidFile(const std::string& text) {
        ASSERT_TRUE(WriteScript(Rooted(kPidFile), ""));
        ASSERT_TRUE(WriteWholeFile(Rooted(kPidFile), text));
    }

    // A ksh that hands the script to sh, and an httpd that notes its start and exits with
    // status.
    void FakeStartPrograms(int status) {
        ASSERT_TRUE(WriteScript(Rooted("/bin/ksh"), "exec /bin/sh \"$@\"\n"));
        ASSERT_TRUE(WriteScript(Rooted("/usr/sbin/httpd"), "echo started >> " +
                                                               Rooted("/httpd.log") + "\nexit " +
                                                               std::to_string(status) + "\n"));
    }
};

const char kHeader[] = "     UID   PID  PPID  C    STIME TTY         TIME CMD\n";

TEST_F(WebServerTest, StopSignalsOnlyTheProcessesOfNobody) {
    Lookalike server({"sleeper"}), worker({"sleeper"}), otherUser({"sleeper"}),
        otherName({"sleeper"});
    auto line = [](const char* user, const Lookalike& process, const char* cmd) {
        return std::string(user) + "\t" + std::to_string(process.Pid()) + " 1 0 10:00:01 ? 0:00 " +
               cmd + "\n";
    };
    FakeProcessList(std::string(kHeader) + line("nobody", server, "/usr/sbin/httpd") + "  " +
                    line("nobody", worker, "/usr/sbin/httpd -X") +
                    line("vxowner", otherUser, "/usr/sbin/httpd") +
                    line("nobody", otherName, "/usr/bin/sleep") +
                    "nobody abc 1 0 10:00:01 ? 0:00 httpd\n"
                    "nobody 12x 1 0 10:00:01 ? 0:00 httpd\n"
                    "nobodyelse 77 1 0 10:00:01 ? 0:00 httpd\n");
    EXPECT_EQ(1, ICStopSvc("httpd"));
    EXPECT_EQ(SIGTERM, server.End(5000));
    EXPECT_EQ(SIGTERM, worker.End(5000));
    EXPECT_EQ(-1, otherUser.End(100)) << "another user's process runs on";
    EXPECT_EQ(-1, otherName.End(100)) << "a process without the pattern runs on";

    // Hostile or empty patterns run nothing and still answer 1.
    EXPECT_EQ(1, SysStopSvc(""));
    EXPECT_EQ(1, SysStopSvc(nullptr));
    EXPECT_EQ(1, SysStopSvc("httpd; touch /tmp/pwned"));
    EXPECT_FALSE(FileExists("/tmp/pwned"));
    unlink(Rooted("/usr/bin/ps").c_str());
    EXPECT_EQ(1, SysStopSvc("httpd")) << "no listing";
}

TEST_F(WebServerTest, StartWritesTheScriptAndJudgesTheShellStatus) {
    FakeStartPrograms(0);
    std::string script = Rooted("/tmp/pat.sh");
    // A script planted under the fixed name is never written through.
    ASSERT_TRUE(WriteWholeFile(Rooted("/victim"), "keep\n"));
    ASSERT_EQ(0, symlink(Rooted("/victim").c_str(), script.c_str()));
    EXPECT_EQ(0, SysStartSvc("httpd"));
    EXPECT_EQ("keep\n", ReadWholeFile(Rooted("/victim")));
    EXPECT_FALSE(FileExists(Rooted("/httpd.log")));
    ASSERT_EQ(0, unlink(script.c_str()));

    EXPECT_EQ(1, ICStartSvc("httpd"));
    EXPECT_EQ(Rooted("/usr/sbin/httpd") + "\n", ReadWholeFile(script));
    EXPECT_EQ(0744u, ModeOf(script));
    EXPECT_EQ("started\n", ReadWholeFile(Rooted("/httpd.log")));

    // With a readable profile it is read first; a failing server gives 0.
    ASSERT_TRUE(
        WriteWholeFile(Rooted("/.profile"), "echo profile >> " + Rooted("/httpd.log") + "\n"));
    FakeStartPrograms(3);
    EXPECT_EQ(0, SysStartSvc("httpd"));
    EXPECT_EQ(". " + Rooted("/.profile") + "\n" + Rooted("/usr/sbin/httpd") + "\n",
              ReadWholeFile(script));
    EXPECT_EQ("started\nprofile\nstarted\n", ReadWholeFile(Rooted("/httpd.log")));
}

TEST_F(WebServerTest, RestartWaitsForTheStopThenStarts) {
    FakeStartPrograms(0);
    WritePidFile("4711\n");
    // Owned by another user than nobody, so the stop signals nothing real.
    std::string running = std::string(kHeader) + "www 4711 1 0 10:00 ? 0:00 /usr/sbin/httpd\n";
    std::string stopped = std::string(kHeader) + "root 5000 1 0 10:00 ? 0:00 /usr/sbin/cron\n";

    // Not running: 1 without any start.
    FakeProcessList(stopped);
    EXPECT_EQ(1, ICRestartHWLWebServer());
    EXPECT_FALSE(FileExists(Rooted("/tmp/pat.sh")));

    // The active check, the stop's listing and three checks still find it; the fourth not.
    FakeProcessList(stopped, 5, running);
    EXPECT_EQ(1, ICRestartHWLWebServer());
    EXPECT_EQ(6, ProcessListRuns());
    EXPECT_EQ("started\n", ReadWholeFile(Rooted("/httpd.log")));

    // Never gone: 180 checks, no start.
    unlink(Rooted("/httpd.log").c_str());
    FakeProcessList(running);
    EXPECT_EQ(0, ICRestartHWLWebServer());
    EXPECT_EQ(2 + 180, ProcessListRuns());
    EXPECT_FALSE(FileExists(Rooted("/httpd.log")));
}

} // namespace
