// The default record of a new instance, and the Netscape paths it may come from.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "sandbox_fixture.h"
#include "vxconfig/vxconfig.h"

namespace {

class ListDefaultTest : public SandboxTest {
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

TEST_F(ListDefaultTest, NullRootSetsOnlyNames) {
    MSList list;
    EXPECT_EQ(list.SetDefault(nullptr, nullptr), 0);
    MSInfo d;
    list.GetDefault(d);
    EXPECT_STREQ(d.Name, "mser");
    EXPECT_STREQ(d.DBName, "mser");
    EXPECT_STREQ(d.RootPath, "");
    EXPECT_EQ(d.MSPort, -1);
}

TEST_F(ListDefaultTest, FullInstallation) {
    MSList list;
    MSInfo seed;
    seed.MSOption = 1;
    list.SetDefault(seed);
    MSInfo d = Default(list);
    EXPECT_STREQ(d.RootPath, (m_product + "/instance").c_str());
    EXPECT_STREQ(d.HtmlPath, (m_product + "/instance").c_str());
    EXPECT_STREQ(d.DefsDir, (m_product + "/globals").c_str());
    EXPECT_STREQ(d.MacroPath, (m_product + "/macro/en_US").c_str());
    EXPECT_EQ(d.ISType, IS_WHARF);
    EXPECT_STREQ(d.CgiPath, Rooted("/opt/WharfServer/usr/internet/server_root/cgi-bin").c_str());
    EXPECT_STREQ(d.DocRoot, Rooted("/opt/WharfServer/usr/internet/server_root/pub").c_str());
    EXPECT_EQ((std::vector<int>{d.MSPort, d.AuxPort, d.MSProc, d.MaxCacheFiles}),
              (std::vector<int>{16570, 16580, 2, 1000}));
    EXPECT_STREQ(d.DBOwner, SANDBOX_INSTANCE_USER);
    EXPECT_EQ(d.DBType, DB_RELDA);
    EXPECT_EQ(d.MSOption, 1 | 64 | 128 | 512);

    d = Default(list, "/web");
    EXPECT_STREQ(d.CgiPath, "/web/CGI-Bin");
    EXPECT_STREQ(d.DocRoot, "/web/HTML");
}

TEST_F(ListDefaultTest, PortSearchesSkipOtherBlocksAndRegisteredPorts) {
    MSList list;
    MSInfo a;
    a.Name = "a";
    a.MSPort = 16570;
    a.MSProc = 2;
    a.AuxPort = 16580;
    list.Add(a, 0);
    MSInfo d = Default(list);
    EXPECT_EQ(d.MSPort, 16590); // (16581 + 11) / 10 * 10
    EXPECT_EQ(d.AuxPort, 16600);

    // A registered port in the first block moves the search on by 20.
    std::string services = ReadWholeFile(Rooted("/etc/services")) + "x\t16595/tcp\n";
    ASSERT_TRUE(WriteWholeFile(Rooted("/etc/services"), services));
    d = Default(list);
    EXPECT_EQ(d.MSPort, 16610);
    EXPECT_EQ(d.AuxPort, 16620);
}

class BareInstallationTest : public ListDefaultTest {
protected:
    BareInstallationTest() {
        sandboxOptions.wharf = sandboxOptions.relda = false;
        sandboxOptions.payment = sandboxOptions.hosting = false;
    }
};

TEST_F(BareInstallationTest, NetscapeAndOracle) {
    MSList list;
    MSInfo d = Default(list);
    EXPECT_STREQ(d.DBName, "default");
    EXPECT_EQ(d.DBType, DB_ORACLE);
    EXPECT_STREQ(d.DBOwner, "");
    EXPECT_EQ(d.MSOption, 512);
    EXPECT_EQ(d.ISType, IS_NETSCAPE);
    EXPECT_STREQ(d.CgiPath, (m_product + "/cgi-bin").c_str());
    std::string suitespot = Rooted("/usr/netscape/suitespot");
    EXPECT_STREQ(d.DocRoot, (suitespot + "/docs").c_str());
    EXPECT_STREQ(d.NESSecure, (suitespot + "/https-443/config").c_str());
    EXPECT_STREQ(d.NESNonsecure, (suitespot + "/https-80/config").c_str());
}

TEST(NESPaths, FromTheInstanceDirectories) {
    MSInfo r;
    r.NESSecure = "/srv/ns/https-443/config";
    r.NESNonsecure = "/other/config";
    ISPath p;
    ASSERT_EQ(SysGetISNESInfo(p, r), 1);
    const char* expected[] = {"/srv/ns",      "/srv/ns/https-443/config", "/other/config",
                              "/srv/ns/docs", "/srv/ns/https-443/config", "/srv/ns"};
    for (int i = 0; i < ISPath::kCount; ++i)
        EXPECT_STREQ(p[i], expected[i]) << i;

    // Only the secure directory is given: the non-secure one lies under the same root.
    r.NESNonsecure.Empty();
    SysGetISNESInfo(p, r);
    EXPECT_STREQ(p[2], "/srv/ns/https-80/config");
    EXPECT_STREQ(r.NESNonsecure, "");
}

} // namespace
