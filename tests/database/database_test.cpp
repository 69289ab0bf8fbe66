// The instance databases made in a sandbox by the product's schema scripts through the relda
// stand-in, checked in the SQLite files they leave: local creation, an existing database,
// Oracle, a database catalogued from another machine, the hosting edition's additions, failing
// and hanging scripts, and what the runs leave behind (no scripts, no clear password).
#include <algorithm>
#include <chrono>
#include <csignal>
#include <sqlite3.h>
#include <sys/wait.h>

#include "sandbox_fixture.h"

namespace {

class DatabaseTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        Schema = Rooted("/opt/Orvellvndx/Vendrix3/vx_schema/relda");
    }
    // Whether the status lines hold line.
    bool Said(const std::string& line) {
        const auto& lines = status.Lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // The tables of a database the stand-in keeps, sorted; empty when there is no database.
    std::vector<std::string> Tables(const std::string& db) {
        std::vector<std::string> names;
        std::string file = Rooted("/home/" SANDBOX_INSTANCE_USER "/sqllib/databases/") + db + ".db";
        sqlite3* h = nullptr;
        if (FileExists(file) &&
            sqlite3_open_v2(file.c_str(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(h, "select name from sqlite_master where type='table' order by 1",
                               -1, &st, nullptr);
            while (st && sqlite3_step(st) == SQLITE_ROW)
                names.push_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            sqlite3_finalize(st);
        }
        sqlite3_close(h);
        return names;
    }
    // Whether a file of the sandbox holds text (as the sandbox's regular files: grep follows no
    // link it meets and skips devices and pipes).
    bool SandboxHolds(const std::string& text) {
        return system(("grep -rqF -D skip -- '" + text + "' " + Root()).c_str()) == 0;
    }
    // No process's command line holds text once their parent reaped them.
    static bool NoneRunning(const std::string& text) {
        return Eventually([&] { return Processes(text) == 0; }, 20000);
    }
    // work() run in a child process, which exits 0 when it returned 1.
    static pid_t InChild(const std::function<int()>& work) {
        pid_t pid = fork();
        if (pid == 0)
            _exit(work() == 1 ? 0 : 1);
        return pid;
    }
    // Creates m's database; the status lines and errors are this run's.
    int Create(MSInfo m) {
        status.Clear();
        errors.Clear();
        MSList list;
        EXPECT_EQ(list.Add(m, 0), 0);
        int failures = -1;
        EXPECT_EQ(DBCreateDatabase(list, &failures), 1);
        return failures;
    }

    StatusLines status;
    ErrorLines errors;
    std::string Schema;
};

const std::vector<std::string> kProductTables = {"merchant", "ofs", "orders", "product"};
const std::vector<std::string> kHostingTables = {"hwlmall", "hwlstore", "merchant",
                                                 "ofs",     "orders",   "product"};

TEST_F(DatabaseTest, ALocalDatabaseIsCreatedThenFoundExisting) {
    MSInfo m = DatabaseInstance("shop1", "mser", MS_OPT_STAGING);
    static int s_progress;
    s_progress = -1;
    pfnProgress = [](int p) { s_progress = p; };
    EXPECT_EQ(Create(m), 0);
    pfnProgress = nullptr;
    EXPECT_EQ(s_progress, 100);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>());
    const std::string logs = Rooted("/logs/shop1");
    EXPECT_EQ(
        status.Lines(),
        (std::vector<std::string>{
            "Preparing database for Storix server instance shop1...", "Creating database mser...",
            "Database creation is completed.  The log files are in " + logs + ".", " "}));
    // The staging argument S made the staging tables too; the merchant row holds the
    // administrator password encrypted with the merchant key.
    EXPECT_EQ(Tables("MSER"),
              (std::vector<std::string>{"merchant", "ofs", "orders", "product", "product_stage"}));
    char encrypted[33];
    ASSERT_EQ(ICEncryptWithMerKey("vxadmin", encrypted, sizeof encrypted, m.MerKey), 1);
    std::string file = Rooted("/home/" SANDBOX_INSTANCE_USER "/sqllib/databases/MSER.db");
    EXPECT_TRUE(Has(ReadWholeFile(file), encrypted));
    // Only the script's own log stays; the generated scripts and the marker are gone.
    EXPECT_EQ(Entries(logs), std::vector<std::string>{"mser.log"});
    EXPECT_FALSE(FileExists(Schema + "/dbmaster.sh"));
    EXPECT_TRUE(FileExists(Rooted("/home/" SANDBOX_INSTANCE_USER "/sqllib/function/vndxpswd")));

    // A second run finds it and runs no schema script.
    ASSERT_EQ(unlink((logs + "/mser.log").c_str()), 0);
    EXPECT_EQ(Create(DatabaseInstance("shop1", "MSer")), 0);
    EXPECT_EQ(status.Lines()[1], "Database MSer already exists.");
    EXPECT_FALSE(FileExists(logs + "/mser.log"));

    // Oracle: nothing runs, the administrator is asked to configure it.
    MSInfo oracle = DatabaseInstance("shop2", "ora1");
    oracle.DBType = DB_ORACLE;
    EXPECT_EQ(Create(oracle), 0);
    EXPECT_EQ(status.Lines()[1], "Database ora1 must be manually configured.");
    EXPECT_TRUE(Tables("ORA1").empty());
    EXPECT_EQ(Entries(Rooted("/logs/shop2")), std::vector<std::string>());
}

TEST_F(DatabaseTest, FailingAndHangingSchemaScriptsAreReported) {
    // The script's error report reaches the status lines, the creation fails, the log stays.
    ASSERT_TRUE(WriteWholeFile(Schema + "/FAIL", ""));
    EXPECT_EQ(Create(DatabaseInstance("shop1", "mser")), 1);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>{"Cannot create database mser."});
    EXPECT_TRUE(Said("RELDA0901E  The schema script was told to fail. The tables were not "
                     "created. "));
    EXPECT_TRUE(Tables("MSER").empty());
    EXPECT_TRUE(FileExists(Rooted("/logs/shop1/mser.log")));

    // A log of the user's own schema script: CR LF lines, a long line, an error report of
    // three lines ended by an empty one. The database exists, but the log says it failed.
    std::string longLine(3000, 'x');
    ASSERT_TRUE(WriteWholeFile(Schema + "/schema.sh",
                               "#!/bin/sh\nrelda create database \"$1\" > /dev/null\n"
                               "printf 'RELDA20000I  fine\\r\\n" +
                                   longLine +
                                   " RELDA1E\\r\\nRELDA7E  bad\\r\\nline two"
                                   "\\r\\nline three\\r\\n\\r\\nRELDA8E  unsent\\r\\n' > \"$4\"\n",
                               0755));
    EXPECT_EQ(Create(DatabaseInstance("shop2", "mser2")), 1);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>{"Cannot create database mser2."});
    EXPECT_TRUE(Said("RELDA7E  bad line two line three "));
    EXPECT_EQ(std::count_if(status.Lines().begin(), status.Lines().end(),
                            [](const std::string& s) { return s.find("RELDA") != s.npos; }),
              1);

    // A script that hangs is killed at the bound, with everything it started.
    ASSERT_EQ(unlink((Schema + "/FAIL").c_str()), 0);
    ASSERT_TRUE(
        WriteWholeFile(Schema + "/schema.sh", "#!/bin/sh\nsleep 3007 &\nsleep 3011\n", 0755));
    setenv("VXCONFIG_COMMAND_SECONDS", "1", 1);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Create(DatabaseInstance("shop3", "mser3")), 1);
    unsetenv("VXCONFIG_COMMAND_SECONDS");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(errors.Lines(), std::vector<std::string>{"Cannot create database mser3."});
    for (const char* left : {"3007", "3011"})
        EXPECT_TRUE(NoneRunning(std::string("sleep") + '\0' + left + '\0')) << left;
    EXPECT_FALSE(FileExists(Schema + "/dbmaster.sh"));
}

