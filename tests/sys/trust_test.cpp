// A second user ("nobody", uid 65534, owning what it plants) against root: planted links and
// directories that are not the instance's. (Backups more readable than their file are the
// secrets tests'.)
#include <algorithm>

#include "platform_fixture.h"

namespace {

const uid_t kNobody = 65534;

class TrustTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        if (geteuid() != 0)
            GTEST_SKIP() << "links of another user can only be planted by root";
        shadow = Rooted("/etc/shadow");
        secret = ReadWholeFile(shadow);
        ASSERT_FALSE(secret.empty());
    }
    // A directory of the given owner and mode, and a link in it to target planted by nobody.
    std::string Plant(const std::string& dir, uid_t owner, mode_t mode, const std::string& target) {
        mkdir(dir.c_str(), 0755);
        EXPECT_EQ(chown(dir.c_str(), owner, owner), 0);
        EXPECT_EQ(chmod(dir.c_str(), mode), 0);
        std::string link = dir + "/conf";
        EXPECT_EQ(symlink(target.c_str(), link.c_str()), 0);
        EXPECT_EQ(lchown(link.c_str(), kNobody, kNobody), 0);
        return link;
    }
    bool NoticeNames(const std::string& path) {
        return std::any_of(
            notices.Lines().begin(), notices.Lines().end(),
            [&](const std::string& notice) { return notice.rfind(path + ":", 0) == 0; });
    }
    InfoLines notices;
    std::string shadow, secret;
};

TEST_F(TrustTest, APlantedLinkIsReplacedAndWhatItPointsToIsLeftAlone) {
    std::string shadowMode = ModeAndOwner(shadow);
    std::string lair = Rooted("/home/lair");
    Plant(lair, kNobody, 0755, shadow);
    const std::string links[] = {
        Plant(Rooted("/srv"), 0, 0777, shadow),         // a world-writable directory
        Plant(Rooted("/spool"), 0, 01777, shadow),      // a shared one, like /tmp
        Plant(Rooted("/logs"), kNobody, 0755, shadow),  // the user's own, written for him
        Plant(Rooted("/var"), 0, 0755, lair + "/conf"), // root's link into the user's
    };
    ASSERT_EQ(lchown(links[3].c_str(), 0, 0), 0);
    for (const std::string& link : links) {
        SysWriteOptions options;
        options.mode = 0640;
        options.owner = link == links[2] ? "nobody" : nullptr;
        std::string backup = link + ".old";
        options.backup = backup.c_str();
        ASSERT_EQ(SysWriteFile(link.c_str(), "conf\n", 5, options), 1) << SysGetLastReason();
        EXPECT_EQ(ReadWholeFile(link), "conf\n") << link;
        EXPECT_EQ(ModeAndOwner(link), link == links[2] ? "640 65534" : "640 0");
        EXPECT_FALSE(FileExists(backup)) << link;
        EXPECT_TRUE(NoticeNames(link)) << link;
    }
    // Nor does a mode or owner change follow such a link.
    std::string again = Rooted("/srv/again");
    ASSERT_EQ(symlink(shadow.c_str(), again.c_str()), 0);
    ASSERT_EQ(lchown(again.c_str(), kNobody, kNobody), 0);
    EXPECT_EQ(SysChmod(again.c_str(), 0666), 0);
    EXPECT_EQ(ChownPath(again.c_str(), kNobody, kNobody, 0), 0);
    EXPECT_TRUE(Has(std::string(SysGetLastReason()), again + ": a symbolic link"))
        << SysGetLastReason();
    // A directory on the way that is the user's link stops the write altogether.
    ASSERT_EQ(symlink(Rooted("/etc").c_str(), (lair + "/etc").c_str()), 0);
    ASSERT_EQ(lchown((lair + "/etc").c_str(), kNobody, kNobody), 0);
    EXPECT_EQ(SysWriteFile((lair + "/etc/shadow").c_str(), "owned\n", 6), 0);
    EXPECT_EQ(ReadWholeFile(shadow), secret);
    EXPECT_EQ(ModeAndOwner(shadow), shadowMode);
}

TEST_F(TrustTest, AMacroLinkPlantedInTheProductTreeIsNotCopied) {
    std::string macros = Rooted("/opt/Orvellvndx/Vendrix3/macro/en_US/category");
    ASSERT_EQ(chmod(macros.c_str(), 0777), 0);
    std::string planted = macros + "/cat_bas1.d2w";
    ASSERT_EQ(unlink(planted.c_str()), 0);
    ASSERT_EQ(symlink(shadow.c_str(), planted.c_str()), 0);
    ASSERT_EQ(lchown(planted.c_str(), kNobody, kNobody), 0);
    std::string copy = Rooted("/tmp/copy");
    EXPECT_EQ(SysCopyFile(planted.c_str(), copy.c_str()), 0);
    EXPECT_TRUE(Has(std::string(SysGetLastReason()), planted + ": a symbolic link"))
        << SysGetLastReason();
    EXPECT_FALSE(FileExists(copy));

    MSInfo info = Instance("shop1");
    const std::string r = std::string(info.RootPath);
    ASSERT_EQ(CreateVXFiles(info, Rooted("/opt/Orvellvndx/Vendrix3").c_str()), 1);
    EXPECT_FALSE(FileExists(r + "/teditor/category/cat_bas1.d2w"));
    EXPECT_EQ(ReadWholeFile(r + "/teditor/category/cat_bas2.d2w"),
              ReadWholeFile(macros + "/cat_bas2.d2w"));
}

