// The sandbox's ksh runs scripts with the machine's real Korn shell.
#include <gtest/gtest.h>
#include <unistd.h>

#include "sandbox_fixture.h"
#include "standin_shell.h"

class KshTest : public SandboxTest {};

TEST_F(KshTest, RunsAKornShellScript) {
    bool ksh93 = access("/usr/bin/ksh93", X_OK) == 0 || access("/bin/ksh93", X_OK) == 0;
    if (!ksh93)
        GTEST_SKIP() << "no ksh93 on this machine (the ksh package)";
    std::string script = Rooted("/tmp/job.sh");
    // Features only a Korn shell has: print, associative arrays, its version variable.
    ASSERT_TRUE(WriteWholeFile(script,
                               "typeset -A port\nport[shop1]=4000\n"
                               "print -r -- \"$0 ${port[shop1]} $#\"\n"
                               "[[ -n ${.sh.version} ]] && print ksh93\nexit 4\n",
                               0755));
    ShellResult r = RunShell(Rooted("/bin/ksh") + " " + script + " a b");
    EXPECT_EQ(r.exitCode, 4) << r.err;
    EXPECT_EQ(r.lines, (std::vector<std::string>{script + " 4000 2", "ksh93"}));
    // As the library starts the web server: ksh -c with a script path.
    ShellResult c = RunShell("ksh -c \"" + script + "\"");
    EXPECT_EQ(c.exitCode, 4) << c.err;
    EXPECT_EQ(c.lines.size(), 2u);
}
