// What the database steps share: the files of one database in the instance's log directory,
// the private command files run as the database owner, the shell forms of values and calls,
// and the reading of the logs the schema scripts write.
#ifndef VX_DATABASE_DBFILES_H
#define VX_DATABASE_DBFILES_H

#include <string>
#include <vector>

#include "vxconfig/msinfo.h"

namespace database {

// The site administrator's default logon name, which is also the initial password.
extern const char kDefaultAdministrator[];

// The files of the instance's database D in its log directory L.
struct DBFiles {
    ICString logDir;  // L
    ICString command; // L/D.cmd: one query's commands
    ICString connect; // L/D.connect: a connect command that names a password
    ICString listing; // L/D.tmp: the database directory listing
    ICString query;   // L/DQBX.tmp: the hosting edition's query output
    ICString marker;  // L/~D.tmp: made by the last line of every generated script
    explicit DBFiles(const MSInfo& info);
};

// Writes a generated script through the write path: owner the database owner, mode 0700
// from the first byte (it may hold a clear password). 1 / 0 with the reason set.
int WritePrivateScript(const char* path, const std::string& text, const char* owner);

// Writes files.command with text, runs it as the database owner in the log directory and
// removes it. The result of the run, or kNotWritten when the file could not be written.
constexpr int kNotWritten = -1;
int RunCommandFile(MSInfo& info, const DBFiles& files, const std::string& text);

// value in single quotes, as one word of a shell line whatever it holds.
std::string ShellQuote(const std::string& value);
// A line that runs script with args in a subshell of the generated script's own shell
// ("( set -- ARGS; . SCRIPT )"): the arguments never stand on a command line that a
// process listing shows.
std::string SourcedCall(const std::string& script, const std::vector<std::string>& args);

// What a database log says.
enum LogVerdict { kLogClean, kLogFailed, kLogUnreadable };
// Reads a log of the schema scripts: a line whose first token begins with "RELDA" and ends
// with "E" starts an error report, which an empty line ends; the report (its lines joined,
// each line end a blank) goes to the status callback and the log counts as failed. With
// sqlRule, a token beginning with "SQL" and ending with "N" outside a report fails the log
// too, after message 99 for database. A report still open at the end is not sent.
LogVerdict ScanDatabaseLog(const char* path, const char* database, bool sqlRule);

} // namespace database

#endif