TEST_F(TrustTest, DirectoriesThatAreNotTheInstancesKeepOwnerAndMode) {
    std::string docroot = Rooted("/srv/www"), home = Rooted("/home/" SANDBOX_OWNER_USER);
    ASSERT_EQ(mkdir(Rooted("/srv").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(docroot.c_str(), 0755), 0);
    const std::string theirs[] = {Rooted("/tmp"), docroot, home};
    std::vector<std::string> before;
    for (const std::string& dir : theirs)
        before.push_back(ModeAndOwner(dir));
    MSInfo info = Instance("shop1");
    info.MacroPath = (std::string(info.RootPath) + "/macro").c_str();
    info.VXLogPath = Rooted("/tmp").c_str();
    info.CachePath = home.c_str();
    info.DocRoot = docroot.c_str();
    ASSERT_EQ(CreateVXFiles(info, Rooted("/opt/Orvellvndx/Vendrix3").c_str()), 1);
    for (size_t i = 0; i < std::size(theirs); ++i)
        EXPECT_EQ(ModeAndOwner(theirs[i]), before[i]) << theirs[i];
    EXPECT_TRUE(NoticeNames(docroot));
    EXPECT_TRUE(NoticeNames(home));
    // What the instance opens to everybody is sticky: nobody replaces another's file there.
    for (const char* open : {info.HtmlPath, info.MacroPath})
        EXPECT_EQ(ModeAndOwner(open), "1777 0");
}

TEST_F(TrustTest, CreateWritesNoConfigurationThroughALinkAUserPlanted) {
    AddInstance("shop1", {"--host", "shop1.example", "--pvhost", "localhost"});
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    // The configuration directory as an earlier release left it: writable by everybody.
    std::string dir = Rooted("/opt/Orvellvndx/Vendrix3/instance/shop1");
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
    std::string conf = dir + "/vxtrade.conf";
    ASSERT_EQ(unlink(conf.c_str()), 0);
    ASSERT_EQ(symlink(shadow.c_str(), conf.c_str()), 0);
    ASSERT_EQ(lchown(conf.c_str(), kNobody, kNobody), 0);
    ProgramResult r = VxcfgOk({"create"});
    EXPECT_TRUE(Has(r.out, conf + ": the symbolic link"));
    EXPECT_EQ(ReadWholeFile(shadow), secret);
    EXPECT_TRUE(Has(ReadWholeFile(conf), "CONFIG_PATH " + dir));
    EXPECT_EQ(ModeAndOwner(dir), "1777 0");
}

TEST_F(TrustTest, ACheckRunForeseesTheOwnerAndModeAWriteGivesAFileAUserPlanted) {
    const std::string spool = Rooted("/spool"), conf = spool + "/conf";
    ASSERT_EQ(mkdir(spool.c_str(), 0755), 0);
    ASSERT_EQ(chmod(spool.c_str(), 01777), 0);
    ASSERT_TRUE(WriteWholeFile(conf, "a user's\n", 0666));
    ASSERT_EQ(chown(conf.c_str(), kNobody, kNobody), 0);
    // Neither the user's owner nor the user's mode passes to the file written over it.
    SysWriteOptions options;
    options.mode = 0640;
    options.keepMode = true;
    ASSERT_TRUE(SysBeginChanges(SYS_CHANGES_CHECK));
    ASSERT_TRUE(SysWriteFile(conf.c_str(), "ours\n", 5, options));
    SysChangeReport report;
    SysGetChanges(report);
    SysEndChanges();
    EXPECT_EQ(ModeAndOwner(conf), "666 65534");
    ASSERT_EQ(report.files.size(), 1u);
    EXPECT_EQ(report.files[0].modeAfter, 0640u);
    ASSERT_EQ(report.owners.size(), 1u);
    EXPECT_EQ(report.owners[0].uid, geteuid());
    EXPECT_EQ(report.owners[0].gid, getegid());

    ASSERT_TRUE(SysWriteFile(conf.c_str(), "ours\n", 5, options));
    EXPECT_EQ(ModeAndOwner(conf), "640 " + std::to_string(geteuid()));
}

} // namespace
