// The front end's instance commands, run as a user would, in a sandbox installation.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "run_program.h"
#include "sandbox_fixture.h"

namespace {

class VxcfgInstancesTest : public SandboxTest {
protected:
    ProgramResult Vxcfg(std::vector<std::string> args) {
        args.insert(args.begin(), {"--root", Root()});
        return RunProgram("vxcfg", args);
    }
    // A command that must succeed; its output.
    std::string Ok(std::vector<std::string> args) {
        ProgramResult r = Vxcfg(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    }
    std::string DataFile() const {
        return Rooted("/opt/Orvellvndx/Vendrix3/server/admin/vxconfig.dat");
    }
};

TEST_F(VxcfgInstancesTest, AddListShowSetRemove) {
    Ok({"add", "shop1", "--host", "web1", "--dbuser", "dbu", "--dbpass", SANDBOX_PASSWORD,
        "--merchant-key", "00112233445566aa"});
    Ok({"add", "shop2", "--host", "web2", "--docroot", "/srv/shop2", "--db", "shop2", "--procs",
        "4"});
    EXPECT_EQ(Ok({"list"}), "shop1    16570-16580 Wharf Relda mser\n"
                            "shop2    16590-16602 Wharf Relda shop2\n");

    // Secrets are only said to be set, never shown.
    std::string shown = Ok({"show", "SHOP1"});
    for (std::string line :
         {"RootPath       " + Rooted("/opt/Orvellvndx/Vendrix3/instance/shop1") + "\n",
          std::string("MerKey         (set)\nRootPath"), std::string("DBPswd         (set)\n"),
          std::string("CMSPswd        (empty)\n")})
        EXPECT_NE(shown.find(line), std::string::npos) << line << shown;
    EXPECT_EQ(shown.find(SANDBOX_PASSWORD), std::string::npos);
    EXPECT_EQ(shown.find("00112233445566aa"), std::string::npos);

    Ok({"set", "shop2", "--port", "17000", "--pvtmout", "600"});
    shown = Ok({"show", "shop2"});
    EXPECT_NE(shown.find("MSPort         17000\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("PVTmout        600\n"), std::string::npos) << shown;

    Ok({"remove", "shop1"});
    EXPECT_EQ(Ok({"list"}), "shop2    17000-17012 Wharf Relda shop2\n");
    ProgramResult r = Vxcfg({"remove", "shop1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "vxcfg: Could not find instance shop1\n");
}

TEST_F(VxcfgInstancesTest, ConflictsAndRejectedValuesLeaveTheFileAlone) {
    ASSERT_EQ(Vxcfg({"add", "shop1", "--host", "web1"}).exitCode, 0);
    std::string before = ReadWholeFile(DataFile());

    // The same default document root and database, a name differing in case, same port.
    ProgramResult r = Vxcfg({"add", "SHOP1", "--host", "WEB1", "--port", "16570"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "vxcfg: The Storix server instance name must be unique.\n"
                     "vxcfg: The selected port overlaps with the ports of an existing instance.\n"
                     "vxcfg: The web server host name must be unique.\n"
                     "vxcfg: The document root must be unique.\n"
                     "vxcfg: The database name must be unique for each instance\n");

    for (std::vector<std::string> bad : {
             std::vector<std::string>{"add", "shop3", "--port", "16560"},
             {"add", "shop3", "--procs", "1x"},
             {"add", "toolongname"},
             {"add", "shop3", "--dbpass", "wrong"},
             {"add", "shop3", "--docroot", "/" + std::string(511, 'd')},
             {"set", "shop1", "--ip", "10.0.0.256"},
             {"set", "shop1", "--bogus", "1"},
         }) {
        r = Vxcfg(bad);
        EXPECT_EQ(r.exitCode, 2) << bad[1] << ": " << r.err;
        EXPECT_EQ(r.err.find("wrong"), std::string::npos) << r.err;
    }
    EXPECT_NE(Vxcfg({"add", "shop3", "--port", "16560"}).err.find("--port"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(DataFile()), before);
}

TEST_F(VxcfgInstancesTest, BrokenDataFileIsRefusedAndKept) {
    std::string data = Root() + "/mine.dat";
    ASSERT_EQ(Vxcfg({"add", "shop1", "--data", data}).exitCode, 0);
    std::string good = ReadWholeFile(data);
    const struct {
        std::string text;
        const char* why;
    } brokens[] = {
        {good.substr(0, good.size() - 1), "line 35: the last line has no newline"},
        {"770\n0\n770\n", "line 1: a version newer than this program reads"},
        {"769\n1\nshop1\n", "line 4: the file ends early"},
        {"769\n0\n769\n769\n", "line 4: text after the end of the list"},
        {"root:x:0:0:root:/root:/bin/sh\nbin:x:2:2::/usr/bin:\n", "line 1: not a number"},
    };
    for (const auto& b : brokens) {
        const std::string& broken = b.text;
        ASSERT_TRUE(WriteWholeFile(data, broken));
        for (std::vector<std::string> cmd : {
                 std::vector<std::string>{"list"},
                 {"add", "shop2", "--host", "web2"},
                 {"remove", "shop1"},
             }) {
            cmd.insert(cmd.end(), {"--data", data});
            ProgramResult r = Vxcfg(cmd);
            EXPECT_EQ(r.exitCode, 1) << cmd[0];
            EXPECT_EQ(r.err,
                      "vxcfg: Configuration data loading error. " + data + ": " + b.why + "\n");
        }
        EXPECT_EQ(ReadWholeFile(data), broken);
    }
}

} // namespace
