// Instance directories out of their place and port plans past the last port or on another
// service's ports, tried through the front end, the data file, the capture and creation.
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "installations.h"
#include "run_program.h"
#include "sandbox_fixture.h"

namespace {

const char kPathRule[] = "is refused: an absolute path below / without any dot";

class PathsPortsTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        ASSERT_EQ(Vxcfg({"add", "shop1"}).exitCode, 0); // ports 16570 to 16580
        data = Rooted("/opt/Orvellvndx/Vendrix3/server/admin/vxconfig.dat");
        before = ReadWholeFile(data);
    }
    ProgramResult Vxcfg(std::vector<std::string> args) {
        args.insert(args.begin(), {"--root", Root()});
        return RunProgram("vxcfg", args);
    }
    std::string data, before;
};

TEST_F(PathsPortsTest, DirectoriesOutOfTheirPlaceAreRefusedAtAddAndSet) {
    for (std::string bad :
         {"..", "../x", "rel/path", "/srv/shop1.example.com", "/srv/a/../b", "/"}) {
        for (std::vector<std::string> cmd : {std::vector<std::string>{"add", "shop2", "--htmlpath"},
                                             {"set", "shop1", "--htmlpath"},
                                             {"set", "shop1", "--docroot"}}) {
            cmd.push_back(bad);
            ProgramResult r = Vxcfg(cmd);
            EXPECT_EQ(r.exitCode, 2) << cmd[0] << " " << bad;
            EXPECT_NE(r.err.find(kPathRule), std::string::npos) << r.err;
        }
    }
    // A name with a dot would put one into the directories made from it.
    ProgramResult r = Vxcfg({"add", "shop.2"});
    EXPECT_EQ(r.exitCode, 2);
    std::string root = Rooted("/opt/Orvellvndx/Vendrix3/instance/shop.2");
    EXPECT_NE(r.err.find("RootPath '" + root + "' " + kPathRule), std::string::npos) << r.err;
    EXPECT_EQ(ReadWholeFile(data), before);
}

// "..", read from a data file edited by hand, would put the configuration files beside the
// caller's working directory; a configuration directory with a dot, read from the boot
// registry of an installation, would break every backup made there.
TEST_F(PathsPortsTest, RecordsReadFromFilesThatLeadOutOfPlaceAreRefused) {
    std::string dir = Rooted("/opt/Orvellvndx/Vendrix3/instance/shop1") + "\n";
    std::string text = before;
    text.replace(text.find(dir, text.find(dir) + 1), dir.size(), "..\n"); // HtmlPath
    ASSERT_TRUE(WriteWholeFile(data, text));
    std::string work = Rooted("/srv/work");
    ASSERT_EQ(mkdir(Rooted("/srv").c_str(), 0755) + mkdir(work.c_str(), 0755), 0);
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    ASSERT_EQ(chdir(work.c_str()), 0);
    ProgramResult r = Vxcfg({"create"});
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(data + ": record 1: instance shop1: HtmlPath '..' " + kPathRule),
              std::string::npos)
        << r.err;
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
    static std::vector<std::string> errors;
    pfnError = [](const char* text) { errors.push_back(text); };
    bCgiApp = 1;
    MSList list;
    CaptureVXConfig(list, 3);
    pfnError = nullptr;
    bCgiApp = 0;
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(errors, std::vector<std::string>{"Storix server instance definition error."});
    EXPECT_EQ(std::string(SysGetLastReason())
                  .find("instance shop3: HtmlPath '" + m.HtmlPath + "' " + kPathRule),
              0u);
}

TEST_F(PathsPortsTest, PortPlansPastTheLastPortOrOnAnotherServiceAreRefused) {
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
    EXPECT_EQ(ReadWholeFile(data), before);
}

TEST_F(PathsPortsTest, CreateRegistersNothingWhenAnotherServiceHoldsAPortOfThePlan) {
    std::string services = ReadWholeFile(Rooted("/etc/services")) + "intruder\t16575/tcp\n";
    ASSERT_TRUE(WriteWholeFile(Rooted("/etc/services"), services));
    ProgramResult r = Vxcfg({"create"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("vxcfg: The selected port is already in use by another service or "
                         "instance\n"
                         "vxcfg: Error in creating Storix server instance shop1.\n"
                         "vxcfg: port 16575 of instance shop1 (its payment administration port) "
                         "is registered to the service intruder\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/services")), services);
    EXPECT_FALSE(FileExists(Rooted("/opt/Orvellvndx/Vendrix3/instance/shop1/srvrctrl.conf")));
}

} // namespace
