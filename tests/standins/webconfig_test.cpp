// The administration program stand-in webconfig: the stop request of the boot scripts stops
// the named instance's controller and nothing else.
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "daemon_fixture.h"
#include "standin_shell.h"

namespace {

struct Instance {
    std::string name, dir, conf;
    int port;
};

} // namespace

class WebconfigTest : public DaemonTest {
protected:
    // A registered, running instance: services line, controller file, rc.vndx entry.
    Instance Start(const std::string& name) {
        Instance i{name, ConfDir(name), "", FreePort()};
        AddService("vx" + name, i.port);
        i.conf = WriteControllerConf(i.dir, "vx" + name, {"vxtrade"});
        std::string rc = Rooted("/etc/rc.vndx");
        std::string text = FileExists(rc) ? ReadWholeFile(rc)
                                          : "#! /bin/ksh\n# rc.vndx - Orvell Vendrix "
                                            "initialization file.\n#\n";
        text += "#Vendrix Instance - " + name +
                "\nsu - " SANDBOX_INSTANCE_USER " -c \"reldastart; " + ProductBin() +
                "/srvrctrl -i " + i.conf + "&\"\n";
        EXPECT_TRUE(WriteWholeFile(rc, text, 0754));
        EXPECT_EQ(StartController(i.conf), 0);
        return i;
    }

    // Runs webconfig the way the boot script's stop request does.
    ShellResult Stop(const std::string& request, const char* method = "POST") {
        std::string file = Rooted("/tmp/stop0.sh");
        EXPECT_TRUE(WriteWholeFile(file, request));
        return RunShell(std::string("CONTENT_LENGTH=20 REQUEST_METHOD=") + method + " " +
                        Rooted("/opt/Orvellvndx/Vendrix3/server/admin/webconfig") + " < " + file);
    }

    bool Running(const Instance& i) {
        bool closed;
        return StatusOf(Exchange(i.port, AdminRequest("ListServers", i.port), 5000, &closed)) ==
               200;
    }
};

TEST_F(WebconfigTest, StopsTheNamedInstanceOnlyAndNeverAProcessOutside) {
    Instance shop1 = Start("shop1"), shop2 = Start("shop2");
    struct Case {
        std::string request;
        const char* method;
        const char* status;
    };
    const Case cases[] = {{"$COMMAND=STOP_SERVER\nNAME=shop1\n", "GET", "Status: 405"},
                          {"$COMMAND=STOP_SERVER\nNAME=shop1;kill -9 1\n", "POST", "Status: 400"},
                          {"$COMMAND=STOP_SERVER\nNAME=../shop1\n", "POST", "Status: 400"},
                          {"$COMMAND=STOP_SERVER\nNAME=shop9\n", "POST", "Status: 404"}};
    for (const Case& c : cases) {
        ShellResult r = Stop(c.request, c.method);
        EXPECT_EQ(r.exitCode, 1) << c.request;
        EXPECT_EQ(r.out.compare(0, strlen(c.status), c.status), 0) << c.request << r.out;
    }
    EXPECT_TRUE(Running(shop1));
    ShellResult stop = Stop("$COMMAND=STOP_SERVER\nNAME=shop2\n");
    EXPECT_EQ(stop.exitCode, 0) << stop.out << stop.err;
    EXPECT_FALSE(FileExists(shop2.dir + "/srvrctrl.pid"));
    EXPECT_TRUE(MarkerPids(shop2.dir).empty());
    EXPECT_FALSE(CanConnect(shop2.port));
    EXPECT_TRUE(Running(shop1));

    // An entry whose pid file names a process outside the sandbox: not signalled.
    pid_t outside = fork();
    ASSERT_GE(outside, 0);
    if (outside == 0) {
        execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string dir = ConfDir("shop3");
    WriteControllerConf(dir, "vxshop3", {"vxtrade"});
    AddService("vxshop3", FreePort());
    ASSERT_TRUE(WriteWholeFile(dir + "/srvrctrl.pid", std::to_string(outside) + "\n"));
    std::string rc = Rooted("/etc/rc.vndx");
    ASSERT_TRUE(WriteWholeFile(rc, ReadWholeFile(rc) + "#Vendrix Instance - shop3\nsu - x -c \"" +
                                       ProductBin() + "/srvrctrl -i " + dir +
                                       "/srvrctrl.conf&\"\n#Vendrix Instance - shop4\n"
                                       "su - x -c \"/bin/true -i /etc/passwd&\"\n"));
    EXPECT_EQ(Stop("$COMMAND=STOP_SERVER\nNAME=shop3\n").exitCode, 0);
    ShellResult wrongFile = Stop("$COMMAND=STOP_SERVER\nNAME=shop4\n");
    EXPECT_EQ(wrongFile.exitCode, 1);
    EXPECT_NE(wrongFile.out.find("Status: 500"), std::string::npos) << wrongFile.out;
    EXPECT_TRUE(Alive(outside));
    kill(outside, SIGKILL);
    waitpid(outside, nullptr, 0);
    EXPECT_TRUE(Running(shop1));
}
