// vxcfg tried as a hostile or unlucky user would: files it did not write, roots that hide
// commands, parallel and killed runs, full disks. Nothing may be lost or run.
#include <algorithm>
#include <csignal>
#include <random>
#include <sys/wait.h>

#include "sandbox_fixture.h"

namespace {

class VxcfgSafetyTest : public SandboxTest {
protected:
    std::string AdminDir() const { return Rooted("/opt/Orvellvndx/Vendrix3/server/admin"); }
    std::string DataFile() const { return AdminDir() + "/vxconfig.dat"; }
    // The names of the instances of the data file, in order.
    std::vector<std::string> Names() {
        MSList list;
        EXPECT_EQ(list.LoadDataFile(DataFile().c_str()), 1) << SysGetLastReason();
        std::vector<std::string> names;
        for (int i = 0; i < list.GetCount(); ++i)
            names.push_back(std::string(At(list, i).Name));
        return names;
    }
};

// vxcfg add of instance i, with a host, document root, database and ports of its own.
std::vector<std::string> Adding(int i) {
    std::string n = std::to_string(i);
    return {"add",        "shop" + n, "--host", "web" + n, "--docroot",
            "/srv/d" + n, "--db",     "db" + n, "--port",  std::to_string(20000 + 20 * i)};
}

TEST_F(VxcfgSafetyTest, FilesThatAreNotDataFilesAreNeverReplaced) {
    std::string shadow = Rooted("/etc/shadow");
    std::string text = Root() + "/notes.txt";
    ASSERT_TRUE(WriteWholeFile(text, "my notes\nabout things\n"));
    for (const std::string& file : {shadow, text}) {
        std::string before = ReadWholeFile(file);
        for (std::vector<std::string> cmd :
             {std::vector<std::string>{"add", "shop1"}, {"list"}, {"remove", "shop1"}}) {
            cmd.insert(cmd.end(), {"--data", file});
            ProgramResult r = Vxcfg(cmd);
            EXPECT_EQ(r.exitCode, 1) << cmd[0] << " " << file;
            EXPECT_EQ(r.err, "vxcfg: Configuration data loading error. " + file +
                                 ": line 1: not a number\n");
        }
        EXPECT_EQ(ReadWholeFile(file), before);
    }
    // The library itself refuses to store over them too, and says why.
    MSList list;
    EXPECT_EQ(list.Store(text.c_str()), 0);
    EXPECT_EQ(std::string(SysGetLastReason()),
              text + ": not an instance data file, so it is left as it is (line 1: not a number)");
    EXPECT_EQ(ReadWholeFile(text), "my notes\nabout things\n");

    ProgramResult dir = Vxcfg({"list", "--data", Rooted("/etc")});
    EXPECT_EQ(dir.exitCode, 1);
    EXPECT_EQ(dir.err,
              "vxcfg: Configuration data loading error. " + Rooted("/etc") + ": Is a directory\n");
    ProgramResult empty = Vxcfg({"list", "--data", ""});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_TRUE(Has(empty.err, "--data needs a value"));
}

TEST_F(VxcfgSafetyTest, NewDataFilesArePrivateAndLinksAreKept) {
    ASSERT_EQ(Vxcfg({"add", "shop1"}).exitCode, 0);
    EXPECT_EQ(ModeOf(DataFile()), 0600u);
    // An existing file keeps its owner's bits; nobody else may read the stored passwords.
    ASSERT_EQ(chmod(DataFile().c_str(), 0744), 0);
    ASSERT_EQ(Vxcfg({"set", "shop1", "--procs", "3"}).exitCode, 0);
    EXPECT_EQ(ModeOf(DataFile()), 0700u);

    std::string link = Root() + "/link.dat";
    ASSERT_EQ(symlink(DataFile().c_str(), link.c_str()), 0);
    ASSERT_EQ(Vxcfg({"remove", "shop1", "--data", link}).exitCode, 0);
    EXPECT_EQ(ModeAndOwner(link).rfind("link ", 0), 0u);
    EXPECT_EQ(ReadWholeFile(DataFile()), "769\n0\n769\n");
}

TEST_F(VxcfgSafetyTest, HostileNamesAndRootsRunNothing) {
    // Commands hidden in values would run in the working directory; make it one we watch.
    std::string watched = Rooted("/tmp");
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(chdir(watched.c_str()), 0);
    // Each option with the shapes of attack; the character rule itself is the safe-value
    // tests' part.
    const std::vector<std::string> hostile = {
        "a;touch PWNED", "$(touch PWNED)",        "`touch PWNED`", "a>PWNED", "a\nb", "..",
        "-rf",           std::string("a\x01", 2),
    };
    for (const std::string& value : hostile) {
        for (std::vector<std::string> cmd : {std::vector<std::string>{"add", value},
                                             {"add", "shop1", "--host", value},
                                             {"add", "shop1", "--dbuser", value},
                                             {"add", "shop1", "--db", value},
                                             {"add", "shop1", "--dbnode", value},
                                             {"add", "shop1", "--docroot", "/srv/" + value},
                                             {"add", "shop1", "--rootpath", "/srv/" + value}}) {
            // Inside a path, dots and a dash after a slash are harmless.
            if (cmd.size() > 2 && cmd[3].rfind("/srv/", 0) == 0 &&
                (value == ".." || value == "-rf"))
                continue;
            ProgramResult r = Vxcfg(cmd);
            EXPECT_EQ(r.exitCode, 2)
                << cmd[cmd.size() > 2 ? 2 : 0] << " " << value << ": " << r.err;
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
        }
    }
    EXPECT_FALSE(FileExists(DataFile()));

    // A root that hides a command: refused before anything runs, also from the environment.
    std::string trap = Root() + "/a;touch PWNED;b";
    ASSERT_EQ(mkdir(trap.c_str(), 0755), 0);
    ProgramResult r = RunProgram("vxcfg", {"--root", trap, "add", "shop1", "--dbpass", "x"});
    EXPECT_EQ(r.exitCode, 2) << r.err;
    setenv("VXCONFIG_ROOT", trap.c_str(), 1);
    r = RunProgram("vxcfg", {"add", "shop1", "--dbpass", "x"});
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_TRUE(Has(r.err, "VXCONFIG_ROOT"));
    // The library on its own leads such a root nowhere rather than to the real system.
    EXPECT_EQ(std::string(SysRootPath("/etc/shadow")), "/dev/null/etc/shadow");
    EXPECT_EQ(SysCheckDBPswd(SANDBOX_PASSWORD, SANDBOX_OWNER_USER), 0);
    setenv("VXCONFIG_ROOT", Root().c_str(), 1);

    ASSERT_EQ(chdir(saved), 0);
    EXPECT_FALSE(FileExists(watched + "/PWNED"));
    EXPECT_FALSE(FileExists(Root() + "/a;touch PWNED;b/PWNED"));
}

TEST_F(VxcfgSafetyTest, ARootWithoutAnInstallationIsRefusedAndLeftAlone) {
    std::string bare = Root() + "/bare";
    ASSERT_EQ(mkdir(bare.c_str(), 0755), 0);
    for (const std::string& root : {bare, Root() + "/missing"}) {
        for (std::vector<std::string> cmd : {std::vector<std::string>{"add", "shop1"},
                                             {"list"},
                                             {"list", "--data", Root() + "/x.dat"}}) {
            std::vector<std::string> args = {"--root", root};
            args.insert(args.end(), cmd.begin(), cmd.end());
            ProgramResult r = RunProgram("vxcfg", args);
            EXPECT_EQ(r.exitCode, 1) << root;
            EXPECT_EQ(r.err, "vxcfg: Cannot find Loomwork Storix installation directory. " + root +
                                 "/opt/Orvellvndx/Vendrix3: No such file or directory\n");
        }
    }
    EXPECT_FALSE(FileExists(Root() + "/missing"));
    EXPECT_FALSE(FileExists(bare + "/opt"));
    EXPECT_FALSE(FileExists(Root() + "/x.dat"));
}

TEST_F(VxcfgSafetyTest, ParallelCommandsLoseNoChange) {
    enum { kWriters = 8 };
    std::vector<int> pids;
    for (int i = 0; i < kWriters; ++i) {
        std::vector<std::string> args = Adding(i);
        args.insert(args.begin(), {"--root", Root()});
        pids.push_back(StartProgram("vxcfg", args));
    }
    for (int pid : pids) {
        int status = -1;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::vector<std::string> names = Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"shop0", "shop1", "shop2", "shop3", "shop4", "shop5",
                                               "shop6", "shop7"}));
}

