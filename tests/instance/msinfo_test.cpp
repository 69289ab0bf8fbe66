// The instance record: its setters (ranges, paths, credentials, and values that could run as
// commands or do not fit their field), the helpers that read the system, and the default record
// of a new instance. (A wrong database password is the front end's test.)

#include "sandbox_fixture.h"

namespace {

// Texts of fields, so that several compare at once.
std::vector<std::string> Texts(std::initializer_list<const char*> texts) {
    return std::vector<std::string>(texts.begin(), texts.end());
}

TEST(MSInfo, NumbersOutOfRangeAreRefusedAndLeaveTheField) {
    MSInfo r;
    EXPECT_EQ((std::vector<int>{r.ISType, r.MSPort, r.PVCycle, r.PVTmout}),
              (std::vector<int>{IS_WHARF, -1, 30, 3600}));
    const struct {
        int (MSInfo::*set)(int);
        int MSInfo::*field;
        std::vector<int> good, bad;
    } rules[] = {
        {&MSInfo::SetMSPort, &MSInfo::MSPort, {1024, 65535}, {16560, 1023, 65536}},
        {&MSInfo::SetMSProc, &MSInfo::MSProc, {2, 99}, {1, 100}},
        {&MSInfo::SetPVCycle, &MSInfo::PVCycle, {1, 65535}, {0, 65536}},
        {&MSInfo::SetPVIntvl, &MSInfo::PVIntvl, {1, 65535}, {0, 65536}},
        {&MSInfo::SetPVTmout, &MSInfo::PVTmout, {60, 65535}, {59, 65536}},
    };
    for (const auto& rule : rules) {
        for (int value : rule.good) {
            EXPECT_EQ((r.*rule.set)(value), 1) << value;
            EXPECT_EQ(r.*rule.field, value);
        }
        for (int value : rule.bad) {
            EXPECT_EQ((r.*rule.set)(value), 0) << value;
            EXPECT_EQ(r.*rule.field, rule.good.back()) << value;
        }
    }
    EXPECT_EQ(r.SetISType(static_cast<eISType>(3)) + r.SetDBType(static_cast<eDBType>(-1)), 0);
    EXPECT_EQ(r.SetDBType(DB_ORACLE), 1);
    EXPECT_EQ((std::vector<int>{r.ISType, r.DBType}), (std::vector<int>{IS_WHARF, DB_ORACLE}));
    r.MSOption = 1 | 64;
    EXPECT_EQ(r.SetMSOption(8 | 1, 8), 1); // sets and clears the masked bits only
    EXPECT_EQ(r.MSOption, 8 | 64);
}

TEST(MSInfo, PathsAndAddresses) {
    MSInfo r;
    EXPECT_EQ(Filled(r.SetCgiPath("/a/cgi//"), r.CgiPath), "/a/cgi/"); // only one slash goes
    EXPECT_EQ(Filled(r.SetDocRoot("/a/docs/"), r.DocRoot), "/a/docs");
    EXPECT_EQ(Filled(r.SetRootPath("/a/root/"), r.RootPath), "/a/root/");

    for (const char* good : {"10.0.0.1", "10..0.1", "255.255.255.255"})
        EXPECT_EQ(MSInfo::CheckIPAddr(good), 1) << good;
    for (const char* bad :
         {"10.0.0.256", "10.0.0", "10.0.0.", "10.0.0.1.2", "a.b.c.d", "", "10.0.0.99999999999"})
        EXPECT_EQ(MSInfo::CheckIPAddr(bad), 0) << bad;

    // A Netscape server whose non-secure directory is not given has it under the same root.
    r.NESSecure = "/srv/ns/https-443/config";
    ISPath p;
    ASSERT_EQ(SysGetISNESInfo(p, r), 1);
    EXPECT_EQ(Texts({p[0], p[2], p[3], r.NESNonsecure}),
              Texts({"/srv/ns", "/srv/ns/https-80/config", "/srv/ns/docs", ""}));
}

TEST(MSInfo, CredentialsAreHeldEnciphered) {
    MSInfo r;
    EXPECT_EQ(Filled(r.SetMerKey(""), r.MerKey), IC_NO_MERKEY);
    ICString key("x"), clear;
    r.MerKey = "hb4wkq9stz2lmx7crv1nye5pua8jdg3f"; // the marker in other letter case
    EXPECT_EQ(Filled(r.GetMerKey(key), key), "");
    EXPECT_EQ(r.SetMerKey("0123456789ABCDEF"), 1);
    EXPECT_EQ(Filled(r.GetMerKey(key), key), "0123456789ABCDEF");
    ICString before(r.MerKey);
    EXPECT_EQ(r.SetMerKey("0123456789abcdeg") + r.SetMerKey("0123"), 0);
    EXPECT_STREQ(r.MerKey, before);

    EXPECT_EQ(r.SetCMSPswd("1234567890123456"), 1);
    ICString stored(r.CMSPswd);
    EXPECT_STRNE(stored, "1234567890123456");
    EXPECT_EQ(r.SetCMSPswd("12345678901234567"), 0);
    EXPECT_STREQ(r.CMSPswd, stored);
    EXPECT_EQ(Filled(r.GetCMSPswd(clear), clear), "1234567890123456");

    // Oracle passwords are not checked against the system.
    r.DBType = DB_ORACLE;
    r.DBOwner = "nobody-at-all";
    EXPECT_EQ(r.SetDBPswd("anything"), 1);
    EXPECT_EQ(Filled(r.GetDBPswd(clear), clear), "anything");
}

class MSInfoSystemTest : public SandboxTest {
protected:
    MSInfo Default(MSList& list, const char* webRoot = nullptr) {
        ICString product;
        ICGetInstPath(product);
        m_product = static_cast<const char*>(product);
        EXPECT_EQ(list.SetDefault(product, webRoot), 1);
        MSInfo d;
        list.GetDefault(d);
        return d;
    }
    std::string m_product;
};

TEST_F(MSInfoSystemTest, DefaultRecordOfAFullInstallation) {
    MSList list;
    MSInfo seed;
    seed.MSOption = 1;
    list.SetDefault(seed);
    MSInfo d = Default(list);
    const std::string wharf = Rooted("/opt/WharfServer/usr/internet/server_root");
    EXPECT_EQ(
        Texts({d.Name, d.DBName, d.RootPath, d.HtmlPath, d.DefsDir, d.MacroPath, d.CgiPath,
               d.DocRoot, d.DBOwner}),
        (std::vector<std::string>{"mser", "mser", m_product + "/instance", m_product + "/instance",
                                  m_product + "/globals", m_product + "/macro/en_US",
                                  wharf + "/cgi-bin", wharf + "/pub", SANDBOX_INSTANCE_USER}));
    EXPECT_EQ((std::vector<int>{d.ISType, d.DBType, d.MSPort, d.AuxPort, d.MSProc, d.MaxCacheFiles,
                                d.MSOption}),
              (std::vector<int>{IS_WHARF, DB_RELDA, 16570, 16580, 2, 1000, 1 | 64 | 128 | 512}));
    d = Default(list, "/web");
    EXPECT_EQ(Texts({d.CgiPath, d.DocRoot}), Texts({"/web/CGI-Bin", "/web/HTML"}));
}

class BareInstallationTest : public MSInfoSystemTest {
protected:
    BareInstallationTest() {
        sandboxOptions.wharf = sandboxOptions.relda = false;
        sandboxOptions.payment = sandboxOptions.hosting = false;
    }
};

TEST_F(BareInstallationTest, DefaultRecordIsNetscapeAndOracle) {
    MSList list;
    MSInfo d = Default(list);
    EXPECT_EQ((std::vector<int>{d.DBType, d.MSOption, d.ISType}),
              (std::vector<int>{DB_ORACLE, 512, IS_NETSCAPE}));
    std::string suitespot = Rooted("/usr/netscape/suitespot");
    EXPECT_EQ(Texts({d.DBName, d.DBOwner, d.CgiPath, d.DocRoot, d.NESSecure, d.NESNonsecure}),
              (std::vector<std::string>{"default", "", m_product + "/cgi-bin", suitespot + "/docs",
                                        suitespot + "/https-443/config",
                                        suitespot + "/https-80/config"}));
}

const char* const kHostile[] = {"a;b", "$(id)", "`id`", "a b", "a\tb", "a\nb", "a|b", "a&b", "a>b",
                                "'a'", "\"a\"", "a\\b", "-a",  "a*",   "a?",   "~a",  "a#b"};

TEST(SafeValues, TheRuleItself) {
    for (const char* bad : kHostile) {
        EXPECT_EQ(SysIsSafeValue(bad, SYS_VALUE_NAME), 0) << bad;
        EXPECT_EQ(SysIsSafeValue(bad, SYS_VALUE_PATH), 0) << bad;
    }
    for (const char* name : {"shop1", "a.b", "A-Z_09", "x+y,z:w@v=u", ""})
        EXPECT_EQ(SysIsSafeValue(name, SYS_VALUE_NAME), 1) << name;
    for (const char* notName : {".", "..", "a/b", "/"})
        EXPECT_EQ(SysIsSafeValue(notName, SYS_VALUE_NAME), 0) << notName;
    for (const char* path : {"/opt/x/..", "/srv/-rf", "rel/dir", "/a.b/c"})
        EXPECT_EQ(SysIsSafeValue(path, SYS_VALUE_PATH), 1) << path;
    EXPECT_EQ(SysIsSafeValue("\x80", SYS_VALUE_PATH), 0);

    ICString why;
    EXPECT_EQ(SysCheckRootValue("/tmp/vxroot-ok", &why), 1);
    for (const char* root : {"tmp/rel", "/", "//", "/tmp/a.b", "/tmp/a;b", "/tmp/a b"})
        EXPECT_EQ(SysCheckRootValue(root, &why), 0) << root;
    EXPECT_EQ(SysCheckRootValue(nullptr, &why), 0);
}

// Each refusal leaves the field as it was; the good values are as long as their fields allow.
TEST_F(MSInfoSystemTest, EveryTextSetterRefusesHostileEmptyAndOverlongValues) {
    const std::string host64(64, 'h'), path1024 = "/" + std::string(1023, 'p');
    const std::string name9(9, 'n'), host65 = host64 + "h", path1025 = path1024 + "p";
    const struct {
        int (MSInfo::*set)(const char*);
        ICString MSInfo::*field;
        const char* good;
        const std::string& tooLong;
    } setters[] = {
        {&MSInfo::SetName, &MSInfo::Name, "shopshop", name9},
        {&MSInfo::SetRootPath, &MSInfo::RootPath, path1024.c_str(), path1025},
        {&MSInfo::SetConfigPath, &MSInfo::ConfigPath, path1024.c_str(), path1025},
        {&MSInfo::SetCachePath, &MSInfo::CachePath, path1024.c_str(), path1025},
        {&MSInfo::SetVXLogPath, &MSInfo::VXLogPath, path1024.c_str(), path1025},
        {&MSInfo::SetDefsDir, &MSInfo::DefsDir, path1024.c_str(), path1025},
        {&MSInfo::SetMacroPath, &MSInfo::MacroPath, path1024.c_str(), path1025},
        {&MSInfo::SetCgiPath, &MSInfo::CgiPath, path1024.c_str(), path1025},
        {&MSInfo::SetHtmlPath, &MSInfo::HtmlPath, path1024.c_str(), path1025},
        {&MSInfo::SetDocRoot, &MSInfo::DocRoot, path1024.c_str(), path1025},
        {&MSInfo::SetISHost, &MSInfo::ISHost, host64.c_str(), host65},
        {&MSInfo::SetDBHost, &MSInfo::DBHost, host64.c_str(), host65},
        {&MSInfo::SetPVHost, &MSInfo::PVHost, host64.c_str(), host65},
        {&MSInfo::SetDBNode, &MSInfo::DBNode, host64.c_str(), host65},
        {&MSInfo::SetDBName, &MSInfo::DBName, "dbdbdbdb", name9},
        {&MSInfo::SetDBUser, &MSInfo::DBUser, "user1234", name9},
        {&MSInfo::SetDBOwner, &MSInfo::DBOwner, SANDBOX_OWNER_USER, path1025},
    };
    for (const auto& s : setters) {
        MSInfo r;
        ASSERT_EQ((r.*s.set)(s.good), 1) << s.good;
        const bool path = s.good[0] == '/';
        std::vector<std::string> bad = {"", s.tooLong};
        for (const char* hostile : kHostile)
            bad.push_back(path ? std::string("/srv/") + hostile : hostile);
        if (!path)
            bad.insert(bad.end(), {".", ".."});
        for (const std::string& value : bad) {
            // Inside a path a leading dash is harmless.
            if (value == "/srv/-a")
                continue;
            EXPECT_EQ((r.*s.set)(value.c_str()), 0) << s.good << ": " << value;
            EXPECT_STREQ(r.*s.field, s.good) << value;
        }
    }
    // The Netscape directories must also be safe before obj.conf is looked for.
    std::string dir = Rooted("/tmp/a;b");
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    ASSERT_TRUE(WriteWholeFile(dir + "/obj.conf", "x\n"));
    MSInfo r;
    EXPECT_EQ(r.SetNESSecure(dir.c_str()), 0);
    EXPECT_EQ(r.SetNESSecure(Rooted("/tmp").c_str()), 0); // no obj.conf there
    EXPECT_STREQ(r.NESSecure, "");
}

} // namespace
