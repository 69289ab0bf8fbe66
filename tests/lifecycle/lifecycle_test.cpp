// Instances created, re-created, deleted and migrated in a sandbox: the services file entry by
// entry, the boot registry, the configuration files moved aside, the payment server scripts
// written out by hand, and the results and messages of each step.

#include "installations.h"
#include "sandbox_fixture.h"

namespace {

class LifecycleTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        P = Rooted("/opt/Orvellvndx/Vendrix3");
        DataFile = P + "/server/admin/vxconfig.dat";
    }
    // An instance added the user's way, then loaded from the data file.
    MSInfo Added(const std::string& name, int port, int procs) {
        VxcfgOk({"add", name, "--port=" + std::to_string(port), "--procs=" + std::to_string(procs),
                 "--db=" + name + "db", "--dbuser=" SANDBOX_INSTANCE_USER,
                 "--dbpass=" SANDBOX_PASSWORD, "--pvhost=localhost", "--host=" + name + ".example",
                 "--docroot=/srv/" + name});
        MSList list;
        EXPECT_EQ(list.Load(DataFile.c_str()), 1);
        MSInfo m;
        for (int i = 0; i < list.GetCount(); ++i)
            if (name == static_cast<const char*>(At(list, i).Name))
                m = At(list, i);
        return m;
    }
    // The services file's entries "name port" of the names that start with prefix.
    std::vector<std::string> Services(const std::string& prefix) {
        std::vector<std::string> out;
        for (const std::string& line : LinesOf(ReadWholeFile(Rooted("/etc/services")))) {
            std::vector<std::string> fields = WordsOf(line);
            if (line.compare(0, prefix.size(), prefix) == 0 && fields.size() >= 2)
                out.push_back(fields[0] + " " + fields[1].substr(0, fields[1].find('/')));
        }
        return out;
    }

    std::string P, DataFile;
    StatusLines status;
    ErrorLines errors;
};

