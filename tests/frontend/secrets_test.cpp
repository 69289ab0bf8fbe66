// The stored passwords tried as another user of the machine would: reading the files that hold
// them, reading a check run's report, watching the command lines, and fetching what the web
// server serves after a migration.
#include <cerrno>
#include <fcntl.h>

#include "sandbox_fixture.h"

namespace {

class SecretsTest : public SandboxTest {
protected:
    // Adds shop1 on ports nothing else uses, with the sandbox's database password.
    void AddShop(std::vector<std::string> more = {}) {
        more.insert(more.begin(), {"--host", "localhost"});
        AddInstance("shop1", more);
    }
    MSInfo Shop() {
        MSList list;
        EXPECT_EQ(list.Load(Rooted("/opt/Orvellvndx/Vendrix3/server/admin/vxconfig.dat").c_str()),
                  1);
        return At(list, 0);
    }
    static std::string Stored(const char* clear) {
        char stored[33];
        ICEncrypt(clear, stored, sizeof stored);
        return stored;
    }
};

TEST_F(SecretsTest, FilesWithPasswordsAreClosedToOtherUsersWhateverTheUmask) {
    mode_t saved = umask(0);
    AddShop();
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    MSInfo shop = Shop();
    const std::string conf = std::string(shop.HtmlPath) + "/",
                      bin = std::string(shop.RootPath) + "/bin/";
    // Files an earlier version left open to everybody: their backups must not stay so.
    for (const char* name : {"vxtrade.conf", "srvrctrl.conf"})
        ASSERT_EQ(chmod((conf + name).c_str(), 0644), 0);
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    umask(saved);
    for (const std::string& path :
         {conf + "vxtrade.conf", conf + "vxtrade.old.conf", conf + "srvrctrl.conf",
          conf + "srvrctrl.old.conf", conf + "scheduler.conf", conf + "pay_payvane.conf",
          bin + ".payment", bin + ".old.payment"}) {
        ASSERT_TRUE(FileExists(path)) << path;
        EXPECT_TRUE(RunUnprivileged([&] {
            return open(path.c_str(), O_RDONLY) < 0 && errno == EACCES;
        })) << path;
    }
}

TEST_F(SecretsTest, ReportsMaskStoredPasswordsUnlessAskedToShowThem) {
    AddShop({"--adminpass", "First1"});
    const std::string stored = Stored(SANDBOX_PASSWORD);
    ProgramResult diff = Vxcfg({"--check", "--diff", "create"});
    EXPECT_EQ(diff.exitCode, 3) << diff.err;
    EXPECT_FALSE(Has(diff.out, stored));
    EXPECT_FALSE(Has(diff.out, SANDBOX_PASSWORD));
    for (const char* line :
         {"\n+DBPASS ********\n", "\n+CONTROL_DBPASS ********\n", "\n+DBPassword=********\n"})
        EXPECT_TRUE(Has(diff.out, line)) << line;
    ProgramResult shown = Vxcfg({"--check", "--diff", "--show-secrets", "create"});
    EXPECT_TRUE(Has(shown.out, "\n+DBPASS " + stored + "\n"));

    // The data file's records, and a password that changes: said, not shown.
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    ProgramResult json =
        Vxcfg({"--check", "--json", "--diff", "set", "shop1", "--adminpass", "Other2"});
    EXPECT_EQ(json.exitCode, 3) << json.err;
    EXPECT_FALSE(Has(json.out, stored));
    EXPECT_FALSE(Has(json.out, Stored("Other2")));
    EXPECT_TRUE(Has(json.out, "\\n+******** (changed)\\n"));
    ASSERT_EQ(Vxcfg({"set", "shop1", "--adminpass", "Other2"}).exitCode, 0);
    ProgramResult changed = Vxcfg({"--check", "--diff", "create"});
    EXPECT_TRUE(Has(changed.out, "\n-CMSPASS ********\n+CMSPASS ******** (changed)\n"));
    EXPECT_FALSE(Has(changed.out, Stored("Other2")));
}

TEST_F(SecretsTest, PasswordsComeFromStandardInputOrAFileNotTheCommandLine) {
    const std::string input = Root() + "/input", file = Root() + "/adminpass";
    ASSERT_TRUE(WriteWholeFile(input, SANDBOX_PASSWORD "\n", 0600));
    ASSERT_TRUE(WriteWholeFile(file, "Admin7\nnot this line\n", 0600));
    std::string add = std::string(VX_BIN_DIR) + "/vxcfg --root " + Root() +
                      " add shop1 --host localhost --dbpass - --adminpass-file " + file + " < " +
                      input + " > /dev/null";
    ASSERT_EQ(system(add.c_str()), 0);
    ICString clear;
    MSInfo shop = Shop();
    EXPECT_EQ(Filled(shop.GetDBPswd(clear), clear), SANDBOX_PASSWORD);
    EXPECT_EQ(Filled(shop.GetCMSPswd(clear), clear), "Admin7");

    // A refused password is not echoed; two sources, or a file that is not there, are refused.
    ASSERT_TRUE(WriteWholeFile(file, "Wrong4u\n", 0600));
    ProgramResult wrong = Vxcfg({"set", "shop1", "--dbpass-file", file});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_FALSE(Has(wrong.err, "Wrong4u"));
    ProgramResult both = Vxcfg({"set", "shop1", "--dbpass", "x", "--dbpass-file", file});
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_TRUE(Has(both.err, "--dbpass and --dbpass-file"));
    ProgramResult missing = Vxcfg({"set", "shop1", "--merchant-key-file", Root() + "/none"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(Has(missing.err, Root() + "/none: No such file"));
    EXPECT_EQ(Filled(Shop().GetDBPswd(clear), clear), SANDBOX_PASSWORD);
}

TEST_F(SecretsTest, ServedDirectoriesNeverReceivePasswords) {
    // A configuration directory inside the document root is refused, with the reason.
    const std::string docs = Rooted("/srv/shop1");
    AddShop({"--docroot", docs, "--htmlpath", docs + "/conf"});
    ProgramResult create = Vxcfg({"create"});
    EXPECT_TRUE(Has(create.err, docs + "/conf/srvrctrl.conf: it holds a password and " + docs +
                                    " is served by the web server"));
    EXPECT_FALSE(FileExists(docs + "/conf/vxtrade.conf"));
    ASSERT_EQ(Vxcfg({"set", "shop1", "--htmlpath", Rooted("/srv/conf1")}).exitCode, 0);
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    // Migrated twice, this release's instance keeps its document root.
    for (int run = 0; run < 2; ++run)
        ASSERT_EQ(Vxcfg({"migrate"}).exitCode, 0);
    const std::string migrated = std::string(Shop().RootPath) + "/config/vxtrade.conf";
    EXPECT_TRUE(Has(ReadWholeFile(migrated), "\nHTML_PATH " + docs + "\n"));

    // The earlier release's instance, migrated twice, keeps its controller's file out of the
    // web server's documents.
    ASSERT_EQ(RunProgram("vxcfg", {"sandbox", Root(), "--force", "--release", "2"}).exitCode, 0);
    for (int run = 0; run < 2; ++run)
        ASSERT_EQ(Vxcfg({"migrate"}).exitCode, 0);
    EXPECT_FALSE(FileExists(Rooted("/opt/WharfServer/usr/internet/server_root/pub/srvrctrl.conf")));
    EXPECT_TRUE(FileExists(Rooted("/opt/Orvellvndx/Vendrix3/instance/old2/config/srvrctrl.conf")));
}

} // namespace
