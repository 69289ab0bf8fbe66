// Commands are matched word by word against a table of patterns, keywords in any letter case
// and with the usual abbreviations; text that matches no command is SQL for the connected
// database. Names of databases, aliases and nodes are kept in upper case.
#include "clp.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

#include "accounts.h"
#include "manager.h"
#include "sqlrun.h"

namespace relda {

namespace {

struct Word {
    std::string text; // as given
    std::string key;  // lower case, abbreviations spelled out
};

struct Abbreviation {
    const char* shortForm;
    const char* longForm; // one or two words
};

const Abbreviation kAbbreviations[] = {
    {"db", "database"},
    {"dbm", "database manager"},
    {"cfg", "configuration"},
    {"config", "configuration"},
};

// First words that only commands start with: text beginning with them is never SQL.
const char* const kCommandOnly[] = {"catalog",   "uncatalog", "connect", "disconnect",
                                    "terminate", "list",      "get",     "?"};

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<Word> Words(const std::string& text) {
    std::vector<Word> words;
    for (const std::string& w : SplitFields(text, ' ')) {
        std::string key = Lower(w);
        bool expanded = false;
        for (const Abbreviation& a : kAbbreviations) {
            if (key != a.shortForm)
                continue;
            for (const std::string& part : SplitFields(a.longForm, ' '))
                words.push_back({w, part});
            expanded = true;
        }
        if (!expanded)
            words.push_back({w, key});
    }
    return words;
}

// How many leading words fit the pattern; args gets the words standing for "%".
size_t MatchLength(const char* pattern, const std::vector<Word>& words, Processor::Args& args) {
    std::vector<std::string> parts = SplitFields(pattern, ' ');
    size_t n = 0;
    for (; n < parts.size() && n < words.size(); ++n) {
        if (parts[n] == "%")
            args.push_back(words[n].text);
        else if (parts[n] != words[n].key)
            break;
    }
    return n;
}

bool Matches(const char* pattern, const std::vector<Word>& words, Processor::Args& args) {
    args.clear();
    return MatchLength(pattern, words, args) == words.size() &&
           SplitFields(pattern, ' ').size() == words.size();
}

std::string CallerName() {
    const char* names[] = {getenv("USER"), getenv("LOGNAME")};
    for (const char* n : names)
        if (n && *n)
            return n;
    struct passwd* pw = getpwuid(getuid());
    return pw ? pw->pw_name : "";
}

std::string Trim(const std::string& text) {
    size_t b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return "";
    size_t e = text.find_last_not_of(" \t\r\n");
    return text.substr(b, e - b + 1);
}

bool IsComment(const std::string& line) {
    return Trim(line).compare(0, 2, "--") == 0;
}

// Statements of a file: split at ";" outside quoted strings, or one a line.
std::vector<std::string> Statements(const std::vector<std::string>& lines, bool semicolon) {
    std::vector<std::string> out;
    std::string current;
    char quote = 0;
    for (const std::string& line : lines) {
        if (!quote && IsComment(line))
            continue;
        if (!semicolon) {
            out.push_back(line);
            continue;
        }
        for (char c : line) {
            if (quote) {
                quote = c == quote ? 0 : quote;
            } else if (c == '\'' || c == '"') {
                quote = c;
            } else if (c == ';') {
                out.push_back(current);
                current.clear();
                continue;
            }
            current += c;
        }
        current += '\n';
    }
    out.push_back(current);
    return out;
}

Outcome Worse(Outcome a, Outcome b) {
    return a > b ? a : b;
}

} // namespace

const Processor::Command* Processor::Commands(size_t& count) {
    static const Command kTable[] = {
        {"catalog tcpip node % remote % server %", &Processor::CatalogNode},
        {"catalog database % as % at node %", &Processor::CatalogRemote},
        {"catalog database % at node %", &Processor::CatalogRemoteSameName},
        {"catalog database % as %", &Processor::CatalogLocalAs},
        {"catalog database %", &Processor::CatalogLocal},
        {"uncatalog database %", &Processor::UncatalogDatabase},
        {"uncatalog node %", &Processor::UncatalogNode},
        {"connect to % user % using %", &Processor::ConnectUser},
        {"connect to %", &Processor::ConnectPlain},
        {"connect reset", &Processor::ConnectReset},
        {"connect", &Processor::ShowConnection},
        {"disconnect %", &Processor::Disconnect},
        {"terminate", &Processor::Terminate},
        {"list database directory", &Processor::ListDatabases},
        {"list node directory", &Processor::ListNodes},
        {"get database manager configuration", &Processor::GetManagerConfig},
        {"update database manager configuration using % %", &Processor::UpdateManagerConfig},
        {"create database %", &Processor::CreateDatabase},
        {"drop database %", &Processor::DropDatabase},
        {"commit work", &Processor::Commit},
        {"rollback work", &Processor::Rollback},
        {"?", &Processor::ShowHelp},
    };
    count = sizeof kTable / sizeof kTable[0];
    return kTable;
}

Processor::Processor(const Instance& instance)
    : instance_(instance), catalog_(instance), connected_(false), db_(nullptr) {
    catalog_.Load();
    connected_ = LoadConnection(instance_, connection_);
}

Processor::~Processor() {
    CloseDb();
}

void Processor::CloseDb() {
    if (db_)
        sqlite3_close(db_);
    db_ = nullptr;
}

Outcome Processor::Execute(const std::string& text) {
    std::vector<Word> words = Words(text);
    if (words.empty())
        return kOutcomeOk;
    size_t count = 0;
    const Command* commands = Commands(count);
    size_t longest = 0;
    Args args;
    for (size_t i = 0; i < count; ++i) {
        if (Matches(commands[i].pattern, words, args))
            return (this->*commands[i].handler)(args);
        Args unused;
        size_t n = MatchLength(commands[i].pattern, words, unused);
        longest = n > longest ? n : longest;
    }
    for (const char* first : kCommandOnly) {
        if (words[0].key != first)
            continue;
        std::string unexpected = longest < words.size() ? words[longest].text : "END OF INPUT";
        return Say(kMsgUnexpectedToken, unexpected, words[longest ? longest - 1 : 0].text);
    }
    return Sql(text);
}

Outcome Processor::RunFile(const std::string& path, bool semicolon, bool echo) {
    std::vector<std::string> lines;
    if (!ReadLines(path, lines))
        return Say(kMsgCannotRead, path);
    Outcome worst = kOutcomeOk;
    for (const std::string& statement : Statements(lines, semicolon)) {
        std::string text = Trim(statement);
        if (text.empty())
            continue;
        if (echo)
            printf("%s\n", text.c_str());
        worst = Worse(worst, Execute(text));
        printf("\n");
    }
    return worst;
}

Outcome Processor::Help() {
    size_t count = 0;
    const Command* commands = Commands(count);
    printf("relda [-t] [-v] [-f FILE] | relda COMMAND | relda \"SQL STATEMENT\"\n");
    printf("Commands (\"%%\" is a value; db, dbm and cfg abbreviate):\n");
    for (size_t i = 0; i < count; ++i)
        printf("  %s\n", commands[i].pattern);
    return kOutcomeOk;
}

Outcome Processor::ShowHelp(const Args&) {
    return Help();
}

Outcome Processor::CatalogNode(const Args& a) {
    std::string node = Upper(a[0]);
    if (!IsValidName(node))
        return Say(kMsgInvalidName, a[0]);
    if (catalog_.FindNode(node))
        return Say(kMsgNodeExists, node);
    catalog_.nodes.push_back({node, a[1], a[2]});
    if (!catalog_.Save())
        return Say(kMsgSystemError, "cannot write the node directory");
    return Say(kMsgCompleted, "CATALOG TCPIP NODE");
}

Outcome Processor::CatalogRemote(const Args& a) {
    return AddDatabase(a[0], a[1], a[2]);
}
Outcome Processor::CatalogRemoteSameName(const Args& a) {
    return AddDatabase(a[0], a[0], a[1]);
}
Outcome Processor::CatalogLocalAs(const Args& a) {
    return AddDatabase(a[0], a[1], "");
}
Outcome Processor::CatalogLocal(const Args& a) {
    return AddDatabase(a[0], a[0], "");
}

Outcome Processor::AddDatabase(const std::string& name, const std::string& alias,
                               const std::string& node) {
    const std::string* names[] = {&name, &alias, &node};
    for (const std::string* n : names)
        if (!IsValidName(*n) && !(n == &node && node.empty()))
            return Say(kMsgInvalidName, *n);
    if (catalog_.FindAlias(Upper(alias)))
        return Say(kMsgAliasExists, Upper(alias));
    catalog_.databases.push_back({Upper(alias), Upper(name), Upper(node)});
    if (!catalog_.Save())
        return Say(kMsgSystemError, "cannot write the database directory");
    return Say(kMsgCompleted, "CATALOG DATABASE");
}

Outcome Processor::UncatalogDatabase(const Args& a) {
    std::string alias = Upper(a[0]);
    for (size_t i = 0; i < catalog_.databases.size(); ++i) {
        if (catalog_.databases[i].alias != alias)
            continue;
        catalog_.databases.erase(catalog_.databases.begin() + static_cast<long>(i));
        if (!catalog_.Save())
            return Say(kMsgSystemError, "cannot write the database directory");
        return Say(kMsgCompleted, "UNCATALOG DATABASE");
    }
    return Say(kMsgDatabaseNotFound, alias);
}

Outcome Processor::UncatalogNode(const Args& a) {
    std::string node = Upper(a[0]);
    for (size_t i = 0; i < catalog_.nodes.size(); ++i) {
        if (catalog_.nodes[i].node != node)
            continue;
        catalog_.nodes.erase(catalog_.nodes.begin() + static_cast<long>(i));
        if (!catalog_.Save())
            return Say(kMsgSystemError, "cannot write the node directory");
        return Say(kMsgCompleted, "UNCATALOG NODE");
    }
    return Say(kMsgNodeNotFound, node);
}

Outcome Processor::ConnectUser(const Args& a) {
    return Connect(a[0], a[1], a[2]);
}
Outcome Processor::ConnectPlain(const Args& a) {
    return Connect(a[0], "", "");
}

Outcome Processor::Connect(const std::string& aliasText, const std::string& user,
                           const std::string& password) {
    std::string alias = Upper(aliasText);
    const DatabaseEntry* entry = catalog_.FindAlias(alias);
    if (!entry)
        return Say(kMsgDatabaseNotFound, aliasText);
    bool remote = !entry->node.empty();
    if (remote && !catalog_.FindNode(entry->node))
        return Say(kMsgNodeNotFound, entry->node);
    std::string authid;
    if (!user.empty()) {
        standin::Account account;
        if (!standin::FindAccount(user, account) || !standin::CheckPassword(account, password))
            return Say(kMsgSecurity);
        authid = Upper(user);
    } else {
        authid = Upper(CallerName());
        if (authid.empty())
            return Say(kMsgNoUser);
    }
    // The server a remote entry points at keeps its databases here too; it makes the
    // database on first use.
    std::string file = catalog_.DataFile(entry->name);
    int flags = SQLITE_OPEN_READWRITE | (remote ? SQLITE_OPEN_CREATE : 0);
    if (remote && !MakeDir(instance_.File("databases")))
        return Say(kMsgSystemError, "cannot create " + instance_.File("databases"));
    CloseDb();
    if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        CloseDb();
        return Say(kMsgDatabaseNotFound, aliasText);
    }
    connection_ = {alias, entry->name, authid};
    connected_ = true;
    if (!SaveConnection(instance_, connection_))
        return Say(kMsgSystemError, "cannot keep the connection");
    return ShowConnection(Args());
}

