// The database stand-ins, driven by generated scripts run as the database users, the way the
// library drives the product.
#include <gtest/gtest.h>

#include "sandbox_fixture.h"
#include "standin_shell.h"

namespace {

const char kQuery[] = "relda \"select refnum from ofs where name='vx3_shipRule' and "
                      "version=1.0 and vendor='Orvell' and product='VX'\"";

bool IsUnderline(const std::string& line) {
    return !line.empty() && line.find_first_not_of("- ") == std::string::npos &&
           line.find('-') != std::string::npos;
}

bool IsErrorToken(const std::string& token) {
    return (token.compare(0, 3, "SQL") == 0 && token.back() == 'N') ||
           (token.compare(0, 5, "RELDA") == 0 && token.back() == 'E');
}

// The error tokens that start lines of the output.
std::vector<std::string> ErrorTokens(const std::vector<std::string>& lines) {
    std::vector<std::string> tokens;
    for (const std::string& l : lines)
        if (!WordsOf(l).empty() && IsErrorToken(WordsOf(l)[0]))
            tokens.push_back(WordsOf(l)[0]);
    return tokens;
}

bool StartsWithError(const ShellResult& r) {
    return !r.lines.empty() && !WordsOf(r.lines[0]).empty() && IsErrorToken(WordsOf(r.lines[0])[0]);
}

// The aliases named by the listing's "Database alias" lines.
std::vector<std::string> Aliases(const ShellResult& listing) {
    std::vector<std::string> aliases;
    for (const std::string& line : LinesWith(listing.lines, "Database alias")) {
        std::vector<std::string> w = WordsOf(line.substr(line.find("Database alias")));
        if (w.size() == 4 && w[2] == "=")
            aliases.push_back(w[3]);
    }
    return aliases;
}

} // namespace

class ReldaTest : public SandboxTest {
protected:
    // Writes text as a script into the user's home and runs it there as the library does.
    ShellResult RunAs(const char* user, const std::string& text) {
        std::string script = Rooted(std::string("/home/") + user + "/job.sh");
        EXPECT_TRUE(WriteWholeFile(script, text, 0755));
        return RunShell(std::string("su - ") + user + " -c \"sh " + script + "\"");
    }

    // A database with the table the library queries, holding the given refnum rows.
    void MakeShipRules(const std::string& values) {
        ShellResult r = RunAs(SANDBOX_INSTANCE_USER,
                              "relda create database mser\n"
                              "relda connect to mser\n"
                              "relda \"create table ofs (refnum integer, name varchar(32), "
                              "version decimal(4,1), vendor varchar(16), product varchar(8))\"\n" +
                                  values);
        ASSERT_EQ(r.exitCode, 0) << r.out;
        ASSERT_TRUE(ErrorTokens(r.lines).empty()) << r.out;
    }
};

TEST_F(ReldaTest, DirectoryListsEachCataloguedAliasWithItsLabel) {
    ShellResult empty = RunAs(SANDBOX_OWNER_USER, "relda list database directory\n");
    EXPECT_TRUE(LinesWith(empty.lines, "Database alias").empty()) << empty.out;

    // Names are kept whatever their letter case; the directory shows them in upper case.
    ShellResult r =
        RunAs(SANDBOX_OWNER_USER, "relda catalog tcpip node nmser remote dbhost server relda61\n"
                                  "relda catalog database mser as rmser at node nmser\n"
                                  "relda create database Shop\n"
                                  "relda list database directory\n");
    EXPECT_EQ(Aliases(r), (std::vector<std::string>{"RMSER", "SHOP"})) << r.out;
    // The database name stands on a line of its own, without the alias label.
    EXPECT_FALSE(LinesWith(r.lines, "MSER").empty());
    EXPECT_EQ(LinesWith(r.lines, "Database alias").size(), 2u) << r.out;

    ShellResult again = RunAs(SANDBOX_INSTANCE_USER, "relda catalog database x as RMSER\n");
    EXPECT_TRUE(StartsWithError(again)) << again.out;
    EXPECT_NE(again.exitCode, 0);
}

