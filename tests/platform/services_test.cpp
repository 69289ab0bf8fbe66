#include <sys/stat.h>
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
    EXPECT_EQ(ICUnregTcpService("VXshop"), 1);
    EXPECT_EQ(ReadWholeFile(path), "# services\n"
                                   "ftp\t\t21/tcp\n"
                                   "telnet\t\t23/tcp\n"
                                   "vxshop_1\t4001/tcp\t# shop process\n"
                                   "smtp\t\t25/tcp\t\tmail\n"
                                   "\n");
    EXPECT_EQ(ModeOf(path), 0666u & ~CurrentUmask());

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

TEST_F(ServicesTest, ReplaceFileKeepsTheOldInodeAsBackup) {
    struct stat old;
    ASSERT_EQ(stat(path.c_str(), &old), 0);
    std::string backup = Rooted("/etc/services.prev");
    ASSERT_EQ(SysReplaceFile(path.c_str(), "new\n", 4, backup.c_str(), 0640), 1);
    EXPECT_EQ(ReadWholeFile(path), "new\n");
    EXPECT_EQ(ModeOf(path), 0640u);
    struct stat kept;
    ASSERT_EQ(stat(backup.c_str(), &kept), 0);
    EXPECT_EQ(kept.st_ino, old.st_ino);
    EXPECT_EQ(ReadWholeFile(backup), kBase);
    // The new file keeps the owner of the one it replaced.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
        ASSERT_EQ(SysReplaceFile(path.c_str(), "newer\n", 6, nullptr, 0644), 1);
        struct stat now;
        ASSERT_EQ(stat(path.c_str(), &now), 0);
        EXPECT_EQ(now.st_uid, 65534u);
        EXPECT_EQ(now.st_gid, 65534u);
    }
    // No temporary file is left beside it.
    EXPECT_EQ(system(("test -z \"$(ls " + Rooted("/etc") + " | grep vxnew)\"").c_str()), 0);
}