TEST_F(DatabaseTest, BadInstancesAndBadDataFiles) {
    MSList empty;
    EXPECT_EQ(DBCreateDatabase(empty), 0);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>{"No Storix server instance found."});
    errors.Clear();
    std::string bad = Rooted("/tmp/bad.dat");
    ASSERT_TRUE(WriteWholeFile(bad, "not a data file\n"));
    EXPECT_EQ(ICCreateDatabase(bad.c_str()), 0);
    // The loading message once, and the reason names the file and why.
    EXPECT_EQ(errors.Lines(), std::vector<std::string>{"Configuration data loading error."});
    EXPECT_EQ(std::string(SysGetLastReason()).rfind(bad + ": ", 0), 0u) << SysGetLastReason();

    // No log directory: nothing runs.
    MSInfo m = DatabaseInstance("shop1", "mser");
    RemoveTree(std::string(m.VXLogPath));
    EXPECT_EQ(Create(m), 1);
    EXPECT_EQ(errors.Lines(),
              (std::vector<std::string>{"Cannot access directory " + std::string(m.VXLogPath) + ".",
                                        "Cannot create database mser."}));
    EXPECT_TRUE(Tables("MSER").empty());

    // A database instance user the system does not know: error 21, nothing runs, and the
    // existence that could not be asked is not taken for given: the database is not ready.
    MSInfo stranger = DatabaseInstance("shop2", "mser2");
    stranger.DBUser = "nobody2";
    EXPECT_EQ(Create(stranger), 1);
    EXPECT_EQ(errors.Lines(),
              (std::vector<std::string>{"The database user name is not valid.",
                                        "Unable to determine database existence for "
                                        "mser2."}));
    EXPECT_EQ(Entries(std::string(stranger.VXLogPath)), std::vector<std::string>());
}