TEST_F(ReldaTest, ConnectionCarriesToTheLaterLinesOfTheSameScriptOnly) {
    MakeShipRules("relda \"insert into ofs values (7, 'vx3_shipRule', 1.0, 'Orvell', 'VX')\"\n"
                  "relda \"insert into ofs values (9, 'other', 1.0, 'Orvell', 'VX')\"\n");
    std::string out = Rooted("/home/" SANDBOX_OWNER_USER "/q.tmp");
    // The shape of the library's query script: connect, then the query into a file.
    ShellResult r = RunAs(SANDBOX_OWNER_USER, "LANG=en_US;export LANG;\nrelda connect to mser\n" +
                                                  std::string(kQuery) + " > " + out + "\n");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    ShellResult q = RunShell("cat " + out);
    ASSERT_GE(q.lines.size(), 3u) << q.out;
    EXPECT_EQ(WordsOf(q.lines[0]), std::vector<std::string>{"REFNUM"}) << q.out;
    EXPECT_TRUE(IsUnderline(q.lines[1])) << q.out;
    EXPECT_EQ(WordsOf(q.lines[2]), std::vector<std::string>{"7"}) << q.out;
    EXPECT_EQ(LinesWith(q.lines, "record(s) selected."),
              std::vector<std::string>{"  1 record(s) selected."});

    // A later script is another shell: its query has no connection.
    ShellResult later = RunAs(SANDBOX_OWNER_USER, std::string(kQuery) + "\n");
    EXPECT_TRUE(StartsWithError(later)) << later.out;
    EXPECT_NE(later.exitCode, 0);

    // bash runs the last command of a command text in its own process, in place of a child.
    ShellResult inPlace = RunShell("bash -c \"relda connect to mser >/dev/null; relda 'select "
                                   "refnum from ofs where refnum > 8'\"");
    EXPECT_EQ(inPlace.exitCode, 0) << inPlace.out;
    ASSERT_EQ(inPlace.lines.size(), 5u) << inPlace.out;
    EXPECT_EQ(WordsOf(inPlace.lines[2]), std::vector<std::string>{"9"});

    // The lines of one su command text.
    ShellResult inline_ =
        RunShell("su - " SANDBOX_OWNER_USER " -c \"relda connect to MSER >/dev/null; relda 'select "
                 "refnum, name from ofs order by refnum desc'\"");
    EXPECT_EQ(inline_.exitCode, 0) << inline_.out;
    ASSERT_GE(inline_.lines.size(), 4u) << inline_.out;
    EXPECT_EQ(WordsOf(inline_.lines[0]), (std::vector<std::string>{"REFNUM", "NAME"}));
    EXPECT_EQ(WordsOf(inline_.lines[2]), (std::vector<std::string>{"9", "other"}));
    EXPECT_EQ(WordsOf(inline_.lines[3]), (std::vector<std::string>{"7", "vx3_shipRule"}));
}

TEST_F(ReldaTest, QueryWithoutRowsPrintsOnlyHeadingUnderlineAndCount) {
    MakeShipRules("");
    ShellResult r = RunAs(SANDBOX_OWNER_USER,
                          "relda connect to mser > /dev/null\n" + std::string(kQuery) + "\n");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    std::vector<std::string> nonBlank;
    for (const std::string& l : r.lines)
        if (!WordsOf(l).empty())
            nonBlank.push_back(l);
    ASSERT_EQ(nonBlank.size(), 3u) << r.out;
    EXPECT_EQ(WordsOf(nonBlank[0]), std::vector<std::string>{"REFNUM"});
    EXPECT_TRUE(IsUnderline(nonBlank[1])) << r.out;
    EXPECT_EQ(nonBlank[2], "  0 record(s) selected.");
}

TEST_F(ReldaTest, ConnectWithUserChecksThePasswordAndRemoteAliasesReachTheData) {
    MakeShipRules("relda \"insert into ofs values (4, 'vx3_shipRule', 1.0, 'Orvell', 'VX')\"\n");
    // The loop-back alias "r" + name that the hosting edition's script catalogues.
    ShellResult r =
        RunAs(SANDBOX_OWNER_USER, "relda catalog tcpip node nmser remote localhost server relda61\n"
                                  "relda catalog database mser as rmser at node nmser\n"
                                  "relda connect to rmser user " SANDBOX_OWNER_USER
                                  " using " SANDBOX_PASSWORD "\n" +
                                      std::string(kQuery) + "\n");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(LinesWith(r.lines, "REFNUM").size(), 1u) << r.out;
    EXPECT_EQ(LinesWith(r.lines, "VXOWNER").size(), 1u) << r.out; // the authorization id

    ShellResult wrong = RunAs(SANDBOX_OWNER_USER, "relda connect to mser user " SANDBOX_OWNER_USER
                                                  " using Wrong1\n" +
                                                      std::string(kQuery) + "\n");
    EXPECT_TRUE(LinesWith(wrong.lines, "REFNUM").empty()) << wrong.out;
    EXPECT_TRUE(StartsWithError(wrong)) << wrong.out;

    // An alias at a node nobody catalogued cannot be reached.
    ShellResult lost = RunAs(SANDBOX_OWNER_USER, "relda catalog database mser as lost at node nx\n"
                                                 "relda connect to lost\n");
    EXPECT_EQ(LinesWith(lost.lines, "NX").size(), 1u) << lost.out;
    EXPECT_NE(lost.exitCode, 0);
}

