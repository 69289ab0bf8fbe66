// The keyword tables and the reader of keyword/value files and of the web server block.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "records.h"
#include "sandbox_fixture.h"
#include "vxconfig/vxconfig.h"

namespace {

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/vxroot-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
        s_msInfo = MSInfo();
        s_keyword.SetKeyword();
    }
    void TearDown() override { RemoveTree(m_dir); }

    // Writes text to a file of the test's directory and parses it with table.
    int Parse(const std::string& text, ParmEntry* table) {
        std::string path = m_dir + "/test.conf";
        EXPECT_TRUE(WriteWholeFile(path, text));
        return ParseFile(path.c_str(), table);
    }
    int ParseIS(const std::string& text, const char* host) {
        std::string path = m_dir + "/httpd.conf";
        EXPECT_TRUE(WriteWholeFile(path, text));
        return ParseISFile(path.c_str(), s_tblISCfg, host);
    }

    std::string m_dir;
};

TEST(KeywordTable, ReleasesDifferOnlyInTheirSlots) {
    VXKeyword k{};
    k.SetKeyword();
    EXPECT_STREQ(k.m_pszKeyword[0], "SERVICE_NAME_PREFIX");
    EXPECT_STREQ(k.m_pszKeyword[2], "DBNAME");
    EXPECT_EQ(k.m_pszKeyword[10], nullptr);
    EXPECT_STREQ(k.m_pszKeyword[29], "MACRO_PATH");
    EXPECT_STREQ(k.m_pszKeyword[64], "MACRO_PATH");
    EXPECT_STREQ(k.m_pszKeyword[62], "ENVIRONMENT");
    EXPECT_STREQ(k.m_pszKeyword[82], "CMSPASS");
    EXPECT_STREQ(k.m_pszKeyword[86], "AddType");
    VXKeyword current = k;

    k.SetKeywordV2();
    const char* v2[][2] = {{"2", "MS_DBNAME"},    {"3", "MS_DBINST"}, {"5", "MS_DBPASS"},
                           {"9", "MS_NUM_CHILD"}, {"10", "MS_PORT"},  {"30", "WWW_HTML_PATH"}};
    for (auto& o : v2)
        EXPECT_STREQ(k.m_pszKeyword[atoi(o[0])], o[1]);
    EXPECT_STREQ(k.m_pszKeyword[31], "MS_CGIBIN_PATH");

    k.SetKeywordV1();
    EXPECT_STREQ(k.m_pszKeyword[31], "WWW_CGIBIN_PATH");
    EXPECT_STREQ(k.m_pszKeyword[10], "MS_PORT");
    int differing = 0;
    for (int slot = 0; slot < VX_KEYWORD_SLOTS; ++slot)
        differing += k.m_pszKeyword[slot] != current.m_pszKeyword[slot];
    EXPECT_EQ(differing, 7);

    // Back to the current set: the old spellings are gone again.
    k.SetKeyword();
    EXPECT_STREQ(k.m_pszKeyword[2], "DBNAME");
    EXPECT_EQ(k.m_pszKeyword[10], nullptr);
}

TEST(KeywordTable, TablesHaveTheirRowsInOrder) {
    auto rows = [](const ParmEntry* t) {
        int n = 0;
        while (t[n].keyword)
            ++n;
        return n;
    };
    EXPECT_EQ(rows(s_tblMSCfg), 49);
    EXPECT_EQ(rows(s_tblMLCfg), 8);
    EXPECT_EQ(rows(s_tblPBCfg), 3);
    EXPECT_EQ(rows(s_tblPVCfg), 12);
    EXPECT_EQ(rows(s_tblISCfg), 7);
    // Rows point at slots, not texts: the keyword is fetched when a line is read.
    EXPECT_EQ(s_tblMSCfg[9].keyword, &s_keyword.m_pszKeyword[10]);
    EXPECT_EQ(s_tblMSCfg[29].keyword, &s_keyword.m_pszKeyword[31]);
    EXPECT_EQ(s_tblMSCfg[48].keyword, &s_keyword.m_pszKeyword[53]);
    EXPECT_EQ(s_tblPBCfg[2].target, static_cast<void*>(&s_msInfo.PBProc));
    EXPECT_EQ(s_tblISCfg[0].flags, 2u);
    EXPECT_EQ(s_tblISCfg[3].flags, 4u);
    EXPECT_EQ(s_tblISCfg[6].flags, 1u);
}

