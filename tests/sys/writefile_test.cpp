// The one write path and the locks: what a user of a file can observe after it is rewritten
// (the moments in between are the kill tests' part).
#include <chrono>
#include <sys/wait.h>

#include "platform_fixture.h"

class WriteFileTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        dir = Rooted("/tmp");
        path = dir + "/conf.txt";
    }
    int Write(const std::string& text, const SysWriteOptions& options = SysWriteOptions()) {
        return SysWriteFile(path.c_str(), text.data(), text.size(), options);
    }
    std::string dir, path;
};

TEST_F(WriteFileTest, ReplacesContentModeAndKeepsTheOldInodeAsBackup) {
    auto inode = [](const std::string& file) {
        struct stat st;
        return stat(file.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    SysWriteOptions options;
    options.mode = 0640;
    ASSERT_EQ(Write("first\n", options), 1);
    EXPECT_EQ(ModeOf(path), 0640u);
    ino_t old = inode(path);

    std::string backup = dir + "/conf.old.txt";
    ASSERT_TRUE(WriteWholeFile(backup, "an older generation\n"));
    options.backup = backup.c_str();
    options.mode = 0644;
    ASSERT_EQ(Write("second\n", options), 1);
    EXPECT_EQ(ReadWholeFile(path), "second\n");
    EXPECT_EQ(ModeOf(path), 0644u);
    EXPECT_EQ(inode(backup), old);
    EXPECT_EQ(ReadWholeFile(backup), "first\n");

    // keepMode leaves an existing file's bits alone and applies mode to a new file only.
    ASSERT_EQ(chmod(path.c_str(), 0604), 0);
    SysWriteOptions keep;
    keep.mode = 0600;
    keep.keepMode = true;
    ASSERT_EQ(Write("third\n", keep), 1);
    EXPECT_EQ(ModeOf(path), 0604u);
    std::string fresh = dir + "/fresh.txt";
    ASSERT_EQ(SysWriteFile(fresh.c_str(), "x", 1, keep), 1);
    EXPECT_EQ(ModeOf(fresh), 0600u);
    EXPECT_TRUE(Temporaries(dir).empty());
}

// Under a fixed name in a shared directory a link, even root's own, is never followed, and a
// file of another owner is not written into.
TEST_F(WriteFileTest, AFixedNameInASharedDirectoryFollowsNoLinkAndNoOtherOwner) {
    std::string target = Rooted("/etc/real.conf");
    ASSERT_TRUE(WriteWholeFile(target, "new\n"));
    ASSERT_EQ(symlink("../etc/real.conf", path.c_str()), 0);
    SysWriteOptions fixed;
    fixed.noFollow = true;
    EXPECT_EQ(Write("planted\n", fixed), 0);
    EXPECT_EQ(ReadWholeFile(target), "new\n");
    EXPECT_TRUE(Has(std::string(SysGetLastReason()), path + ": is a symbolic link"))
        << SysGetLastReason();
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_EQ(Write("mine\n", fixed), 1);
    if (geteuid() != 0)
        GTEST_SKIP() << "a file of another owner needs root to be made";
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    struct stat st;
    EXPECT_EQ(Write("through\n", fixed), 0);
    EXPECT_EQ(ReadWholeFile(path), "mine\n");
    // Without the rule the file is replaced, but a file another user put into the shared
    // directory passes its owner on to nothing root writes.
    ASSERT_EQ(Write("not given away\n"), 1);
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
}

TEST_F(WriteFileTest, FailuresNameTheFileAndLeaveItAsItWas) {
    ASSERT_TRUE(WriteWholeFile(path, "kept\n"));
    std::string missing = Rooted("/nowhere/x.conf");
    EXPECT_EQ(SysWriteFile(missing.c_str(), "x", 1), 0);
    EXPECT_TRUE(Has(std::string(SysGetLastReason()), "No such file or directory"))
        << SysGetLastReason();
    EXPECT_EQ(SysWriteFile(dir.c_str(), "x", 1), 0);
    EXPECT_EQ(std::string(SysGetLastReason()), dir + ": Is a directory");

    SysWriteOptions owned;
    owned.owner = "nosuchuser";
    EXPECT_EQ(Write("x\n", owned), 0);
    EXPECT_TRUE(Has(std::string(SysGetLastReason()), "nosuchuser"));
    EXPECT_EQ(ReadWholeFile(path), "kept\n");

    ICString text;
    EXPECT_EQ(SysReadFile(missing.c_str(), text), 0);
    EXPECT_EQ(std::string(SysGetLastReason()), missing + ": No such file or directory");
    EXPECT_TRUE(Temporaries(dir).empty());
}

TEST_F(WriteFileTest, TemporariesOfKilledRunsAreRemovedByTheNextOne) {
    for (const char* stale : {"conf.txt.vxnew-AbC123", "conf.txt.vxnew-zzzzzz"})
        ASSERT_TRUE(WriteWholeFile(dir + "/" + stale, "half"));
    // Not ours: another file's temporary stays until that file is written, other names stay.
    ASSERT_TRUE(WriteWholeFile(dir + "/other.txt.vxnew-AbC123", "half"));
    ASSERT_TRUE(WriteWholeFile(dir + "/conf.txt.vxnew-toolong1", "mine"));
    ASSERT_EQ(Write("whole\n"), 1);
    EXPECT_EQ(Temporaries(dir),
              (std::vector<std::string>{"conf.txt.vxnew-toolong1", "other.txt.vxnew-AbC123"}));

    // Killed between keeping the backup and renaming the new file: the backup is the file
    // itself. The next run keeps it and leaves no second name behind.
    std::string backup = dir + "/conf.old.txt";
    ASSERT_EQ(link(path.c_str(), backup.c_str()), 0);
    SysWriteOptions options;
    options.backup = backup.c_str();
    ASSERT_EQ(Write("newer\n", options), 1);
    EXPECT_EQ(ReadWholeFile(backup), "whole\n");
    EXPECT_EQ(Temporaries(dir),
              (std::vector<std::string>{"conf.txt.vxnew-toolong1", "other.txt.vxnew-AbC123"}));
}

// Taking the lock again within one process is left to the writers that write while they hold
// it; turns among many writers to the concurrent registrations.
TEST_F(WriteFileTest, ALockHeldElsewhereRefusesWithItsDirectoryOrIsWaitedFor) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        SysFileLock lock(path.c_str());
        char c = lock.Held() ? 'y' : 'n';
        if (write(ready[1], &c, 1) != 1)
            _exit(1);
        usleep(400000);
        _exit(0); // letting go by dying, as a killed writer does
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    auto start = std::chrono::steady_clock::now();
    {
        SysFileLock refused(path.c_str(), 0);
        EXPECT_FALSE(refused.Held());
        EXPECT_TRUE(Has(std::string(SysGetLastReason()), "cannot lock " + dir))
            << SysGetLastReason();
    }
    // A writer waits for its turn, then writes.
    EXPECT_EQ(Write("after the other\n"), 1);
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 0.3);
    EXPECT_EQ(ReadWholeFile(path), "after the other\n");
    ASSERT_EQ(waitpid(holder, nullptr, 0), holder);
    close(ready[0]);
    close(ready[1]);
}
