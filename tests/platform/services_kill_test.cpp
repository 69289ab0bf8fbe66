#include <csignal>
#include <random>
#include <sys/wait.h>
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

    std::mt19937 random(20001120);
    std::uniform_int_distribution<int> delay(0, 6000);
    for (int round = 0; round < 300; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                ICRegTcpService("vxkilled", 6100, "killed");
                ICUnregTcpService("vxkilled");
            }
        }
        usleep(static_cast<useconds_t>(delay(random)));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        ASSERT_EQ(waitpid(child, nullptr, 0), child);
        for (const std::string& file : {path, Rooted("/etc/services.old")}) {
            std::string now = ReadWholeFile(file);
            ASSERT_TRUE(now == without || now == with) << "round " << round << " " << file << ":\n"
                                                       << now;
        }
    }
    ASSERT_EQ(ICRegTcpService("vxkilled", 6100, "killed"), 1);
    EXPECT_EQ(ReadWholeFile(path), with);
    EXPECT_EQ(Temporaries(Rooted("/etc")), std::vector<std::string>());
}