Outcome Processor::ConnectReset(const Args&) {
    DropConnection(instance_);
    connected_ = false;
    CloseDb();
    return Say(kMsgSqlCompleted);
}

Outcome Processor::ShowConnection(const Args&) {
    if (!connected_)
        return Say(kMsgNoConnection);
    printf("\n   Database Connection Information\n\n");
    printf(" Database server        = RELDA/LINUX 6.1.0\n");
    printf(" SQL authorization ID   = %s\n", connection_.authid.c_str());
    printf(" Local database alias   = %s\n\n", connection_.alias.c_str());
    return kOutcomeOk;
}

Outcome Processor::Disconnect(const Args& a) {
    std::string which = Upper(a[0]);
    if (!connected_ || (which != "ALL" && which != "CURRENT" && which != connection_.alias))
        return Say(kMsgNoConnection);
    return ConnectReset(a);
}

Outcome Processor::Terminate(const Args&) {
    DropConnection(instance_);
    connected_ = false;
    CloseDb();
    return Say(kMsgCompleted, "TERMINATE");
}

Outcome Processor::ListDatabases(const Args&) {
    printf("\n System Database Directory\n\n");
    if (catalog_.databases.empty())
        return Say(kMsgDirectoryEmpty);
    printf(" Number of entries in the directory = %zu\n\n", catalog_.databases.size());
    int n = 0;
    for (const DatabaseEntry& d : catalog_.databases) {
        printf("Database %d entry:\n\n", ++n);
        printf(" Database alias                       = %s\n", d.alias.c_str());
        printf(" Database name                        = %s\n", d.name.c_str());
        if (d.node.empty())
            printf(" Local database directory             = %s\n", instance_.home.c_str());
        else
            printf(" Node name                            = %s\n", d.node.c_str());
        printf(" Database release level               = a.00\n");
        printf(" Comment                              =\n");
        printf(" Directory entry type                 = %s\n",
               d.node.empty() ? "Indirect" : "Remote");
        printf(" Catalog database partition number    = 0\n\n");
    }
    return kOutcomeOk;
}

