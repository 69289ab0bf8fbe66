// The instance databases: created by the product's schema scripts run as the database owner,
// their existence asked of the database's command line processor, a database of another
// machine catalogued on this one, the hosting edition's additions. Outcomes are judged from
// the files and listings the commands leave, never from exit codes of commands run as another
// user. Generated scripts that hold a clear password are private to the database owner and
// removed after the run; no clear password stands on a command line.
#ifndef VXCONFIG_DATABASE_H
#define VXCONFIG_DATABASE_H

#include "vxconfig/msinfo.h"
#include "vxconfig/mslist.h"

// The database of every instance of the data file: 1 once every instance could be fetched
// (whatever the single outcomes, each reported), 0 after message 8, 9 or 10. failures, when
// given, counts the instances whose database does not exist at the end.
extern "C" VX_API int ICCreateDatabase(const char* dataFile);
VX_API int DBCreateDatabase(MSList& list, int* failures = nullptr);
// The database of one instance, created, found or catalogued, from a copy of the record
// merged with its global defaults. 1 when it exists at the end. Runs for instances whose
// logs share a directory take turns there (waiting an hour at most), and files a killed
// earlier run left are removed first. A database whose existence cannot be told is neither
// found nor created.
VX_API int DBCreateSingle(const MSInfo& info);
// Runs the schema script for the instance and judges its log. 1 when the database was made.
VX_API int CreateDB(MSInfo& info, const char* installDir);
// The hosting edition's additions to the instance database (the result of the run).
VX_API int ICCreateDB(MSInfo& info);
VX_API int SysCreateHWLDB(MSInfo& info);
// Runs a database command script for the instance (migration): see SysExecDBScript.
VX_API int ICMigrateDB(const char* script, MSInfo& info, const char* dir, int n);

// Writes script and a marker line into dir/dbmaster.sh, runs it as the database owner in dir
// and removes it; runs in the same dir take turns (an hour's wait at most, else message 24
// with the reason). The result of the run, or 0 after message 21 (no such database instance
// user), 24 or 13 (the script could not be written). The run is bounded like every command
// run as another user (VXCONFIG_COMMAND_SECONDS, else an hour).
VX_API int SysExecDBScript(const char* script, MSInfo& info, const char* dir, int n);
// Writes path through the write path: script, a newline and "mkdir MARKER"; mode 0700 and
// owner the given user from the first byte (generated scripts may hold a clear password).
// Whatever stood at path is removed first, and a link planted there is never followed.
VX_API int CreateDBScript(const char* path, const char* script, const char* marker,
                          const char* owner = nullptr);

// 1 when the query found the instance database catalogued, 0 when it ran and did not; 1 after
// message 32 when the query could not run or its answer could not be read (never create over
// what could not be seen).
VX_API int IsExistDBOrvell(MSInfo& info);
// 1 when the query found the hosting edition's additions, 0 when it ran and did not; 1 after
// message 32 when the query could not run or its answer could not be read.
VX_API int IsExistHWLDBOrvell(MSInfo& info);
// Catalogues the database of another machine on this client and registers its service.
// The result of the catalogue run; 0 when there is no service name or nothing could be set up.
VX_API int SetupDBOrvellClient(MSInfo& info);
// The eight lines of the catalogue script.
VX_API int CreateDBOrvellClientCmd(const char* path, MSInfo& info);

// The port of the remote database server.
#define DB_REMOTE_PORT 50000

#endif
