#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "sandbox_fixture.h"
#include "vxconfig/sysutil.h"

// The rooted /bin/su runs the text in a login shell of the user; only the wait is judged.
TEST_F(SandboxTest, ExecCmdAsAnotherUser) {
    std::string dir = Rooted("/tmp");
    EXPECT_EQ(SysExecCmd("sh -c 'echo $LOGNAME:$HOME > who'", dir.c_str(), SANDBOX_OWNER_USER), 1);
    EXPECT_EQ(ReadWholeFile(dir + "/who"),
              std::string(SANDBOX_OWNER_USER) + ":" + Rooted("/home/" SANDBOX_OWNER_USER) + "\n");

    EXPECT_EQ(SysExecCmd("false", dir.c_str(), SANDBOX_OWNER_USER), 1);
    EXPECT_EQ(SysExecCmd("touch never", dir.c_str(), "nosuchuser"), 1);
    EXPECT_FALSE(FileExists(dir + "/never"));

    // Without the su program the child cannot start it; that too is only seen in the files.
    ASSERT_EQ(unlink(Rooted("/bin/su").c_str()), 0);
    EXPECT_EQ(SysExecCmd("touch never", dir.c_str(), SANDBOX_OWNER_USER), 1);
    EXPECT_FALSE(FileExists(dir + "/never"));
}

// The database product's own instance list tool names the instance owner.
TEST_F(SandboxTest, UserNameFromTheStandInInstanceList) {
    ICString name;
    EXPECT_EQ(Filled(SysGetUserName(name), name), SANDBOX_INSTANCE_USER);
    struct stat st;
    ASSERT_EQ(stat(Rooted("/bin/reldailist").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
}

// The directory and the user stand in the command text as they are: a value that could run
// as a command makes the call refuse, and nothing runs.
TEST_F(SandboxTest, ExecCmdRefusesDirectoriesAndUsersThatHideCommands) {
    std::string dir = Rooted("/tmp");
    std::string trap = dir + "/a;touch PWNED;b";
    ASSERT_EQ(mkdir(trap.c_str(), 0755), 0);
    EXPECT_EQ(SysExecCmd("true", trap.c_str(), SANDBOX_OWNER_USER), 0);
    EXPECT_EQ(SysExecCmd("true", trap.c_str(), nullptr), 0);
    EXPECT_EQ(SysExecCmd("touch ran", dir.c_str(), "vxowner;touch PWNED"), 0);
    EXPECT_EQ(SysExecCmd("touch ran", dir.c_str(), "-c"), 0);
    EXPECT_EQ(SysExecCmd("touch ran", dir.c_str(), ""), 0);
    EXPECT_FALSE(FileExists(dir + "/PWNED"));
    EXPECT_FALSE(FileExists(dir + "/ran"));
    EXPECT_FALSE(FileExists(Rooted("/home/" SANDBOX_OWNER_USER "/PWNED")));
    EXPECT_FALSE(FileExists(trap + "/PWNED"));
    EXPECT_FALSE(FileExists("PWNED"));

    // The library's own copies take no shell either: a source naming a command is a name.
    std::string source = dir + "/x;touch PWNED";
    ASSERT_TRUE(WriteWholeFile(source, "data"));
    ASSERT_EQ(SysCopyFileBin(source.c_str(), (dir + "/copied").c_str()), 1);
    EXPECT_EQ(ReadWholeFile(dir + "/copied"), "data");
    EXPECT_FALSE(FileExists(dir + "/PWNED"));
}
