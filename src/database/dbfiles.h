// What the database steps share: the files of one database in the instance's log directory,
// the private command files run as the database owner, the turns runs take at a directory,
// the shell forms of values and calls, and the reading of the logs the schema scripts write.
#ifndef VX_DATABASE_DBFILES_H
#define VX_DATABASE_DBFILES_H

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

#include "vxconfig/fileio.h"
#include "vxconfig/msinfo.h"

namespace database {

// The site administrator's default logon name, which is also the initial password.
extern const char kDefaultAdministrator[];
// The runner script SysExecDBScript writes into its working directory.
extern const char kRunnerScript[];

// The files of the instance's database D. Root writes the command files into workDir; the
// commands run as the database owner write their answers and the marker into outDir. Both
// are the log directory L, except for a query asked in a check run (see QueryPlace).
struct DBFiles {
    ICString logDir;  // L
    ICString workDir; // where the command files are written and run
    ICString command; // workDir/D.cmd: one query's commands
    ICString connect; // workDir/D.connect: a connect command that names a password
    ICString listing; // outDir/D.tmp: the database directory listing
    ICString query;   // outDir/DQBX.tmp: the hosting edition's query output
    ICString marker;  // outDir/~D.tmp: made by the last line of every generated script
    explicit DBFiles(const MSInfo& info);
};

// While one lives in a check run, the queries' files are made in a private directory instead
// of the database owner's log directory, so that a check writes nothing there for real:
// root writes the command files into a directory only root can write (the owner may search
// it), and the owner's commands answer into a subdirectory of the owner's own. The tree is
// removed with the object, without following anything planted in it. Outside a check run it
// does nothing.
class QueryPlace {
public:
    explicit QueryPlace(const MSInfo& info);
    ~QueryPlace();
    QueryPlace(const QueryPlace&) = delete;
    QueryPlace& operator=(const QueryPlace&) = delete;
    // 0 when a check run's place could not be made (the reason is set).
    int Ready() const { return m_ready; }

private:
    std::string m_dir;
    int m_ready;
};

// How long a run waits for its turn at a directory where another run works: as long as
// that run's schema script may take.
constexpr int kTurnSeconds = 3600;
// The name that makes SysFileLock lock the directory dir itself.
ICString TurnLockName(const char* dir);

// A run's turn at a directory where runs write files of fixed names (a log directory, the
// schema directory): the directory's own advisory lock, held for the object's lifetime and
// waited for at most kTurnSeconds. A wait that fails reports message 24 with the directory
// and the reason. A directory that does not exist is shared by nobody: there is no turn to
// take, and what is to be written there fails on its own.
class DirectoryTurn {
public:
    explicit DirectoryTurn(const char* dir);
    int Held() const { return !m_lock || m_lock->Held(); }

private:
    std::unique_ptr<SysFileLock> m_lock;
};

// Writes a file of a database run where a user other than root may write (the log
// directory, the instance user's home): whatever stands at the name is removed first and
// the new file is created without following a link, so nothing planted there redirects the
// write (a link planted again in between makes it fail). Owner and mode from the first byte.
// 1 / 0 with the reason set.
int WriteRunFile(const char* path, const char* content, size_t length, mode_t mode,
                 const char* owner);
// A generated script: WriteRunFile with mode 0700 (it may hold a clear password).
int WritePrivateScript(const char* path, const std::string& text, const char* owner);

// Writes files.command with text, runs it as the database owner in files.workDir and
// removes it. The result of the run, or kNotWritten when the file could not be written.
constexpr int kNotWritten = -1;
int RunCommandFile(MSInfo& info, const DBFiles& files, const std::string& text);

// Removes what a killed earlier run may have left of the instance's generated files: the
// command files and answers in its log directory, the runner scripts there and in the schema
// directory, and the hosting edition's script; the scripts among them may hold the clear
// password. Each directory's files go while its turn is held.
void RemoveLeftovers(const MSInfo& info);

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
// too, after message 99 for database. A report still open at the end is not sent. The first
// error line (without its line end) goes to firstError, whatever the verdict; a log that cannot
// be read leaves its file and the system's message as the last reason.
LogVerdict ScanDatabaseLog(const char* path, const char* database, bool sqlRule,
                           std::string* firstError = nullptr);
// Whether line reports an error of the command line processor: its first token begins with
// "RELDA" and ends with "E", or begins with "SQL" and ends with "N".
bool IsErrorLine(const char* line);

// What an existence query found out.
enum Existence { kAbsent, kPresent, kUnknown };
// Whether the instance database is catalogued, and whether it holds the hosting edition's
// additions. kUnknown, after message 32, when the query could not run or its answer could not
// be read, and when the directory listing is an error of the processor; a select the
// processor refused (no such database or table) found no row.
Existence AskDatabase(MSInfo& info);
Existence AskHostingTables(MSInfo& info);

} // namespace database

#endif
