// The reader of keyword/value files with each release's keywords, and of the web server block.

#include "records.h"
#include "sandbox_fixture.h"

namespace {

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = m_scratch.Path();
        s_msInfo = MSInfo();
        s_keyword.SetKeyword();
    }

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

    ScratchDir m_scratch;
    std::string m_dir;
};

TEST_F(ReaderTest, KeywordsMatchByFirstTokenIgnoringCase) {
    // Each file in turn; a line that does not match leaves the previous value. Everything after
    // the one separator is the value, further blanks and a carriage return included; a keyword
    // only matches as a whole token.
    const char* const cases[][2] = {{"dbname mall\n", "mall"},
                                    {"   \tDBNAME indented\n", "indented"},
                                    {"#DBNAME commented\n", "indented"},
                                    {"DBNAME  two\r\n", " two\r"},
                                    {"DBNAME\n", " two\r"},
                                    {"DBNAME first\nDBNAME second\n", "second"},
                                    {"DBNAMEX other\n", "second"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(c[0], s_tblMSCfg), 1) << c[0];
        EXPECT_STREQ(s_msInfo.DBName, c[1]) << c[0];
    }
}

TEST_F(ReaderTest, NumbersFlagsAndLists) {
    Parse("PROCESSES 7\nMS_LOGLEVEL -3x\nMS_TRANS_COUNT abc\nPAYSYS_CONTROLLER YES\n"
          "VX_ENABLE_STAGING 2\nMAX_CACHED_FILES 99999999999\n",
          s_tblMSCfg);
    EXPECT_EQ((std::vector<int>{s_msInfo.MSProc, s_msInfo.LogLevel, s_msInfo.TransCnt,
                                s_msInfo.PVCtrl, s_msInfo.Staging, s_msInfo.MaxCacheFiles}),
              (std::vector<int>{7, -3, 0, 0, 1, 2147483647}));
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
    // Back to the current set: the old spellings are not read any more.
    s_keyword.SetKeyword();
    Parse("MS_PORT 4002\nWWW_CGIBIN_PATH /old\nMS_DBNAME older\n", s_tblMSCfg);
    EXPECT_EQ(s_msInfo.MSPort, 4001);
    EXPECT_STREQ(s_msInfo.CgiPath, "/cgi");
    EXPECT_STREQ(s_msInfo.DBName, "old");
    // Without a chosen set no line matches.
    s_keyword = VXKeyword{};
    Parse("DBNAME none\n", s_tblMSCfg);
    EXPECT_STREQ(s_msInfo.DBName, "old");
    s_keyword.SetKeyword();
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
    EXPECT_EQ(Filled(Parse(garbage, s_tblMSCfg), s_msInfo.DBName), "ok");
    EXPECT_EQ(s_msInfo.MSProc, -1);
    EXPECT_EQ(Parse("", s_tblMSCfg), 1);
    EXPECT_EQ(Filled(Parse("DBNAME last-without-newline", s_tblMSCfg), s_msInfo.DBName),
              "last-without-newline");
}

} // namespace