TEST_F(ReaderTest, KeywordsMatchByFirstTokenIgnoringCase) {
    ASSERT_EQ(Parse("dbname mall\n", s_tblMSCfg), 1);
    EXPECT_STREQ(s_msInfo.DBName, "mall");
    Parse("   \tDBNAME indented\n", s_tblMSCfg);
    EXPECT_STREQ(s_msInfo.DBName, "indented");
    Parse("#DBNAME commented\n", s_tblMSCfg);
    EXPECT_STREQ(s_msInfo.DBName, "indented");
    // Everything after the one separator: further blanks and a carriage return are kept.
    Parse("DBNAME  two\r\n", s_tblMSCfg);
    EXPECT_STREQ(s_msInfo.DBName, " two\r");
    Parse("DBNAME\n", s_tblMSCfg);
    EXPECT_STREQ(s_msInfo.DBName, " two\r");
    Parse("DBNAME first\nDBNAME second\n", s_tblMSCfg);
    EXPECT_STREQ(s_msInfo.DBName, "second");
    // A keyword only matches as a whole token.
    Parse("DBNAMEX other\n", s_tblMSCfg);
    EXPECT_STREQ(s_msInfo.DBName, "second");
}

TEST_F(ReaderTest, NumbersFlagsAndLists) {
    Parse("PROCESSES 7\nMS_LOGLEVEL -3x\nMS_TRANS_COUNT abc\nPAYSYS_CONTROLLER YES\n"
          "VX_ENABLE_STAGING 2\nMAX_CACHED_FILES 99999999999\n",
          s_tblMSCfg);
    EXPECT_EQ(s_msInfo.MSProc, 7);
    EXPECT_EQ(s_msInfo.LogLevel, -3);
    EXPECT_EQ(s_msInfo.TransCnt, 0);
    EXPECT_EQ(s_msInfo.PVCtrl, 0);
    EXPECT_EQ(s_msInfo.Staging, 1);
    EXPECT_EQ(s_msInfo.MaxCacheFiles, 2147483647);
    Parse("PAYSYS_CONTROLLER 2\n", s_tblMSCfg);
    EXPECT_EQ(s_msInfo.PVCtrl, 1);

    Parse("VX_TEDITOR_PATH /a;/b;/A\n", s_tblMSCfg);
    EXPECT_EQ(Strings(s_msInfo.TEditorPath), (std::vector<std::string>{"/a", "/b"}));
    s_msInfo.TEditorPath.Empty();
    Parse("VX_TEDITOR_PATH /a;\n", s_tblMSCfg);
    EXPECT_EQ(Strings(s_msInfo.TEditorPath), (std::vector<std::string>{"/a", ""}));

    // A list row without a separator stores nothing.
    const char* kw = "LIST";
    ParmList<ICString> list;
    ParmEntry row{&kw, PARM_STRLIST, &list, 0};
    EXPECT_EQ(GetParm(row, "LIST a;b", nullptr), 1);
    EXPECT_EQ(list.GetHeadNode(), nullptr);
}

TEST_F(ReaderTest, ServerPortIsReadOnlyWithTheOlderKeywords) {
    Parse("MS_PORT 4000\n", s_tblMSCfg);
    EXPECT_EQ(s_msInfo.MSPort, -1);
    s_keyword.SetKeywordV2();
    Parse("MS_PORT 4000\nMS_DBNAME old\nDBNAME new\n", s_tblMSCfg);
    EXPECT_EQ(s_msInfo.MSPort, 4000);
    EXPECT_STREQ(s_msInfo.DBName, "old");
    s_msInfo.MSPort = -1;
    s_keyword.SetKeywordV1();
    Parse("MS_PORT 4001\nWWW_CGIBIN_PATH /cgi\nMS_CGIBIN_PATH /no\n", s_tblMSCfg);
    EXPECT_EQ(s_msInfo.MSPort, 4001);
    EXPECT_STREQ(s_msInfo.CgiPath, "/cgi");
    // Without a chosen set no line matches.
    VXKeyword saved = s_keyword;
    s_keyword = VXKeyword{};
    Parse("DBNAME none\n", s_tblMSCfg);
    EXPECT_STREQ(s_msInfo.DBName, "old");
    s_keyword = saved;
}

TEST_F(ReaderTest, MacroFileKeepsOtherLinesWhole) {
    Parse("; comment\nBIND_FILE /x.bnd\nENVIRONMENT (QLW_ODBC)  /usr/lib/libqlwsql.so a b\n"
          "MACRO_PATH /m1;/m2\nINCLUDE_PATH /i1\nHTML_PATH\t/doc\n; comment\nRELDAPATH /r\n",
          s_tblMLCfg);
    EXPECT_EQ(Strings(s_msInfo.MLMisc),
              (std::vector<std::string>{"; comment", "HTML_PATH\t/doc", "; comment"}));
    EXPECT_EQ(Pairs(s_msInfo.MLEnv),
              (std::vector<std::string>{"(QLW_ODBC)= /usr/lib/libqlwsql.so a b"}));
    EXPECT_EQ(Strings(s_msInfo.MLMacroPath), (std::vector<std::string>{"/m1", "/m2"}));
    EXPECT_EQ(Strings(s_msInfo.MLIncPath), (std::vector<std::string>{"/i1"}));
}