TEST_F(ReldaTest, ManagerConfigurationNamesItsServiceAfterTheEqualsSign) {
    // The library's own command line, read through a pipe.
    const std::string ask = "su - " SANDBOX_OWNER_USER
                            " -c \"relda get database manager configuration | grep SVCENAME\"";
    for (const char* service : {"relda61", "reldasvc"}) {
        ShellResult r = RunShell(ask);
        ASSERT_EQ(r.lines.size(), 1u) << r.out;
        EXPECT_EQ(WordsOf(r.lines[0].substr(r.lines[0].find('=') + 1)),
                  std::vector<std::string>{service});
        RunAs(SANDBOX_INSTANCE_USER, "relda update dbm cfg using svcename reldasvc\n");
    }
}

TEST_F(ReldaTest, ErrorsStartWithAnErrorTokenAndScriptFilesRunTheirStatements) {
    ASSERT_TRUE(WriteWholeFile(Rooted("/home/" SANDBOX_INSTANCE_USER "/schema.sql"),
                               "-- the shop's tables\n"
                               "create database shop;\n"
                               "connect to shop;\n"
                               "create table item (refnum integer, label varchar(20));\n"
                               "insert into item values (1, 'a;b');\n"
                               "selec refnum from item;\n"
                               "select label from item;\n"
                               "commit work;\n"));
    ShellResult r = RunAs(SANDBOX_INSTANCE_USER, "relda -tvf schema.sql > schema.log\n"
                                                 "echo status $?\n");
    ShellResult log = RunShell("cat " + Rooted("/home/" SANDBOX_INSTANCE_USER "/schema.log"));
    EXPECT_EQ(ErrorTokens(log.lines), std::vector<std::string>{"SQL0104N"}) << log.out;
    EXPECT_EQ(LinesWith(log.lines, "a;b").size(), 2u) << log.out; // echoed, then selected
    EXPECT_EQ(r.lines, std::vector<std::string>{"status 4"});

    ShellResult noConnection = RunAs(SANDBOX_INSTANCE_USER, "relda \"select 1 from item\"\n");
    EXPECT_EQ(WordsOf(noConnection.lines.at(0))[0], "SQL1024N");
}

TEST_F(ReldaTest, InstanceListAndManagerTools) {
    std::string tool = Rooted("/opt/Orvellrelda/V6.1/instance/reldailist");
    EXPECT_EQ(RunShell(tool).lines, std::vector<std::string>{SANDBOX_INSTANCE_USER});
    ASSERT_TRUE(
        WriteWholeFile(Rooted("/opt/Orvellrelda/V6.1/instance/instances.lst"), "first\nsecond\n"));
    EXPECT_EQ(RunShell(tool).lines, (std::vector<std::string>{"first", "second"}));
    // From the common bin folder the registry is found under the root.
    EXPECT_EQ(RunShell("reldailist").lines, (std::vector<std::string>{"first", "second"}));

    // Stopping the manager ends the connections of every shell.
    MakeShipRules("");
    ShellResult r = RunAs(SANDBOX_INSTANCE_USER, "reldastart\nrelda connect to mser\n"
                                                 "reldastop\nrelda \"select refnum from ofs\"\n");
    EXPECT_TRUE(LinesWith(r.lines, "REFNUM").empty()) << r.out;
    EXPECT_EQ(LinesWith(r.lines, "SQL1024N").size(), 1u) << r.out;
}

