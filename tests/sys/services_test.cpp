// The services file: entries appended or replaced in place and dropped, every failure leaving
// the file as it was, a link kept, writers taking turns, and registrations killed at random.
#include <sys/wait.h>

#include "platform_fixture.h"

namespace {

const char kBase[] = "# services\n"
                     "ftp\t\t21/tcp\n"
                     "vxshop\t\t4000/tcp\t# shop controller\n"
                     "telnet\t\t23/tcp\n"
                     "vxshop_1\t4001/tcp\t# shop process\n"
                     "smtp\t\t25/tcp\t\tmail\n";
const char kMall[] = "vxmall\t\t5000/tcp\t# abc\n";

class ServicesTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        path = Rooted("/etc/services");
        ASSERT_TRUE(WriteWholeFile(path, kBase));
    }
    std::string path;
};

TEST_F(ServicesTest, RegisterAppendsOrReplacesInPlace) {
    EXPECT_EQ(ICRegTcpService("vxmall", 5000, "abc"), 1);
    EXPECT_EQ(ReadWholeFile(path), std::string(kBase) + kMall);
    EXPECT_EQ(ReadWholeFile(path + ".old"), kBase);
    EXPECT_EQ(ModeOf(path), 0444u);

    // A name of eight characters takes one tab; letter case does not matter for the match,
    // and a line merely containing the name elsewhere is not an entry of it.
    ASSERT_TRUE(WriteWholeFile(path, kBase));
    EXPECT_EQ(ICRegTcpService("VXSHOP_1", 4101, "moved"), 1);
    EXPECT_EQ(ReadWholeFile(path), "# services\n"
                                   "ftp\t\t21/tcp\n"
                                   "vxshop\t\t4000/tcp\t# shop controller\n"
                                   "telnet\t\t23/tcp\n"
                                   "VXSHOP_1\t4101/tcp\t# moved\n"
                                   "smtp\t\t25/tcp\t\tmail\n");
    EXPECT_EQ(ICGetTcpServicePort("vxshop_1"), 4101);
    EXPECT_EQ(ICGetTcpServicePort("VxShop"), 4000);
    EXPECT_EQ(ICGetTcpServicePort("vxsho"), -1);

    // A last line without its newline keeps its own line.
    ASSERT_TRUE(WriteWholeFile(path, "ftp\t\t21/tcp"));
    EXPECT_EQ(ICRegTcpService("vxmall", 5000, "abc"), 1);
    EXPECT_EQ(ReadWholeFile(path), std::string("ftp\t\t21/tcp\n") + kMall);
    EXPECT_EQ(ICGetTcpServicePort("ftp"), 21);

    // A link to the file stays a link; what it names is rewritten.
    std::string real = Rooted("/etc/services.real");
    ASSERT_TRUE(WriteWholeFile(real, kBase));
    ASSERT_EQ(unlink(path.c_str()), 0);
    ASSERT_EQ(symlink("services.real", path.c_str()), 0);
    EXPECT_EQ(ICRegTcpService("vxmall", 5000, "abc"), 1);
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadWholeFile(real), std::string(kBase) + kMall);
    EXPECT_EQ(ReadWholeFile(path + ".old"), kBase);
}

TEST_F(ServicesTest, UnregisterDropsEveryEntryOfTheName) {
    ASSERT_TRUE(WriteWholeFile(path, std::string(kBase) + "\nvxshop\t\t4500/udp\n"));
    // Even under an open creation mask the system file is not left writable by others.
    mode_t mask = umask(0);
    EXPECT_EQ(ICUnregTcpService("VXshop"), 1);
    umask(mask);
    EXPECT_EQ(ReadWholeFile(path), "# services\n"
                                   "ftp\t\t21/tcp\n"
                                   "telnet\t\t23/tcp\n"
                                   "vxshop_1\t4001/tcp\t# shop process\n"
                                   "smtp\t\t25/tcp\t\tmail\n"
                                   "\n");
    EXPECT_EQ(ModeOf(path), 0644u);
    std::string before = ReadWholeFile(path);
    EXPECT_EQ(ICUnregTcpService("nosuch"), 0);
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(ReadWholeFile(path + ".old"), before);
}

