// The su stand-in: a login shell of a sandbox user, run as the caller.
#include <gtest/gtest.h>

#include "sandbox_fixture.h"
#include "standin_shell.h"

class SuTest : public SandboxTest {};

TEST_F(SuTest, RunsTextInALoginShellOfTheUser) {
    std::string home = Rooted("/home/" SANDBOX_OWNER_USER);
    // A fresh environment, but the sandbox's programs stay first in PATH.
    ShellResult r = RunShell("RELDAINSTANCE=other su - " SANDBOX_OWNER_USER
                             " -c 'pwd; echo \"$HOME|$USER|$LOGNAME|${RELDAINSTANCE-unset}\"; "
                             "command -v relda; exit 3'");
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(r.lines, (std::vector<std::string>{
                           home, home + "|" SANDBOX_OWNER_USER "|" SANDBOX_OWNER_USER "|unset",
                           Rooted("/bin/relda")}));
}

TEST_F(SuTest, ReadsTheRootedSystemProfileThenTheUsersProfile) {
    std::string home = Rooted("/home/" SANDBOX_INSTANCE_USER);
    ASSERT_TRUE(WriteWholeFile(Rooted("/etc/profile"), "A=system\nB=system\nexport A B\n"));
    ASSERT_TRUE(WriteWholeFile(home + "/.profile", "B=user\nexport B\n"));
    // The library's own probe of a user's home directory.
    ShellResult r =
        RunShell("su - " SANDBOX_INSTANCE_USER
                 " -c \"env | grep HOME\"; su - " SANDBOX_INSTANCE_USER " -c 'echo $A $B'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.lines, (std::vector<std::string>{"HOME=" + home, "system user"}));
}

TEST_F(SuTest, RefusesUnknownUsersAndOtherArgumentShapes) {
    ShellResult unknown = RunShell("su - nosuchuser -c 'echo ran'");
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.out.empty()) << unknown.out;
    EXPECT_NE(unknown.err.find("nosuchuser"), std::string::npos) << unknown.err;

    const char* shapes[] = {"su " SANDBOX_OWNER_USER " -c 'echo ran'",
                            "su - " SANDBOX_OWNER_USER " 'echo ran'",
                            "su - " SANDBOX_OWNER_USER " -c", "su - -c 'echo ran'"};
    for (const char* shape : shapes) {
        ShellResult r = RunShell(shape);
        EXPECT_NE(r.exitCode, 0) << shape;
        EXPECT_TRUE(r.out.empty()) << shape << ": " << r.out;
        EXPECT_NE(r.err.find("usage"), std::string::npos) << shape << ": " << r.err;
    }
}
