// vxcfg verify in a sandbox: in sync right after creation, running or not; hand edits of an
// instance's files, services entries, modes, owners and the product's web server blocks are
// drift with their diff; a user's own line outside the blocks is not; nothing on disk changes
// while it looks.

#include <cstdio>
#include <unistd.h>

#include "sandbox_fixture.h"

namespace {

class VxcfgVerifyTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        AddInstance("shop1");
        VxcfgOk({"create"});
        VxcfgOk({"webconf"});
        conf = Rooted("/opt/Orvellvndx/Vendrix3/instance/shop1/vxtrade.conf");
    }
    // Every file's content, mode and owner under the root.
    std::string Snapshot() const {
        std::string out;
        std::string command = "cd " + Root() +
                              " && find . -printf '%p %m %U %G\\n' | sort && find . -type f "
                              "-exec md5sum {} + | sort";
        FILE* pipe = popen(command.c_str(), "r");
        char buffer[4096];
        for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        EXPECT_TRUE(pipe && pclose(pipe) == 0);
        return out;
    }
    // verify --diff, which must leave every byte as it was.
    ProgramResult Verify(std::vector<std::string> args = {"verify", "--diff"}) {
        std::string before = Snapshot();
        ProgramResult r = Vxcfg(args);
        EXPECT_EQ(Snapshot(), before);
        return r;
    }
    // Replaces the first occurrence of from in path by to.
    void Edit(const std::string& path, const std::string& from, const std::string& to) {
        std::string text = ReadWholeFile(path);
        size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        ASSERT_TRUE(WriteWholeFile(path, text.replace(at, from.size(), to), ModeOf(path)));
    }
    std::string conf;
};

TEST_F(VxcfgVerifyTest, HandEditsAreDriftWithTheirDiff) {
    ProgramResult clean = Verify();
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_EQ(clean.out, "shop1: in sync\n");

    Edit(conf, "\nPROCESSES 2\n", "\nPROCESSES 9\n");
    ProgramResult edited = Verify();
    EXPECT_EQ(edited.exitCode, 3);
    EXPECT_TRUE(Has(edited.out, "  changed " + conf + "\n"));
    EXPECT_TRUE(Has(edited.out, "\n-PROCESSES 9\n+PROCESSES 2\n"));
    Edit(conf, "\nPROCESSES 9\n", "\nPROCESSES 2\n");

    ASSERT_EQ(chmod(conf.c_str(), 0666), 0);
    ProgramResult mode = Verify();
    EXPECT_EQ(mode.exitCode, 3);
    EXPECT_TRUE(Has(mode.out, conf + " (mode 0666, record gives 0640)\n"));
    ASSERT_EQ(chmod(conf.c_str(), 0640), 0);

    const std::string services = Rooted("/etc/services");
    std::string text = ReadWholeFile(services);
    size_t start = text.find("\nvxshop1_1\t") + 1, end = text.find('\n', start) + 1;
    ASSERT_GT(start, 0u);
    std::string entry = text.substr(start, end - start);
    Edit(services, entry, "");
    ProgramResult gone = Verify();
    EXPECT_EQ(gone.exitCode, 3);
    EXPECT_TRUE(Has(gone.out, "  service vxshop1_1 " + WordsOf(entry)[1] + ": missing\n"));
    EXPECT_TRUE(Has(gone.out, "\n+" + entry));
    ProgramResult json = Verify({"--json", "verify", "shop1"});
    EXPECT_EQ(json.exitCode, 3);
    EXPECT_TRUE(Has(json.out, "\"data\": [\n  {\"instance\": \"shop1\", \"in_sync\": false, "
                              "\"files\": [{\"path\": \"" +
                                  services +
                                  "\", \"action\": \"changed\", \"mode_before\": \"0444\", "
                                  "\"mode_after\": \"0444\"}], \"services\": [{\"name\": "
                                  "\"vxshop1_1\", \"port\": \"" +
                                  WordsOf(entry)[1] +
                                  "\", \"action\": \"registered\"}], \"boot\": {\"registered\": "
                                  "true, \"in_sync\": true}}]"));
    Edit(services, "\nvxshop1_2\t", "\n" + entry + "vxshop1_2\t");

    // Inside the product's marked block a hand edit is drift; a user's own line outside the
    // blocks is the user's.
    const std::string httpd = Rooted("/etc/httpd.conf");
    Edit(httpd, "\nPass    /vxhelp/*", "\nPass    /myhelp/*");
    ProgramResult block = Verify();
    EXPECT_EQ(block.exitCode, 3);
    EXPECT_TRUE(Has(block.out, "\n-Pass    /myhelp/*"));
    EXPECT_TRUE(Has(block.out, "\n+Pass    /vxhelp/*"));
    Edit(httpd, "\nPass    /myhelp/*", "\nPass    /vxhelp/*");
    ASSERT_TRUE(
        WriteWholeFile(httpd, ReadWholeFile(httpd) + "Pass /mine/* /srv/mine/*\n", ModeOf(httpd)));
    ProgramResult own = Verify();
    EXPECT_EQ(own.exitCode, 0) << own.out;
    EXPECT_EQ(own.out, "shop1: in sync\n");
    EXPECT_EQ(Vxcfg({"verify", "nosuchshop"}).exitCode, 1);
}

