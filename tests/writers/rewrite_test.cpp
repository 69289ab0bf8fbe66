// Rewriting an instance's files: a second run gives the same files and one backup
// generation; failures leave the files as they were and say which file and why; the pool
// editor adds a member once.
#include <filesystem>
#include <map>

#include "sandbox_fixture.h"

namespace {

class RewriteTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        product = Rooted("/opt/Orvellvndx/Vendrix3");
        info = Instance("shop1");
        conf = std::string(info.HtmlPath);
        docs = std::string(info.DocRoot);
        for (const std::string& dir : {conf, docs})
            ASSERT_TRUE(std::filesystem::create_directories(dir));
        info.ISHost = "shophost";
        info.DBName = "shopdb";
        info.MSProc = 2;
        info.MSPort = 4100;
        info.MSOption = MS_OPT_PAYVANE | MS_OPT_HOSTING;
    }
    // Every writer once, as instance creation runs them.
    void WriteAll() {
        char arg0[] = "x", port[] = "4200", in[] = "IN.Q", out[] = "OUT.Q", err[] = "ERR.Q",
             mgr[] = "QM1", user[] = "bridge", kind[] = "server";
        char* args[] = {arg0, arg0, port, arg0, in, out, err, mgr, user, kind, nullptr};
        MSInfo m = info;
        ASSERT_EQ(CreateCtrlInit(m), 1);
        ASSERT_EQ(CreateMSInit(m, product.c_str()), 1);
        ASSERT_EQ(CreateMLInit(m, product.c_str()), 1);
        ASSERT_EQ(CreatePaycyInit(m, product.c_str()), 1);
        ASSERT_EQ(CreateSchedInit(m, product.c_str()), 1);
        ASSERT_EQ(CreatePAProperties(m, product.c_str(), 0), 1);
        ASSERT_EQ(CreatePaybkInit(m, product.c_str()), 1);
        ASSERT_EQ(CreatePayetInit(m, product.c_str()), 1);
        ASSERT_EQ(CreateQXInit(m, product.c_str(), args), 1);
        ASSERT_TRUE(errors.Lines().empty()) << errors.Lines()[0];
    }

    ErrorLines errors;
    std::string product, conf, docs;
    MSInfo info;
};

TEST_F(RewriteTest, ASecondRunGivesTheSameFilesAndOneBackup) {
    WriteAll();
    std::vector<std::string> first = Entries(conf);
    EXPECT_EQ(first, (std::vector<std::string>{"merchant_conf", "pay_back.conf", "pay_cyber.conf",
                                               "pay_payvane.conf", "scheduler.conf",
                                               "srvrctrl.conf", "vxei_ece.conf", "vxtrade.conf"}));
    std::map<std::string, std::string> before;
    for (const std::string& name : first)
        before[name] = ReadWholeFile(conf + "/" + name);
    std::string ini = ReadWholeFile(docs + "/reldawww.ini");
    std::string map = ReadWholeFile(product + "/bin/icsrvctl.properties");

    WriteAll();
    for (const std::string& name : first) {
        EXPECT_EQ(ReadWholeFile(conf + "/" + name), before[name]) << name;
        if (name != "merchant_conf") {
            std::string backup =
                name.substr(0, name.find('.')) + ".old" + name.substr(name.find('.'));
            EXPECT_EQ(ReadWholeFile(conf + "/" + backup), before[name]) << backup;
        }
    }
    EXPECT_EQ(ReadWholeFile(conf + "/merchant_conf.old"), before["merchant_conf"]);
    EXPECT_EQ(ReadWholeFile(docs + "/reldawww.ini"), ini);
    EXPECT_EQ(ReadWholeFile(docs + "/reldawww.old.ini"), ini);
    EXPECT_EQ(ReadWholeFile(product + "/bin/icsrvctl.properties"), map);
    EXPECT_EQ(ReadWholeFile(product + "/bin/icsrvctl.properties.old"), map);
    // One generation: the backups, nothing more, no temporaries.
    EXPECT_EQ(Entries(conf).size(), first.size() * 2);
    EXPECT_EQ(Entries(docs), (std::vector<std::string>{"reldawww.ini", "reldawww.old.ini"}));
    EXPECT_EQ(ModeOf(conf + "/vxtrade.conf"), 0644u);
    EXPECT_EQ(ModeOf(product + "/bin/icsrvctl.properties"), 0444u);
}

