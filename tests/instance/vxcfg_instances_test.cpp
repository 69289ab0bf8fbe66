// The front end's instance commands run as a user would, in a sandbox installation; instance
// directories out of their place and port plans past the last port or on another service's
// ports, tried through the front end, the data file, the capture and creation.
#include <utility>

#include "installations.h"
#include "sandbox_fixture.h"

namespace {

const char kPathRule[] = "is refused: an absolute path below / without any dot";

// shop1 added with its defaults (ports 16570 to 16580) and host web1.
class VxcfgInstancesTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        Ok({"add", "shop1", "--host", "web1"});
        before = ReadWholeFile(DataFile());
    }
    // A command that must succeed; its output.
    std::string Ok(const std::vector<std::string>& args) { return VxcfgOk(args).out; }
    std::string DataFile() const {
        return Rooted("/opt/Orvellvndx/Vendrix3/server/admin/vxconfig.dat");
    }
    std::string before;
};

TEST_F(VxcfgInstancesTest, AddListShowSetRemove) {
    // The next free block follows shop1's and skips one that holds a registered port.
    std::string services = ReadWholeFile(Rooted("/etc/services")) + "x\t16595/tcp\n";
    ASSERT_TRUE(WriteWholeFile(Rooted("/etc/services"), services));
    Ok({"add", "shop2", "--host", "web2", "--docroot", "/srv/shop2", "--db", "shop2", "--procs",
        "4"});
    EXPECT_EQ(Ok({"list"}), "shop1    16570-16580 Wharf Relda mser\n"
                            "shop2    16610-16622 Wharf Relda shop2\n");

    // Secrets are only said to be set, never shown.
    Ok({"set", "shop1", "--dbuser", "dbu", "--dbpass", SANDBOX_PASSWORD, "--merchant-key",
        "00112233445566aa"});
    std::string shown = Ok({"show", "SHOP1"});
    for (std::string line :
         {"RootPath       " + Rooted("/opt/Orvellvndx/Vendrix3/instance/shop1") + "\n",
          std::string("MerKey         (set)\nRootPath"), std::string("DBPswd         (set)\n"),
          std::string("CMSPswd        (empty)\n")})
        EXPECT_TRUE(Has(shown, line)) << line << shown;
    EXPECT_FALSE(Has(shown, SANDBOX_PASSWORD));
    EXPECT_FALSE(Has(shown, "00112233445566aa"));

    Ok({"set", "shop2", "--port", "17000", "--pvtmout", "600"});
    EXPECT_TRUE(Has(Ok({"show", "shop2"}), "PVTmout        600\n"));

    Ok({"remove", "shop1"});
    EXPECT_EQ(Ok({"list"}), "shop2    17000-17012 Wharf Relda shop2\n");
    ProgramResult r = Vxcfg({"remove", "shop1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "vxcfg: Could not find instance shop1\n");
}

TEST_F(VxcfgInstancesTest, ConflictsAndRejectedValuesLeaveTheFileAlone) {
    // The same default document root and database, a name differing in case, same port.
    ProgramResult r = Vxcfg({"add", "SHOP1", "--host", "WEB1", "--port", "16570"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "vxcfg: The Storix server instance name must be unique.\n"
                     "vxcfg: The selected port overlaps with the ports of an existing instance.\n"
                     "vxcfg: The web server host name must be unique.\n"
                     "vxcfg: The document root must be unique.\n"
                     "vxcfg: The database name must be unique for each instance\n");

    // Each refused value is named, a password never.
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"add", "shop3", "--port", "16560"}, "--port: '16560' is refused"},
        {{"add", "shop3", "--port=99999"}, "--port: '99999' is refused"},
        {{"add", "shop3", "--port"}, "--port needs a value"},
        {{"add", "shop3", "--procs", "1x"}, "--procs: '1x' is refused"},
        {{"add", "toolongname"}, "'toolongname' is refused"},
        {{"add", "shop3", "--dbpass", "wrong"},
         "The specified password is incorrect for the user (" SANDBOX_INSTANCE_USER ")"},
        {{"add", "shop3", "--dbowner", "nosuchuser"}, "--dbowner: 'nosuchuser' is refused"},
        {{"add", "shop3", "--docroot", "/" + std::string(511, 'd')}, "--docroot"},
        {{"set", "shop1", "--ip", "10.0.0.256"}, "--ip: '10.0.0.256' is refused"},
        {{"set", "shop1", "--bogus", "1"}, "unknown option '--bogus'"},
    };
    for (const auto& bad : refused) {
        r = Vxcfg(bad.first);
        EXPECT_EQ(r.exitCode, 2) << bad.second << ": " << r.err;
        EXPECT_TRUE(Has(r.err, bad.second));
        EXPECT_FALSE(Has(r.err, "wrong"));
    }
    EXPECT_EQ(ReadWholeFile(DataFile()), before);
}

