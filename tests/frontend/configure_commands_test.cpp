// vxcfg webconf as a user meets it: the files it changed named, a second run that changes only
// the copies of the previous contents, a missing httpd.conf that fails the command. (What
// createdb says is the outcome tests'.)
#include "sandbox_fixture.h"

namespace {

class VxcfgConfigureTest : public SandboxTest {
protected:
    bool Says(const ProgramResult& r, const std::string& line) {
        return ("\n" + r.out).find("\n" + line + "\n") != std::string::npos;
    }
};

TEST_F(VxcfgConfigureTest, NamesWhatChangedAndFailsOnAMissingHttpdConf) {
    ProgramResult empty = VxcfgOk({"webconf"});
    EXPECT_TRUE(Has(empty.out, "nothing to configure"));
    EXPECT_EQ(Vxcfg({"webconf", "extra"}).exitCode, 2);

    VxcfgOk({"add", "shop1", "--dbuser", SANDBOX_INSTANCE_USER});
    const std::string conf = Rooted("/etc/httpd.conf");
    ProgramResult first = VxcfgOk({"webconf"});
    EXPECT_TRUE(Says(first, "changed: " + conf)) << first.out;
    EXPECT_TRUE(Says(first, "created: " + conf + ".old")) << first.out;
    EXPECT_TRUE(Says(first, "created: " + Rooted("/etc/magnus.conf"))) << first.out;
    EXPECT_TRUE(Has(ReadWholeFile(conf), "Orvell Vendrix"));

    ProgramResult second = VxcfgOk({"webconf"});
    EXPECT_FALSE(Says(second, "changed: " + conf)) << second.out;
    EXPECT_TRUE(Says(second, "changed: " + conf + ".old")) << second.out;
    EXPECT_EQ(ReadWholeFile(conf + ".old"), ReadWholeFile(conf));

    ASSERT_EQ(unlink(conf.c_str()), 0);
    ProgramResult missing = Vxcfg({"webconf"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(Has(missing.err, conf));
    EXPECT_TRUE(Has(missing.out, "Web server configuration failed"));
    EXPECT_FALSE(FileExists(conf));
}

} // namespace
