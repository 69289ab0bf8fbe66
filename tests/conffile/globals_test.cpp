// Global defaults, filling a record from them, merging a regenerated file, path lists.

#include "records.h"
#include "sandbox_fixture.h"

namespace {

class Globals : public SandboxTest {
protected:
    std::string Dir(const char* name) {
        std::string dir = Rooted(std::string("/g/") + name);
        mkdir(Rooted("/g").c_str(), 0755);
        mkdir(dir.c_str(), 0755);
        return dir;
    }
};

TEST_F(Globals, ChainedDefaultsApplyOldestFirst) {
    std::string a = Dir("a"), b = Dir("b");
    ASSERT_TRUE(WriteWholeFile(a + "/vxtrade.conf", "DBNAME adb\nDEFAULTS " + b + "\n"));
    ASSERT_TRUE(
        WriteWholeFile(b + "/vxtrade.conf", "PROCESSES 5\nDBNAME bdb\nMS_CGIBIN_PATH /bcgi\n"));
    ASSERT_TRUE(WriteWholeFile(a + "/pay_back.conf", "BACKGROUND_CYCLE_TIME 60\n"));
    ASSERT_TRUE(WriteWholeFile(b + "/reldawww.ini", "MACRO_PATH /m\n"));
    ASSERT_TRUE(WriteWholeFile(a + "/pay_payvane.conf", "CMSPASS secret\n"));

    MSInfo out;
    ICString dir(a.c_str());
    ASSERT_EQ(ICGetGlobalDefault(out, dir), 1);
    EXPECT_STREQ(out.DBName, "adb");
    EXPECT_EQ(out.MSProc, 5);
    EXPECT_STREQ(out.CgiPath, "/bcgi");
    EXPECT_EQ(out.PVCycle, 60);
    EXPECT_STREQ(out.CMSPswd, "secret");
    EXPECT_EQ(Strings(out.MLMacroPath), (std::vector<std::string>{"/m"}));
    EXPECT_EQ(std::string(out.DefsDir), b);

    // A fresh start forgets what the previous call read.
    ICString onlyB(b.c_str());
    ASSERT_EQ(ICGetGlobalDefault(out, onlyB), 1);
    EXPECT_STREQ(out.DBName, "bdb");
    EXPECT_EQ(out.PVCycle, 30);

    // A chain that comes back to itself ends.
    ASSERT_TRUE(WriteWholeFile(b + "/vxtrade.conf", "DEFAULTS " + a + "\nPROCESSES 6\n"));
    ASSERT_EQ(ICGetGlobalDefault(out, dir), 1);
    EXPECT_EQ(out.MSProc, 6);
}

TEST_F(Globals, EmptyLineOrUnreadableMainFileGivesNothing) {
    std::string a = Dir("a");
    ASSERT_TRUE(WriteWholeFile(a + "/vxtrade.conf", "\nDBNAME adb\n"));
    MSInfo out;
    out.DBName = "mine";
    ICString dir(a.c_str());
    EXPECT_EQ(ICGetGlobalDefault(out, dir), 0);
    EXPECT_STREQ(out.DBName, "mine");
    // Missing files are skipped.
    ICString empty(Dir("empty").c_str());
    EXPECT_EQ(Filled(ICGetGlobalDefault(out, empty), out.DBName), "");
}

TEST_F(Globals, KeywordIsGlobalWhenAFileNamesIt) {
    std::string a = Dir("a");
    ASSERT_TRUE(WriteWholeFile(a + "/pay_payvane.conf", "# CMSPASS\nPAYVANE_EXEC /x\nCMSPASS\n"));
    MSInfo info;
    info.DefsDir = a.c_str();
    ICString cms("CMSPASS"), lower("cmspass"), exec("PAYVANE_EXEC"), other("DBNAME");
    EXPECT_EQ(ICIsParamGlobal(cms, info), 1);
    EXPECT_EQ(IsParamGlobal(exec, info), 1);
    EXPECT_EQ(IsParamGlobal(lower, info), 0);
    EXPECT_EQ(IsParamGlobal(other, info), 0);
    info.DefsDir.Empty();
    EXPECT_EQ(IsParamGlobal(cms, info), 0);
}

TEST(MergeInstance, UnsetFieldsTakeTheGlobalValues) {
    MSInfo global;
    global.PVCycle = 60;
    global.PVIntvl = 60;
    global.PVTmout = 10; // rejected by the setter
    global.MSProc = 5;
    global.DBName = "gdb";
    global.CgiPath = "/gcgi";
    global.MacroPath = "/gmacro";
    global.DBTypeName = "oracle";

    MSInfo info;
    info.PVCycle = 45;
    info.PVIntvl = -2;
    info.CgiPath = "default";
    info.MacroPath = "/mine";
    ICMergeInstance(info, global);
    EXPECT_EQ(info.PVCycle, 45);
    EXPECT_EQ(info.PVIntvl, 60);
    EXPECT_EQ(info.PVTmout, 3600);
    EXPECT_EQ(info.MSProc, 5);
    EXPECT_STREQ(info.DBName, "gdb");
    EXPECT_STREQ(info.CgiPath, "/gcgi");
    EXPECT_STREQ(info.MacroPath, "/mine");
    EXPECT_EQ(info.DBType, DB_ORACLE);

    MSInfo set;
    set.PVCycle = 30;
    set.MSProc = 3;
    set.DBName = "mine";
    global.MSProc = -1;
    ICMergeInstance(set, global);
    EXPECT_EQ(set.PVCycle, 60);
    EXPECT_EQ(set.MSProc, 3);
    EXPECT_STREQ(set.DBName, "mine");
}

TEST_F(Globals, RegeneratedFileKeepsTheFirstUserLineOfEachKey) {
    std::string d = Dir("m");
    ASSERT_TRUE(WriteWholeFile(d + "/x.old.conf", "FOO 1\nFOO 2\nDBNAME old\nMS_LOGLEVEL 3\n"
                                                  "# one\n# two\n\n\nBAR\tx\n   "));
    ASSERT_TRUE(WriteWholeFile(d + "/x.conf", "MS_LOGLEVEL 0\n"));
    ICString path((d + "/x.conf").c_str());
    EXPECT_EQ(MergeIniFiles(path), 1);
    EXPECT_EQ(ReadWholeFile(d + "/x.conf"), "MS_LOGLEVEL 0\nFOO 1\n# one\n\nBAR\tx\n");
    EXPECT_EQ(IsStandardDirective(path, "FOO"), 0);
    EXPECT_EQ(IsStandardDirective(path, "BAZ"), 1);
    EXPECT_EQ(IsStandardDirective(ICString((d + "/none").c_str()), "FOO"), 0);

    // Without a backup there is nothing to merge.
    ICString alone((Dir("n") + "/y.conf").c_str());
    ASSERT_TRUE(WriteWholeFile(std::string(alone), "A 1\n"));
    EXPECT_EQ(MergeIniFiles(alone), 1);
    EXPECT_EQ(ReadWholeFile(std::string(alone)), "A 1\n");

    // A new file that cannot be appended to.
    std::string e = Dir("e");
    mkdir((e + "/z.conf").c_str(), 0755);
    ASSERT_TRUE(WriteWholeFile(e + "/z.old.conf", "FOO 1\n"));
    ICString dirPath((e + "/z.conf").c_str());
    EXPECT_EQ(MergeIniFiles(dirPath), 0);
}

TEST(PathLists, PrefixesMatchWholeDirectoriesIgnoringCase) {
    ParmList<ICString> s;
    for (const char* p : {"/opt/old", "/OPT/Old/a", "/opt/older/x", "/other", "/opt/old/b"})
        s.AddTail(p);
    ParmList<ICString> copy = s;
    EXPECT_EQ(ReplacePathStrList(s, "/opt/old", "/new"), 3);
    EXPECT_EQ(Strings(s),
              (std::vector<std::string>{"/new", "/new/a", "/opt/older/x", "/other", "/new/b"}));
    EXPECT_EQ(RemovePathStrList(copy, "/opt/OLD"), 3);
    EXPECT_EQ(Strings(copy), (std::vector<std::string>{"/opt/older/x", "/other"}));
    EXPECT_EQ(DeletePathNVList(copy, "/opt/old", nullptr), 1);
    EXPECT_EQ(Strings(copy), (std::vector<std::string>{"/other"}));

    ParmList<NameValue> nv;
    nv.AddTail(NameValue("/a/*", "/opt/old/html/*"));
    nv.AddTail(NameValue("/b/*", "/opt/older/x"));
    nv.AddTail(NameValue("/opt/old", "/keep"));
    ParmList<NameValue> nvCopy = nv;
    EXPECT_EQ(ReplacePathNVList(nv, "/opt/old", "/i"), 1);
    EXPECT_EQ(Pairs(nv),
              (std::vector<std::string>{"/a/*=/i/html/*", "/b/*=/opt/older/x", "/opt/old=/keep"}));
    EXPECT_EQ(RemovePathNVList(nvCopy, "/opt/old"), 1);
    EXPECT_EQ(Pairs(nvCopy), (std::vector<std::string>{"/b/*=/opt/older/x", "/opt/old=/keep"}));
}

} // namespace
