// What create, delete, remove and migrate say and do when a file cannot be written, the disk is
// full, a deletion was interrupted, an instance runs, a check run asks, or there is nothing.
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>

#include "run_program.h"
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
    ProgramResult Vxcfg(std::vector<std::string> args) {
        args.insert(args.begin(), {"--root", Root()});
        return RunProgram("vxcfg", args);
    }
    // Adds shop1 (on a free port) and answers its configuration directory.
    std::string AddShop() {
        int port = FreePort();
        while (port < 1100 || port > 60000)
            port = FreePort();
        ProgramResult r = Vxcfg({"add", "shop1", "--host", "localhost", "--dbuser",
                                 SANDBOX_INSTANCE_USER, "--dbpass", SANDBOX_PASSWORD, "--port",
                                 std::to_string(port), "--htmlpath", Rooted("/srv/shop1")});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return Rooted("/srv/shop1");
    }
};

TEST_F(LifecycleOutcome, AFileThatCannotBeWrittenLeavesTheInstanceNotCreated) {
    const std::string config = AddShop();
    ASSERT_EQ(system(("mkdir -p " + config + "/vxtrade.conf").c_str()), 0);
    ProgramResult create = Vxcfg({"create"});
    EXPECT_EQ(create.exitCode, 1);
    EXPECT_NE(create.err.find("shop1 is not created: " + config + "/vxtrade.conf"),
              std::string::npos)
        << create.err;
    EXPECT_NE(create.out.find("Created 0 of 1 instance."), std::string::npos) << create.out;
}

TEST_F(LifecycleOutcome, AFullDiskIsNamedByCreateAndDelete) {
    const std::string config = AddShop();
    {
        FullDisk full(config);
        if (full.dir.empty())
            GTEST_SKIP() << "a small tmpfs cannot be mounted here";
        ProgramResult create = Vxcfg({"create"});
        EXPECT_EQ(create.exitCode, 1);
        EXPECT_NE(create.err.find("No space left on device"), std::string::npos) << create.err;
    }
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    // The services file and the boot registry live in /etc.
    FullDisk full(Rooted("/etc"));
    ASSERT_FALSE(full.dir.empty());
    ProgramResult del = Vxcfg({"delete", "shop1"});
    EXPECT_EQ(del.exitCode, 1);
    EXPECT_NE(del.err.find("No space left on device"), std::string::npos) << del.err;
    EXPECT_NE(del.out.find("shop1 stays in"), std::string::npos) << del.out;
}

TEST_F(LifecycleOutcome, AnInterruptedDeleteIsFinishedAndRemoveRefusesACreatedInstance) {
    const std::string config = AddShop();
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    ProgramResult remove = Vxcfg({"remove", "shop1"});
    EXPECT_EQ(remove.exitCode, 1);
    EXPECT_NE(remove.err.find("vxcfg delete shop1"), std::string::npos) << remove.err;
    // What a delete killed half-way leaves: one service released, one file moved aside.
    ASSERT_EQ(ICUnregTcpService("vxshop1_1"), 1);
    ASSERT_EQ(ICCreateBackup((config + "/vxtrade.conf").c_str()), 1);
    ProgramResult del = Vxcfg({"delete", "shop1"});
    EXPECT_EQ(del.exitCode, 0) << del.err;
    EXPECT_NE(
        del.out.find("Already gone, counted as removed: vxshop1_1, " + config + "/vxtrade.conf"),
        std::string::npos)
        << del.out;
    EXPECT_EQ(Vxcfg({"show", "shop1"}).exitCode, 1);
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/services")).find("vxshop1"), std::string::npos);

    // A record whose instance is still created goes only on request.
    AddShop();
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    EXPECT_EQ(Vxcfg({"remove", "shop1", "--force"}).exitCode, 0);
    EXPECT_EQ(Vxcfg({"show", "shop1"}).exitCode, 1);
}

TEST_F(LifecycleOutcome, MigrationCountsAndKeepsTheInstances) {
    ProgramResult none = Vxcfg({"migrate"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "Nothing to migrate.\n");
    ASSERT_EQ(RunProgram("vxcfg", {"sandbox", Root(), "--force", "--release", "2"}).exitCode, 0);
    const std::string blocked =
        Rooted("/opt/Orvellvndx/Vendrix3/instance/old2/config/vxtrade.conf");
    ASSERT_EQ(system(("mkdir -p " + blocked).c_str()), 0);
    ProgramResult failed = Vxcfg({"migrate"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find(blocked), std::string::npos) << failed.err;
    EXPECT_NE(failed.out.find("Migrated 0 of 1 instance."), std::string::npos) << failed.out;
    RemoveTree(blocked);
    ProgramResult done = Vxcfg({"migrate"});
    EXPECT_EQ(done.exitCode, 0) << done.err;
    EXPECT_NE(done.out.find("Migrated 1 of 1 instance."), std::string::npos) << done.out;
    EXPECT_EQ(Vxcfg({"show", "old2"}).exitCode, 0);
}

TEST_F(LifecycleOutcome, ACheckRunSaysWhatWouldHappen) {
    AddShop();
    ProgramResult create = Vxcfg({"--check", "create"});
    std::string said = create.out + create.err;
    EXPECT_NE(said.find("Storix server instance shop1 would be created."), std::string::npos);
    EXPECT_NE(said.find("Would create 1 of 1 instance."), std::string::npos) << said;
    EXPECT_EQ(said.find("created successfully"), std::string::npos) << said;
    EXPECT_EQ(said.find("Created"), std::string::npos) << said;
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    ProgramResult del = Vxcfg({"--check", "delete", "shop1"});
    said = del.out + del.err;
    EXPECT_NE(said.find("shop1 would be removed from"), std::string::npos) << said;
    EXPECT_EQ(said.find("deleted successfully"), std::string::npos) << said;
    EXPECT_EQ(said.find("shop1 removed from"), std::string::npos) << said;
}

TEST_F(LifecycleOutcome, ARunningInstanceIsDeletedOnlyWhenConfirmed) {
    const std::string config = AddShop();
    ASSERT_EQ(Vxcfg({"create"}).exitCode, 0);
    // The controller alone: the instance counts as running when it answers.
    ProgramResult start = RunProgram("srvrctrl", {"-i", config + "/srvrctrl.conf"});
    ASSERT_EQ(start.exitCode, 0) << start.err;
    ProgramResult refused = Vxcfg({"delete", "shop1"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("vxcfg delete --yes shop1"), std::string::npos) << refused.err;
    EXPECT_EQ(Vxcfg({"show", "shop1"}).exitCode, 0);
    ProgramResult del = Vxcfg({"delete", "--yes", "shop1"});
    EXPECT_EQ(del.exitCode, 0) << del.err;
    EXPECT_NE(Vxcfg({"status", "shop1"}).exitCode, 0);
}

} // namespace
