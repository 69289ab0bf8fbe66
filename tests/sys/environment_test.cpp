// The login environment files: the sourcing line, the product profile's RELDAINSTANCE pair,
// the database user's profile rows and the queue client variable.
#include <filesystem>

#include "platform_fixture.h"

namespace {

class EnvironmentTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        for (const char* dir :
             {"/opt/Orvellvndx/Vendrix3/server/bin", "/etc/rc0.d", "/etc/rc1.d", "/etc/rc2.d"})
            std::filesystem::create_directories(Rooted(dir));
        instance = Instance("shop1");
    }
    // The line that sources the product profile, with its empty line.
    std::string Sourcing() const { return ". " + ProductProfile() + "\n\n"; }
    std::string ProductProfile() const {
        return Rooted("/opt/Orvellvndx/Vendrix3/server/bin/vndxprofile");
    }
    MSInfo instance;
};

TEST_F(EnvironmentTest, ScriptsSourceTheProfileOnceWhichKeepsOneReldaInstancePair) {
    const std::string before = "A=1\nRELDAINSTANCE=old\nexport RELDAINSTANCE\nB=2\n"
                               "RELDAINSTANCE=older";
    ASSERT_TRUE(WriteWholeFile(ProductProfile(), before));
    const std::string script = Rooted("/etc/rc2.d/S88wharf_httpd"), body = "#!/bin/sh\nstart\n";
    const std::string mentions = Rooted("/etc/rc0.d/K54wharf_httpd");
    const std::string absent = Rooted("/etc/rc1.d/K54wharf_httpd");
    ASSERT_TRUE(WriteWholeFile(script, body, 0755));
    // Any mention of the profile counts.
    ASSERT_TRUE(WriteWholeFile(mentions, "a\n. /elsewhere/vndxprofile\n"));
    // Root's missing profile is created with its own mode whatever the creation mask; a
    // missing script is not.
    mode_t mask = umask(0);
    int set = SysSetEnvironment(instance, 0);
    umask(mask);
    EXPECT_EQ(set, 1);
    EXPECT_EQ(ReadWholeFile(ProductProfile()),
              "A=1\nB=2\nRELDAINSTANCE=reldinst\nexport RELDAINSTANCE\n");
    EXPECT_EQ(ReadWholeFile(ProductProfile() + ".old"), before);
    EXPECT_EQ(ReadWholeFile(Rooted("/.profile")), Sourcing());
    EXPECT_EQ(ModeAndOwner(Rooted("/.profile")), "644 0");
    EXPECT_EQ(ReadWholeFile(mentions), "a\n. /elsewhere/vndxprofile\n");
    EXPECT_FALSE(FileExists(mentions + ".old"));
    EXPECT_FALSE(FileExists(absent));
    EXPECT_EQ(SysModFile(absent.c_str(), instance), 0);
    // The second run finds the profile mentioned and changes nothing, the copy included.
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(ReadWholeFile(script), Sourcing() + body);
        EXPECT_EQ(ReadWholeFile(script + ".old"), body);
        EXPECT_EQ(SysModFile(script.c_str(), instance), 1);
    }
    EXPECT_EQ(SysSetEnvironment(instance, 1), 1);
    EXPECT_EQ(ReadWholeFile(ProductProfile()), "A=1\nB=2\n");

    // Another web server's scripts are left alone.
    ASSERT_TRUE(WriteWholeFile(script, "stop\n"));
    instance.ISType = IS_NETSCAPE;
    EXPECT_EQ(SysSetEnvironment(instance, 0), 1);
    EXPECT_EQ(ReadWholeFile(script), "stop\n");
}

