// Capturing what an installation's writers wrote gives back the record they wrote it from.
#include <gtest/gtest.h>

#include "installations.h"
#include "records.h"
#include "sandbox_fixture.h"

namespace {

struct TextField {
    const char* name;
    ICString MSInfo::*field;
};

struct IntField {
    const char* name;
    int MSInfo::*field;
};

// Every field the main, payment and web macro files and the web server block carry back.
const TextField kTexts[] = {
    {"Name", &MSInfo::Name},
    {"MerKey", &MSInfo::MerKey},
    {"RootPath", &MSInfo::RootPath},
    {"VXLogPath", &MSInfo::VXLogPath},
    {"ConfigPath", &MSInfo::ConfigPath},
    {"DefsDir", &MSInfo::DefsDir},
    {"MacroPath", &MSInfo::MacroPath},
    {"CgiPath", &MSInfo::CgiPath},
    {"HtmlPath", &MSInfo::HtmlPath},
    {"DocRoot", &MSInfo::DocRoot},
    {"ISHost", &MSInfo::ISHost},
    {"DBName", &MSInfo::DBName},
    {"DBUser", &MSInfo::DBUser},
    {"DBOwner", &MSInfo::DBOwner},
    {"DBPswd", &MSInfo::DBPswd},
    {"DBHost", &MSInfo::DBHost},
    {"DBNode", &MSInfo::DBNode},
    {"PVHost", &MSInfo::PVHost},
    {"CMSPswd", &MSInfo::CMSPswd},
    {"CachePath", &MSInfo::CachePath},
    {"GPPath", &MSInfo::GPPath},
    {"VXLang", &MSInfo::VXLang},
    {"CAJAppDrv", &MSInfo::CAJAppDrv},
    {"CAJNetDrv", &MSInfo::CAJNetDrv},
    {"CAJUrl", &MSInfo::CAJUrl},
    {"CAJNetUrl", &MSInfo::CAJNetUrl},
    {"PVExitHost", &MSInfo::PVExitHost},
    {"PVExitSvcPfx", &MSInfo::PVExitSvcPfx},
    {"PVExec", &MSInfo::PVExec},
    {"PVLogPath", &MSInfo::PVLogPath},
    {"PVCertPath", &MSInfo::PVCertPath},
};

const IntField kInts[] = {
    {"MSProc", &MSInfo::MSProc},
    {"MSPort", &MSInfo::MSPort},
    {"MSOption", &MSInfo::MSOption},
    {"PVCycle", &MSInfo::PVCycle},
    {"PVIntvl", &MSInfo::PVIntvl},
    {"PVTmout", &MSInfo::PVTmout},
    {"MaxCacheFiles", &MSInfo::MaxCacheFiles},
    {"TransCnt", &MSInfo::TransCnt},
    {"HtmlMax", &MSInfo::HtmlMax},
    {"LogLevel", &MSInfo::LogLevel},
    {"DBRetryLimit", &MSInfo::DBRetryLimit},
    {"DBRetryIntvl", &MSInfo::DBRetryIntvl},
    {"VXDmnCache", &MSInfo::VXDmnCache},
    {"VXDmnSynch", &MSInfo::VXDmnSynch},
    {"VXDmnSleep", &MSInfo::VXDmnSleep},
    {"PBProc", &MSInfo::PBProc},
    {"PVCtrl", &MSInfo::PVCtrl},
};

class RoundTrip : public SandboxTest {};

TEST_F(RoundTrip, CaptureGivesBackWhatTheWritersStored) {
    MSInfo written = FullRecord(Root(), "shop1", "myhost", 4000);
    ICString error;
    ASSERT_EQ(SandboxAddInstance(Root().c_str(), 3, written, error), 1) << (const char*)error;

    MSList list;
    ASSERT_EQ(ICGetVXConfig(list, 3), 1);
    ASSERT_EQ(list.GetCount(), 1);
    MSInfo got;
    list.SetIndex(0);
    ASSERT_EQ(list.GetCurrent(got), 1);

    // The sandbox has the payment server and the hosting edition installed.
    MSInfo expected = written;
    expected.MSOption |= MS_OPT_PAYVANE | MS_OPT_HOSTING;
    for (const TextField& f : kTexts)
        EXPECT_STREQ(got.*f.field, expected.*f.field) << f.name;
    for (const IntField& f : kInts)
        EXPECT_EQ(got.*f.field, expected.*f.field) << f.name;
    EXPECT_EQ(got.ISType, IS_WHARF);
    EXPECT_EQ(got.DBType, DB_RELDA);
    EXPECT_EQ(got.Staging, 1);
    EXPECT_EQ(got.PVTrace, 1);
    // Texts the writers derive from the record and the reader keeps as read.
    EXPECT_STREQ(got.SvcPfx, "vxshop1");
    EXPECT_STREQ(got.CacheEnabled, "ON");
    EXPECT_STREQ(got.DBRemote, "ON");
    EXPECT_STREQ(got.ISTypeName, "Wharf");
    EXPECT_STREQ(got.DBTypeName, "RELDA");
    // The payment ports follow from the base port and the process count.
    EXPECT_EQ(got.PVAdminPort, 4007);
    EXPECT_EQ(got.PVPayPort, 4008);
    EXPECT_EQ(got.PVErrorPort, 4009);
    EXPECT_EQ(got.PVSetPort, 4010);
    EXPECT_EQ(got.PVInqPort, 4011);

    EXPECT_EQ(Strings(got.TEditorPath), Strings(written.TEditorPath));
    EXPECT_EQ(Pairs(got.ISPass), Pairs(written.ISPass));
    EXPECT_EQ(Pairs(got.ISCommonPass), Pairs(written.ISCommonPass));
    EXPECT_EQ(Pairs(got.ISCommonExec), Pairs(written.ISCommonExec));
    EXPECT_EQ(got.ISMap.GetHeadNode(), nullptr);
    // A content type is the rest of its line after the name's one separator: the padding
    // of the name column and the line end come back with it.
    EXPECT_EQ(Pairs(got.ISCommonAddType),
              (std::vector<std::string>{".cacert=        application/x-x509-ca-cert\n"}));
    EXPECT_EQ(Pairs(got.MLEnv), Pairs(written.MLEnv));
    EXPECT_EQ(Strings(got.MLMacroPath), Strings(written.MLMacroPath));
    EXPECT_EQ(Strings(got.MLIncPath), Strings(written.MLIncPath));
    // The lines no row names: the template's own and the document root line.
    std::string doc = std::string(written.DocRoot);
    EXPECT_EQ(Strings(got.MLMisc),
              (std::vector<std::string>{"; Macrolin initialization file", "HTML_PATH\t" + doc,
                                        "DEFINE_TRACE NO", "QLW_VARIABLE_SCOPE GLOBAL"}));
}

} // namespace
