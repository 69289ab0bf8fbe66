#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "platform_fixture.h"
#include "vxconfig/services.h"

// A registration loop killed at random moments must always leave the services file complete:
// exactly the content before a registration or the content after it.
TEST_F(PlatformTest, ServicesFileSurvivesKilledRegistrations) {
    std::string path = Rooted("/etc/services");
    std::string without = ReadWholeFile(path);
    ASSERT_FALSE(without.empty());
    std::string with = without + "vxkilled\t6100/tcp\t# killed\n";

    std::mt19937 random(20001120);
    std::uniform_int_distribution<int> delay(0, 15000);
    for (int round = 0; round < 40; ++round) {
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
        ASSERT_TRUE(FileExists(path)) << "round " << round;
        std::string now = ReadWholeFile(path);
        ASSERT_TRUE(now == without || now == with) << "round " << round << ":\n" << now;
    }
}