TEST_F(ServicesTest, FailuresLeaveTheFileAsItWas) {
    // Bad names, ports and comments.
    for (const char* name :
         {"vx shop", "vx\tshop", "vx#shop", "vx\nshop", "", (const char*)nullptr})
        EXPECT_EQ(ICRegTcpService(name, 5001, "x"), 0) << (name ? name : "null");
    for (int port : {0, 65536, -1})
        EXPECT_EQ(ICRegTcpService("vxshop2", port, "x"), 0) << port;
    EXPECT_EQ(ICRegTcpService("vxshop2", 5001, "one\nvxforged\t\t1/tcp"), 0);
    EXPECT_EQ(ReadWholeFile(path), kBase);
    EXPECT_FALSE(FileExists(path + ".old"));
    EXPECT_EQ(ICRegTcpService("vxshop2", 65535, ""), 1);
    EXPECT_EQ(ICRegTcpService("vxshop3", 1, nullptr), 1);

    // An unwritable directory: nothing can be replaced, nothing is lost.
    ASSERT_TRUE(WriteWholeFile(path, kBase, 0444));
    RemoveTree(path + ".old");
    ASSERT_EQ(chmod(Rooted("/etc").c_str(), 0555), 0);
    EXPECT_TRUE(RunUnprivileged([] {
        return ICRegTcpService("vxmall", 5000, "abc") == 0 && ICUnregTcpService("ftp") == 0 &&
               ICGetTcpServicePort("ftp") == 21;
    }));
    chmod(Rooted("/etc").c_str(), 0755);
    EXPECT_EQ(ReadWholeFile(path), kBase);
    EXPECT_FALSE(FileExists(path + ".old"));
    // An unreadable file.
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    EXPECT_TRUE(RunUnprivileged([] {
        return ICGetTcpServicePort("ftp") == 0 && ICRegTcpService("vxmall", 5000, "abc") == 0;
    }));
    chmod(path.c_str(), 0444);
    EXPECT_EQ(ReadWholeFile(path), kBase);
    // A missing file.
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_EQ(ICRegTcpService("vxmall", 5000, "abc"), 0);
    EXPECT_EQ(ICUnregTcpService("ftp"), 0);
    EXPECT_EQ(ICGetTcpServicePort("ftp"), 0);
    EXPECT_FALSE(FileExists(path));
}

// A batch of registrations and releases ends as the single calls one after the other do, each
// with the single call's result, and keeps the file as it was before the whole batch.
TEST_F(ServicesTest, ABatchEndsAsTheSingleCallsAndKeepsTheFileBeforeIt) {
    const char* const kAfter = "# services\n"
                               "ftp\t\t21/tcp\n"
                               "telnet\t\t23/tcp\n"
                               "vxshop_1\t4101/tcp\t# moved\n"
                               "smtp\t\t25/tcp\t\tmail\n"
                               "vxmall\t\t5001/tcp\t# again\n";
    std::vector<SysTcpServiceEdit> batch = {
        {"vxmall", 5000, "abc"},      {"VXSHOP", 0, "", true},   {"vxshop_1", 4101, "moved"},
        {"vx shop", 4102, "refused"}, {"vxmall", 5001, "again"}, {"nosuch", 0, "", true}};
    auto results = [&] {
        std::vector<int> r;
        for (const SysTcpServiceEdit& e : batch)
            r.push_back(e.result);
        return r;
    };
    EXPECT_EQ(SysEditTcpServices(batch), 0);
    EXPECT_EQ(results(), std::vector<int>({1, 1, 1, 0, 1, 0}));
    EXPECT_EQ(ReadWholeFile(path), kAfter);
    EXPECT_EQ(ReadWholeFile(path + ".old"), kBase);
    EXPECT_EQ(ModeOf(path), 0644u);

    ASSERT_TRUE(WriteWholeFile(path, kBase));
    EXPECT_EQ(ICRegTcpService("vxmall", 5000, "abc") + ICUnregTcpService("VXSHOP") +
                  ICRegTcpService("vxshop_1", 4101, "moved") +
                  ICRegTcpService("vx shop", 4102, "refused") +
                  ICRegTcpService("vxmall", 5001, "again") + ICUnregTcpService("nosuch"),
              4);
    EXPECT_EQ(ReadWholeFile(path), kAfter);

    // A file that cannot be read fails every edit and is not made.
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_EQ(SysEditTcpServices(batch), 0);
    EXPECT_EQ(results(), std::vector<int>(batch.size(), 0));
    EXPECT_FALSE(FileExists(path));
}

// Processes registering at the same time take turns: every entry of every one is there.
TEST_F(ServicesTest, ConcurrentRegistrationsLoseNothing) {
    enum { kWriters = 4, kEach = 25 };
    auto name = [](int w, int i) { return "vxw" + std::to_string(w) + "_" + std::to_string(i); };
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int ok = 1;
            for (int i = 0; i < kEach; ++i)
                ok &= ICRegTcpService(name(w, i).c_str(), 10000 + w * 100 + i, "parallel");
            _exit(ok ? 0 : 1);
        }
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = -1;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kEach; ++i)
            EXPECT_EQ(ICGetTcpServicePort(name(w, i).c_str()), 10000 + w * 100 + i) << name(w, i);
    EXPECT_TRUE(Temporaries(Rooted("/etc")).empty());
}

// A registration loop killed at random moments always leaves the file and its backup whole:
// the content before a registration or after it. The next registration removes the
// temporaries the killed runs left.
TEST_F(ServicesTest, KilledRegistrationsLeaveTheFileAndItsBackupWhole) {
    std::string with = std::string(kBase) + "vxkilled\t6100/tcp\t# killed\n";
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
            for (const std::string& file : {path, path + ".old"}) {
                std::string now = ReadWholeFile(file);
                ASSERT_TRUE(now == kBase || now == with)
                    << "round " << round << " " << file << ":\n"
                    << now;
            }
        });
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(ICRegTcpService("vxkilled", 6100, "killed"), 1);
    EXPECT_EQ(ReadWholeFile(path), with);
    EXPECT_EQ(Temporaries(Rooted("/etc")), std::vector<std::string>());
}

} // namespace
