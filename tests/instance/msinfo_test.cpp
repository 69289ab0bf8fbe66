// The instance record: setter rules, credentials, and the helpers that read the system.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "sandbox_fixture.h"
#include "vxconfig/vxconfig.h"

namespace {

std::string g_errors;
void CaptureError(const char* text) {
    g_errors += std::string(text) + "\n";
}

TEST(MSInfo, DefaultsAndRangedSetters) {
    MSInfo r;
    EXPECT_EQ(r.ISType, IS_WHARF);
    EXPECT_EQ(r.MSPort, -1);
    EXPECT_EQ(r.PVCycle, 30);
    EXPECT_EQ(r.PVTmout, 3600);

    EXPECT_EQ((std::vector<int>{r.SetName("12345678"), r.SetName("123456789"), r.SetName("")}),
              (std::vector<int>{1, 0, 0}));
    EXPECT_STREQ(r.Name, "12345678");

    for (int bad : {16560, 1023, 65536})
        EXPECT_EQ(r.SetMSPort(bad), 0) << bad;
    EXPECT_EQ(r.MSPort, -1);
    EXPECT_EQ(r.SetMSPort(1024) + r.SetMSPort(65535), 2);
    EXPECT_EQ(r.SetMSProc(1) + r.SetMSProc(100), 0);
    EXPECT_EQ(r.SetMSProc(2) + r.SetMSProc(99), 2);
    EXPECT_EQ(r.MSProc, 99);
    EXPECT_EQ(r.SetPVTmout(59), 0);
    EXPECT_EQ(r.SetPVTmout(60), 1);
    EXPECT_EQ(r.SetISType(static_cast<eISType>(3)), 0);
    EXPECT_EQ(r.SetDBType(static_cast<eDBType>(-1)), 0);
    EXPECT_EQ(r.SetDBType(DB_ORACLE), 1);

    EXPECT_EQ(r.SetDBName("abcdefgh") + r.SetDBUser("u"), 2);
    EXPECT_EQ(r.SetDBName("abcdefghi") + r.SetDBUser(""), 0);

    r.MSOption = 1 | 64;
    EXPECT_EQ(r.SetMSOption(8, 8), 1);
    EXPECT_EQ(r.MSOption, 1 | 8 | 64);
    r.SetMSOption(8 | 1, 0);
    EXPECT_EQ(r.MSOption, 64);
    r.SetTotalProcesses(-5);
    EXPECT_EQ(r.TotalProcesses, 0);
}

TEST(MSInfo, PathsAndAddresses) {
    MSInfo r;
    EXPECT_EQ(Filled(r.SetCgiPath("/a/cgi//"), r.CgiPath), "/a/cgi/"); // only one slash goes
    EXPECT_EQ(Filled(r.SetDocRoot("/a/docs/"), r.DocRoot), "/a/docs");
    EXPECT_EQ(Filled(r.SetRootPath("/a/root/"), r.RootPath), "/a/root/");
    EXPECT_EQ(r.SetMacroPath(std::string(1025, 'm').c_str()), 0);
    EXPECT_EQ(r.SetHtmlPath(""), 0);
    EXPECT_EQ(r.SetNESSecure("/no/such/dir"), 0);
    EXPECT_STREQ(r.NESSecure, "");

    for (const char* good : {"10.0.0.1", "10..0.1", "255.255.255.255"})
        EXPECT_EQ(MSInfo::CheckIPAddr(good), 1) << good;
    for (const char* bad :
         {"10.0.0.256", "10.0.0", "10.0.0.", "10.0.0.1.2", "a.b.c.d", "", "10.0.0.99999999999"})
        EXPECT_EQ(MSInfo::CheckIPAddr(bad), 0) << bad;

    r.SetISNESCommonPass("C:\\a b", "/d");
    r.SetISNESCommonPass("C:\\a b", "/d");
    NameValue pass;
    ASSERT_EQ(r.ISNESCommonPass.GetFirst(pass), 1);
    EXPECT_STREQ(pass.name, "from=\"C:/a b\"");
    EXPECT_STREQ(pass.value, "dir=\"/d\"");
    EXPECT_EQ(r.ISNESCommonPass.GetNext(pass), 0);
}

TEST(MSInfo, CredentialsAreHeldEnciphered) {
    MSInfo r;
    EXPECT_EQ(Filled(r.SetMerKey(""), r.MerKey), IC_NO_MERKEY);
    ICString key("x");
    r.MerKey = "hb4wkq9stz2lmx7crv1nye5pua8jdg3f"; // the marker in other letter case
    r.GetMerKey(key);
    EXPECT_STREQ(key, "");
    EXPECT_EQ(r.SetMerKey("0123456789ABCDEF"), 1);
    EXPECT_EQ(r.MerKey.GetLength(), 32);
    r.GetMerKey(key);
    EXPECT_STREQ(key, "0123456789ABCDEF");
    ICString before(r.MerKey);
    EXPECT_EQ(r.SetMerKey("0123456789abcdeg") + r.SetMerKey("0123"), 0);
    EXPECT_STREQ(r.MerKey, before);

    EXPECT_EQ(r.SetCMSPswd("1234567890123456"), 1);
    ICString stored(r.CMSPswd);
    EXPECT_STRNE(stored, "1234567890123456");
    EXPECT_EQ(r.SetCMSPswd("12345678901234567"), 0);
    EXPECT_STREQ(r.CMSPswd, stored);
    ICString clear;
    r.GetCMSPswd(clear);
    EXPECT_STREQ(clear, "1234567890123456");

    // Oracle passwords are not checked against the system.
    r.DBType = DB_ORACLE;
    r.DBOwner = "nobody-at-all";
    EXPECT_EQ(r.SetDBPswd("anything"), 1);
    r.GetDBPswd(clear);
    EXPECT_STREQ(clear, "anything");
}

class MSInfoSystemTest : public SandboxTest {};

TEST_F(MSInfoSystemTest, DatabasePasswordIsTheOwnersLogin) {
    bCgiApp = 1;
    pfnError = CaptureError;
    g_errors.clear();
    MSInfo r;
    EXPECT_EQ(r.SetDBOwner("nosuchuser"), 0);
    ASSERT_EQ(r.SetDBOwner(SANDBOX_OWNER_USER), 1);
    EXPECT_EQ(r.SetDBPswd("wrong"), 0);
    EXPECT_STREQ(r.DBPswd, "");
    EXPECT_EQ(g_errors, "The specified password is incorrect for the user (vxowner)\n");
    EXPECT_EQ(r.SetDBPswd(SANDBOX_PASSWORD), 1);
    ICString clear;
    r.GetDBPswd(clear);
    EXPECT_STREQ(clear, SANDBOX_PASSWORD);
    pfnError = nullptr;
}

TEST_F(MSInfoSystemTest, PortsAndServicesFromTheServicesFile) {
    MSInfo r;
    r.Name = "shop1";
    EXPECT_EQ(r.TestPort(16570, 10), 1);
    EXPECT_EQ(r.TestPort(16555, 10), 0); // holds 16560
    EXPECT_EQ(r.TestPort(1020, 10), 0);
    EXPECT_EQ(r.TestPort(65535, 1), 1);
    EXPECT_EQ(r.TestPort(65535, 2), 0);
    EXPECT_EQ(r.GetTotalProcesses(), 0);

    std::string services = ReadWholeFile(Rooted("/etc/services"));
    services += "vxshop1\t16570/tcp\t# Vendrix Server Controller\n"
                "vxshop1_0\t16571/tcp\n"
                "vxshop1_1\t16572/udp\n"
                "vxshop10_0\t16600/tcp\n";
    ASSERT_TRUE(WriteWholeFile(Rooted("/etc/services"), services));
    EXPECT_EQ(r.TestPort(16570, 10), 0);
    EXPECT_EQ(r.TestPort(16572, 1), 0); // any protocol counts
    EXPECT_EQ(r.TestPort(16573, 10), 1);
    EXPECT_EQ(r.GetTotalProcesses(), 2);

    RemoveTree(Rooted("/etc/services"));
    EXPECT_EQ(r.GetTotalProcesses(), 0);
}

} // namespace
