// What createdb and webconf report as their outcome: a file that could not be rewritten and a
// database that could not be made are failures named with their reason; a database manager
// without a service name fails only the instances that need it.
#include <gtest/gtest.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>

#include "run_program.h"
#include "sandbox_fixture.h"
#include "vxconfig/vxconfig.h"

namespace {

class DatabaseWebconfOutcome : public SandboxTest {
protected:
    void TearDown() override {
        if (!m_mounted.empty())
            umount2(m_mounted.c_str(), MNT_DETACH);
        SandboxTest::TearDown();
    }
    std::string m_mounted;
};

// The web server's configuration directory is full: first the profile that names the database
// instance, then (once it is named) httpd.conf cannot be rewritten.
TEST_F(DatabaseWebconfOutcome, WebconfOnAFullDiskFailsWithTheReason) {
    ASSERT_EQ(Vxcfg({"add", "shop1", "--dbuser", SANDBOX_INSTANCE_USER}).exitCode, 0);
    const std::string etc = Rooted("/etc");
    const std::string saved = Rooted("/etc.full");
    ASSERT_EQ(rename(etc.c_str(), saved.c_str()), 0);
    ASSERT_EQ(mkdir(etc.c_str(), 0755), 0);
    if (mount("tmpfs", etc.c_str(), "tmpfs", 0, "size=2m") != 0)
        GTEST_SKIP() << "a tmpfs cannot be mounted here, so no disk can be filled";
    m_mounted = etc;
    const std::string fill = "dd if=/dev/zero of=" + etc + "/filler bs=4k 2>/dev/null; true";
    ASSERT_EQ(system(("cp -a " + saved + "/. " + etc + "/ && " + fill).c_str()), 0);
    ProgramResult run = Vxcfg({"webconf"});
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_TRUE(Has(run.err, "write " + etc + "/profile: No space left on device"));

    ASSERT_EQ(unlink((etc + "/filler").c_str()), 0);
    ASSERT_EQ(Vxcfg({"webconf"}).exitCode, 0);
    ASSERT_EQ(system(fill.c_str()), 0);
    const std::string configured = ReadWholeFile(etc + "/httpd.conf");
    run = Vxcfg({"webconf"});
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_TRUE(Has(run.out, "Web server configuration failed"));
    EXPECT_TRUE(Has(run.err, "rewrite " + etc + "/httpd.conf: "));
    EXPECT_TRUE(Has(run.err, "No space left on device"));
    EXPECT_EQ(ReadWholeFile(etc + "/httpd.conf"), configured);
}

// The schema script failed: the message names the log and the line that says why.
TEST_F(DatabaseWebconfOutcome, CreatedbNamesTheLogAndItsFirstErrorLine) {
    const std::string logs = Rooted("/logs");
    ASSERT_EQ(mkdir(logs.c_str(), 0755), 0);
    ASSERT_EQ(Vxcfg({"add", "shop1", "--dbuser", SANDBOX_INSTANCE_USER, "--logpath", logs, "--db",
                     "shopd", "--dbpass", SANDBOX_PASSWORD})
                  .exitCode,
              0);
    ASSERT_TRUE(WriteWholeFile(Rooted("/opt/Orvellvndx/Vendrix3/vx_schema/relda/FAIL"), ""));
    ProgramResult run = Vxcfg({"createdb"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Has(run.err, "instance shop1: create database shopd: " + logs +
                                 "/shopd.log: RELDA0901E  The schema script was told to fail."));
    EXPECT_TRUE(Has(run.out, "Databases: 0 of 1 ready."));
}

// The database manager names no service: a local database cannot be catalogued for the
// hosting edition and says so; a remote one does not need the service.
TEST_F(DatabaseWebconfOutcome, AMissingServiceNameFailsOnlyWhereItIsUsed) {
    ASSERT_TRUE(
        WriteWholeFile(Rooted("/home/" SANDBOX_INSTANCE_USER "/sqllib/dbm.cfg"), "SVCENAME=\n"));
    MSList list;
    for (const char* name : {"local", "remote"}) {
        MSInfo m;
        m.Name = name;
        m.DBName = name;
        m.DBUser = SANDBOX_INSTANCE_USER;
        m.DBOwner = SANDBOX_OWNER_USER;
        m.VXLogPath = Rooted(std::string("/logs-") + name).c_str();
        ASSERT_EQ(mkdir(m.VXLogPath, 0755), 0);
        ASSERT_EQ(m.SetDBPswd(SANDBOX_PASSWORD), 1);
        ASSERT_EQ(m.SetMerKey("0123456789abcdef"), 1);
        m.MSOption = MS_OPT_HOSTING;
        if (std::string(name) == "remote") {
            m.MSOption |= MS_OPT_DB_REMOTE;
            m.DBNode = "node3";
            m.DBHost = "127.0.0.1";
        }
        list.Add(m, 0);
    }
    VXOutcome outcome;
    {
        VXOutcomeScope scope(outcome);
        EXPECT_EQ(DBCreateDatabase(list), 1);
    }
    const VXStep* local = outcome.FirstFailure("local");
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(local->action, "add hosting tables");
    EXPECT_TRUE(Has(local->reason, "names no service (SVCENAME)"));
    EXPECT_FALSE(outcome.Failed("remote")) << outcome.FirstFailure("remote")->reason;
}

} // namespace
