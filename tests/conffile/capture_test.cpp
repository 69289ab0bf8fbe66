// Capture of existing installations of the three releases into instance lists.

#include "installations.h"
#include "records.h"
#include "sandbox_fixture.h"

namespace {

class Capture : public SandboxTest {
protected:
    MSInfo Add(int release, const char* name, const char* host, int port) {
        MSInfo m = FullRecord(Instance(name), host, port);
        ICString error;
        EXPECT_EQ(SandboxAddInstance(Root().c_str(), release, m, error), 1) << (const char*)error;
        return m;
    }
    std::string Inst(int release) {
        return Rooted(release == 1 ? "/opt/Orvellvndx/Vendrix"
                                   : "/opt/Orvellvndx/Vendrix" + std::to_string(release));
    }
};

TEST_F(Capture, InstanceWithoutMacroFileIsDropped) {
    Add(3, "shop1", "host1", 4000);
    MSInfo second = Add(3, "shop2", "host2", 4100);
    Add(3, "shop3", "host3", 4200);
    ASSERT_EQ(remove((std::string(second.DocRoot) + "/reldawww.ini").c_str()), 0);

    MSList list;
    EXPECT_EQ(CaptureVXConfig(list, 3), 1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"shop1", "shop3"}));
    // Each instance takes the rules of its own host from the shared web server block.
    MSInfo third = At(list, 1);
    EXPECT_EQ(third.MSPort, 4200);
    ASSERT_EQ(Pairs(third.ISPass).size(), 1u);
    EXPECT_TRUE(Has(Pairs(third.ISPass)[0], "/inst/shop3/"));
    EXPECT_EQ(third.MSProc, 4);
}

TEST_F(Capture, PortCacheAndTypeTextsAreNormalised) {
    MSInfo m = Add(3, "shop1", "myhost", 4000);
    ASSERT_EQ(ICUnregTcpService("vxshop1"), 1);
    std::string conf = std::string(m.HtmlPath) + "/vxtrade.conf";
    std::string text = ReadWholeFile(conf);
    text += "CACHE_ENABLED on\nDB_REMOTE OFF\nVX_WEBSERVER netscape\nIC_DBMS oracle\n"
            "VX_ENABLE_STAGING 0\n";
    ASSERT_TRUE(WriteWholeFile(conf, text));

    MSList list;
    CaptureVXConfig(list, 3);
    MSInfo got = At(list, 0);
    // Not registered any more: the base port falls back.
    EXPECT_EQ(got.MSPort, 16570);
    // The later lines win; lower-case "on" names no cache mode at all.
    EXPECT_STREQ(got.CacheEnabled, "on");
    EXPECT_EQ(got.MSOption & (MS_OPT_CACHE_ON | MS_OPT_CACHE_WS | MS_OPT_CACHE_OFF), 0);
    EXPECT_EQ(got.MSOption & (MS_OPT_STAGING | MS_OPT_DB_REMOTE), 0);
    EXPECT_EQ(got.ISType, IS_NETSCAPE);
    EXPECT_EQ(got.DBType, DB_ORACLE);
}

// Captures repeated in one run answer from what they read before only while it is unchanged.
TEST_F(Capture, ARepeatedCaptureSeesAnEditedFileAndAMovedPort) {
    MSInfo m = Add(3, "shop1", "myhost", 4000);
    MSList first;
    CaptureVXConfig(first, 3);
    ASSERT_EQ(first.GetCount(), 1);
    EXPECT_NE(At(first, 0).ISType, IS_NETSCAPE);
    EXPECT_EQ(At(first, 0).MSPort, 4000);
    std::string conf = std::string(m.HtmlPath) + "/vxtrade.conf";
    ASSERT_TRUE(WriteWholeFile(conf, ReadWholeFile(conf) + "VX_WEBSERVER netscape\n"));
    ASSERT_EQ(ICUnregTcpService("vxshop1"), 1);
    ASSERT_EQ(ICRegTcpService("vxshop1", 4500, "moved"), 1);

    MSList second;
    CaptureVXConfig(second, 3);
    ASSERT_EQ(second.GetCount(), 1);
    EXPECT_EQ(At(second, 0).ISType, IS_NETSCAPE);
    EXPECT_EQ(At(second, 0).MSPort, 4500);
}