TEST_F(RewriteTest, FailuresNameTheFileAndKeepItAsItWas) {
    WriteAll();
    // A configuration directory that does not exist.
    MSInfo m = info;
    m.HtmlPath = Rooted("/nowhere").c_str();
    EXPECT_EQ(CreateMSInit(m, product.c_str()), 0);
    ASSERT_EQ(errors.Lines().size(), 1u);
    std::string path = Rooted("/nowhere/vxtrade.conf");
    EXPECT_EQ(errors.Lines()[0], "Cannot create configuration file " + path + ".");
    // The reason names the directory that is missing.
    EXPECT_TRUE(Has(std::string(SysGetLastReason()), Rooted("/nowhere") + ": No such file"))
        << SysGetLastReason();

    // A template that is gone: the message names it, the file stays, its backup holds it.
    std::string ini = ReadWholeFile(docs + "/reldawww.ini");
    std::string templ = Rooted("/opt/OrvellMacrolin/docs/reldawww.ini");
    ASSERT_EQ(unlink(templ.c_str()), 0);
    m = info;
    EXPECT_EQ(CreateMLInit(m, product.c_str()), 0);
    ASSERT_EQ(errors.Lines().size(), 2u);
    EXPECT_EQ(errors.Lines()[1], "Cannot create configuration file " + templ + ".");
    EXPECT_EQ(ReadWholeFile(docs + "/reldawww.ini"), ini);
    EXPECT_EQ(ReadWholeFile(docs + "/reldawww.old.ini"), ini);

    // A record whose host name would start a line of its own is refused.
    std::string main = ReadWholeFile(conf + "/vxtrade.conf");
    m = info;
    m.ISHost = "shophost\nDBPASS planted";
    EXPECT_EQ(CreateMSInit(m, product.c_str()), 0);
    EXPECT_EQ(CreatePAProperties(m, product.c_str(), 0), 0);
    EXPECT_EQ(errors.Lines().size(), 4u);
    EXPECT_EQ(ReadWholeFile(conf + "/vxtrade.conf"), main);
    EXPECT_FALSE(Has(ReadWholeFile(product + "/bin/icsrvctl.properties"), "planted"));
}

TEST_F(RewriteTest, LongTemplateLinesAndLongListsStayWhole) {
    std::string templ = Rooted("/opt/OrvellMacrolin/docs/reldawww.ini");
    std::string longWord(1500, 'w');
    ASSERT_TRUE(WriteWholeFile(templ, "; " + longWord + "\nMACRO_PATH /m\nINCLUDE_PATH /i\n"));
    for (int i = 0; i < 400; ++i) {
        std::string dir = "/srv/editor/dir" + std::to_string(i);
        info.TEditorPath.AddTail(dir.c_str());
        info.MLMacroPath.AddTail((dir + "/macros").c_str());
    }
    MSInfo m = info;
    ASSERT_EQ(CreateMLInit(m, product.c_str()), 1);
    ASSERT_EQ(CreateMSInit(m, product.c_str()), 1);
    std::string ini = ReadWholeFile(docs + "/reldawww.ini");
    EXPECT_EQ(ini.compare(0, longWord.size() + 3, "; " + longWord + "\n"), 0);
    size_t macro = ini.find("\nMACRO_PATH ");
    ASSERT_NE(macro, std::string::npos);
    std::string line = ini.substr(macro + 1, ini.find('\n', macro + 1) - macro);
    EXPECT_TRUE(Has(line, "/srv/editor/dir0/macros;"));
    EXPECT_TRUE(Has(line, "/srv/editor/dir399/macros;"));
    EXPECT_EQ(line.substr(line.size() - 4), ";/m\n");
    std::string main = ReadWholeFile(conf + "/vxtrade.conf");
    EXPECT_TRUE(Has(main, ";/srv/editor/dir399\nVX_LANG en_US\n"));
}

TEST_F(RewriteTest, APoolMemberIsAddedOnce) {
    std::string ctrl = conf + "/srvrctrl.conf";
    std::string pool = "CONTROL_POOL_CONFIG " + conf + "/vxtrade," + conf + "/scheduler\n";
    ASSERT_TRUE(WriteWholeFile(ctrl, "MS_HOSTNAME h\nFORMAT 100%s%d\n" + pool + "MS_LOGLEVEL 0"));
    EXPECT_EQ(ICAddEntryToPoolID(info, "vxei_ece"), 1);
    std::string added = "MS_HOSTNAME h\nFORMAT 100%s%d\nCONTROL_POOL_CONFIG " + conf + "/vxtrade," +
                        conf + "/scheduler," + conf + "/vxei_ece\nMS_LOGLEVEL 0";
    EXPECT_EQ(ReadWholeFile(ctrl), added);
    EXPECT_EQ(ICAddEntryToPoolID(info, "vxei_ece"), 1);
    EXPECT_EQ(ReadWholeFile(ctrl), added);
    EXPECT_EQ(ReadWholeFile(conf + "/srvrctrl.old.conf"), added);
    EXPECT_EQ(ICAddEntryToPoolID(info, "../etc"), 0);
    EXPECT_EQ(ReadWholeFile(ctrl), added);
    info.HtmlPath = Rooted("/nowhere").c_str();
    EXPECT_EQ(ICAddEntryToPoolID(info, "vxei_ece"), 0);
    EXPECT_FALSE(FileExists(Rooted("/nowhere")));
    EXPECT_TRUE(errors.Lines().empty());
}

} // namespace