Outcome Processor::ListNodes(const Args&) {
    printf("\n Node Directory\n\n");
    if (catalog_.nodes.empty())
        return Say(kMsgNodeDirectoryEmpty);
    printf(" Number of entries in the directory = %zu\n\n", catalog_.nodes.size());
    int n = 0;
    for (const NodeEntry& e : catalog_.nodes) {
        printf("Node %d entry:\n\n", ++n);
        printf(" Node name                      = %s\n", e.node.c_str());
        printf(" Comment                        =\n");
        printf(" Directory entry type           = LOCAL\n");
        printf(" Protocol                       = TCPIP\n");
        printf(" Hostname                       = %s\n", e.host.c_str());
        printf(" Service name                   = %s\n\n", e.service.c_str());
    }
    return kOutcomeOk;
}

Outcome Processor::GetManagerConfig(const Args&) {
    return ShowManagerConfig(instance_);
}

Outcome Processor::UpdateManagerConfig(const Args& a) {
    return relda::UpdateManagerConfig(instance_, a[0], a[1]);
}

Outcome Processor::CreateDatabase(const Args& a) {
    std::string name = Upper(a[0]);
    if (!IsValidName(name))
        return Say(kMsgInvalidName, a[0]);
    std::string file = catalog_.DataFile(name);
    if (catalog_.FindAlias(name) || access(file.c_str(), F_OK) == 0)
        return Say(kMsgAliasExists, name);
    if (!MakeDir(instance_.File("databases")))
        return Say(kMsgSystemError, "cannot create " + instance_.File("databases"));
    sqlite3* db = nullptr;
    bool made =
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
            SQLITE_OK &&
        sqlite3_exec(db, "PRAGMA user_version = 610", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!made) {
        unlink(file.c_str());
        return Say(kMsgSystemError, "cannot create " + file);
    }
    catalog_.databases.push_back({name, name, ""});
    if (!catalog_.Save())
        return Say(kMsgSystemError, "cannot write the database directory");
    return Say(kMsgCompleted, "CREATE DATABASE");
}

