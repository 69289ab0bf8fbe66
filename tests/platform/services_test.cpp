#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform_fixture.h"
#include "vxconfig/services.h"
#include "vxconfig/sysutil.h"

class ServicesTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        path = Rooted("/etc/services");
        ASSERT_TRUE(WriteWholeFile(path, kBase));
    }
    static constexpr const char* kBase = "# services\n"
                                         "ftp\t\t21/tcp\n"
                                         "vxshop\t\t4000/tcp\t# shop controller\n"
                                         "telnet\t\t23/tcp\n"
                                         "vxshop_1\t4001/tcp\t# shop process\n"
                                         "smtp\t\t25/tcp\t\tmail\n";
    std::string path;
};

TEST_F(ServicesTest, RegisterAppendsOrReplacesInPlace) {
    ICString file;
    ASSERT_EQ(SysGetSvcFile(file), 1);
    EXPECT_EQ(std::string(file), path);

    EXPECT_EQ(ICRegTcpService("vxmall", 5000, "abc"), 1);
    std::string appended = std::string(kBase) + "vxmall\t\t5000/tcp\t# abc\n";
    EXPECT_EQ(ReadWholeFile(path), appended);
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/services.old")), kBase);
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
    EXPECT_EQ(ICGetTcpServicePort("smtp"), 25);
    EXPECT_EQ(ICGetTcpServicePort("vxsho"), -1);

    // A last line without its newline keeps its own line.
    ASSERT_TRUE(WriteWholeFile(path, "ftp\t\t21/tcp"));
    EXPECT_EQ(ICRegTcpService("vxmall", 5000, "abc"), 1);
    EXPECT_EQ(ReadWholeFile(path), "ftp\t\t21/tcp\nvxmall\t\t5000/tcp\t# abc\n");
    EXPECT_EQ(ICGetTcpServicePort("ftp"), 21);
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
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/services.old")), before);
}

TEST_F(ServicesTest, FailuresLeaveTheFileAsItWas) {
    EXPECT_EQ(ICRegTcpService("", 5000, "x"), 0);
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_EQ(ICRegTcpService("vxmall", 5000, "abc"), 0);
    EXPECT_EQ(ICUnregTcpService("ftp"), 0);
    EXPECT_EQ(ICGetTcpServicePort("ftp"), 0);
    EXPECT_FALSE(FileExists(path));

    // An unwritable directory: nothing can be replaced, nothing is lost.
    ASSERT_TRUE(WriteWholeFile(path, kBase, 0444));
    ASSERT_EQ(chmod(Rooted("/etc").c_str(), 0555), 0);
    EXPECT_TRUE(RunUnprivileged([] {
        return ICRegTcpService("vxmall", 5000, "abc") == 0 && ICUnregTcpService("ftp") == 0 &&
               ICGetTcpServicePort("ftp") == 21;
    }));
    chmod(Rooted("/etc").c_str(), 0755);
    EXPECT_EQ(ReadWholeFile(path), kBase);
    EXPECT_FALSE(FileExists(Rooted("/etc/services.old")));

    // An unreadable file.
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    EXPECT_TRUE(RunUnprivileged([] {
        return ICGetTcpServicePort("ftp") == 0 && ICRegTcpService("vxmall", 5000, "abc") == 0;
    }));
    chmod(path.c_str(), 0444);
    EXPECT_EQ(ReadWholeFile(path), kBase);
}

TEST_F(ServicesTest, PortRegisteredForAnyProtocol) {
    ASSERT_TRUE(WriteWholeFile(path, "# 7000/tcp in a comment\n"
                                     "rpcx\t\t7001/udp\n"
                                     "web 8080/tcp http-alt # 7002/tcp\n"));
    EXPECT_EQ(SysIsPortRegistered(7001), 1);
    EXPECT_EQ(SysIsPortRegistered(8080), 1);
    EXPECT_EQ(SysIsPortRegistered(7000), 0);
    EXPECT_EQ(SysIsPortRegistered(7002), 0);
    EXPECT_EQ(ICRegTcpService("vxnew", 7003, "new"), 1);
    EXPECT_EQ(SysIsPortRegistered(7003), 1);
}

TEST_F(ServicesTest, LongLinesStayWholeAndBadEntriesAreRefused) {
    // A line far beyond any line buffer, then an entry right after it.
    std::string longLine = "vxlong\t\t4100/tcp\t# " + std::string(3000, 'c') + "\n";
    std::string text = std::string(kBase) + longLine + "vxafter\t\t4200/tcp\n";
    ASSERT_TRUE(WriteWholeFile(path, text));
    EXPECT_EQ(ICRegTcpService("vxmall", 5000, "abc"), 1);
    EXPECT_EQ(ReadWholeFile(path), text + "vxmall\t\t5000/tcp\t# abc\n");
    EXPECT_EQ(ICGetTcpServicePort("vxafter"), 4200);
    EXPECT_EQ(ICGetTcpServicePort("vxlong"), 4100);
    EXPECT_EQ(ICUnregTcpService("vxlong"), 1);
    EXPECT_EQ(ReadWholeFile(path),
              std::string(kBase) + "vxafter\t\t4200/tcp\nvxmall\t\t5000/tcp\t# abc\n");

    std::string before = ReadWholeFile(path);
    const struct {
        const char* name;
        int port;
        const char* comment;
    } refused[] = {
        {"vx shop", 5001, "x"}, {"vx\tshop", 5001, "x"},
        {"vx#shop", 5001, "x"}, {"vx\nshop", 5001, "x"},
        {"vxshop2", 0, "x"},    {"vxshop2", 65536, "x"},
        {"vxshop2", -1, "x"},   {"vxshop2", 5001, "one\nvxforged\t\t1/tcp"},
        {nullptr, 5001, "x"},
    };
    for (const auto& r : refused) {
        EXPECT_EQ(ICRegTcpService(r.name, r.port, r.comment), 0) << (r.name ? r.name : "null");
        EXPECT_EQ(ReadWholeFile(path), before);
    }
    EXPECT_EQ(ICRegTcpService("vxshop2", 65535, ""), 1);
    EXPECT_EQ(ICRegTcpService("vxshop3", 1, nullptr), 1);
}

TEST_F(ServicesTest, ASymlinkedServicesFileStaysALink) {
    std::string real = Rooted("/etc/services.real");
    ASSERT_EQ(rename(path.c_str(), real.c_str()), 0);
    ASSERT_EQ(symlink("services.real", path.c_str()), 0);
    EXPECT_EQ(ICRegTcpService("vxmall", 5000, "abc"), 1);
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadWholeFile(real), std::string(kBase) + "vxmall\t\t5000/tcp\t# abc\n");
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/services.old")), kBase);
}

// Processes registering at the same time take turns: every entry of every one is there.
TEST_F(ServicesTest, ConcurrentRegistrationsLoseNothing) {
    enum { kWriters = 4, kEach = 25 };
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int ok = 1;
            for (int i = 0; i < kEach; ++i) {
                std::string name = "vxw" + std::to_string(w) + "_" + std::to_string(i);
                ok &= ICRegTcpService(name.c_str(), 10000 + w * 100 + i, "parallel");
            }
            _exit(ok ? 0 : 1);
        }
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = -1;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kEach; ++i) {
            std::string name = "vxw" + std::to_string(w) + "_" + std::to_string(i);
            EXPECT_EQ(ICGetTcpServicePort(name.c_str()), 10000 + w * 100 + i) << name;
        }
    }
    EXPECT_TRUE(Temporaries(Rooted("/etc")).empty());
}
