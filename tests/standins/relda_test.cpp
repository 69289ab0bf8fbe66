// The database stand-ins, driven by generated scripts run as the database users, the way the
// library drives the product: they must fail wherever the product fails (no connection, an
// alias nobody catalogued), or the library's tests could not catch it. (A wrong password is
// refused in the database tests, which also run the schema scripts through them.)
#include "sandbox_fixture.h"

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
std::vector<std::string> ErrorTokens(const std::string& out) {
    std::vector<std::string> tokens;
    for (const std::string& l : LinesOf(out))
        if (!WordsOf(l).empty() && IsErrorToken(WordsOf(l)[0]))
            tokens.push_back(WordsOf(l)[0]);
    return tokens;
}

bool StartsWithError(const ProgramResult& r) {
    std::vector<std::string> first = WordsOf(r.out.substr(0, r.out.find('\n')));
    return !first.empty() && IsErrorToken(first[0]);
}

} // namespace

class ReldaTest : public SandboxTest {
protected:
    // Writes text as a script into the user's home and runs it there as the library does.
    ProgramResult RunAs(const char* user, const std::string& text) {
        std::string script = Rooted(std::string("/home/") + user + "/job.sh");
        EXPECT_TRUE(WriteWholeFile(script, text, 0755));
        return RunShell(std::string("su - ") + user + " -c \"sh " + script + "\"");
    }

    // A database with the table the library queries, holding the given refnum rows.
    void MakeShipRules(const std::string& values) {
        ProgramResult r =
            RunAs(SANDBOX_INSTANCE_USER,
                  "relda create database mser\n"
                  "relda connect to mser\n"
                  "relda \"create table ofs (refnum integer, name varchar(32), "
                  "version decimal(4,1), vendor varchar(16), product varchar(8))\"\n" +
                      values);
        ASSERT_EQ(r.exitCode, 0) << r.out;
        ASSERT_TRUE(ErrorTokens(r.out).empty()) << r.out;
    }
};

// A query that finds a row is read by the library's existence checks in the database tests;
// these are the answers those tests cannot bring about.
TEST_F(ReldaTest, QueriesSeeTheConnectionOfTheirOwnScriptOnly) {
    MakeShipRules("relda \"insert into ofs values (9, 'other', 1.0, 'Orvell', 'VX')\"\n");
    std::string out = Rooted("/home/" SANDBOX_OWNER_USER "/q.tmp");
    // The shape of the library's query script: connect, then the query into a file.
    ProgramResult r = RunAs(SANDBOX_OWNER_USER, "LANG=en_US;export LANG;\nrelda connect to mser\n" +
                                                    std::string(kQuery) + " > " + out + "\n");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    // No rows: heading, underline and count only.
    std::vector<std::string> nonBlank;
    for (const std::string& l : LinesOf(ReadWholeFile(out)))
        if (!WordsOf(l).empty())
            nonBlank.push_back(l);
    ASSERT_EQ(nonBlank.size(), 3u);
    EXPECT_EQ(WordsOf(nonBlank[0]), std::vector<std::string>{"REFNUM"});
    EXPECT_TRUE(IsUnderline(nonBlank[1]));
    EXPECT_EQ(nonBlank[2], "  0 record(s) selected.");

    // A later script is another shell: its query has no connection.
    ProgramResult later = RunAs(SANDBOX_OWNER_USER, std::string(kQuery) + "\n");
    EXPECT_TRUE(StartsWithError(later)) << later.out;
    EXPECT_NE(later.exitCode, 0);
    // Stopping the manager ends the connections of every shell.
    r = RunAs(SANDBOX_INSTANCE_USER, "reldastart\nrelda connect to mser\n"
                                     "reldastop\nrelda \"select refnum from ofs\"\n");
    EXPECT_EQ(ErrorTokens(r.out), std::vector<std::string>{"SQL1024N"}) << r.out;
}

TEST_F(ReldaTest, OnlyCataloguedAliasesReachTheData) {
    MakeShipRules("");
    // An alias is taken once, whatever its letter case.
    ASSERT_EQ(RunAs(SANDBOX_OWNER_USER, "relda catalog database mser as rMser\n").exitCode, 0);
    ProgramResult again = RunAs(SANDBOX_INSTANCE_USER, "relda catalog database x as RMSER\n");
    EXPECT_TRUE(StartsWithError(again)) << again.out;
    EXPECT_NE(again.exitCode, 0);
    // Uncatalogued, dropped, or at a node nobody catalogued or that is gone.
    const std::pair<const char*, const char*> lost[] = {
        {"relda catalog database mser as other\nrelda uncatalog database other\n"
         "relda connect to other\n",
         "SQL1013N"},
        {"relda catalog database mser as far at node nx\nrelda connect to far\n", "SQL1097N"},
        {"relda catalog tcpip node n1 remote h server 1\nrelda catalog database mser as far1 at "
         "node n1\nrelda uncatalog node n1\nrelda connect to far1\n",
         "SQL1097N"},
        {"relda drop database mser\nrelda connect to mser\n", "SQL1013N"}};
    for (const auto& c : lost) {
        ProgramResult l = RunAs(SANDBOX_INSTANCE_USER, c.first);
        EXPECT_EQ(ErrorTokens(l.out), std::vector<std::string>{c.second}) << c.first << l.out;
        EXPECT_NE(l.exitCode, 0) << c.first;
    }
    EXPECT_FALSE(FileExists(Rooted("/home/" SANDBOX_INSTANCE_USER "/sqllib/databases/MSER.db")));
}
