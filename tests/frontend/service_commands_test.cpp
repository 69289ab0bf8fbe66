// vxcfg start, stop, status, pay, web, register, unregister and webconf as a user meets them:
// usage errors, hostile names, the state of a stopped instance, boot registration in a sandbox,
// the files webconf changed. (Their help is the safety tests'.)

#include "sandbox_fixture.h"

namespace {

class VxcfgServiceTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        // An instance whose controller port has nothing listening.
        AddInstance("shop1", {"--host", "web1", "--docroot", "/srv/d1", "--db", "db1"});
    }
};

TEST_F(VxcfgServiceTest, UsageErrorsAndHostileNamesRunNothing) {
    for (const char* command : {"start", "stop", "status", "register", "unregister"}) {
        ProgramResult missing = Vxcfg({command});
        EXPECT_EQ(missing.exitCode, 2) << command;
        EXPECT_TRUE(Has(missing.err, std::string("usage: vxcfg ") + command));
        std::string pwned = Rooted("/PWNED");
        for (std::string name :
             {"a;touch " + pwned, "$(touch " + pwned + ")", std::string("`touch x`")}) {
            ProgramResult r = Vxcfg({command, name});
            EXPECT_EQ(r.exitCode, 1) << command << " " << name;
            EXPECT_FALSE(FileExists(pwned));
        }
        ProgramResult unknown = Vxcfg({command, "nosuchshop"});
        EXPECT_EQ(unknown.exitCode, 1);
        EXPECT_TRUE(Has(unknown.err, "nosuchshop"));
    }
    EXPECT_EQ(Vxcfg({"web", "restart"}).exitCode, 2);
    EXPECT_EQ(Vxcfg({"pay", "launch", "shop1"}).exitCode, 2);
    EXPECT_FALSE(FileExists(Rooted("/etc/rc.vndx")));
}

// (An instance's status is the outcome tests'.)
TEST_F(VxcfgServiceTest, StatusOfAStoppedWebServerAndBootRegistration) {
    ProgramResult web = VxcfgOk({"web", "status"});
    EXPECT_EQ(web.out, "web server: stopped\n");

    ProgramResult reg = VxcfgOk({"register", "shop1"});
    EXPECT_EQ(reg.out, "shop1: registered for boot\n");
    std::string registry = ReadWholeFile(Rooted("/etc/rc.vndx"));
    EXPECT_TRUE(Has(registry, "#Vendrix Instance - shop1\n"));
    EXPECT_TRUE(FileExists(Rooted("/etc/rc2.d/S88vx3_mserverd")));

    ProgramResult unreg = VxcfgOk({"unregister", "shop1"});
    EXPECT_EQ(unreg.out, "shop1: no longer started at boot\n");
    EXPECT_FALSE(Has(ReadWholeFile(Rooted("/etc/rc.vndx")), "shop1"));
}

// vxcfg webconf names the files it changed; a second run changes only the copies of the previous
// contents; a missing httpd.conf fails the command. (What createdb says is the outcome tests'.)
TEST_F(SandboxTest, VxcfgWebconfNamesWhatChangedAndFailsOnAMissingHttpdConf) {
    auto says = [](const ProgramResult& r, const std::string& line) {
        return Has("\n" + r.out, "\n" + line + "\n");
    };
    ProgramResult empty = VxcfgOk({"webconf"});
    EXPECT_TRUE(Has(empty.out, "nothing to configure"));
    EXPECT_EQ(Vxcfg({"webconf", "extra"}).exitCode, 2);

    VxcfgOk({"add", "shop1", "--dbuser", SANDBOX_INSTANCE_USER});
    const std::string conf = Rooted("/etc/httpd.conf");
    ProgramResult first = VxcfgOk({"webconf"});
    EXPECT_TRUE(says(first, "changed: " + conf));
    EXPECT_TRUE(says(first, "created: " + conf + ".old"));
    EXPECT_TRUE(says(first, "created: " + Rooted("/etc/magnus.conf")));
    EXPECT_TRUE(Has(ReadWholeFile(conf), "Orvell Vendrix"));

    ProgramResult second = VxcfgOk({"webconf"});
    EXPECT_FALSE(says(second, "changed: " + conf));
    EXPECT_TRUE(says(second, "changed: " + conf + ".old"));
    EXPECT_EQ(ReadWholeFile(conf + ".old"), ReadWholeFile(conf));

    ASSERT_EQ(unlink(conf.c_str()), 0);
    ProgramResult missing = Vxcfg({"webconf"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(Has(missing.err, conf));
    EXPECT_TRUE(Has(missing.out, "Web server configuration failed"));
    EXPECT_FALSE(FileExists(conf));
}

} // namespace
