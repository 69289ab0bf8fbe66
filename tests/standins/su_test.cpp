// The su stand-in: a login shell of a sandbox user, run as the caller, reading the rooted
// system profile and then the user's own.
#include "sandbox_fixture.h"

TEST_F(SandboxTest, SuRunsTextInALoginShellOfTheUser) {
    std::string home = Rooted("/home/" SANDBOX_OWNER_USER);
    ASSERT_TRUE(WriteWholeFile(Rooted("/etc/profile"), "A=system\nB=system\nexport A B\n"));
    ASSERT_TRUE(WriteWholeFile(home + "/.profile", "B=user\nexport B\n"));
    // A fresh environment, but the sandbox's programs stay first in PATH.
    ProgramResult r = RunShell("RELDAINSTANCE=other su - " SANDBOX_OWNER_USER
                               " -c 'pwd; echo \"$HOME|$USER|$LOGNAME|${RELDAINSTANCE-unset}\"; "
                               "echo $A $B; command -v relda; exit 3'");
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(LinesOf(r.out),
              (std::vector<std::string>{
                  home, home + "|" SANDBOX_OWNER_USER "|" SANDBOX_OWNER_USER "|unset",
                  "system user", Rooted("/bin/relda")}));
}