// Commands killed at any moment leave the data file whole: absent before the first store,
// afterwards always an instance data file. The next successful run leaves no temporaries.
TEST_F(VxcfgSafetyTest, KilledCommandsLeaveTheDataFileWhole) {
    ASSERT_EQ(Vxcfg(Adding(0)).exitCode, 0);
    std::mt19937 random(19991231);
    std::uniform_int_distribution<int> delay(0, 12000);
    for (int round = 0; round < 300; ++round) {
        const std::vector<std::string> commands[] = {
            Adding(1),
            {"set", "shop1", "--procs", std::to_string(2 + round % 90)},
            {"remove", "shop1"}};
        std::vector<std::string> cmd = commands[round % 3];
        cmd.insert(cmd.begin(), {"--root", Root()});
        int pid = StartProgram("vxcfg", cmd);
        ASSERT_GT(pid, 0);
        usleep(static_cast<useconds_t>(delay(random)));
        kill(pid, SIGKILL);
        ASSERT_EQ(waitpid(pid, nullptr, 0), pid);
        ASSERT_EQ(MSList::IsDataFile(DataFile().c_str()), 1)
            << "round " << round << ": " << SysGetLastReason();
        std::vector<std::string> names = Names();
        ASSERT_TRUE(names == std::vector<std::string>{"shop0"} ||
                    names == (std::vector<std::string>{"shop0", "shop1"}))
            << "round " << round;
    }
    ASSERT_EQ(Vxcfg({"set", "shop0", "--procs", "5"}).exitCode, 0);
    EXPECT_EQ(Temporaries(AdminDir()), std::vector<std::string>());
}

