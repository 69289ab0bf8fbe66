// The main and controller files rewritten over and over and killed at random moments: each
// file and its backup is always one whole generation, never missing or cut, and the next run
// leaves no temporary behind.
#include <sys/stat.h>
#include <unistd.h>

#include "sandbox_fixture.h"

namespace {

class WritersKillTest : public SandboxTest {};

TEST_F(WritersKillTest, KilledRewritesLeaveEveryFileWhole) {
    std::string dir = Rooted("/conf");
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    MSInfo a;
    a.Name = "shopk";
    a.HtmlPath = dir.c_str();
    a.DBName = "kdb";
    a.DBOwner = SANDBOX_OWNER_USER;
    a.MSProc = 2;
    a.MSPort = 5000;
    // Two records whose files differ in one line of each file.
    MSInfo b = a;
    a.LogLevel = 1;
    b.LogLevel = 7;
    const std::string files[] = {dir + "/vxtrade.conf", dir + "/srvrctrl.conf"};
    const std::string backups[] = {dir + "/vxtrade.old.conf", dir + "/srvrctrl.old.conf"};
    std::vector<std::string> generation[2];
    for (MSInfo* m : {&a, &b}) {
        MSInfo copy = *m;
        ASSERT_EQ(CreateMSInit(copy, "/opt/p"), 1);
        ASSERT_EQ(CreateCtrlInit(copy), 1);
        for (int i = 0; i < 2; ++i)
            generation[i].push_back(ReadWholeFile(files[i]));
    }
    ASSERT_NE(generation[0][0], generation[0][1]);
    ASSERT_NE(generation[1][0], generation[1][1]);
    auto whole = [&](int i, const std::string& text) {
        return text == generation[i][0] || text == generation[i][1];
    };

    KillAtRandom(
        300, 20261206, 20000,
        [&] {
            for (int n = 0;; ++n) {
                MSInfo m = n % 2 ? a : b;
                CreateMSInit(m, "/opt/p");
                CreateCtrlInit(m);
            }
        },
        [&](int round) {
            for (int i = 0; i < 2; ++i) {
                ASSERT_TRUE(whole(i, ReadWholeFile(files[i])))
                    << "round " << round << " " << files[i];
                ASSERT_TRUE(whole(i, ReadWholeFile(backups[i])))
                    << "round " << round << " " << backups[i];
            }
        });
    ASSERT_FALSE(HasFatalFailure());
    MSInfo m = a;
    ASSERT_EQ(CreateMSInit(m, "/opt/p"), 1);
    ASSERT_EQ(CreateCtrlInit(m), 1);
    EXPECT_EQ(ReadWholeFile(files[0]), generation[0][0]);
    EXPECT_EQ(ReadWholeFile(files[1]), generation[1][0]);
    EXPECT_EQ(Temporaries(dir), std::vector<std::string>());
}

} // namespace