TEST_F(VxcfgVerifyTest, FileOrDirectoryHandedToAnotherUserIsDrift) {
    if (geteuid() != 0)
        GTEST_SKIP() << "handing a file to another user needs root";
    // The record gives them back to the database owner (the sandbox's accounts have the ids of
    // the user running it).
    const std::string dbOwner = std::to_string(getuid()) + ":" + std::to_string(getgid());
    for (const std::string& path : {conf, Rooted("/opt/Orvellvndx/Vendrix3/instance/shop1/data")}) {
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
        ProgramResult owner = Verify();
        EXPECT_EQ(owner.exitCode, 3);
        EXPECT_TRUE(Has(owner.out,
                        "  owner " + path + " (owner 65534:65534, record gives " + dbOwner + ")\n"))
            << owner.out;
        ASSERT_EQ(chown(path.c_str(), getuid(), getgid()), 0);
    }
    EXPECT_EQ(Verify().out, "shop1: in sync\n");
}

TEST_F(VxcfgVerifyTest, RunningInstanceIsInSync) {
    // Waits shortened, not removed: the controller needs real time to come up.
    setenv("VXCONFIG_SLEEP_MS", "50", 1);
    VxcfgOk({"start", "shop1"});
    ProgramResult running = Verify({"verify", "shop1"});
    EXPECT_EQ(running.exitCode, 0) << running.out;
    EXPECT_EQ(running.out, "shop1: in sync\n");
    EXPECT_EQ(Vxcfg({"status", "shop1"}).out, "shop1: running\n");
    VxcfgOk({"stop", "shop1"});
}

TEST_F(VxcfgVerifyTest, InstanceAddedOrCreatedLaterLeavesEarlierInSync) {
    // The files the instances share hold what the last creation wrote; one only added to the
    // data file (and given its web server blocks) has written nothing there yet.
    AddInstance("shop2", {"--host", "shop2.example.com", "--db", "shop2", "--docroot",
                          Rooted("/srv/shop2/html")});
    VxcfgOk({"webconf"});
    EXPECT_EQ(Verify({"verify", "shop1"}).out, "shop1: in sync\n");
    VxcfgOk({"create", "shop2"});
    ProgramResult both = Verify({"verify"});
    EXPECT_EQ(both.exitCode, 0) << both.out;
    EXPECT_EQ(both.out, "shop1: in sync\nshop2: in sync\n");

    // shop1's own line in a shared file, taken out by hand, is still shop1's drift.
    const std::string props = Rooted("/opt/Orvellvndx/Vendrix3/bin/icsrvctl.properties");
    std::string text = ReadWholeFile(props);
    size_t start = text.find("/instance/shop1/");
    ASSERT_NE(start, std::string::npos) << text;
    start = text.rfind('\n', start) == std::string::npos ? 0 : text.rfind('\n', start) + 1;
    Edit(props, text.substr(start, text.find('\n', start) + 1 - start), "");
    ProgramResult drifted = Verify({"verify"});
    EXPECT_EQ(drifted.exitCode, 3);
    EXPECT_EQ(drifted.out, "shop1: drifted\n  changed " + props + "\nshop2: in sync\n");
}

} // namespace