TEST_F(LifecycleTest, CreateRecreateDeleteAndCreateAgain) {
    const std::string servicesBefore = ReadWholeFile(Rooted("/etc/services"));
    MSInfo m = Added("shop1", 16000, 3);
    ASSERT_EQ(ICCreateInstance(DataFile.c_str()), 1);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>());
    EXPECT_EQ(status.Lines().back(), "Storix server instance shop1 has been created successfully.");
    std::vector<std::string> expected = {
        "vxshop1 16000",      "vxshop1_1 16001",    "vxshop1_2 16002",    "vxshop1_3 16003",
        "vxshop1_pb_1 16004", "vxshop1_pe_1 16005", "vxshop1_pe_2 16006", "vxshop1_pe_3 16007",
        "vxshop1_pe_4 16008", "vxshop1_pe_5 16009", "vxshop1_pe_6 16010", "vxshop1_cy_1 40000"};
    for (int k = 1; k <= 10; ++k)
        expected.push_back("vxshop1_sched_" + std::to_string(k) + " " + std::to_string(40000 + k));
    EXPECT_EQ(Services("vxshop1"), expected);
    EXPECT_EQ(Services("vxperf"), std::vector<std::string>{"vxperf 40011"});
    EXPECT_TRUE(Has(ReadWholeFile(Rooted("/etc/rc.vndx")), "#Vendrix Instance - shop1\n"));
    const std::string conf = std::string(m.HtmlPath);
    for (const char* file : {"srvrctrl.conf", "vxtrade.conf", "scheduler.conf", "pay_cyber.conf",
                             "pay_back.conf", "pay_payvane.conf"})
        EXPECT_TRUE(FileExists(conf + "/" + file)) << file;

    // The instance's main file, found by its database in any letter case.
    char path[4096];
    ASSERT_EQ(ICGetVXIniFile("SHOP1DB", path, sizeof path), 1);
    EXPECT_EQ(std::string(path), conf + "/vxtrade.conf");
    EXPECT_EQ(ICGetVXIniFile("nosuchdb", path, sizeof path), 0);

    // The payment server's scripts, written out by hand.
    const std::string R = std::string(m.RootPath);
    const std::string PV = Rooted("/opt/Orvell_Payment_Server");
    const std::string RD = Rooted("/opt/Orvellrelda/V6.1");
    EXPECT_EQ(ModeOf(R + "/bin/.payment"), 0700u);
    EXPECT_EQ(ReadWholeFile(R + "/bin/.payment"), "DBPassword=" SANDBOX_PASSWORD);
    EXPECT_EQ(ReadWholeFile(R + "/bin/PayVane"),
              Text({"#!/bin/sh", "# Starts the payment server of an instance.",
                    "cd " + R + "/bin; nohup   $PVDIR/jre/bin/java -classpath " + PV +
                        "/PayvaneClasses.zip:" + RD +
                        "/java/reldajava.zip -Ddriver=COM.orvell.relda.jdbc.app.RELDADriver "
                        "-Durl=jdbc:relda:shop1db -Downer=reldinst -Duser=reldinst "
                        "-Dhost=localhost -Dcert=flatfile -Dset=flatfile "
                        "com.orvell.payvane.Server &"}));
    EXPECT_EQ(
        ReadWholeFile(P + "/vx_schema/relda/migrate/migratePayvane.sh"),
        Text({"#!/bin/sh", "# Creates the payment server's tables in the commerce database.",
              "if [ $# != 3 ]; then",
              "    echo \"Usage: migratePayvane.sh database user password\"", "    exit 1", "fi",
              "export vxclasspath=" + PV + "/jre/lib/rt.jar:" + PV + "/jre/lib/i18n.jar:" + RD +
                  "/java/reldajava.zip:" + PV + "/PayvaneClasses.zip:$JAVA_HOME/lib/classes.zip",
              "", "CLASSPATH=" + PV + "/jre/lib/rt.jar",
              "x0=" + P + "/vx_schema/relda/payvane12_schema.relda.sql",
              "x1=COM.orvell.relda.jdbc.app.RELDADriver", "x2=jdbc:relda:$1", "x5=jdbc:relda:$1",
              "$JAVA_HOME/bin/java -classpath $vxclasspath com.orvell.payvane.Migrate $x0 "
              "$x1 $x2 $2 $3 $x5"}));

    // Again: the same services (the second block kept). The first re-creation merges the
    // personalization keys back without the empty lines that were added before them; from
    // then on the files stay the same.
    const std::string services = ReadWholeFile(Rooted("/etc/services"));
    ASSERT_EQ(ICCreateInstance(DataFile.c_str()), 1);
    const std::string main = ReadWholeFile(conf + "/vxtrade.conf");
    const std::string sched = ReadWholeFile(conf + "/scheduler.conf");
    ASSERT_EQ(ICCreateInstance(DataFile.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/services")), services);
    EXPECT_EQ(ReadWholeFile(conf + "/vxtrade.conf"), main);
    EXPECT_EQ(ReadWholeFile(conf + "/scheduler.conf"), sched);

    // Deleted: every service released, the files moved aside, the boot entry gone.
    EXPECT_EQ(ICDeleteSingleInst(m, 0), 1);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>());
    EXPECT_EQ(status.Lines().back(), "Storix server instance shop1 has been deleted successfully.");
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/services")), servicesBefore);
    EXPECT_FALSE(FileExists(conf + "/srvrctrl.conf"));
    EXPECT_TRUE(FileExists(conf + "/srvrctrl.old.conf"));
    EXPECT_EQ(ReadWholeFile(conf + "/vxtrade.old.conf"), main);
    EXPECT_FALSE(Has(ReadWholeFile(Rooted("/etc/rc.vndx")), "shop1"));
    // A second deletion finds nothing to release: it fails, unless migrating.
    EXPECT_EQ(ICDeleteSingleInst(m, 0), 0);
    EXPECT_EQ(errors.Lines().back(), "Error in deleting Storix server instance shop1.");
    EXPECT_EQ(ICDeleteSingleInst(m, 1), 1);

    // Created again, it is back as it was.
    ASSERT_EQ(ICCreateInstance(DataFile.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/services")), services);
    EXPECT_EQ(ReadWholeFile(conf + "/vxtrade.conf"), main);
}

TEST_F(LifecycleTest, PreconditionsAndTheSecondBlockSearch) {
    MSInfo m = Added("shop1", 16000, 2);
    // A service on 40005 moves the second block to 40010.
    ASSERT_EQ(ICRegTcpService("other", 40005, "someone else's"), 1);
    ASSERT_EQ(ICCreateSingleInst(m), 1);
    EXPECT_EQ(Services("vxshop1_cy"), std::vector<std::string>{"vxshop1_cy_1 40010"});
    EXPECT_EQ(Services("vxperf"), std::vector<std::string>{"vxperf 40021"});

    // No config.js: nothing happens, no message.
    MSInfo second = Added("shop2", 17000, 2);
    std::string config = P + "/html/en_US/vxadmin/common/config.js";
    std::string js = ReadWholeFile(config);
    ASSERT_EQ(unlink(config.c_str()), 0);
    EXPECT_EQ(ICCreateSingleInst(second), 0);
    EXPECT_EQ(errors.Lines(), std::vector<std::string>());
    EXPECT_TRUE(Services("vxshop2").empty());
    ASSERT_TRUE(WriteWholeFile(config, js));
    // No web macro product: message 126, nothing registered.
    ASSERT_EQ(unlink(Rooted("/var/sadm/pkg/Macrolin/pkginfo").c_str()), 0);
    EXPECT_EQ(ICCreateSingleInst(second), 0);
    EXPECT_EQ(errors.Lines(),
              std::vector<std::string>{"Macrolin configuration failed.  Please install "
                                       "Macrolin and re-create the instance."});
    EXPECT_TRUE(Services("vxshop2").empty());
}

TEST_F(LifecycleTest, OracleMigrationScriptAndTemplateRules) {
    MSInfo m = Added("shop1", 16000, 2);
    ASSERT_EQ(ICCreateSingleInst(m), 1);
    m.DBType = DB_ORACLE;
    ASSERT_EQ(CreatePayVaneMigCmd(m), 1);
    const std::string PV = Rooted("/opt/Orvell_Payment_Server");
    const std::string W = Rooted("/opt/WharfServer/usr/internet/server_root");
    EXPECT_EQ(ReadWholeFile(P + "/vx_schema/oracle/migrate/migratePayvane.sh"),
              Text({"#!/bin/sh", "# Creates the payment server's tables in the commerce database.",
                    "if [ $# != 4 ]; then",
                    "    echo \"Usage: migratePayvane.sh database user password <servicename>\"",
                    "    exit 1", "fi",
                    "export vxclasspath=" + PV + "/jre/lib/rt.jar:" + PV +
                        "/jre/lib/i18n.jar:" + W + "/java/lib/classes.zip:" + PV +
                        "/PayvaneClasses.zip:$ORACLE_HOME/jdbc/lib/classes111.zip:$JAVA_HOME/lib/"
                        "classes.zip",
                    "", "CLASSPATH=" + PV + "/jre/lib/rt.jar",
                    "x0=" + P + "/vx_schema/oracle/payvane12_schema.ora.sql",
                    "x1=oracle.jdbc.driver.OracleDriver", "x2=jdbc:oracle:thin:@$4:1521:$1",
                    "x5=jdbc:oracle:thin:@$4:1521:$1",
                    "$JAVA_HOME/bin/java -classpath $vxclasspath com.orvell.payvane.Migrate $x0 "
                    "$x1 $x2 $2 $3 $x5"}));

    // A start template whose Java line has "jre" elsewhere is copied; an unknown variable
    // goes with its brackets; the previous script stays under its backup name.
    m.DBType = DB_RELDA;
    ASSERT_EQ(CreatePayVaneCmd(m), 1);
    const std::string script = std::string(m.RootPath) + "/bin/PayVane";
    const std::string first = ReadWholeFile(script);
    ASSERT_TRUE(WriteWholeFile(P + "/server/admin/PayVane",
                               "java -jre <JDBC_URL>\n"
                               "nohup   $PVDIR/jre <nosuch>x<jdbc_url>\n"));
    ASSERT_EQ(CreatePayVaneCmd(m), 1);
    EXPECT_EQ(ReadWholeFile(script), "java -jre <JDBC_URL>\ncd " + std::string(m.RootPath) +
                                         "/bin; nohup   $PVDIR/jre xjdbc:relda:shop1db\n");
    EXPECT_EQ(ReadWholeFile(SysGetBackupName(script.c_str()).operator const char*()), first);
}

TEST_F(LifecycleTest, MigrationFromEachEarlierRelease) {
    for (int release = 1; release <= 2; ++release) {
        SCOPED_TRACE("release " + std::to_string(release));
        ICString error;
        ASSERT_EQ(SandboxAddRelease(Root().c_str(), release, error), 1) << (const char*)error;
        MSInfo old = Instance(("old" + std::to_string(release)).c_str());
        old.ISHost = "localhost";
        old.DBName = ("olddb" + std::to_string(release)).c_str();
        old.MSProc = 2;
        old.MSPort = 15000 + 100 * release;
        ASSERT_EQ(SandboxAddInstance(Root().c_str(), release, old, error), 1) << (const char*)error;
        EXPECT_EQ(ICMigrate(), 1);
        EXPECT_EQ(errors.Lines(), std::vector<std::string>());
        // The first release's files do not name the instance: it comes over as "mser".
        std::string name = release == 1 ? "mser" : std::string(old.Name);
        EXPECT_EQ(Services("vx" + name + "\t"),
                  std::vector<std::string>{"vx" + name + " " + std::to_string(old.MSPort)});
        EXPECT_NE(status.Lines().end(),
                  std::find(status.Lines().begin(), status.Lines().end(),
                            "Storix server instance " + name + " has been created successfully."));
    }
    char small[10];
    EXPECT_EQ(ICGetVXIniFile("OLDDB2", small, sizeof small), 0);
}

} // namespace