TEST_F(Capture, SecondReleaseIsMovedToTheCurrentInstallation) {
    ICString error;
    ASSERT_EQ(SandboxAddRelease(Root().c_str(), 2, error), 1) << (const char*)error;
    std::string old = Inst(2), cur = Inst(3);
    MSInfo m = FullRecord(Instance("shop1"), "myhost", 4000);
    m.ISCommonPass.Empty();
    m.ISCommonPass.AddTail(NameValue("/old/*", (old + "/html/*").c_str()));
    m.ISCommonPass.AddTail(NameValue("/older/*", (old + "2/x").c_str()));
    m.ISPass.AddTail(NameValue("/exact/*", old.c_str()));
    m.MLMacroPath.AddTail((old + "/macro/en_US").c_str());
    m.MLMacroPath.AddTail((old + "2/macro").c_str());
    m.DBPswd = "0a1b2c3d4e5f";
    m.MerKey = "00112233445566778899aabbccddeeff";
    ASSERT_EQ(SandboxAddInstance(Root().c_str(), 2, m, error), 1) << (const char*)error;

    MSList list;
    CaptureVXConfig(list, 2);
    ASSERT_EQ(list.GetCount(), 1);
    MSInfo got = At(list, 0);
    // The old spellings were read: the port comes from the main file itself.
    EXPECT_EQ(got.MSPort, 4000);
    EXPECT_EQ(got.MSProc, 4);
    EXPECT_STREQ(got.DBName, "shop1db");
    EXPECT_STREQ(got.DocRoot, m.DocRoot);
    EXPECT_EQ(got.MSOption & MS_OPT_MIGRATED, MS_OPT_MIGRATED);
    EXPECT_EQ(std::string(got.MacroPath), cur + "/macro/en_US");
    EXPECT_EQ(Pairs(got.ISCommonPass),
              (std::vector<std::string>{"/old/*=" + cur + "/html/*", "/older/*=" + old + "2/x"}));
    EXPECT_EQ(Pairs(got.ISPass).back(), "/exact/*=" + cur);
    // Every macro path under the old directory goes, whatever follows the prefix.
    EXPECT_EQ(
        Strings(got.MLMacroPath),
        (std::vector<std::string>{std::string(m.RootPath) + "/teditor", cur + "/macro/en_US"}));
    // Stored secrets move to the current cipher.
    ICString pswd(m.DBPswd), key(m.MerKey);
    ICConvertCipher(pswd);
    ICConvertCipher(key);
    EXPECT_STREQ(got.DBPswd, pswd);
    EXPECT_STREQ(got.MerKey, key);
    EXPECT_STRNE(got.DBPswd, m.DBPswd);
}

TEST_F(Capture, FirstReleaseHasOneInstanceFromEtc) {
    ICString error;
    ASSERT_EQ(SandboxAddRelease(Root().c_str(), 1, error), 1) << (const char*)error;
    MSInfo m = Add(1, "shop1", "myhost", 4400);
    MSList list;
    CaptureVXConfig(list, 1);
    ASSERT_EQ(list.GetCount(), 1);
    MSInfo got = At(list, 0);
    EXPECT_STREQ(got.ISHost, "myhost");
    EXPECT_EQ(got.MSPort, 4400);
    EXPECT_STREQ(got.CgiPath, m.CgiPath);
    // The daemons' files of the first release live in its document root.
    EXPECT_EQ(got.PBProc, 2);
    EXPECT_EQ(got.PVAdminPort, 4407);
    // The name was not in any file.
    EXPECT_STREQ(got.Name, "mser");
}

TEST_F(Capture, BootRegistryNamesTheInstances) {
    MSList none;
    EXPECT_EQ(SysGetInstanceInfo(none, 3), 0);
    ASSERT_TRUE(
        WriteWholeFile(Rooted("/etc/rc.vndx"),
                       "#! /bin/ksh\n"
                       "#Vendrix Instance - gone\n"
                       "#Vendrix Instance - shop1\n"
                       "su - reldinst -c \"reldastart; /p/bin/srvrctrl -i /c/one/srvrctrl.conf&\"\n"
                       "echo unrelated\n"
                       "#Vendrix Instance - shop2\n"
                       "su - vxowner -c \"/p/bin/srvrctrl -i /c/two/srvrctrl.conf&\"\n"
                       "#Vendrix Instance - dangling\n"));
    MSList list;
    EXPECT_EQ(SysGetInstanceInfo(list, 3), 1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"shop1", "shop2"}));
    EXPECT_STREQ(At(list, 1).HtmlPath, "/c/two");
    EXPECT_EQ(SysGetInstanceInfo(list, 4), 0);
    EXPECT_EQ(list.GetCount(), 2);
    // Without its instance data file the second release falls back to the registry.
    MSList old;
    EXPECT_EQ(SysGetInstanceInfo(old, 2), 0);
    EXPECT_EQ(old.GetCount(), 2);
    // The registry's instances have no files here: capture drops them all.
    MSList captured;
    EXPECT_EQ(CaptureVXConfig(captured, 3), 1);
    EXPECT_EQ(captured.GetCount(), 0);
}

// A configuration file may say anything; what could run as a command drops the instance,
// with the message and the field named, instead of travelling on into scripts.
TEST_F(Capture, ValuesThatCouldRunAsCommandsDropTheInstance) {
    Add(3, "shop1", "host1", 4000);
    MSInfo second = Add(3, "shop2", "host2", 4100);
    std::string conf = std::string(second.HtmlPath) + "/vxtrade.conf";
    ASSERT_TRUE(WriteWholeFile(conf, ReadWholeFile(conf) + "DBOWNER vxowner;touch PWNED\n"));
    ErrorLines errors;
    MSList list;
    EXPECT_EQ(CaptureVXConfig(list, 3), 1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"shop1"}));
    EXPECT_EQ(errors.Lines(),
              (std::vector<std::string>{"Storix server instance definition error."}));
    EXPECT_TRUE(Has(std::string(SysGetLastReason()), "instance shop2: DBOwner"))
        << ::testing::PrintToString(std::string(SysGetLastReason()));

    // The boot registry's pairs are read with the same care.
    std::string rc = ReadWholeFile(Rooted("/etc/rc.vndx"));
    ASSERT_TRUE(WriteWholeFile(Rooted("/etc/rc.vndx"),
                               rc + "#Vendrix Instance - $(reboot)\nsu - x -c \"srvrctrl -i "
                                    "/x/srvrctrl.conf&\"\n"));
    MSList registered;
    SysGetInstanceInfo(registered, 3);
    EXPECT_EQ(Names(registered), (std::vector<std::string>{"shop1", "shop2"}));
}

} // namespace