TEST_F(ReldaTest, ClientCatalogueScriptsOfTheLibraryMakeTheAliasesKnown) {
    // The eight lines that make a database of another machine usable here.
    ShellResult r = RunAs(SANDBOX_OWNER_USER, "relda catalog tcpip node mall remote dbhost "
                                              "server relda61\n"
                                              "reldastop\nreldastart\nrelda list node directory\n"
                                              "relda catalog database mall as mall at node mall\n"
                                              "reldastop\nreldastart\n"
                                              "relda list database directory\n");
    EXPECT_EQ(Aliases(r), std::vector<std::string>{"MALL"}) << r.out;
    EXPECT_EQ(LinesWith(r.lines, "dbhost").size(), 1u) << r.out;

    // The hosting edition's script: a loop-back node and the alias "r" + name, then its marker.
    std::string marker = Rooted("/home/" SANDBOX_OWNER_USER "/~MALL.tmp");
    r = RunAs(SANDBOX_OWNER_USER, "relda catalog tcpip node nmall remote localhost server "
                                  "relda61\nrelda catalog database mall as rmall at node nmall\n"
                                  "\nmkdir " +
                                      marker + "\nrelda list database directory\n");
    EXPECT_EQ(Aliases(r), (std::vector<std::string>{"MALL", "RMALL"})) << r.out;
    EXPECT_TRUE(FileExists(marker));

    // Keywords in any letter case; the connection reaches the same data under both aliases.
    r = RunAs(SANDBOX_OWNER_USER, "relda CONNECT TO Mall\nrelda 'create table t (refnum int)'\n"
                                  "relda \"insert into t values (5)\"\nrelda Connect To RMALL\n"
                                  "relda 'select refnum from t'\n");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(LinesWith(r.lines, "REFNUM").size(), 1u) << r.out;
    EXPECT_EQ(LinesWith(r.lines, "Local database alias").size(), 2u) << r.out;
}

TEST_F(ReldaTest, UncataloguedAndDroppedDatabasesCannotBeReached) {
    MakeShipRules("");
    ShellResult r = RunAs(SANDBOX_INSTANCE_USER,
                          "relda catalog database mser as other\n"
                          "relda uncatalog database other\nrelda list database directory\n"
                          "relda connect to other\n");
    EXPECT_EQ(Aliases(r), std::vector<std::string>{"MSER"}) << r.out;
    EXPECT_EQ(LinesWith(r.lines, "SQL1013N").size(), 1u) << r.out;

    r = RunAs(SANDBOX_INSTANCE_USER, "relda drop database mser\nrelda list database directory\n"
                                     "relda connect to mser\n");
    EXPECT_TRUE(Aliases(r).empty()) << r.out;
    EXPECT_EQ(LinesWith(r.lines, "SQL1013N").size(), 1u) << r.out;

    // A remote alias whose node is gone.
    r = RunAs(SANDBOX_INSTANCE_USER, "relda catalog tcpip node n1 remote h server 1\n"
                                     "relda catalog database far at node n1\n"
                                     "relda uncatalog node n1\nrelda connect to far\n");
    EXPECT_EQ(LinesWith(r.lines, "SQL1097N").size(), 1u) << r.out;
}

TEST_F(ReldaTest, ToolsNeedAUsableInstance) {
    // An owner's shell without the instance's environment reaches the registered instance.
    EXPECT_EQ(RunAs(SANDBOX_OWNER_USER, "relda create database a\n").exitCode, 0);
    EXPECT_TRUE(FileExists(Rooted("/home/" SANDBOX_INSTANCE_USER "/sqllib/databases/A.db")));

    const char* broken[] = {"RELDAINSTANCE=nosuchuser relda list database directory",
                            "RELDAINSTANCE=" SANDBOX_OWNER_USER " reldastart"};
    for (const char* command : broken) {
        ShellResult r = RunShell(command);
        EXPECT_EQ(r.exitCode, 8) << command;
        ASSERT_EQ(r.lines.size(), 1u) << command << ": " << r.out;
        EXPECT_EQ(WordsOf(r.lines[0])[0], "SQL1390N");
    }
    ASSERT_TRUE(WriteWholeFile(Rooted("/opt/Orvellrelda/V6.1/instance/instances.lst"), ""));
    ShellResult none = RunAs(SANDBOX_OWNER_USER, "relda list database directory\n");
    EXPECT_EQ(ErrorTokens(none.lines), std::vector<std::string>{"SQL1390N"}) << none.out;
}