TEST_F(DatabaseTest, ADatabaseOfAnotherMachineIsCatalogued) {
    MSInfo m = DatabaseInstance("shop1", "rdb1", MS_OPT_DB_CLIENT);
    m.DBHost = "dbhost1";
    // Without a service name nothing is set up, and what nobody catalogued cannot be reached.
    EXPECT_EQ(Create(m), 1);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>{"Unable to setup Orvell Relda client."});
    EXPECT_EQ(IsExistDBOrvell(m), 0);
    std::string services = ReadWholeFile(Rooted("/etc/services"));

    m.DBService = "vxrdb";
    EXPECT_EQ(Create(m), 0);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>());
    EXPECT_EQ(status.Lines()[1], "Database rdb1 is available from the remote server dbhost1.");
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/services")),
              services + "vxrdb\t\t50000/tcp\t\t\t#Vendrix remote RELDA database\n");
    EXPECT_EQ(IsExistDBOrvell(m), 1);
    EXPECT_EQ(Entries(std::string(m.VXLogPath)), std::vector<std::string>());
}

TEST_F(DatabaseTest, TheHostingEditionsAdditionsAndARemoteDatabase) {
    MSInfo m = DatabaseInstance("shop1", "mser", MS_OPT_HOSTING);
    EXPECT_EQ(IsExistHWLDBOrvell(m), 0); // no database: the query finds no row
    EXPECT_EQ(Create(m), 0);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>());
    EXPECT_EQ(Tables("MSER"), kHostingTables);
    EXPECT_EQ(IsExistHWLDBOrvell(m), 1);
    EXPECT_EQ(Entries(std::string(m.VXLogPath)),
              (std::vector<std::string>{"mser.log", "qbxdata.log"}));
    EXPECT_FALSE(FileExists(Rooted("/opt/Orvellvndx/Vendrix3/server/admin/reldaconfig")));

    // Failing additions: message 99 and the log's error line, the earlier log kept aside.
    ASSERT_TRUE(WriteWholeFile(Schema + "/migrate/FAIL", ""));
    MSInfo second = DatabaseInstance("shop2", "mser2", MS_OPT_HOSTING);
    EXPECT_EQ(Create(second), 1);
    EXPECT_TRUE(Said("Error making Loomwork Hostwell additions to the database mser2"));
    EXPECT_TRUE(Said("SQL0204N  \"OFS\" is an undefined name.  SQLSTATE=42704 "));
    EXPECT_EQ(Tables("MSER2"), kProductTables);

    // A remote database of the hosting edition: catalogued, filled as the owner with the
    // clear password, which is left nowhere on disk.
    ASSERT_EQ(unlink((Schema + "/migrate/FAIL").c_str()), 0);
    MSInfo remote = DatabaseInstance("shop3", "mser3", MS_OPT_HOSTING | MS_OPT_DB_REMOTE);
    EXPECT_EQ(Create(remote), 0);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>());
    EXPECT_EQ(Tables("MSER3"), kHostingTables);
    EXPECT_FALSE(SandboxHolds(SANDBOX_PASSWORD));

    // A wrong owner password: the remote script cannot connect and says so.
    char stored[64];
    ASSERT_EQ(ICEncrypt("Wrong1", stored, sizeof stored), 1);
    MSInfo wrong = DatabaseInstance("shop4", "mser4", MS_OPT_HOSTING | MS_OPT_DB_REMOTE);
    wrong.DBPswd = stored;
    EXPECT_EQ(Create(wrong), 1);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>{"Cannot create database mser4."});
    EXPECT_TRUE(Tables("MSER4").empty());
}

constexpr uid_t kNobody = 65534;

