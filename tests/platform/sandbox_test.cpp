#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "installations.h"
#include "platform_fixture.h"
#include "vxconfig/cipher.h"
#include "vxconfig/services.h"

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
    const std::string& dir = scratch.Path();
    std::string empty = dir + "/nostandins";
    ASSERT_EQ(mkdir(empty.c_str(), 0755), 0);
    setenv("VXCONFIG_STANDINS", empty.c_str(), 1);
    options.standins = true;
    EXPECT_EQ(SandboxBuild((dir + "/root").c_str(), options, error), 0);
    unsetenv("VXCONFIG_STANDINS");
    EXPECT_STREQ(error, ("stand-in program 'su' not found in " + empty).c_str());
}

TEST_F(PlatformTest, SandboxUsersAndServices) {
    std::string passwd = ReadWholeFile(Rooted("/etc/passwd"));
    std::string ids = std::to_string(getuid()) + ":" + std::to_string(getgid());
    EXPECT_NE(passwd.find("vxowner:x:" + ids +
                          ":Vendrix database owner:" + Rooted("/home/vxowner") + ":/bin/sh\n"),
              std::string::npos)
        << passwd;
    EXPECT_NE(passwd.find("reldinst:x:" + ids + ":"), std::string::npos);
    EXPECT_NE(passwd.find("vxplain:$5$"), std::string::npos);
    struct stat st;
    ASSERT_EQ(stat(Rooted("/home/reldinst/sqllib").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(ReadWholeFile(Rooted("/opt/Orvellrelda/V6.1/instance/instances.lst")), "reldinst\n");

    // The known password opens the shadowed accounts and the unshadowed one.
    for (const char* user : {SANDBOX_OWNER_USER, SANDBOX_INSTANCE_USER, SANDBOX_PLAIN_USER})
        EXPECT_EQ(SysCheckDBPswd(SANDBOX_PASSWORD, user), 1) << user;
    EXPECT_EQ(SysCheckDBPswd("Sandbox2", SANDBOX_OWNER_USER), 0);

    EXPECT_EQ(ICGetTcpServicePort("telnet"), 23);
    EXPECT_EQ(ICGetTcpServicePort("https"), 443);
    EXPECT_EQ(SysIsPortRegistered(2049), 1);
    EXPECT_EQ(SysIsPortRegistered(4000), 0);

    ASSERT_EQ(stat(Rooted("/tmp").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 01777u);

    // A configured instance's controller entry stands as the registration writes it.
    MSInfo shop;
    shop.Name = "shop";
    shop.MSPort = 16570;
    shop.HtmlPath = Rooted("/opt/shop/config").c_str();
    shop.DocRoot = Rooted("/opt/shop/docs").c_str();
    std::string services = ReadWholeFile(Rooted("/etc/services"));
    ICString error;
    ASSERT_EQ(SandboxAddInstance(Root().c_str(), 3, shop, error), 1) << (const char*)error;
    std::string now = ReadWholeFile(Rooted("/etc/services"));
    ASSERT_EQ(now.compare(0, services.size(), services), 0);
    EXPECT_EQ(now.substr(services.size()), "vxshop\t\t16570/tcp\t# Vendrix - Server Controller\n");
}

class NoPaymentSandbox : public PlatformTest {
protected:
    NoPaymentSandbox() { sandboxOptions.payment = false; }
};

TEST_F(NoPaymentSandbox, LeavesOutThePaymentServerOnly) {
    for (const char* gone : {"/var/sadm/pkg/OrvellPS/pkginfo", "/opt/Orvell_Payment_Server"})
        EXPECT_FALSE(FileExists(Rooted(gone))) << gone;
    EXPECT_EQ(ReadWholeFile(Rooted("/var/sadm/pkg/OrvellQBX/pkginfo")).rfind("PKG=OrvellQBX\n", 0),
              0u);
    for (const char* package : {"KESTRELWHARF", "Macrolin", "reldaengn61"})
        EXPECT_TRUE(FileExists(Rooted("/var/sadm/pkg/") + package + "/pkginfo")) << package;
}
