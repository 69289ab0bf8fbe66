// What the front end tells about a run: the --json document of every command, and a record
// that could never run. (The data file's own failures are the instance list's tests.)

#include "sandbox_fixture.h"

namespace {

class FrontendOutcome : public SandboxTest {};

TEST_F(FrontendOutcome, JsonDocumentsHoldTheDataTheFailureAndItsReason) {
    ASSERT_EQ(Vxcfg({"add", "shop1", "--host", "web1", "--port", "16570"}).exitCode, 0);

    ProgramResult list = VxcfgOk({"--json", "list"});
    EXPECT_TRUE(Has(list.out, "\"data\": [\n  {\"name\": \"shop1\", \"first_port\": 16570, "
                              "\"last_port\": 16580, \"web_server\": \"Wharf\", "
                              "\"database_type\": \"Relda\", \"database\": \"mser\"}],"))
        << list.out;
    EXPECT_EQ(list.err, "");

    ProgramResult show = Vxcfg({"--json", "show", "shop1"});
    EXPECT_TRUE(Has(show.out, "\"failed\": false")) << show.out;
    EXPECT_TRUE(Has(show.out, "\"ISHost\": \"web1\", \"DBName\": \"mser\", \"DBUser\": "
                              "\"" SANDBOX_INSTANCE_USER "\""))
        << show.out;
    EXPECT_TRUE(Has(show.out, "\"MSPort\": 16570, \"AuxPort\": 16580")) << show.out;

    ProgramResult start = Vxcfg({"--json", "start", "nosuch"});
    EXPECT_EQ(start.exitCode, 1);
    EXPECT_TRUE(Has(start.out, "\"exit\": 1, \"outcome_known\": true, \"failed\": true"))
        << start.out;
    EXPECT_TRUE(Has(start.out, "\"msg\": [\n  \"Could not find instance nosuch\"]")) << start.out;

    // A data file that cannot be read: the document names it and says why.
    ProgramResult lost = Vxcfg({"--json", "list", "--data", Root()});
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_TRUE(Has(lost.out, "\"msg\": [\n  \"Configuration data loading error. " + Root() +
                                  ": Is a directory\"]"))
        << lost.out;

    // A refused command line still gives its document.
    ProgramResult usage = Vxcfg({"--json", "list", "--bogus"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(Has(usage.out, "\"exit\": 2, \"outcome_known\": true, \"failed\": true"))
        << usage.out;
}

// The controller and the database commands run as the database instance user: a record
// without one is filled from the installation or refused, never found out at creation.
TEST_F(FrontendOutcome, TheDatabaseInstanceUserComesFromTheInstallationOrIsRequired) {
    // The database lists its instance: the README's own example takes it.
    ASSERT_EQ(Vxcfg({"add", "shop1", "--host", "shop1.example.com", "--dbpass", SANDBOX_PASSWORD})
                  .exitCode,
              0);
    EXPECT_TRUE(Has(Vxcfg({"show", "shop1"}).out, "DBUser         " SANDBOX_INSTANCE_USER "\n"));
    // The product profile names the instance the installation's shells use.
    const std::string profile = Rooted("/opt/Orvellvndx/Vendrix3/server/bin/vndxprofile");
    ASSERT_TRUE(
        WriteWholeFile(profile, "RELDAINSTANCE=" SANDBOX_OWNER_USER "\nexport RELDAINSTANCE\n"));
    VxcfgOk({"add", "shop2", "--host", "web2", "--db", "shop2", "--docroot", "/srv/d2"});
    EXPECT_TRUE(Has(Vxcfg({"show", "shop2"}).out, "DBUser         " SANDBOX_OWNER_USER "\n"));

    // Nothing names one: add says which option gives it.
    ASSERT_TRUE(WriteWholeFile(profile, ""));
    ASSERT_EQ(unlink(Rooted("/opt/Orvellrelda/V6.1/instance/instances.lst").c_str()), 0);
    ProgramResult refused =
        Vxcfg({"add", "shop3", "--host", "web3", "--db", "shop3", "--docroot", "/srv/d3"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(Has(refused.err, "no database instance user")) << refused.err;
    EXPECT_TRUE(Has(refused.err, "give --dbuser USER")) << refused.err;
    EXPECT_FALSE(Has(Vxcfg({"list"}).out, "shop3"));
}

} // namespace
