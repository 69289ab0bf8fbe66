// What the writers write, the readers read back: the files of one instance parsed with each
// release's keyword set.
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "sandbox_fixture.h"

namespace {

const char kProduct[] = "/opt/Orvellvndx/Vendrix3";

std::vector<std::string> Items(const ParmList<ICString>& list) {
    std::vector<std::string> out;
    for (auto* n = list.GetHeadNode(); n; n = n->next)
        out.push_back(static_cast<const char*>(*n->data));
    return out;
}

class WriterRoundTrip : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        std::string inst = Rooted("/var/vx/shop1");
        for (const char* dir :
             {"/var", "/var/vx", "/var/vx/shop1", "/var/vx/shop1/config", "/srv", "/srv/shop1"})
            ASSERT_TRUE(mkdir(Rooted(dir).c_str(), 0755) == 0 || errno == EEXIST) << dir;
        info.Name = "shop1";
        info.RootPath = inst.c_str();
        info.HtmlPath = (inst + "/config").c_str();
        info.VXLogPath = (inst + "/logs").c_str();
        info.CachePath = (inst + "/cache").c_str();
        info.DefsDir = (inst + "/globals").c_str();
        info.DocRoot = Rooted("/srv/shop1").c_str();
        info.MacroPath = Rooted(std::string(kProduct) + "/macro/en_US").c_str();
        info.CgiPath = Rooted("/srv/cgi-bin").c_str();
        info.ISHost = "localhost";
        info.DBName = "shopdb";
        info.DBUser = SANDBOX_INSTANCE_USER;
        info.DBOwner = SANDBOX_OWNER_USER;
        ASSERT_EQ(info.SetDBPswd(SANDBOX_PASSWORD), 1);
        ASSERT_EQ(info.SetCMSPswd("paysecret"), 1);
        info.MerKey = "0123456789abcdef0123456789abcdef";
        info.DBHost = "dbhost";
        info.DBNode = "dbnode";
        info.MSProc = 3;
        info.MSPort = 4000;
        info.TransCnt = 250;
        info.LogLevel = 2;
        info.PVCycle = 45;
        info.PVIntvl = 50;
        info.PVTmout = 1800;
        info.PBProc = 2;
        info.MaxCacheFiles = 700;
        info.PVExitHost = "exithost";
        info.MSOption = MS_OPT_PAYVANE | MS_OPT_CACHE_ON;
        product = Rooted(kProduct);
    }

    void WriteAll() {
        ASSERT_EQ(CreateMSInit(info, product.c_str()), 1);
        ASSERT_EQ(CreatePaybkInit(info, product.c_str()), 1);
        ASSERT_EQ(CreatePayetInit(info, product.c_str()), 1);
        ASSERT_EQ(CreateMLInit(info, product.c_str()), 1);
    }

    // The capture record after the instance's files were read with one release's keywords.
    MSInfo ParseWith(void (VXKeyword::*set)()) {
        (s_keyword.*set)();
        s_msInfo = MSInfo();
        std::string dir = static_cast<const char*>(info.HtmlPath);
        EXPECT_EQ(ParseFile((dir + "/vxtrade.conf").c_str(), s_tblMSCfg), 1);
        EXPECT_EQ(ParseFile((dir + "/pay_back.conf").c_str(), s_tblPBCfg), 1);
        EXPECT_EQ(ParseFile((dir + "/pay_payvane.conf").c_str(), s_tblPVCfg), 1);
        EXPECT_EQ(ParseFile(ICString(info.DocRoot) ^ "reldawww.ini", s_tblMLCfg), 1);
        MSInfo got = s_msInfo;
        s_keyword.SetKeyword();
        return got;
    }

    std::string product;
    MSInfo info;
};