TEST_F(DatabaseTest, LinksTheUsersPlantedRedirectNothing) {
    MSInfo m = DatabaseInstance("shop1", "mser", MS_OPT_HOSTING | MS_OPT_DB_REMOTE);
    const std::string logs = Rooted("/logs/shop1"), shadow = Rooted("/etc/shadow");
    const std::string lib = Rooted("/home/" SANDBOX_INSTANCE_USER "/sqllib/lib");
    const std::string secret = ReadWholeFile(shadow);
    // The owner's log directory and the instance user's library directory hold links to a
    // root file under the names root writes there.
    for (const std::string& link :
         {logs + "/mser.cmd", logs + "/mser.connect", logs + "/dbmaster.sh", lib + "/relda.o"}) {
        ASSERT_EQ(symlink(shadow.c_str(), link.c_str()), 0);
        ASSERT_EQ(lchown(link.c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(lchown(logs.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(lchown(lib.c_str(), kNobody, kNobody), 0);

    // A check run asks from a place of its own and leaves the log directory as it was.
    ASSERT_EQ(SysBeginChanges(SYS_CHANGES_CHECK), 1);
    DBCreateSingle(m);
    SysEndChanges();
    EXPECT_EQ(ReadWholeFile(shadow), secret);
    EXPECT_EQ(Entries(logs), (std::vector<std::string>{"dbmaster.sh", "mser.cmd", "mser.connect"}));

    errors.Clear();
    EXPECT_EQ(DBCreateSingle(m), 1);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>());
    struct stat st;
    ASSERT_EQ(lstat(shadow.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode) && st.st_uid == 0);
    EXPECT_EQ(ReadWholeFile(shadow), secret);
    EXPECT_EQ(Entries(logs), (std::vector<std::string>{"mser.log", "qbxdata.log"}));
    EXPECT_EQ(ReadWholeFile(lib + "/relda.o"), "relda client object\n");
}

TEST_F(DatabaseTest, RunsKilledMidwayLeaveNoClearPasswordOnceARunSucceeds) {
    MSInfo m = DatabaseInstance("shop1", "mser", MS_OPT_HOSTING | MS_OPT_DB_REMOTE);
    // Killed while the schema script runs, then while the additions are made: each time the
    // script, left running, is let go and finishes on its own.
    for (const std::string& dir : {Schema, Schema + "/migrate"}) {
        std::string log = Rooted("/logs/shop1/") + (dir == Schema ? "mser.log" : "qbxdata.log");
        ASSERT_TRUE(WriteWholeFile(dir + "/HANG", ""));
        pid_t run = InChild([&] { return DBCreateSingle(m); });
        for (int i = 0; i < 400 && !FileExists(log); ++i)
            usleep(50 * 1000);
        kill(run, SIGKILL);
        waitpid(run, nullptr, 0);
        ASSERT_TRUE(FileExists(log)) << "the script never ran";
        ASSERT_EQ(unlink((dir + "/HANG").c_str()), 0);
        ASSERT_TRUE(NoneRunning(Root()));
    }
    ASSERT_TRUE(FileExists(Rooted("/opt/Orvellvndx/Vendrix3/server/admin/reldaconfig")));
    EXPECT_EQ(Create(m), 0);
    EXPECT_FALSE(SandboxHolds(SANDBOX_PASSWORD));
}

TEST_F(DatabaseTest, RunsWhoseLogsShareADirectoryTakeTurns) {
    std::vector<MSInfo> shops = {DatabaseInstance("shop1", "mser"),
                                 DatabaseInstance("shop2", "mser2")};
    const std::string logs = Rooted("/logs/shared");
    ASSERT_EQ(mkdir(logs.c_str(), 0755), 0);
    // The first run's schema script waits; the second run, started meanwhile, waits its turn
    // instead of running beside it.
    ASSERT_TRUE(WriteWholeFile(Schema + "/HANG", ""));
    std::vector<pid_t> runs;
    for (MSInfo& m : shops) {
        m.VXLogPath = logs.c_str();
        runs.push_back(InChild([&] { return DBCreateSingle(m); }));
        std::string log = logs + "/" + static_cast<const char*>(m.DBName) + ".log";
        for (int i = 0; i < 40 && !FileExists(log); ++i)
            usleep(50 * 1000);
    }
    ASSERT_TRUE(FileExists(logs + "/mser.log"));
    EXPECT_FALSE(FileExists(logs + "/mser2.log"));
    ASSERT_EQ(unlink((Schema + "/HANG").c_str()), 0);
    for (pid_t run : runs) {
        int status = -1;
        ASSERT_EQ(waitpid(run, &status, 0), run);
        EXPECT_EQ(status, 0);
    }
    EXPECT_EQ(Tables("MSER"), kProductTables);
    EXPECT_EQ(Tables("MSER2"), kProductTables);
    EXPECT_EQ(Entries(logs), (std::vector<std::string>{"mser.log", "mser2.log"}));
    EXPECT_FALSE(FileExists(Schema + "/dbmaster.sh"));
}

} // namespace