Outcome Processor::DropDatabase(const Args& a) {
    std::string alias = Upper(a[0]);
    const DatabaseEntry* entry = catalog_.FindAlias(alias);
    if (!entry || !entry->node.empty())
        return Say(kMsgNotLocal, alias);
    std::string name = entry->name;
    if (connected_ && connection_.name == name) {
        DropConnection(instance_);
        connected_ = false;
        CloseDb();
    }
    unlink(catalog_.DataFile(name).c_str());
    std::vector<DatabaseEntry> kept;
    for (const DatabaseEntry& d : catalog_.databases)
        if (!(d.name == name && d.node.empty()))
            kept.push_back(d);
    catalog_.databases = kept;
    if (!catalog_.Save())
        return Say(kMsgSystemError, "cannot write the database directory");
    return Say(kMsgCompleted, "DROP DATABASE");
}

// The engine knows these only without WORK.
Outcome Processor::Commit(const Args&) {
    return Sql("COMMIT");
}
Outcome Processor::Rollback(const Args&) {
    return Sql("ROLLBACK");
}

Outcome Processor::Sql(const std::string& text) {
    if (!connected_)
        return Say(kMsgNoConnection);
    if (!db_ && sqlite3_open_v2(catalog_.DataFile(connection_.name).c_str(), &db_,
                                SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        CloseDb();
        return Say(kMsgDatabaseNotFound, connection_.alias);
    }
    return RunSql(db_, text);
}

} // namespace relda