TEST_F(WriterRoundTrip, EachKeywordSetReadsBackTheKeysItShares) {
    WriteAll();
    struct Text {
        const char* name;
        ICString MSInfo::*field;
    } const shared[] = {
        {"DBOwner", &MSInfo::DBOwner},       {"DBHost", &MSInfo::DBHost},
        {"DBNode", &MSInfo::DBNode},         {"MerKey", &MSInfo::MerKey},
        {"ISHost", &MSInfo::ISHost},         {"VXLogPath", &MSInfo::VXLogPath},
        {"MacroPath", &MSInfo::MacroPath},   {"CachePath", &MSInfo::CachePath},
        {"DefsDir", &MSInfo::DefsDir},       {"RootPath", &MSInfo::RootPath},
        {"HtmlPath", &MSInfo::HtmlPath},     {"CMSPswd", &MSInfo::CMSPswd},
        {"PVExitHost", &MSInfo::PVExitHost},
    };
    const std::string prefix = Rooted(kProduct);
    const std::string editor = std::string(info.RootPath) + "/teditor";
    struct Set {
        const char* name;
        void (VXKeyword::*set)();
        bool currentNames; // DBNAME, DBINST, DBPASS, PROCESSES, HTML_PATH
        bool currentCgi;   // MS_CGIBIN_PATH
    } const sets[] = {
        {"current", &VXKeyword::SetKeyword, true, true},
        {"second release", &VXKeyword::SetKeywordV2, false, true},
        {"first release", &VXKeyword::SetKeywordV1, false, false},
    };
    for (const Set& set : sets) {
        SCOPED_TRACE(set.name);
        MSInfo got = ParseWith(set.set);
        for (const Text& t : shared)
            EXPECT_STREQ(got.*t.field, info.*t.field) << t.name;
        EXPECT_EQ(got.TransCnt, 250);
        EXPECT_EQ(got.LogLevel, 2);
        EXPECT_EQ(got.PVTmout, 1800);
        EXPECT_EQ(got.PVCycle, 45);
        EXPECT_EQ(got.PVIntvl, 50);
        EXPECT_EQ(got.MaxCacheFiles, 700);
        EXPECT_EQ(got.DBRetryLimit, 5);
        EXPECT_EQ(got.DBRetryIntvl, 20);
        EXPECT_EQ(got.VXDmnSleep, 15);
        EXPECT_STREQ(got.SvcPfx, "vxshop1");
        EXPECT_STREQ(got.CacheEnabled, "ON");
        EXPECT_STREQ(got.GPPath, (prefix + "/Guidepath").c_str());
        EXPECT_STREQ(got.PVHost, "localhost");
        EXPECT_STREQ(got.PVExitSvcPfx, "vxshop1");
        EXPECT_STREQ(got.PVExec, (std::string(info.RootPath) + "/bin/PayVane").c_str());
        EXPECT_EQ(got.PVAdminPort, 4006);
        EXPECT_EQ(got.PVInqPort, 4010);
        EXPECT_EQ(Items(got.TEditorPath), (std::vector<std::string>{editor, editor + "/ca_html"}));
        EXPECT_EQ(Items(got.MLMacroPath), Items(info.MLMacroPath));
        EXPECT_EQ(Items(got.MLIncPath), Items(info.MLIncPath));
        EXPECT_FALSE(Items(got.MLMacroPath).empty());
        // The keys an earlier release spelled differently are not in a current file for it.
        EXPECT_STREQ(got.DBName, set.currentNames ? "shopdb" : "");
        EXPECT_STREQ(got.DBUser, set.currentNames ? SANDBOX_INSTANCE_USER : "");
        EXPECT_STREQ(got.DBPswd, set.currentNames ? static_cast<const char*>(info.DBPswd) : "");
        EXPECT_EQ(got.MSProc, set.currentNames ? 3 : -1);
        EXPECT_EQ(got.PBProc, set.currentNames ? 2 : -1);
        EXPECT_STREQ(got.DocRoot, set.currentNames ? static_cast<const char*>(info.DocRoot) : "");
        EXPECT_STREQ(got.CgiPath, set.currentCgi ? static_cast<const char*>(info.CgiPath) : "");
    }
}

} // namespace
