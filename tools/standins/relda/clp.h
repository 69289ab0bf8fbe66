// The command line processor: directory and connection commands, and SQL statements run on
// the connected database.
#ifndef RELDA_CLP_H
#define RELDA_CLP_H

#include <string>
#include <vector>

#include "catalog.h"
#include "connection.h"
#include "instance.h"
#include "messages.h"

struct sqlite3;

namespace relda {

class Processor {
public:
    explicit Processor(const Instance& instance);
    ~Processor();
    Processor(const Processor&) = delete;
    Processor& operator=(const Processor&) = delete;

    // One command or SQL statement.
    Outcome Execute(const std::string& text);
    // A file of commands and statements, ended by ";" (semicolon) or else by the end of the
    // line; lines starting with "--" are comments. echo prints each before its output.
    Outcome RunFile(const std::string& path, bool semicolon, bool echo);
    // The accepted commands, one a line.
    Outcome Help();

    typedef std::vector<std::string> Args;
    typedef Outcome (Processor::*Handler)(const Args& args);
    struct Command {
        const char* pattern; // keywords, and "%" for each argument
        Handler handler;
    };

private:
    // The command table; a member so that it may name the private handlers.
    static const Command* Commands(size_t& count);

    Outcome CatalogNode(const Args& a);
    Outcome CatalogRemote(const Args& a);
    Outcome CatalogRemoteSameName(const Args& a);
    Outcome CatalogLocalAs(const Args& a);
    Outcome CatalogLocal(const Args& a);
    Outcome UncatalogDatabase(const Args& a);
    Outcome UncatalogNode(const Args& a);
    Outcome ConnectUser(const Args& a);
    Outcome ConnectPlain(const Args& a);
    Outcome ConnectReset(const Args& a);
    Outcome ShowConnection(const Args& a);
    Outcome Disconnect(const Args& a);
    Outcome Terminate(const Args& a);
    Outcome ListDatabases(const Args& a);
    Outcome ListNodes(const Args& a);
    Outcome GetManagerConfig(const Args& a);
    Outcome UpdateManagerConfig(const Args& a);
    Outcome CreateDatabase(const Args& a);
    Outcome DropDatabase(const Args& a);
    Outcome Commit(const Args& a);
    Outcome Rollback(const Args& a);
    Outcome ShowHelp(const Args& a);

    Outcome AddDatabase(const std::string& name, const std::string& alias, const std::string& node);
    Outcome Connect(const std::string& alias, const std::string& user, const std::string& password);
    Outcome Sql(const std::string& text);
    void CloseDb();

    const Instance& instance_;
    Catalog catalog_;
    Connection connection_;
    bool connected_;
    sqlite3* db_;
};

} // namespace relda

#endif