TEST_F(ReaderTest, WebServerBlockSortsRulesByHost) {
    std::string text = "Pass /outside/* /x/* myhost\n"
                       "###### Orvell Vendrix ###### (Do not edit this section)\n"
                       "Pass    /a/*            /b/* myhost\n"
                       "Pass    /a/*            /b/*\n"
                       "Pass    /g/*            /h/*\n"
                       "Pass    /c/*            /d/* otherhost\n"
                       "Map     /m/*            /n/* MYHOST\n"
                       "Exec    /e/*            /f/*\n"
                       "Pass    /a/*            /z/*\n"
                       "AddType .js             application/x-javascript binary 1.0\n"
                       "Pass\n"
                       "###### End of Orvell Vendrix ######\n"
                       "Pass /after/* /y/*\n";
    ASSERT_EQ(ParseIS(text, "myhost"), 1);
    EXPECT_EQ(Pairs(s_msInfo.ISPass), (std::vector<std::string>{"/a/*=/b/*"}));
    EXPECT_EQ(Pairs(s_msInfo.ISMap), (std::vector<std::string>{"/m/*=/n/*"}));
    // A later rule of the same name takes the earlier one's place.
    EXPECT_EQ(Pairs(s_msInfo.ISCommonPass), (std::vector<std::string>{"/a/*=/z/*", "/g/*=/h/*"}));
    EXPECT_EQ(Pairs(s_msInfo.ISCommonExec), (std::vector<std::string>{"/e/*=/f/*"}));
    // The rest after the name's one separator: the padding blanks belong to the value.
    EXPECT_EQ(Pairs(s_msInfo.ISCommonAddType),
              (std::vector<std::string>{".js=            application/x-javascript binary 1.0\n"}));
    EXPECT_EQ(s_msInfo.ISExec.GetHeadNode(), nullptr);

    // The older end marker closes the block too; a file without a start marker gives nothing.
    s_msInfo = MSInfo();
    EXPECT_EQ(ParseIS("Orvell Vendrix\nPass /a/* /b/*\nEND OF VENDRIX\nPass /c/* /d/*\n", "h"), 1);
    EXPECT_EQ(Pairs(s_msInfo.ISCommonPass), (std::vector<std::string>{"/a/*=/b/*"}));
    s_msInfo = MSInfo();
    EXPECT_EQ(ParseIS("END OF VENDRIX\nPass /a/* /b/*\n", "myhost"), 1);
    EXPECT_EQ(s_msInfo.ISCommonPass.GetHeadNode(), nullptr);
    EXPECT_EQ(ParseISFile((m_dir + "/missing").c_str(), s_tblISCfg, "h"), 0);
    EXPECT_EQ(ParseFile(nullptr, s_tblMSCfg), 0);
}

TEST_F(ReaderTest, LongLinesAreReadInPieces) {
    std::string value(1500 - 7, 'v');
    Parse("DBNAME " + value + "\n", s_tblMSCfg);
    EXPECT_EQ(s_msInfo.DBName.GetLength(), 1024 - 7);
    // The second piece is a line of its own, taken whole by a catch-all row.
    std::string tail(476, 'w');
    Parse(std::string(1024, 'x') + tail + "\n", s_tblMLCfg);
    EXPECT_EQ(Strings(s_msInfo.MLMisc), (std::vector<std::string>{std::string(1024, 'x'), tail}));
}

TEST_F(ReaderTest, GarbageIsIgnoredWithoutHarm) {
    const char bytes[] = "DBNAME ok\n\0\xff\xfe PROCESSES 3\n\x01\x02\x03";
    std::string garbage(bytes, sizeof bytes - 1);
    EXPECT_EQ(Parse(garbage, s_tblMSCfg), 1);
    EXPECT_STREQ(s_msInfo.DBName, "ok");
    EXPECT_EQ(s_msInfo.MSProc, -1);
    EXPECT_EQ(Parse("", s_tblMSCfg), 1);
    EXPECT_EQ(Parse("DBNAME last-without-newline", s_tblMSCfg), 1);
    EXPECT_STREQ(s_msInfo.DBName, "last-without-newline");
}

TEST_F(ReaderTest, DirectivesOfGetNVList) {
    const char* kw = "Pass";
    ParmList<NameValue> list;
    ParmEntry host{&kw, PARM_NVLIST, &list, PARM_NV_MATCH};
    char v1[] = "/a/* /b/* myhost\n";
    EXPECT_EQ(GetNVList(host, v1, "MyHost"), 1);
    char v2[] = "/a/* /b/*\n";
    EXPECT_EQ(GetNVList(host, v2, "myhost"), 0);
    // Without a match text the host is not checked.
    char v3[] = "/c/* /d/* any\n";
    EXPECT_EQ(GetNVList(host, v3, nullptr), 1);
    char v4[] = "   \n";
    EXPECT_EQ(GetNVList(host, v4, "myhost"), 1);
    EXPECT_EQ(Pairs(list), (std::vector<std::string>{"/a/*=/b/*", "/c/*=/d/*"}));
    char v5[] = "/a/* /new/* myhost";
    GetNVList(host, v5, "myhost");
    EXPECT_EQ(Pairs(list), (std::vector<std::string>{"/a/*=/new/*", "/c/*=/d/*"}));
}

} // namespace
