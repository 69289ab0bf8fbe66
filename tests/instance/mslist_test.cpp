// The instance list: cursor, conflict bits, port tests, edits and the default record.
#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "sandbox_fixture.h"
#include "vxconfig/vxconfig.h"

namespace {

MSInfo Record(const char* name, int port, int procs = 2) {
    MSInfo r;
    r.Name = name;
    r.MSPort = port;
    r.MSProc = procs;
    r.ISHost = ICString("host-") + name;
    r.DocRoot = ICString("/docs/") + name;
    r.DBName = name;
    r.DBUser = "dbu";
    return r;
}

class MSListTest : public SandboxTest {
protected:
    void Register(const std::string& lines) {
        std::string services = ReadWholeFile(Rooted("/etc/services")) + lines;
        ASSERT_TRUE(WriteWholeFile(Rooted("/etc/services"), services));
    }
};

TEST_F(MSListTest, CursorOnEmptyAndAfterDelete) {
    MSList list;
    MSInfo r;
    EXPECT_EQ(list.GetIndex(), -1);
    EXPECT_EQ(list.GetCurrent(r), 0);
    EXPECT_EQ(list.SetIndex(0), 1);
    EXPECT_EQ(list.GetIndex(), -1);
    EXPECT_EQ(list.SetIndex(-1) + list.SetIndex(1), 0);
    EXPECT_EQ(list.Delete(), 0);
    EXPECT_EQ(list.SetCurrent(r), -1);
    EXPECT_EQ(list.MergeCurrent(r), -1);

    // The empty list takes even a record on the reserved port.
    MSInfo first = Record("a", 16559);
    EXPECT_EQ(list.Add(first, 1), 0);
    MSInfo b = Record("b", 20000), c = Record("c", 21000);
    ASSERT_EQ(list.Add(b, 1), 0);
    ASSERT_EQ(list.Add(c, 1), 0);
    EXPECT_EQ(list.GetIndex(), 2);
    EXPECT_EQ(list.SetIndex(3), 1);
    EXPECT_EQ(list.GetIndex(), -1);

    list.SetIndex(1);
    EXPECT_EQ(list.Delete(), 1);
    EXPECT_EQ(list.GetIndex(), 1); // the following record
    EXPECT_EQ(Filled(list.GetCurrent(r), r.Name), "c");
    EXPECT_EQ(list.Delete(), 1);
    EXPECT_EQ(list.GetIndex(), 0); // the last went: back to the one before
    EXPECT_EQ(list.Delete(), 1);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetIndex(), -1);
}

TEST_F(MSListTest, ConflictBits) {
    MSList list;
    MSInfo a = Record("shop", 20000);
    MSInfo b = Record("SHOP", 20004);
    b.ISHost = "HOST-shop";
    b.DocRoot = "/DOCS/shop";
    b.DBName = "Shop";
    b.DBUser = "DBU";
    EXPECT_EQ(list.CheckDup(b, a), 1 | 4 | 16 | 32 | 64);
    b = Record("other", 20005);
    EXPECT_EQ(list.CheckDup(b, a), 0);
    b.MSPort = 20000;
    EXPECT_EQ(list.CheckDup(b, a), 2 | 32);
    b.MSPort = 19996; // its range 19996..20000 reaches a's first port
    EXPECT_EQ(list.CheckDup(b, a), 32);

    // The same database only when the deciphered passwords match, letter case ignored.
    b = Record("other", 30000);
    b.DBName = "shop";
    b.SetCMSPswd("Secret"); // the stored form of a password
    a.DBPswd = b.CMSPswd;
    b.SetCMSPswd("SECRET");
    b.DBPswd = b.CMSPswd;
    EXPECT_EQ(list.CheckDup(b, a), 64);
    b.SetCMSPswd("other");
    b.DBPswd = b.CMSPswd;
    EXPECT_EQ(list.CheckDup(b, a), 0);

    ASSERT_EQ(list.Add(a, 1), 0);
    MSInfo twin = Record("SHOP", 40000);
    twin.ISHost = twin.DocRoot = twin.DBName = "x";
    EXPECT_EQ(list.Add(twin, 1), 1);
    EXPECT_EQ(list.CheckUnique(twin), 1);
    EXPECT_EQ(list.GetCount(), 1);
}

TEST_F(MSListTest, AddTestsThePortsOfTheNewInstance) {
    MSList list;
    MSInfo a = Record("a", 20000);
    ASSERT_EQ(list.Add(a, 1), 0);
    MSInfo b = Record("b", 16556); // 16556..16560
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
    EXPECT_EQ(now.MSPort, 21002);
    EXPECT_STREQ(now.DBName, "renamed");
    EXPECT_EQ(now.TransCnt, 77);
    ICString line;
    EXPECT_EQ(now.MLMisc.GetFirst(line), 1);

    // SetCurrent replaces the whole record.
    edit = Record("b2", 22000);
    ASSERT_EQ(list.SetCurrent(edit), 0);
    now = At(list, 1);
    EXPECT_EQ(now.TransCnt, -1);
    EXPECT_STREQ(now.Name, "b2");
}

// The cursor kept by index must agree with a plain walk from the head after any mix of
// moves, additions and deletions.
TEST(ListIndex, TheCursorAgreesWithAWalkFromTheHead) {
    MSList list;
    std::vector<std::string> model;
    std::mt19937 random(42);
    int next = 0;
    for (int step = 0; step < 3000; ++step) {
        int action = static_cast<int>(random() % 4);
        if (action == 0 || model.empty()) {
            MSInfo r;
            r.Name = ("n" + std::to_string(next++)).c_str();
            list.Add(r, 0);
            model.push_back(std::string(r.Name));
        } else if (action == 1) {
            int i = static_cast<int>(random() % (model.size() + 1));
            ASSERT_EQ(list.SetIndex(i), 1);
        } else if (action == 2 && list.GetIndex() >= 0) {
            model.erase(model.begin() + list.GetIndex());
            ASSERT_EQ(list.Delete(), 1);
        } else {
            EXPECT_EQ(list.SetIndex(static_cast<int>(model.size()) + 1), 0);
            EXPECT_EQ(list.SetIndex(-1), 0);
        }
        ASSERT_EQ(list.GetCount(), static_cast<int>(model.size()));
        int at = list.GetIndex();
        if (at >= 0) {
            MSInfo current;
            ASSERT_EQ(list.GetCurrent(current), 1);
            ASSERT_EQ(std::string(current.Name), model[static_cast<size_t>(at)]) << step;
        } else {
            MSInfo none;
            EXPECT_EQ(list.GetCurrent(none), 0);
        }
    }
}

// Walking the list by index, as every operation and `vxcfg list` do, costs one step per
// record: four times the records take about four times as long, not sixteen.
TEST(ListIndex, WalkingByIndexIsLinear) {
    auto walk = [](int count) {
        MSList list;
        for (int i = 0; i < count; ++i) {
            MSInfo r;
            r.MSPort = i;
            list.Add(r, 0);
        }
        auto start = std::chrono::steady_clock::now();
        long sum = 0;
        MSInfo info;
        for (int i = 0; i < list.GetCount(); ++i) {
            list.SetIndex(i);
            list.GetCurrent(info);
            sum += info.MSPort;
        }
        EXPECT_EQ(sum, static_cast<long>(count) * (count - 1) / 2);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    double small = walk(4000);
    double large = walk(16000);
    EXPECT_LT(large, 8 * small + 0.05) << small << " s for 4000, " << large << " s for 16000";
}

} // namespace