TEST_F(EnvironmentTest, DBUserProfileAppendsMissingRowsOnce) {
    const std::string home = Rooted("/home/" SANDBOX_INSTANCE_USER);
    const std::string profile = home + "/.profile";
    const std::string before = "LANG=de_DE\nexport LANG\nLC_ALL=C\n";
    ASSERT_TRUE(WriteWholeFile(profile, before));
    const std::string expected =
        before +
        "NLSPATH=/usr/lib/locale/%L/%N:/usr/lib/locale/%L/%N.cat\nexport NLSPATH\n"
        "PAYVANE_HOME=/opt/Orvell_Payment_Server\nexport PAYVANE_HOME\n"
        "JRE_TOP=$PAYVANE_HOME/jre\nexport JRE_TOP\n"
        "THREADS_TYPE=native_threads\nexport THREADS_TYPE\n"
        "INSTHOME=" +
        home +
        "\nexport INSTHOME\n"
        "RELDACOMM=TCPIP\nexport RELDACOMM\n"
        "RELDAINSTANCE=reldinst\nexport RELDAINSTANCE\n"
        "LANG=en_US\nexport LANG\n"
        "VXJAVA_HOME=$PAYVANE_HOME/jre\nexport JAVA_HOME\n"
        "CLASSPATH=$CLASSPATH:$VXJAVA_HOME/lib:$VXJAVA_HOME/lib/classes.zip:$PAYVANE_HOME:"
        "$PAYVANE_HOME/PayvaneClasses.zip:$HOME/sqllib/java/reldajava.zip\nexport CLASSPATH\n"
        "LIBPATH=$PAYVANE_HOME/lib:$JRE_TOP/lib/sparc/native_threads:$LIBPATH:/$INSTHOME/sqllib/"
        "odbclib.lib:/usr/java/lib/sparc/green_threads\nexport LIBPATH\n"
        "LD_LIBRARY_PATH=$PAYVANE_HOME/lib:$JRE_TOP/lib/sparc/native_threads:$LD_LIBRARY_PATH:"
        "$INSTHOME/sqllib/lib:$INSTHOME/sqllib/odbclib/lib:/opt/Orvellvndx/Vendrix3/bin:"
        "/opt/OrvellMacrolin/lib\nexport LD_LIBRARY_PATH\n"
        "PATH=/opt/Orvellvndx/Vendrix3/bin:$JRE_TOP/bin/sparc/native_threads:$PATH:$INSTHOME/"
        "sqllib/bin:$INSTHOME/sqllib/adm:$INSTHOME/sqllib/misc\nexport PATH\n";
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(SysSetDBUserProfile(instance), 1);
        EXPECT_EQ(ReadWholeFile(profile), expected);
    }

    // For Oracle the owner's profile, created when missing with its own mode whatever the
    // creation mask; the hosting edition adds the Java runtime's libraries to the library path.
    instance.DBType = DB_ORACLE;
    instance.MSOption |= MS_OPT_HOSTING;
    const std::string owner = Rooted("/home/" SANDBOX_OWNER_USER "/.profile");
    mode_t mask = umask(0);
    int set = SysSetDBUserProfile(instance);
    umask(mask);
    EXPECT_EQ(set, 1);
    EXPECT_EQ(ModeAndOwner(owner), "644 0");
    EXPECT_TRUE(Has(ReadWholeFile(owner), "/opt/OrvellMacrolin/lib:" + Rooted("/usr/java/lib") +
                                              "\nexport LD_LIBRARY_PATH\n"));
    EXPECT_TRUE(Has(ReadWholeFile(owner), "RELDAINSTANCE=" SANDBOX_OWNER_USER "\n"));
    EXPECT_EQ(ReadWholeFile(profile), expected);
}

TEST_F(EnvironmentTest, QueueClientVariableAndUnknownUsers) {
    const std::string mine = Rooted("/home/" SANDBOX_INSTANCE_USER "/.profile");
    ASSERT_TRUE(WriteWholeFile(mine, "keep\n"));
    char a0[] = "vxqbridge", blank[] = "-", server[] = "qmhost", client[] = "client",
         mode[] = "server", channel[] = "CHAN.1", port[] = "1414", hostile[] = "x;touch /tmp/owned";
    char* argv[] = {a0,    blank, blank, server, blank,   blank,
                    blank, blank, blank, client, channel, port};
    // An unknown user, and an owner whose passwd comment leaves no home as the fifth field.
    instance.DBUser = instance.DBOwner = "nosuch";
    EXPECT_EQ(SysSetDBUserProfile(instance), 0);
    EXPECT_EQ(SysSetEnvQXSERVER(instance, argv, 11), 0);
    instance.DBOwner = SANDBOX_OWNER_USER;
    EXPECT_EQ(SysSetEnvQXSERVER(instance, argv, 11), 0);
    const std::string profile = Rooted("/home/" SANDBOX_OWNER_USER "/.profile");
    EXPECT_FALSE(FileExists(profile));
    EXPECT_FALSE(FileExists(Rooted("/home/nosuch")));
    EXPECT_EQ(ReadWholeFile(mine), "keep\n");

    // Without the owner's comment, its fifth non-empty field is the home directory.
    std::string passwd = ReadWholeFile(Rooted("/etc/passwd")), comment = "Vendrix database owner";
    ASSERT_TRUE(Has(passwd, comment));
    ASSERT_TRUE(
        WriteWholeFile(Rooted("/etc/passwd"), passwd.erase(passwd.find(comment), comment.size())));
    ASSERT_TRUE(WriteWholeFile(profile, "umask 022"));
    EXPECT_EQ(SysSetEnvQXSERVER(instance, argv, 12), 1);
    EXPECT_EQ(SysSetEnvQXSERVER(instance, argv, 11), 1);
    argv[9] = mode;
    EXPECT_EQ(SysSetEnvQXSERVER(instance, argv, 12), 1);
    EXPECT_EQ(ReadWholeFile(profile), "umask 022\n"
                                      "export QXSERVER=CHAN.1/TCP/'qmhost(1414)'\n"
                                      "export QXSERVER=CHAN.1/TCP/qmhost\n"
                                      "export QXSERVER=\n");
    // Words that a login shell would run are refused, as are short vectors.
    argv[9] = client;
    argv[3] = hostile;
    for (int count : {12, 9})
        EXPECT_EQ(SysSetEnvQXSERVER(instance, argv, count), 0) << count;
    EXPECT_EQ(SysSetEnvQXSERVER(instance, nullptr, 12), 0);
    EXPECT_FALSE(Has(ReadWholeFile(profile), "owned"));
}

} // namespace
