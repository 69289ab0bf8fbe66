// The sandbox builder refuses roots the system root rule refuses, and a missing stand-in.
#include <cstdlib>

#include "platform_fixture.h"

TEST(SandboxBuild, RefusesRootsAndMissingStandIns) {
    SandboxOptions options;
    options.standins = false;
    ICString error;
    EXPECT_EQ(SandboxBuild("tmp/vxroot-rel", options, error), 0);
    EXPECT_STREQ(error, "the sandbox root is refused: the root must be an absolute path");
    EXPECT_EQ(SandboxBuild("/tmp/vxroot.dotted", options, error), 0);
    EXPECT_STREQ(error, "the sandbox root is refused: the root must not contain a dot");
    EXPECT_FALSE(FileExists("/tmp/vxroot.dotted"));

    ScratchDir scratch;
    std::string empty = scratch.Path() + "/nostandins";
    ASSERT_EQ(mkdir(empty.c_str(), 0755), 0);
    setenv("VXCONFIG_STANDINS", empty.c_str(), 1);
    options.standins = true;
    EXPECT_EQ(SandboxBuild((scratch.Path() + "/root").c_str(), options, error), 0);
    unsetenv("VXCONFIG_STANDINS");
    EXPECT_STREQ(error, ("stand-in program 'su' not found in " + empty).c_str());
}