TEST_F(VxcfgInstancesTest, DirectoriesOutOfTheirPlaceAreRefusedAtAddAndSet) {
    for (std::string bad :
         {"..", "../x", "rel/path", "/srv/shop1.example.com", "/srv/a/../b", "/"}) {
        for (std::vector<std::string> cmd : {std::vector<std::string>{"add", "shop2", "--htmlpath"},
                                             {"set", "shop1", "--htmlpath"},
                                             {"set", "shop1", "--docroot"}}) {
            cmd.push_back(bad);
            ProgramResult r = Vxcfg(cmd);
            EXPECT_EQ(r.exitCode, 2) << cmd[0] << " " << bad;
            EXPECT_TRUE(Has(r.err, kPathRule));
        }
    }
    // A name with a dot would put one into the directories made from it.
    ProgramResult r = Vxcfg({"add", "shop.2"});
    EXPECT_EQ(r.exitCode, 2);
    std::string root = Rooted("/opt/Orvellvndx/Vendrix3/instance/shop.2");
    EXPECT_TRUE(Has(r.err, "RootPath '" + root + "' " + kPathRule));
    EXPECT_EQ(ReadWholeFile(DataFile()), before);
}

// "..", read from a data file edited by hand, would put the configuration files beside the
// caller's working directory; a configuration directory with a dot, read from the boot
// registry of an installation, would break every backup made there.
TEST_F(VxcfgInstancesTest, RecordsReadFromFilesThatLeadOutOfPlaceAreRefused) {
    std::string dir = Rooted("/opt/Orvellvndx/Vendrix3/instance/shop1") + "\n";
    std::string text = before;
    text.replace(text.find(dir, text.find(dir) + 1), dir.size(), "..\n"); // HtmlPath
    ASSERT_TRUE(WriteWholeFile(DataFile(), text));
    std::string work = Rooted("/srv/work");
    ASSERT_EQ(mkdir(Rooted("/srv").c_str(), 0755) + mkdir(work.c_str(), 0755), 0);
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    ASSERT_EQ(chdir(work.c_str()), 0);
    ProgramResult r = Vxcfg({"create"});
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Has(r.err, DataFile() + ": record 1: instance shop1: HtmlPath '..' " + kPathRule));
    EXPECT_FALSE(FileExists(Rooted("/srv/vxtrade.conf")) ||
                 FileExists(Rooted("/srv/srvrctrl.conf")));

    MSInfo m;
    m.Name = "shop3";
    m.ISHost = "host3";
    m.MSPort = 4000;
    m.HtmlPath = Rooted("/srv/shop3.example.com/config").c_str();
    m.DocRoot = Rooted("/srv/html").c_str();
    ICString error;
    ASSERT_EQ(SandboxAddInstance(Root().c_str(), 3, m, error), 1) << (const char*)error;
    ErrorLines errors;
    MSList list;
    CaptureVXConfig(list, 3);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>{"Storix server instance definition error."});
    EXPECT_EQ(std::string(SysGetLastReason())
                  .find("instance shop3: HtmlPath '" + m.HtmlPath + "' " + kPathRule),
              0u);
}

TEST_F(VxcfgInstancesTest, PortPlansPastTheLastPortOrOnAnotherServiceAreRefused) {
    const std::pair<std::vector<std::string>, const char*> attacks[] = {
        {{"add", "shop2", "--port", "65530", "--procs", "9", "--host", "w2", "--db", "d2",
          "--docroot", "/d2"},
         "port 65536 of instance shop2 (its server process 6) lies outside 1024..65535"},
        {{"add", "shop2", "--port", "49995", "--host", "w2", "--db", "d2", "--docroot", "/d2"},
         "port 50000 of instance shop2 (its payment administration port) is registered to the "
         "service relda61"},
        {{"set", "shop1", "--port", "49995"},
         "port 50000 of instance shop1 (its payment administration port) is registered to the "
         "service relda61"},
    };
    for (const auto& attack : attacks) {
        ProgramResult r = Vxcfg(attack.first);
        EXPECT_EQ(r.exitCode, 1) << attack.first[2];
        EXPECT_EQ(r.err, "vxcfg: The selected port is already in use by another service or "
                         "instance: " +
                             std::string(attack.second) + "\n");
    }
    EXPECT_EQ(ReadWholeFile(DataFile()), before);
}

TEST_F(VxcfgInstancesTest, CreateRegistersNothingWhenAnotherServiceHoldsAPortOfThePlan) {
    std::string services = ReadWholeFile(Rooted("/etc/services")) + "intruder\t16575/tcp\n";
    ASSERT_TRUE(WriteWholeFile(Rooted("/etc/services"), services));
    ProgramResult r = Vxcfg({"create"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Has(r.err, "vxcfg: The selected port is already in use by another service or "
                           "instance\n"
                           "vxcfg: Error in creating Storix server instance shop1.\n"
                           "vxcfg: shop1 is not created: port 16575 of instance shop1 (its payment "
                           "administration port) is registered to the service intruder\n"));
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/services")), services);
    EXPECT_FALSE(FileExists(Rooted("/opt/Orvellvndx/Vendrix3/instance/shop1/srvrctrl.conf")));
}

} // namespace
