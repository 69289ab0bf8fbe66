#include <unistd.h>

#include "platform_fixture.h"
#include "vxconfig/services.h"

// A registration loop killed at random moments must always leave the services file and its
// backup complete: exactly the content before a registration or the content after it. The
// temporaries the killed runs leave are gone after the next registration.
TEST_F(PlatformTest, ServicesFileSurvivesKilledRegistrations) {
    std::string path = Rooted("/etc/services");
    std::string without = ReadWholeFile(path);
    ASSERT_FALSE(without.empty());
    std::string with = without + "vxkilled\t6100/tcp\t# killed\n";
    ASSERT_EQ(ICRegTcpService("vxkilled", 6100, "killed"), 1);
    ASSERT_EQ(ICUnregTcpService("vxkilled"), 1);

    KillAtRandom(
        300, 20001120, 6000,
        [] {
            for (;;) {
                ICRegTcpService("vxkilled", 6100, "killed");
                ICUnregTcpService("vxkilled");
            }
        },
        [&](int round) {
            for (const std::string& file : {path, Rooted("/etc/services.old")}) {
                std::string now = ReadWholeFile(file);
                ASSERT_TRUE(now == without || now == with)
                    << "round " << round << " " << file << ":\n"
                    << now;
            }
        });
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(ICRegTcpService("vxkilled", 6100, "killed"), 1);
    EXPECT_EQ(ReadWholeFile(path), with);
    EXPECT_EQ(Temporaries(Rooted("/etc")), std::vector<std::string>());
}
