// Product discovery: the fixed directories under the root in force, the packages and releases
// the package files show, and what other products' files say (the web server's directories
// are read by the web server tests).

#include "platform_fixture.h"

TEST_F(PlatformTest, FixedDirectoriesFollowTheRootInForce) {
    ICString out;
    EXPECT_EQ(Filled(ICGetInstPath(out), out), Rooted("/opt/Orvellvndx/Vendrix3"));
    // A trailing slash of the root does not double the slash; "/" is no root.
    setenv("VXCONFIG_ROOT", (Root() + "//").c_str(), 1);
    EXPECT_EQ(Filled(ICGetInstPath(out), out), Rooted("/opt/Orvellvndx/Vendrix3"));
    setenv("VXCONFIG_ROOT", "/", 1);
    EXPECT_EQ(Filled(ICGetInstPath(out), out), "/opt/Orvellvndx/Vendrix3");
    unsetenv("VXCONFIG_ROOT");
    EXPECT_EQ(Filled(ICGetInstPath(out), out), "/opt/Orvellvndx/Vendrix3");
}

TEST_F(PlatformTest, PackagesOfAFullSandbox) {
    // The payment server's user exit library is moved aside once.
    std::string lib = Rooted("/opt/Orvell_Payment_Server/lib/libuserexit.so");
    ASSERT_TRUE(FileExists(lib));
    EXPECT_EQ(SysIsPayvaneInstalled(), 1);
    EXPECT_FALSE(FileExists(lib));
    EXPECT_TRUE(FileExists(lib + ".Payvane"));
    EXPECT_EQ(SysIsPayvaneInstalled(), 1);

    // The client alone still gives the 6.1 directory; no Relda leaves the answer alone.
    ICString dir;
    ASSERT_EQ(unlink(Rooted("/var/sadm/pkg/reldaengn61/pkginfo").c_str()), 0);
    EXPECT_EQ(Filled(ICGetDBOrvellPath(dir), dir), Rooted("/opt/Orvellrelda/V6.1"));
    ASSERT_EQ(unlink(Rooted("/var/sadm/pkg/reldacliv61/pkginfo").c_str()), 0);
    ASSERT_EQ(mkdir(Rooted("/var/sadm/pkg/reldaengn50").c_str(), 0755), 0);
    ASSERT_TRUE(WriteWholeFile(Rooted("/var/sadm/pkg/reldaengn50/pkginfo"), "PKG=x\n"));
    EXPECT_EQ(Filled(SysGetDBOrvellPath(dir), dir), Rooted("/opt/Orvellrelda/V5.0"));
    ASSERT_EQ(unlink(Rooted("/var/sadm/pkg/reldaengn50/pkginfo").c_str()), 0);
    dir = "kept";
    EXPECT_EQ(SysGetDBOrvellPath(dir), 0);
    EXPECT_STREQ(dir, "kept");

    // The product's own package file decides the release, the hosting edition's stands in.
    ASSERT_TRUE(WriteWholeFile(Rooted("/var/sadm/pkg/OrvellQBX/pkginfo"), "VERSIONS=3\n"
                                                                          "VERSION=2.1\n"));
    EXPECT_EQ(SysCheckVersion(3), 1);
    ASSERT_EQ(unlink(Rooted("/var/sadm/pkg/Orvellvndx/pkginfo").c_str()), 0);
    EXPECT_EQ(SysCheckVersion(3), 0);
    EXPECT_EQ(SysCheckVersion(2), 1);
}

TEST_F(PlatformTest, OtherProductsFiles) {
    ICString home = "kept";
    {
        ErrorLines errors;
        EXPECT_EQ(SysGetOraPath(home, 1), 0);
        EXPECT_EQ(errors.Lines(), std::vector<std::string>{"Cannot access file " +
                                                           Rooted("/var/opt/oracle/oratab") + "."});
    }
    ASSERT_EQ(system(("mkdir -p " + Rooted("/var/opt/oracle")).c_str()), 0);
    std::string oratab = Rooted("/var/opt/oracle/oratab");
    ASSERT_TRUE(WriteWholeFile(oratab, "# ORCL:/u01/commented:N\n#\n"));
    EXPECT_EQ(SysGetOraPath(home, 1), 0);
    ASSERT_TRUE(WriteWholeFile(oratab, "# comment\nORCL:/u01/app/oracle:N\nno colon\n"
                                       "TEST:/u02/oracle/8.1.6:Y\n"));
    EXPECT_EQ(Filled(SysGetOraPath(home, 1), home), "/u02/oracle/8.1.6");

    ICString html = "kept";
    EXPECT_EQ(SysGetCfgPathV1(html), 0);
    ASSERT_TRUE(WriteWholeFile(Rooted("/etc/mserver.conf"), "MS_PORT 4000\n"
                                                            "www_html_path\t/opt/www/html\r\n"));
    EXPECT_EQ(Filled(SysGetCfgPathV1(html), html), "/opt/www/html");
}
