// The utilities: commands as the caller or through su, refusals that leave nothing behind,
// backup names, and the host name the system's tool reports.
#include <climits>
#include <cstdlib>
#include <unistd.h>

#include "platform_fixture.h"

namespace {

std::string WorkingDir() {
    char dir[PATH_MAX];
    return getcwd(dir, sizeof dir) ? dir : "";
}

// As the caller, the command runs in the directory and its status counts; through the rooted
// su as another user in a login shell of that user, where only the wait is judged.
TEST_F(SandboxTest, ExecCmdRunsInTheDirectoryAsTheCallerOrAnotherUser) {
    std::string dir = Rooted("/tmp"), before = WorkingDir(), marker = Rooted("/tmp/ran");
    EXPECT_EQ(SysExecCmd("touch made-here", dir.c_str(), nullptr), 1);
    EXPECT_TRUE(FileExists(dir + "/made-here"));
    EXPECT_EQ(ICExecCmd("exit 3", dir.c_str()), 0);
    // An unreachable directory runs nothing.
    EXPECT_EQ(SysExecCmd(("touch " + marker).c_str(), Rooted("/nowhere").c_str(), nullptr), 0);
    EXPECT_FALSE(FileExists(marker));
    EXPECT_EQ(WorkingDir(), before);

    EXPECT_EQ(SysExecCmd("sh -c 'echo $LOGNAME:$HOME > who'", dir.c_str(), SANDBOX_OWNER_USER), 1);
    EXPECT_EQ(ReadWholeFile(dir + "/who"),
              std::string(SANDBOX_OWNER_USER) + ":" + Rooted("/home/" SANDBOX_OWNER_USER) + "\n");
    EXPECT_EQ(SysExecCmd("false", dir.c_str(), SANDBOX_OWNER_USER), 1);
    EXPECT_EQ(SysExecCmd("touch never", dir.c_str(), "nosuchuser"), 1);
    // Without the su program the child cannot start it; that too is only seen in the files.
    ASSERT_EQ(unlink(Rooted("/bin/su").c_str()), 0);
    EXPECT_EQ(SysExecCmd("touch never", dir.c_str(), SANDBOX_OWNER_USER), 1);
    EXPECT_FALSE(FileExists(dir + "/never"));
}

// Only the command's own process goes to the directory: while it runs, the caller's working
// directory stays where it was.
TEST_F(SandboxTest, ExecCmdLeavesTheCallersDirectoryAlone) {
    std::string dir = Rooted("/tmp");
    ASSERT_NE(WorkingDir(), dir);
    EXPECT_EQ(SysExecCmd("readlink /proc/$PPID/cwd > parent", dir.c_str(), nullptr), 1);
    EXPECT_EQ(ReadWholeFile(dir + "/parent"), WorkingDir() + "\n");
}

// The directory and the user stand in the command text as they are: a value that could run
// as a command makes the call refuse, and nothing runs.
TEST_F(SandboxTest, ExecCmdRefusesDirectoriesAndUsersThatHideCommands) {
    std::string dir = Rooted("/tmp");
    std::string trap = dir + "/a;touch PWNED;b";
    ASSERT_EQ(mkdir(trap.c_str(), 0755), 0);
    EXPECT_EQ(SysExecCmd("true", trap.c_str(), SANDBOX_OWNER_USER), 0);
    EXPECT_EQ(SysExecCmd("true", trap.c_str(), nullptr), 0);
    for (const char* user : {"vxowner;touch PWNED", "-c", ""})
        EXPECT_EQ(SysExecCmd("touch ran", dir.c_str(), user), 0) << user;
    for (const std::string& where :
         {dir, trap, Rooted("/home/" SANDBOX_OWNER_USER), std::string(".")})
        EXPECT_FALSE(FileExists(where + "/PWNED")) << where;
    EXPECT_FALSE(FileExists(dir + "/ran"));

    // The library's own copies take no shell either: a source naming a command is a name.
    std::string source = dir + "/x;touch PWNED";
    ASSERT_TRUE(WriteWholeFile(source, "data"));
    ASSERT_EQ(SysCopyFileBin(source.c_str(), (dir + "/copied").c_str()), 1);
    EXPECT_EQ(ReadWholeFile(dir + "/copied"), "data");
    EXPECT_FALSE(FileExists(dir + "/PWNED"));
}

TEST_F(PlatformTest, MkdirChownChmodCopyAndBackupFailWhereTheSystemWould) {
    std::string dir = Rooted("/tmp/made"), file = dir + "/f", missing = Rooted("/tmp/missing");
    EXPECT_EQ(SysMkdir(dir.c_str(), SANDBOX_OWNER_USER, 0750), 1);
    EXPECT_EQ(ModeOf(dir), 0750u & ~CurrentUmask());
    EXPECT_EQ(SysMkdir(dir.c_str(), nullptr, 0755), 0); // exists already
    // An unknown owner fails the call; the directory is made all the same.
    EXPECT_EQ(SysMkdir(Rooted("/tmp/other").c_str(), "nosuchuser", 0755), 0);
    EXPECT_TRUE(FileExists(Rooted("/tmp/other")));
    ASSERT_TRUE(WriteWholeFile(file, "x"));
    EXPECT_EQ(SysChown(file.c_str(), "nosuchuser", 0), 0);
    EXPECT_EQ(SysChmod(file.c_str(), 0604), 1);
    EXPECT_EQ(ModeOf(file), 0604u);
    EXPECT_EQ(SysChmod(missing.c_str(), 0604), 0);

    // Without the power to override permissions, in a directory nobody may write to.
    ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
    EXPECT_TRUE(RunUnprivileged([&] {
        return ChownPath(file.c_str(), 0, 0, 0) == 0 &&
               SysMkdir((dir + "/sub").c_str(), nullptr, 0755) == 0 &&
               SysCopyFile(file.c_str(), (dir + "/copy").c_str()) == 0 &&
               ICCreateBackup(file.c_str()) == 0;
    }));
    chmod(dir.c_str(), 0755);
    for (const char* made : {"/sub", "/copy", "/f.old"})
        EXPECT_FALSE(FileExists(dir + made)) << made;
    EXPECT_EQ(ReadWholeFile(file), "x");
}

TEST_F(PlatformTest, CreateBackupKeepsOneGeneration) {
    std::string dir = Rooted("/tmp");
    auto backup = [&](const char* name) { return ICCreateBackup((dir + name).c_str()); };
    // Moving a file over its older backup is the deletion's (lifecycle tests); here the names.
    EXPECT_EQ(backup("/x.conf"), 0);
    EXPECT_FALSE(FileExists(dir + "/x.old.conf"));
    ASSERT_TRUE(WriteWholeFile(dir + "/nodot", "n"));
    EXPECT_EQ(backup("/nodot"), 1);
    EXPECT_EQ(ReadWholeFile(dir + "/nodot.old"), "n");
    ASSERT_TRUE(WriteWholeFile(dir + "/y.conf", "y"));
    EXPECT_EQ(ICCreateBackup((dir + "/y.conf").c_str(), (dir + "/keep").c_str()), 1);
    EXPECT_EQ(ReadWholeFile(dir + "/keep"), "y");

    // A dot in a directory name decides the name: the move into a missing directory fails.
    ASSERT_EQ(mkdir((dir + "/a.b").c_str(), 0755), 0);
    ASSERT_TRUE(WriteWholeFile(dir + "/a.b/vxtrade.conf", "t"));
    EXPECT_EQ(backup("/a.b/vxtrade.conf"), 0);
    EXPECT_EQ(ReadWholeFile(dir + "/a.b/vxtrade.conf"), "t");
    ASSERT_EQ(mkdir((dir + "/a.old.b").c_str(), 0755), 0);
    EXPECT_EQ(backup("/a.b/vxtrade.conf"), 1);
    EXPECT_EQ(ReadWholeFile(dir + "/a.old.b/vxtrade.conf"), "t");
}

TEST_F(PlatformTest, HostNameFromTheLastLineOfTheTool) {
    // The database's instance list is read for the default user in the front end's tests.
    std::string hostname = Rooted("/bin/hostname");
    ASSERT_TRUE(WriteWholeFile(hostname, "#!/bin/sh\necho 'no such host'\necho localhost\n", 0755));
    ICString name, address;
    EXPECT_EQ(ISGetHostName(name), 1);
    EXPECT_NE(std::string(name).find("localhost"), std::string::npos);
    EXPECT_EQ(ISGetIPAddr(address), 1);
    EXPECT_EQ(std::string(address).rfind("127.", 0), 0u);

    // A tool that says nothing: no host, the name kept.
    ASSERT_TRUE(WriteWholeFile(hostname, "#!/bin/sh\nexit 0\n", 0755));
    name = "kept";
    EXPECT_EQ(GetHostEnt(), nullptr);
    EXPECT_EQ(ISGetHostName(name), 0);
    EXPECT_EQ(ISGetIPAddr(address), 0);
    EXPECT_STREQ(name, "kept");
}

} // namespace
