// What create, delete, remove, migrate, webconf and createdb say and do when a file cannot be
// written, the disk is full, a deletion was interrupted, an instance runs, a check run asks, or
// there is nothing; a database manager without a service name fails only the instances that
// need it.
#include <sys/mount.h>

#include "sandbox_fixture.h"

namespace {

// A 64 KiB file system over dir with dir's files copied in, filled up, taken away with the
// object. Empty when mounting is not allowed here.
struct FullDisk {
    std::string dir;
    explicit FullDisk(const std::string& at) {
        const std::string saved = at + "-saved";
        if (system(("mkdir -p " + at + " && cp -a " + at + " " + saved).c_str()) != 0 ||
            mount("tmpfs", at.c_str(), "tmpfs", 0, "size=64k") != 0)
            return;
        dir = at;
        EXPECT_EQ(system(("cp -a " + saved + "/. " + at).c_str()), 0);
        WriteWholeFile(at + "/filler", std::string(64 * 1024, 'x'));
    }
    ~FullDisk() {
        if (!dir.empty())
            umount2(dir.c_str(), MNT_DETACH);
    }
};

class LifecycleOutcome : public SandboxTest {
protected:
    // Adds shop1 (on a free port) and answers its configuration directory.
    std::string AddShop() {
        AddInstance("shop1", {"--host", "localhost", "--htmlpath", Rooted("/srv/shop1")});
        return Rooted("/srv/shop1");
    }
};

TEST_F(LifecycleOutcome, AFileThatCannotBeWrittenLeavesTheInstanceNotCreated) {
    const std::string config = AddShop();
    ASSERT_EQ(system(("mkdir -p " + config + "/vxtrade.conf").c_str()), 0);
    ProgramResult create = Vxcfg({"create"});
    EXPECT_EQ(create.exitCode, 1);
    EXPECT_TRUE(Has(create.err, "shop1 is not created: " + config + "/vxtrade.conf"));
    EXPECT_TRUE(Has(create.out, "Created 0 of 1 instance."));
}

TEST_F(LifecycleOutcome, AFullDiskIsNamedByCreateAndDelete) {
    const std::string config = AddShop();
    {
        FullDisk full(config);
        if (full.dir.empty())
            GTEST_SKIP() << "a small tmpfs cannot be mounted here";
        ProgramResult create = Vxcfg({"create"});
        EXPECT_EQ(create.exitCode, 1);
        EXPECT_TRUE(Has(create.err, "No space left on device"));
    }
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    // The services file and the boot registry live in /etc.
    FullDisk full(Rooted("/etc"));
    ASSERT_FALSE(full.dir.empty());
    ProgramResult del = Vxcfg({"delete", "shop1"});
    EXPECT_EQ(del.exitCode, 1);
    EXPECT_TRUE(Has(del.err, "No space left on device"));
    EXPECT_TRUE(Has(del.out, "shop1 stays in"));
}

TEST_F(LifecycleOutcome, AnInterruptedDeleteIsFinishedAndRemoveRefusesACreatedInstance) {
    const std::string config = AddShop();
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    ProgramResult remove = Vxcfg({"remove", "shop1"});
    EXPECT_EQ(remove.exitCode, 1);
    EXPECT_TRUE(Has(remove.err, "vxcfg delete shop1"));
    // What a delete killed half-way leaves: one service released, one file moved aside.
    ASSERT_EQ(ICUnregTcpService("vxshop1_1"), 1);
    ASSERT_EQ(ICCreateBackup((config + "/vxtrade.conf").c_str()), 1);
    ProgramResult del = VxcfgOk({"delete", "shop1"});
    EXPECT_TRUE(
        Has(del.out, "Already gone, counted as removed: vxshop1_1, " + config + "/vxtrade.conf"));
    EXPECT_EQ(Vxcfg({"show", "shop1"}).exitCode, 1);
    EXPECT_FALSE(Has(ReadWholeFile(Rooted("/etc/services")), "vxshop1"));

    // A record whose instance is still created goes only on request.
    AddShop();
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    EXPECT_EQ(Vxcfg({"remove", "shop1", "--force"}).exitCode, 0);
    EXPECT_EQ(Vxcfg({"show", "shop1"}).exitCode, 1);
}

TEST_F(LifecycleOutcome, MigrationCountsAndKeepsTheInstances) {
    ProgramResult none = VxcfgOk({"migrate"});
    EXPECT_EQ(none.out, "Nothing to migrate.\n");
    ASSERT_EQ(RunProgram("vxcfg", {"sandbox", Root(), "--force", "--release", "2"}).exitCode, 0);
    const std::string blocked =
        Rooted("/opt/Orvellvndx/Vendrix3/instance/old2/config/vxtrade.conf");
    ASSERT_EQ(system(("mkdir -p " + blocked).c_str()), 0);
    ProgramResult failed = Vxcfg({"migrate"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(Has(failed.err, blocked));
    EXPECT_TRUE(Has(failed.out, "Migrated 0 of 1 instance."));
    RemoveTree(blocked);
    ProgramResult done = VxcfgOk({"migrate"});
    EXPECT_TRUE(Has(done.out, "Migrated 1 of 1 instance."));
    EXPECT_EQ(Vxcfg({"show", "old2"}).exitCode, 0);
}

TEST_F(LifecycleOutcome, ACheckRunSaysWhatWouldHappen) {
    AddShop();
    ProgramResult create = Vxcfg({"--check", "create"});
    std::string said = create.out + create.err;
    EXPECT_TRUE(Has(said, "Storix server instance shop1 would be created."));
    EXPECT_TRUE(Has(said, "Would create 1 of 1 instance."));
    EXPECT_FALSE(Has(said, "created successfully"));
    EXPECT_FALSE(Has(said, "Created"));
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    ProgramResult del = Vxcfg({"--check", "delete", "shop1"});
    said = del.out + del.err;
    EXPECT_TRUE(Has(said, "shop1 would be removed from"));
    EXPECT_FALSE(Has(said, "deleted successfully"));
    EXPECT_FALSE(Has(said, "shop1 removed from"));
}

TEST_F(LifecycleOutcome, ARunningInstanceIsDeletedOnlyWhenConfirmed) {
    const std::string config = AddShop();
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    // The controller alone: the instance counts as running when it answers.
    ProgramResult start = RunProgram("srvrctrl", {"-i", config + "/srvrctrl.conf"});
    ASSERT_EQ(start.exitCode, 0) << start.err;
    ProgramResult refused = Vxcfg({"delete", "shop1"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(Has(refused.err, "vxcfg delete --yes shop1"));
    EXPECT_EQ(Vxcfg({"show", "shop1"}).exitCode, 0);
    VxcfgOk({"delete", "--yes", "shop1"});
    EXPECT_NE(Vxcfg({"status", "shop1"}).exitCode, 0);
}

class DatabaseWebconfOutcome : public SandboxTest {};

// The web server's configuration directory is full: first the profile that names the database
// instance, then (once it is named) httpd.conf cannot be rewritten.
TEST_F(DatabaseWebconfOutcome, WebconfOnAFullDiskFailsWithTheReason) {
    ASSERT_EQ(Vxcfg({"add", "shop1", "--dbuser", SANDBOX_INSTANCE_USER}).exitCode, 0);
    const std::string etc = Rooted("/etc");
    FullDisk full(etc);
    if (full.dir.empty())
        GTEST_SKIP() << "a small tmpfs cannot be mounted here";
    ProgramResult run = Vxcfg({"webconf"});
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_TRUE(Has(run.err, "write " + etc + "/profile: No space left on device"));

    ASSERT_EQ(unlink((etc + "/filler").c_str()), 0);
    ASSERT_EQ(Vxcfg({"webconf"}).exitCode, 0);
    WriteWholeFile(etc + "/filler", std::string(64 * 1024, 'x'));
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

    // Without the failure it says what it did, with no progress bar where there is no terminal.
    ASSERT_EQ(unlink(Rooted("/opt/Orvellvndx/Vendrix3/vx_schema/relda/FAIL").c_str()), 0);
    ProgramResult made = VxcfgOk({"createdb"});
    EXPECT_TRUE(Has("\n" + made.out, "\nCreating database shopd...\n"));
    EXPECT_TRUE(Has("\n" + made.out, "\nDatabases: 1 of 1 ready. Logs in " + logs + "\n"));
    EXPECT_EQ(made.out.find('['), std::string::npos) << made.out;
    EXPECT_TRUE(FileExists(Rooted("/home/" SANDBOX_INSTANCE_USER "/sqllib/databases/SHOPD.db")));
}

// The database manager names no service: a local database cannot be catalogued for the
// hosting edition and says so; a remote one does not need the service.
TEST_F(DatabaseWebconfOutcome, AMissingServiceNameFailsOnlyWhereItIsUsed) {
    ASSERT_TRUE(
        WriteWholeFile(Rooted("/home/" SANDBOX_INSTANCE_USER "/sqllib/dbm.cfg"), "SVCENAME=\n"));
    MSList list;
    for (const char* name : {"local", "remote"}) {
        bool remote = std::string(name) == "remote";
        MSInfo m = DatabaseInstance(name, name, MS_OPT_HOSTING | (remote ? MS_OPT_DB_REMOTE : 0));
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
