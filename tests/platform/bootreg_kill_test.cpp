// Boot registration killed at random moments: the registry and the three boot scripts are
// always one whole generation (before or after a registration), never missing or cut.
#include <unistd.h>

#include "sandbox_fixture.h"

namespace {

class BootRegKillTest : public SandboxTest {};

TEST_F(BootRegKillTest, KilledRegistrationsLeaveEveryFileWhole) {
    MSInfo m;
    m.SetName("shopk");
    m.SetHtmlPath((Root() + "/conf/shopk").c_str());
    m.SetDBUser(SANDBOX_INSTANCE_USER);
    m.SetDBOwner(SANDBOX_OWNER_USER);
    m.MSPort = FreePort();
    const std::vector<std::string> files = {
        Rooted("/etc/rc.vndx"), Rooted("/etc/rc0.d/K54vx3_mserverd"),
        Rooted("/etc/rc1.d/K54vx3_mserverd"), Rooted("/etc/rc2.d/S88vx3_mserverd")};
    // The two generations each file can be in: registered and removed.
    ASSERT_EQ(SysRegVXSvc(m), 1);
    std::vector<std::string> registered;
    for (const std::string& f : files)
        registered.push_back(ReadWholeFile(f));
    ASSERT_EQ(SysUnregVXSvc(m), 1);
    std::vector<std::string> removed;
    for (const std::string& f : files)
        removed.push_back(ReadWholeFile(f));

    KillAtRandom(
        100, 20261206, 40000,
        [&] {
            for (;;) {
                SysRegVXSvc(m);
                SysUnregVXSvc(m);
            }
        },
        [&](int round) {
            // The registry may hold the comment more than once (a registration repeated after a
            // killed one keeps the earlier comment), but only whole lines of the two kinds.
            std::string registry = ReadWholeFile(files[0]);
            ASSERT_EQ(registry.compare(0, removed[0].size(), removed[0]), 0) << registry;
            std::string rest = registry.substr(removed[0].size());
            std::string comment = "#Vendrix Instance - shopk\n";
            std::string start = registered[0].substr(registered[0].rfind("su - "));
            while (!rest.empty()) {
                size_t take = rest.compare(0, comment.size(), comment) == 0 ? comment.size()
                              : rest.compare(0, start.size(), start) == 0   ? start.size()
                                                                            : 0;
                ASSERT_NE(take, 0u) << "round " << round << ":\n" << registry;
                rest.erase(0, take);
            }
            for (size_t i = 1; i < files.size(); ++i) {
                std::string now = ReadWholeFile(files[i]);
                ASSERT_TRUE(now == registered[i] || now == removed[i])
                    << "round " << round << " " << files[i] << ":\n"
                    << now;
            }
        });
    ASSERT_FALSE(HasFatalFailure());
    // The next registration ends the file with the instance's two lines, as always.
    ASSERT_EQ(SysRegVXSvc(m), 1);
    std::string registry = ReadWholeFile(files[0]);
    std::string ending = registered[0].substr(removed[0].size());
    EXPECT_EQ(registry.compare(registry.size() - ending.size(), ending.size(), ending), 0)
        << registry;
    EXPECT_EQ(Temporaries(Rooted("/etc")), std::vector<std::string>());
}

} // namespace