TEST_F(VxcfgSafetyTest, FullOutputAndSandboxOverFilesAreRefused) {
    ASSERT_EQ(Vxcfg({"add", "shop1"}).exitCode, 0);
    ProgramResult full = RunProgram("vxcfg", {"--root", Root(), "list"}, "/dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "vxcfg: cannot write standard output: No space left on device\n");

    // An installation is somebody's: laying a sandbox over it needs --force.
    std::string passwd = ReadWholeFile(Rooted("/etc/passwd"));
    ASSERT_TRUE(
        WriteWholeFile(Rooted("/etc/passwd"), passwd + "me:x:1000:1000::/home/me:/bin/sh\n"));
    ASSERT_TRUE(WriteWholeFile(Rooted("/bin/su"), "#!/bin/sh\necho my own su\n", 0755));
    ProgramResult r = RunProgram("vxcfg", {"sandbox", Root()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "vxcfg: sandbox: " + Root() +
                         " already holds files; give --force to lay the sandbox out over them\n");
    EXPECT_EQ(ReadWholeFile(Rooted("/bin/su")), "#!/bin/sh\necho my own su\n");
    EXPECT_TRUE(Has(ReadWholeFile(Rooted("/etc/passwd")), "me:x:1000"));
    r = RunProgram("vxcfg", {"sandbox", Root(), "--force"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/passwd")), passwd);
}

// (Wrong and unknown options are named by the instance command tests.)
TEST_F(VxcfgSafetyTest, EveryCommandHasHelp) {
    for (const char* command :
         {"encrypt", "decrypt", "enckey", "deckey", "sandbox", "list", "show", "add", "set",
          "remove", "pay", "start", "stop", "status", "register", "unregister"}) {
        ProgramResult r = RunProgram("vxcfg", {command, "--help"});
        EXPECT_EQ(r.exitCode, 0) << command;
        EXPECT_EQ(r.out.rfind(std::string("usage: vxcfg [--root DIR] ") + command, 0), 0u) << r.out;
    }
    ProgramResult help = RunProgram("vxcfg", {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"encrypt TEXT", "decrypt TEXT", "enckey KEY", "deckey TEXT"})
        EXPECT_TRUE(Has(help.out, command)) << command;
    EXPECT_EQ(RunProgram("vxcfg", {"--version"}).out.rfind("vxcfg ", 0), 0u);

    // The same help as JSON, from which the browser console builds its forms: the record
    // field an option gives, the words of a choice, and which options are secrets.
    ProgramResult json = RunProgram("vxcfg", {"--json", "set", "--help"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out.rfind("{\"command\": \"set\", \"usage\": \"vxcfg set NAME ", 0), 0u);
    EXPECT_TRUE(Has(json.out,
                    "{\"name\": \"--dbtype\", \"arg\": \"relda|oracle\", \"help\": "
                    "\"one of relda, oracle\", \"secret\": false, \"allow_empty\": "
                    "false, \"field\": \"DBType\", \"choices\": [\"relda\", \"oracle\"]}"))
        << json.out;
    EXPECT_TRUE(Has(json.out, "{\"name\": \"--dbpass\", \"arg\": \"PASSWORD\""));
    EXPECT_TRUE(Has(json.out, "\"secret\": true, \"allow_empty\": false, \"field\": \"DBPswd\""));
}

} // namespace
