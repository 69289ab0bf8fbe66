// Check runs at the seam: the overlay holds changes back while reads see them, refuses what the
// system would, and reports the net change (whole runs are compared along the road).
#include <filesystem>

#include "platform_fixture.h"

namespace {

class ChangesTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        // The scratch trees go to a directory of the test's own, so none can be left unseen.
        tmp = Rooted("/scratch");
        ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
        setenv("TMPDIR", tmp.c_str(), 1);
    }
    void TearDown() override {
        SysEndChanges();
        PlatformTest::TearDown();
    }
    static int Write(const std::string& path, const std::string& text,
                     const char* backup = nullptr) {
        SysWriteOptions options;
        options.mode = 0640;
        options.backup = backup;
        return SysWriteFile(path.c_str(), text.data(), text.size(), options);
    }
    static std::string Seen(const std::string& path) {
        ICString text;
        return SysReadFile(path.c_str(), text) ? std::string(text) : "(unreadable)";
    }
    static bool Exists(const std::string& path) {
        struct stat st;
        return SysLstat(path.c_str(), &st) == 0;
    }
    long ScratchEntries() { return std::distance(std::filesystem::directory_iterator(tmp), {}); }
    // "action path" of each change, the root left out.
    std::vector<std::string> Actions(const SysChangeReport& report) {
        std::vector<std::string> out;
        for (const SysFileChange& file : report.files)
            out.push_back(file.action + " " + file.path.substr(Root().size()) +
                          (file.to.empty() ? "" : " " + file.to.substr(Root().size())));
        return out;
    }
    std::string tmp;
};

TEST_F(ChangesTest, CheckRunHoldsEveryChangeBackAndReportsTheNetEffect) {
    std::string conf = Rooted("/etc/app.conf"), gone = Rooted("/etc/gone.conf");
    std::string dir = Rooted("/opt/newdir"), link = Rooted("/etc/link.conf");
    ASSERT_TRUE(WriteWholeFile(conf, "a\nb\n"));
    ASSERT_TRUE(WriteWholeFile(gone, "old\n"));
    ASSERT_EQ(symlink(conf.c_str(), link.c_str()), 0);

    ASSERT_EQ(SysBeginChanges(SYS_CHANGES_CHECK), 1);
    EXPECT_EQ(SysIsCheckRun(), 1);
    EXPECT_EQ(ScratchEntries(), 1);
    // Written through the link, with a backup: the overlay answers, the disk keeps its bytes.
    EXPECT_EQ(Write(link, "a\nB\n", Rooted("/etc/app.old.conf").c_str()), 1);
    EXPECT_EQ(Seen(conf), "a\nB\n");
    EXPECT_EQ(Seen(link), "a\nB\n");
    EXPECT_EQ(Seen(Rooted("/etc/app.old.conf")), "a\nb\n");
    SysLineReader lines(conf.c_str());
    ASSERT_TRUE(lines.IsOpen());
    EXPECT_STREQ(lines.Next(), "a\n");
    EXPECT_STREQ(lines.Next(), "B\n");
    // Removed, made, renamed; a file rewritten to its old content is no change.
    EXPECT_EQ(SysRemove(gone.c_str()), 0);
    EXPECT_FALSE(Exists(gone));
    EXPECT_EQ(SysAccess(gone.c_str(), F_OK), -1);
    EXPECT_EQ(SysMkdir(dir.c_str(), nullptr, 0750), 1);
    EXPECT_EQ(Write(dir + "/x", "x\n"), 1);
    EXPECT_EQ(SysRename((dir + "/x").c_str(), (dir + "/y").c_str()), 0);
    EXPECT_EQ(Seen(dir + "/y"), "x\n");
    EXPECT_FALSE(Exists(dir + "/x"));
    EXPECT_EQ(Write(Rooted("/etc/passwd"), ReadWholeFile(Rooted("/etc/passwd"))), 1);
    EXPECT_EQ(SysChmod(Rooted("/etc/passwd").c_str(), 0600), 1);
    EXPECT_EQ(SysChmod(Rooted("/etc/passwd").c_str(), ModeOf(Rooted("/etc/passwd"))), 1);

    // A directory emptied: what it really holds and what the overlay put there both go.
    std::string cache = Rooted("/opt/cache");
    ASSERT_EQ(mkdir(cache.c_str(), 0755), 0);
    ASSERT_TRUE(WriteWholeFile(cache + "/real", "r\n"));
    EXPECT_EQ(Write(cache + "/made", "m\n"), 1);
    SysFlushVXCache(cache.c_str());
    EXPECT_FALSE(Exists(cache + "/real"));
    EXPECT_FALSE(Exists(cache + "/made"));
    EXPECT_TRUE(FileExists(cache + "/real"));

    // What the system would refuse, the overlay refuses.
    EXPECT_EQ(Write(Rooted("/nowhere/file"), "x"), 0);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(SysRemove(dir.c_str()), -1);
    EXPECT_EQ(errno, ENOTEMPTY);
    EXPECT_EQ(SysMkdir(dir.c_str(), nullptr, 0750), 0);
    EXPECT_EQ(SysRemove(gone.c_str()), -1);
    EXPECT_EQ(errno, ENOENT);

    // Nothing of it reached the disk (the road's check compares whole trees).
    EXPECT_EQ(ReadWholeFile(conf), "a\nb\n");
    SysChangeReport report;
    SysGetChanges(report);
    EXPECT_EQ(Actions(report),
              (std::vector<std::string>{"changed /etc/app.conf", "created /etc/app.old.conf",
                                        "removed /etc/gone.conf", "created /opt/newdir",
                                        "created /opt/newdir/y", "removed /opt/cache/real"}));
    // Contents before and after are judged by the road's diff applied with patch.
    ASSERT_EQ(report.files.size(), 6u);
    EXPECT_EQ(report.files[3].directory, true);
    EXPECT_EQ(report.files[3].modeAfter, 0750u & ~CurrentUmask());
    EXPECT_TRUE(report.Changed());

    SysEndChanges();
    EXPECT_EQ(ScratchEntries(), 0);
    EXPECT_EQ(Seen(conf), "a\nb\n");
}

} // namespace
