// The instance data file: the exact layout written, the older layouts read, every refusal.
#include <gtest/gtest.h>
#include <string>

#include "sandbox_fixture.h"
#include "vxconfig/vxconfig.h"

namespace {

const char kMarker[] = "Hb4WkQ9sTz2LmX7cRv1NyE5pUa8JdG3f";

class DataFileTest : public SandboxTest {
protected:
    // Loads text as a data file into list.
    int LoadText(const std::string& text, MSList& list) {
        EXPECT_TRUE(WriteWholeFile(path(), text));
        return list.Load(path().c_str());
    }
    std::string path() const { return Root() + "/vxconfig.dat"; }
};

// Every field of the file distinct, so a line out of place shows.
MSInfo SampleRecord() {
    const struct {
        ICString MSInfo::*field;
        const char* text;
    } texts[] = {
        {&MSInfo::Name, "shop1"},         {&MSInfo::RootPath, "/r/inst"},
        {&MSInfo::HtmlPath, "/r/html"},   {&MSInfo::VXLogPath, "/r/log"},
        {&MSInfo::CachePath, "/r/cache"}, {&MSInfo::MacroPath, "/r/macro"},
        {&MSInfo::CgiPath, "/r/cgi"},     {&MSInfo::DocRoot, "/r/docs"},
        {&MSInfo::NESSecure, "/ns/s"},    {&MSInfo::NESNonsecure, "/ns/n"},
        {&MSInfo::IPAddr, "10.0.0.1"},    {&MSInfo::ISHost, "web1"},
        {&MSInfo::DBName, "shopdb"},      {&MSInfo::DBUser, "dbu"},
        {&MSInfo::DBPswd, "storedpw"},    {&MSInfo::DBHost, "dbh"},
        {&MSInfo::DBNode, "node1"},       {&MSInfo::DBService, "50000"},
        {&MSInfo::DBOwner, "owner"},      {&MSInfo::CMSPswd, "storedadm"},
        {&MSInfo::PVHost, "pvh"},         {&MSInfo::ConfigPath, "/not/stored"},
    };
    const struct {
        int MSInfo::*field;
        int value;
    } numbers[] = {
        {&MSInfo::MSProc, 4},           {&MSInfo::MSPort, 20000}, {&MSInfo::AuxPort, -1},
        {&MSInfo::MaxCacheFiles, 1000}, {&MSInfo::MSOption, 576}, {&MSInfo::PVCycle, 31},
        {&MSInfo::PVIntvl, 32},         {&MSInfo::PVTmout, 3600},
    };
    MSInfo r;
    for (const auto& t : texts)
        r.*t.field = t.text;
    for (const auto& n : numbers)
        r.*n.field = n.value;
    r.ISType = IS_NETSCAPE;
    r.DBType = DB_ORACLE;
    return r;
}

const std::string kSampleLines = std::string("shop1\n") + kMarker +
                                 "\n/r/inst\n/r/html\n/r/log\n/r/cache\n/r/macro\n/r/cgi\n"
                                 "/r/docs\n/ns/s\n/ns/n\n10.0.0.1\nweb1\nshopdb\ndbu\nstoredpw\n"
                                 "dbh\nnode1\n50000\n1\n1\n4\n20000\n-1\n1000\n576\nowner\n"
                                 "storedadm\npvh\n31\n32\n3600\n";

TEST_F(DataFileTest, WritesTheCurrentLayoutLineByLine) {
    MSList list;
    ASSERT_EQ(list.Store(path().c_str()), 1);
    EXPECT_EQ(ReadWholeFile(path()), "769\n0\n769\n");
    ASSERT_EQ(list.Load(path().c_str()), 1);
    EXPECT_EQ(list.GetCount(), 0);

    MSInfo r = SampleRecord();
    ASSERT_EQ(list.Add(r, 0), 0);
    ASSERT_EQ(list.Store(path().c_str()), 1);
    EXPECT_EQ(ReadWholeFile(path()), "769\n1\n" + kSampleLines + "769\n");

    // Read back: the fields of the file come back, the others have their defaults.
    MSList again;
    ASSERT_EQ(again.Load(path().c_str()), 1);
    ASSERT_EQ(again.GetCount(), 1);
    MSInfo back = At(again, 0);
    EXPECT_STREQ(back.MerKey, kMarker);
    ICString key("x");
    back.GetMerKey(key);
    EXPECT_STREQ(key, "");
    EXPECT_STREQ(back.NESNonsecure, "/ns/n");
    EXPECT_EQ(back.AuxPort, -1);
    EXPECT_EQ(back.MSOption, 576);
    EXPECT_EQ(back.PVIntvl, 32);
    EXPECT_STREQ(back.ConfigPath, "");
}

TEST_F(DataFileTest, ReadsOlderLayouts) {
    const std::string older = "shop2\nKEY\n/o/root\n/o/macro\n/o/cgi\n/o/html\n10.1.1.1\nweb2\n"
                              "db2\nu2\npw2\nh2\nn2\ns2\n";
    const std::string numbers = "2\n0\n3\n30000\n30010\n64\n";
    MSList list;
    ASSERT_EQ(LoadText("258\n1\n" + older + "dropped line\n" + numbers + "258\n", list), 1);
    MSInfo r = At(list, 0);
    EXPECT_STREQ(r.MacroPath, "/o/macro");
    EXPECT_STREQ(r.HtmlPath, "/o/html");
    EXPECT_EQ(r.ISType, IS_BRINDLE);
    EXPECT_EQ(r.MSPort, 30000);
    EXPECT_EQ(r.AuxPort, 30010);
    EXPECT_EQ(r.MSOption, 64);
    EXPECT_EQ(r.PVTmout, 3600);

    // Any other older version has no extra line.
    MSList other;
    ASSERT_EQ(LoadText("513\n1\n" + older + numbers + "513\n", other), 1);
    r = At(other, 0);
    EXPECT_EQ(r.MSPort, 30000);
    EXPECT_EQ(r.MSOption, 64);
}

TEST_F(DataFileTest, RefusesBadFiles) {
    const std::string good = "769\n1\n" + kSampleLines + "769\n";
    struct {
        const char* what;
        std::string text;
    } bad[] = {
        {"future version", "770\n0\n770\n"},
        {"negative count", "769\n-1\n769\n"},
        {"no newline at the end", good.substr(0, good.size() - 1)},
        {"trailer missing", "769\n1\n" + kSampleLines},
        {"trailer differs", "769\n1\n" + kSampleLines + "258\n"},
        {"record cut short", "769\n2\n" + kSampleLines + "769\n"},
        {"web server type 3",
         "769\n1\n" +
             std::string(kSampleLines).replace(kSampleLines.find("\n1\n1\n4\n"), 7, "\n3\n1\n4\n") +
             "769\n"},
        {"text of 512 characters",
         "769\n1\n" + std::string(512, 'a') + kSampleLines.substr(5) + "769\n"},
        {"empty file", ""},
    };
    for (const auto& b : bad) {
        MSList list;
        EXPECT_EQ(LoadText(b.text, list), 0) << b.what;
    }
    MSList missing;
    EXPECT_EQ(missing.Load((path() + ".none").c_str()), 0);

    // A failing record empties the list, even of records read before it.
    MSList list;
    EXPECT_EQ(LoadText("769\n2\n" + kSampleLines + "shop2\n", list), 0);
    EXPECT_EQ(list.GetCount(), 0);

    // 511 characters still read back.
    EXPECT_EQ(LoadText("769\n1\n" + std::string(511, 'a') + kSampleLines.substr(5) + "769\n", list),
              1);
}

TEST_F(DataFileTest, TypedLinesKeepTheFieldOnARefusal) {
    ASSERT_TRUE(WriteWholeFile(path(), "-1\n2\n2\n"));
    FILE* fp = fopen(path().c_str(), "r");
    ASSERT_NE(fp, nullptr);
    MSInfo r;
    eISType is = IS_NETSCAPE;
    eDBType db = DB_ORACLE;
    EXPECT_EQ(r.LoadISType(is, fp), 0);
    EXPECT_EQ(is, IS_NETSCAPE);
    EXPECT_EQ(r.LoadISType(is, fp), 1);
    EXPECT_EQ(is, IS_BRINDLE);
    EXPECT_EQ(r.LoadDBType(db, fp), 0);
    EXPECT_EQ(db, DB_ORACLE);
    fclose(fp);
}

} // namespace
