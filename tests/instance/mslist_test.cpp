// The instance list: conflict bits, port tests, edits, the cursor against a model, and its
// data file: the exact layout read and written, the older layouts read, every refusal (a broken
// line, or a record that hides a command) with its reason.
#include <algorithm>
#include <random>

#include "sandbox_fixture.h"

namespace {

class MSListTest : public SandboxTest {
protected:
    // Instance name on port with procs server processes, on host "host-"+name with a database
    // of its name.
    MSInfo Record(const char* name, int port, int procs = 2) {
        MSInfo r = Instance(name);
        r.MSPort = port;
        r.MSProc = procs;
        r.ISHost = ICString("host-") + name;
        r.DBName = name;
        return r;
    }
    void Register(const std::string& lines) {
        std::string services = ReadWholeFile(Rooted("/etc/services")) + lines;
        ASSERT_TRUE(WriteWholeFile(Rooted("/etc/services"), services));
    }
    // Loads text as a data file into list.
    int LoadText(const std::string& text, MSList& list) {
        EXPECT_TRUE(WriteWholeFile(path(), text));
        return list.Load(path().c_str());
    }
    std::string path() const { return Root() + "/vxconfig.dat"; }
};

// Names, hosts and document roots in any letter case are the front end's tests.
TEST_F(MSListTest, AddRefusesDuplicatesAndTakenPorts) {
    MSList list;
    MSInfo a = Record("shop", 20000);
    MSInfo b = Record("other", 20005);
    EXPECT_EQ(list.CheckDup(b, a), 0);
    b.MSPort = 20000;
    EXPECT_EQ(list.CheckDup(b, a), 2 | 32);
    b.MSPort = 19996; // its range 19996..20000 reaches a's first port
    EXPECT_EQ(list.CheckDup(b, a), 32);

    // The same database only when the deciphered passwords match, letter case ignored.
    auto stored = [](const char* clear) {
        MSInfo r;
        r.SetCMSPswd(clear);
        return r.CMSPswd;
    };
    b = Record("other", 30000);
    b.DBName = "shop";
    a.DBPswd = stored("Secret");
    b.DBPswd = stored("SECRET");
    EXPECT_EQ(list.CheckDup(b, a), 64);
    b.DBPswd = stored("other");
    EXPECT_EQ(list.CheckDup(b, a), 0);

    MSInfo reserved = Record("r", 16559);
    EXPECT_EQ(list.Add(reserved, 1), 0); // the empty list takes even the reserved port
    list.Delete();
    ASSERT_EQ(list.Add(a, 1), 0);
    MSInfo twin = Record("SHOP", 40000);
    twin.ISHost = twin.DocRoot = twin.DBName = "x";
    EXPECT_EQ(list.Add(twin, 1), 1);
    EXPECT_EQ(list.CheckUnique(twin), 1);
    b = Record("b", 16556); // 16556..16560
    EXPECT_EQ(list.Add(b, 1), 128);
    b.MSPort = 16555; // 16555..16559
    EXPECT_EQ(list.Add(b, 1), 0);
    Register("other\t30002/udp\n");
    MSInfo c = Record("c", 30000);
    EXPECT_EQ(list.Add(c, 1), 128);
    EXPECT_EQ(list.Add(c, 0), 0); // unchecked, as on load
    EXPECT_EQ(list.GetCount(), 3);
}

TEST_F(MSListTest, EditingKeepsCapturedValuesAndOwnPorts) {
    MSList list;
    MSInfo a = Record("a", 20000), b = Record("b", 21000);
    b.TransCnt = 77;
    b.MLMisc.AddTail("kept");
    ASSERT_EQ(list.Add(a, 1), 0);
    ASSERT_EQ(list.Add(b, 1), 0);
    // Creation registered b's own ports; moving within them is no conflict.
    Register("vxb\t21000/tcp\nvxb_0\t21001/tcp\nvxb_1\t21002/tcp\nbusy\t21006/tcp\n");

    MSInfo edit = At(list, 1);
    edit.MSPort = 20003;
    EXPECT_EQ(list.MergeCurrent(edit), 32);
    EXPECT_EQ(list.SetCurrent(edit), 32);
    edit.MSPort = 21005; // its own range is 21000..21004; 21006 is busy
    EXPECT_EQ(list.MergeCurrent(edit), 128);
    edit.MSPort = 16558;
    EXPECT_EQ(list.MergeCurrent(edit), 128);
    edit.MSPort = 21002; // 21002..21006: testing stops at its own 21002
    edit.TransCnt = 5;
    edit.MLMisc.Empty();
    edit.DBName = "renamed";
    ASSERT_EQ(list.MergeCurrent(edit), 0);
    EXPECT_EQ(edit.TransCnt, 77); // handed back as merged
    MSInfo now = At(list, 1);
    ICString line;
    EXPECT_EQ((std::vector<int>{now.MSPort, now.TransCnt, now.MLMisc.GetFirst(line)}),
              (std::vector<int>{21002, 77, 1}));
    EXPECT_STREQ(now.DBName, "renamed");

    // SetCurrent replaces the whole record.
    edit = Record("b2", 22000);
    ASSERT_EQ(list.SetCurrent(edit), 0);
    now = At(list, 1);
    EXPECT_EQ(now.TransCnt, -1);
    EXPECT_STREQ(now.Name, "b2");
}

// The cursor against a model, after any mix of moves, additions and deletions: an addition
// makes the new record current, a deletion the following one (the one before when the last
// went), an index one past the end clears the cursor, any other index is refused.
TEST(ListIndex, TheCursorFollowsAModel) {
    MSList list;
    std::vector<std::string> model;
    int index = -1;
    std::mt19937 random(42);
    for (int step = 0; step < 3000; ++step) {
        const int size = static_cast<int>(model.size());
        const unsigned action = random() % 4;
        MSInfo r;
        if (action == 0) {
            model.push_back("n" + std::to_string(step));
            r.Name = model.back().c_str();
            EXPECT_EQ(list.Add(r, 0), 0);
            index = size;
        } else if (action == 1) {
            index = static_cast<int>(random() % (size + 1));
            ASSERT_EQ(list.SetIndex(index), 1);
            index = index == size ? -1 : index;
        } else if (action == 2 && index >= 0) {
            model.erase(model.begin() + index);
            ASSERT_EQ(list.Delete(), 1);
            index = std::min(index, size - 2);
        } else if (action == 2) { // nothing current: nothing to delete or replace
            EXPECT_EQ(list.Delete(), 0);
            EXPECT_EQ(list.SetCurrent(r), -1);
            EXPECT_EQ(list.MergeCurrent(r), -1);
        } else {
            EXPECT_EQ(list.SetIndex(size + 1) + list.SetIndex(-1), 0);
        }
        ASSERT_EQ(list.GetCount(), static_cast<int>(model.size()));
        ASSERT_EQ(list.GetIndex(), index) << "step " << step;
        if (index >= 0)
            ASSERT_EQ(Filled(list.GetCurrent(r), r.Name), model[static_cast<size_t>(index)]);
        else
            EXPECT_EQ(list.GetCurrent(r), 0);
    }
}

// Texts of fields, so that several compare at once.
std::vector<std::string> Texts(std::initializer_list<const char*> texts) {
    return std::vector<std::string>(texts.begin(), texts.end());
}

const char kMarker[] = "Hb4WkQ9sTz2LmX7cRv1NyE5pUa8JdG3f";

// Lines 3 to 34 of a file holding the sample record.
const std::string kSampleLines = std::string("shop1\n") + kMarker +
                                 "\n/r/inst\n/r/html\n/r/log\n/r/cache\n/r/macro\n/r/cgi\n"
                                 "/r/docs\n/ns/s\n/ns/n\n10.0.0.1\nweb1\nshopdb\ndbu\nstoredpw\n"
                                 "dbh\nnode1\n50000\n1\n1\n4\n20000\n-1\n1000\n576\nowner\n"
                                 "storedadm\npvh\n31\n32\n3600\n";

// Every field of the file distinct, so a line out of place shows both ways.
TEST_F(MSListTest, ReadsAndWritesTheCurrentLayoutLineByLine) {
    MSList list;
    const std::string file = "769\n1\n" + kSampleLines + "769\n";
    ASSERT_EQ(LoadText(file, list), 1);
    EXPECT_EQ(list.GetCount(), 1);
    MSInfo r = At(list, 0);
    EXPECT_EQ(Texts({r.Name,      r.MerKey,  r.RootPath, r.HtmlPath,  r.VXLogPath,    r.CachePath,
                     r.MacroPath, r.CgiPath, r.DocRoot,  r.NESSecure, r.NESNonsecure, r.IPAddr,
                     r.ISHost,    r.DBName,  r.DBUser,   r.DBPswd,    r.DBHost,       r.DBNode,
                     r.DBService, r.DBOwner, r.CMSPswd,  r.PVHost,    r.ConfigPath}),
              Texts({"shop1",    kMarker,  "/r/inst",   "/r/html",  "/r/log", "/r/cache",
                     "/r/macro", "/r/cgi", "/r/docs",   "/ns/s",    "/ns/n",  "10.0.0.1",
                     "web1",     "shopdb", "dbu",       "storedpw", "dbh",    "node1",
                     "50000",    "owner",  "storedadm", "pvh",      ""}));
    EXPECT_EQ((std::vector<int>{r.ISType, r.DBType, r.MSProc, r.MSPort, r.AuxPort, r.MaxCacheFiles,
                                r.MSOption, r.PVCycle, r.PVIntvl, r.PVTmout}),
              (std::vector<int>{IS_NETSCAPE, DB_ORACLE, 4, 20000, -1, 1000, 576, 31, 32, 3600}));
    // The marker stands for no merchant key.
    ICString key("x");
    EXPECT_EQ(Filled(r.GetMerKey(key), key), "");

    // Written back line by line; a field the file does not hold stays out of it.
    r.ConfigPath = "/not/stored";
    MSList again;
    again.Add(r, 0);
    ASSERT_EQ(again.Store(path().c_str()), 1);
    EXPECT_EQ(ReadWholeFile(path()), file);
}

TEST_F(MSListTest, ReadsOlderLayouts) {
    const std::string older = "shop2\nKEY\n/o/root\n/o/macro\n/o/cgi\n/o/html\n10.1.1.1\nweb2\n"
                              "db2\nu2\npw2\nh2\nn2\ns2\n";
    const std::string numbers = "2\n0\n3\n30000\n30010\n64\n";
    MSList list;
    ASSERT_EQ(LoadText("258\n1\n" + older + "dropped line\n" + numbers + "258\n", list), 1);
    MSInfo r = At(list, 0);
    EXPECT_STREQ(r.MacroPath, "/o/macro");
    EXPECT_STREQ(r.HtmlPath, "/o/html");
    EXPECT_EQ(r.ISType, IS_BRINDLE);
    EXPECT_EQ((std::vector<int>{r.MSPort, r.AuxPort, r.MSOption, r.PVTmout}),
              (std::vector<int>{30000, 30010, 64, 3600}));

    // Any other older version has no extra line.
    MSList other;
    ASSERT_EQ(LoadText("513\n1\n" + older + numbers + "513\n", other), 1);
    r = At(other, 0);
    EXPECT_EQ((std::vector<int>{r.MSPort, r.MSOption}), (std::vector<int>{30000, 64}));
}

// Every refusal names the line, or the record and field, as the front end shows it.
TEST_F(MSListTest, RefusesBadFilesAndDoesNotStoreOverThem) {
    ErrorLines errors;
    const std::string good = "769\n1\n" + kSampleLines + "769\n";
    std::string badType = good, hidden = good;
    badType.replace(badType.find("\n1\n1\n4\n"), 7, "\n3\n1\n4\n");
    hidden.replace(hidden.find("shop1"), 5, "sh;p1");
    const struct {
        std::string text;
        const char* why;
        bool strictOnly = false; // the product's own reading lets it pass
    } bad[] = {
        {"770\n0\n770\n", "line 1: a version newer than this program reads"},
        {"769\n-1\n769\n", "line 2: a negative number of records"},
        {good.substr(0, good.size() - 1), "line 35: the last line has no newline"},
        {"769\n1\n" + kSampleLines, "line 35: the file ends early"},
        {"769\n1\n" + kSampleLines + "258\n", "line 35: the end line does not repeat the version"},
        {"769\n2\n" + kSampleLines + "769\n", "line 36: the file ends early"},
        {badType, "line 22: a type out of range"},
        {"769\n1\n" + std::string(512, 'a') + kSampleLines.substr(5) + "769\n",
         "line 3: a text of 512 characters or more"},
        {"", "line 1: the file ends early"},
        {hidden,
         "record 1: instance ?: Name holds characters that may not stand in a command (letters, "
         "digits and ._-+,:@= only)"},
        {"769\n0\n769\n769\n", "line 4: text after the end of the list", true},
        {"root:x:0:0:root:/root:/bin/sh\nbin:x:2:2::/usr/bin:\n", "line 1: not a number"},
    };
    for (const auto& b : bad) {
        MSList list;
        ASSERT_TRUE(WriteWholeFile(path(), b.text));
        EXPECT_EQ(list.LoadDataFile(path().c_str()), 0) << b.why;
        EXPECT_EQ(std::string(SysGetLastReason()), path() + ": " + b.why);
        EXPECT_EQ(MSList::IsDataFile(path().c_str()), 0) << b.why;
        if (!b.strictOnly) {
            EXPECT_EQ(list.Load(path().c_str()), 0) << b.why;
        }
        // Nor is it stored over; only an empty file is taken for a new one.
        EXPECT_EQ(list.Store(path().c_str()), b.text.empty() ? 1 : 0) << b.why;
        if (!b.text.empty()) {
            EXPECT_EQ(ReadWholeFile(path()), b.text);
        }
    }
    MSList missing;
    EXPECT_EQ(missing.Load((path() + ".none").c_str()), 0);
    EXPECT_EQ(missing.Store((Root() + "/no/dir.dat").c_str()), 0);
    EXPECT_TRUE(Has(SysGetLastReason(), Root() + "/no: No such file or directory"));
    // Loading and storing stay silent: their caller decides what a failure means.
    EXPECT_TRUE(errors.Lines().empty()) << errors.Lines()[0];

    // A failing record empties the list, even of records read before it.
    MSList list;
    EXPECT_EQ(LoadText("769\n2\n" + kSampleLines + "shop2\n", list), 0);
    EXPECT_EQ(list.GetCount(), 0);
    // 511 characters still read back.
    EXPECT_EQ(LoadText("769\n1\n" + std::string(511, 'a') + kSampleLines.substr(5) + "769\n", list),
              1);
}

} // namespace
