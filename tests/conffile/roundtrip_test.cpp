// Capturing what an installation's writers wrote gives back the record they wrote it from.
#include <gtest/gtest.h>

#include "installations.h"
#include "records.h"
#include "sandbox_fixture.h"

namespace {

template <class T> struct Field {
    const char* name;
    T MSInfo::*field;
};
#define FIELD(f)                                                                                   \
    { #f, &MSInfo::f }

// Every field the main, payment and web macro files and the web server block carry back.
const Field<ICString> kTexts[] = {
    FIELD(Name),      FIELD(MerKey),     FIELD(RootPath),     FIELD(VXLogPath), FIELD(ConfigPath),
    FIELD(DefsDir),   FIELD(MacroPath),  FIELD(CgiPath),      FIELD(HtmlPath),  FIELD(DocRoot),
    FIELD(ISHost),    FIELD(DBName),     FIELD(DBUser),       FIELD(DBOwner),   FIELD(DBPswd),
    FIELD(DBHost),    FIELD(DBNode),     FIELD(PVHost),       FIELD(CMSPswd),   FIELD(CachePath),
    FIELD(GPPath),    FIELD(VXLang),     FIELD(CAJAppDrv),    FIELD(CAJNetDrv), FIELD(CAJUrl),
    FIELD(CAJNetUrl), FIELD(PVExitHost), FIELD(PVExitSvcPfx), FIELD(PVExec),    FIELD(PVLogPath),
    FIELD(PVCertPath)};
const Field<int> kInts[] = {FIELD(MSProc),        FIELD(MSPort),       FIELD(MSOption),
                            FIELD(PVCycle),       FIELD(PVIntvl),      FIELD(PVTmout),
                            FIELD(MaxCacheFiles), FIELD(TransCnt),     FIELD(HtmlMax),
                            FIELD(LogLevel),      FIELD(DBRetryLimit), FIELD(DBRetryIntvl),
                            FIELD(VXDmnCache),    FIELD(VXDmnSynch),   FIELD(VXDmnSleep),
                            FIELD(PBProc),        FIELD(PVCtrl)};
#undef FIELD

class RoundTrip : public SandboxTest {};

TEST_F(RoundTrip, CaptureGivesBackWhatTheWritersStored) {
    MSInfo written = FullRecord(Root(), "shop1", "myhost", 4000);
    ICString error;
    ASSERT_EQ(SandboxAddInstance(Root().c_str(), 3, written, error), 1) << (const char*)error;

    MSList list;
    ASSERT_EQ(ICGetVXConfig(list, 3), 1);
    ASSERT_EQ(list.GetCount(), 1);
    MSInfo got = At(list, 0);

    // The sandbox has the payment server and the hosting edition installed.
    MSInfo expected = written;
    expected.MSOption |= MS_OPT_PAYVANE | MS_OPT_HOSTING;
    for (const Field<ICString>& f : kTexts)
        EXPECT_STREQ(got.*f.field, expected.*f.field) << f.name;
    for (const Field<int>& f : kInts)
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
    EXPECT_EQ((std::vector<int>{got.PVAdminPort, got.PVPayPort, got.PVErrorPort, got.PVSetPort,
                                got.PVInqPort}),
              (std::vector<int>{4007, 4008, 4009, 4010, 4011}));

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
