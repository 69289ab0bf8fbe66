// The instance databases of the data file: each created by the product's schema script run as
// the database owner and judged by its log and the database directory, found existing, or
// catalogued from another machine; then the hosting edition's additions.
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "database/dbfiles.h"
#include "vxconfig/cipher.h"
#include "vxconfig/database.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/outcome.h"
#include "vxconfig/svcctl.h"
#include "vxconfig/sysutil.h"
#include "writers/writerframe.h"

namespace {

// The size of the encrypted administrator password the schema scripts take.
constexpr int kEncryptedAdminSize = 33;
const char kQbxLog[] = "qbxdata.log";
// The number the schema run has always been given; the runner does not use it.
constexpr int kSchemaRunNumber = 400;

std::string Text(const ICString& value) {
    return static_cast<const char*>(value);
}

// Why a schema script's run failed, judged from its log: the log and the first error line it
// holds, or why it could not be read.
std::string LogReason(const ICString& log, database::LogVerdict verdict, const std::string& line) {
    if (verdict == database::kLogUnreadable)
        return SysGetLastReason();
    if (!line.empty())
        return Text(log) + ": " + line;
    return Text(log) + ": the script reported no error, yet the database is not there";
}

bool IsDirectory(const char* path) {
    struct stat st;
    return path && *path && SysStat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// The schema script's command for the instance: the local schema script, or for a remote
// database of the hosting edition the catalogue line and the remote schema script.
std::string SchemaScript(MSInfo& info, const ICString& schemaDir, const char* encrypted) {
    const std::string name = Text(info.DBName);
    const char* staging = (info.MSOption & MS_OPT_STAGING) ? "S" : "N";
    const std::string log = Text(info.VXLogPath ^ (info.DBName + ".log"));
    const int remote = MS_OPT_DB_REMOTE | MS_OPT_HOSTING;
    if ((info.MSOption & remote) != remote) {
        return Text(schemaDir) + "/schema.sh " + name + " " + staging + " \"" + encrypted + "\" " +
               log;
    }
    ICString password;
    info.GetDBPswd(password);
    std::string text = "relda catalog tcpip node " + Text(info.DBNode) + " remote " +
                       Text(info.DBHost) + " server " + std::to_string(DB_REMOTE_PORT) + "\n";
    // The clear password reaches the script as an argument of a sourced call.
    return text + database::SourcedCall(Text(schemaDir ^ "remote_schema.sh"),
                                        {name, Text(info.DBNode), Text(info.DBOwner),
                                         Text(password), staging, encrypted, log});
}

// Registers an existing database as a data source; false after message 31.
bool RegisterDataSource(MSInfo& info) {
    if (SysRegDataSource(info.DBName, info.DBTypeName)) {
        VXStepDone("register data source", info.DBName);
        return true;
    }
    ICShowError(IC_MSG_ODBC_FAILED, info.DBName);
    VXStepFailed("register data source", info.DBName);
    return false;
}

// The hosting edition's additions, when missing: made, and judged by their log. false when
// they failed (reported).
bool AddHostingTables(MSInfo& info) {
    database::Existence existence = database::AskHostingTables(info);
    if (existence != database::kAbsent)
        return existence == database::kPresent;
    ICString log = info.VXLogPath ^ kQbxLog;
    ICCreateBackup(log);
    SysRemove(log);
    SysSetLastReason("%s", "");
    int ran = ICCreateDB(info);
    // A run that never started leaves its own reason; the log it did not write is no news.
    std::string setupReason = ran ? "" : SysGetLastReason();
    std::string firstError;
    database::LogVerdict verdict = database::ScanDatabaseLog(log, info.DBName, true, &firstError);
    if (verdict != database::kLogClean) {
        std::string reason = !setupReason.empty() && verdict == database::kLogUnreadable
                                 ? setupReason
                                 : LogReason(log, verdict, firstError);
        if (verdict == database::kLogUnreadable) {
            ICUpdateStatus(IC_MSG_HOSTING_DB_FAILED, info.DBName);
            if (pfnUpdate)
                pfnUpdate(reason.c_str());
        }
        VXStepFailed("add hosting tables", info.DBName, reason.c_str());
        return false;
    }
    VXStepDone("add hosting tables", info.DBName);
    ICRestartHWLWebServer();
    return true;
}

} // namespace

int CreateDB(MSInfo& info, const char* installDir) {
    if (!IsDirectory(info.VXLogPath)) {
        ICShowError(IC_MSG_CANNOT_ACCESS_DIRECTORY, info.VXLogPath);
        SysSetLastReason("%s: the log directory does not exist",
                         static_cast<const char*>(info.VXLogPath));
        VXStepFailed("create database", info.DBName);
        return 0;
    }
    char encrypted[kEncryptedAdminSize] = "";
    ICEncryptWithMerKey(database::kDefaultAdministrator, encrypted, sizeof encrypted, info.MerKey);
    ICString schemaDir = ICString(installDir ? installDir : "") ^ "vx_schema" ^ "relda";
    // The run is judged by its log: one an earlier run left must not pass for it.
    ICString log = info.VXLogPath ^ (info.DBName + ".log");
    ICCreateBackup(log);
    SysRemove(log);
    SysSetLastReason("%s", "");
    int ran = SysExecDBScript(SchemaScript(info, schemaDir, encrypted).c_str(), info, schemaDir,
                              kSchemaRunNumber);
    std::string setupReason = ran ? "" : SysGetLastReason();
    std::string firstError;
    database::LogVerdict verdict = database::ScanDatabaseLog(log, info.DBName, false, &firstError);
    if (verdict == database::kLogClean && database::AskDatabase(info) == database::kPresent) {
        VXStepDone("create database", info.DBName);
        RegisterDataSource(info);
        return 1;
    }
    std::string reason = !setupReason.empty() && verdict == database::kLogUnreadable
                             ? setupReason
                             : LogReason(log, verdict, firstError);
    VXStepFailed("create database", info.DBName, reason.c_str());
    return 0;
}

int DBCreateSingle(const MSInfo& instance) {
    MSInfo info = instance;
    VXInstanceScope scope(info.Name);
    writers::MergeGlobalDefaults(info);
    ICUpdateStatus(IC_MSG_PREPARING_DATABASE, info.Name);
    ICString product;
    if (!SysGetInstPath(product, 3)) {
        ICShowError(IC_MSG_NO_INSTALL_PARAMETERS);
        VXStepFailed("find installation", "vx_schema", "the product installation was not found");
        return 0;
    }
    // Runs for instances whose logs share a directory take turns: the files there have
    // fixed names. What a killed earlier run left goes first.
    database::DirectoryTurn turn(info.VXLogPath);
    if (!turn.Held()) {
        VXStepFailed("lock log directory", info.VXLogPath);
        return 0;
    }
    database::RemoveLeftovers(info);
    bool exists = false;
    bool created = false;
    bool checkHosting = true;
    database::Existence existence = database::kAbsent;
    if (info.DBType == DB_ORACLE) {
        exists = true;
        checkHosting = false;
        ICUpdateStatus(IC_MSG_DATABASE_MANUAL, info.DBName);
    } else if ((existence = database::AskDatabase(info)) == database::kPresent) {
        exists = true;
        ICUpdateStatus(IC_MSG_DATABASE_EXISTS, info.DBName);
        VXStepDone("find database", info.DBName);
    } else if (existence == database::kUnknown) {
        // Reported: neither found nor to be created over what may be there.
        checkHosting = false;
        VXStepFailed("find database", info.DBName);
    } else if (info.MSOption & MS_OPT_DB_CLIENT) {
        if (SetupDBOrvellClient(info)) {
            exists = true;
            ICUpdateStatus(IC_MSG_DATABASE_REMOTE, info.DBName, info.DBHost);
            VXStepDone("catalogue remote database", info.DBName);
        } else {
            ICShowError(IC_MSG_CLIENT_SETUP_FAILED);
            VXStepFailed("catalogue remote database", info.DBName,
                         info.DBService.IsEmpty() ? "the instance names no database service"
                                                  : nullptr);
        }
    } else {
        ICUpdateStatus(IC_MSG_CREATING_DATABASE, info.DBName);
        if (CreateDB(info, product)) {
            exists = created = true;
            ICUpdateStatus(IC_MSG_DATABASE_CREATED, info.VXLogPath);
        } else {
            ICShowError(IC_MSG_CANNOT_CREATE_DATABASE, info.DBName);
        }
    }
    // Creation registered the data source itself.
    if (checkHosting && exists && !created && !RegisterDataSource(info))
        exists = false;
    if (checkHosting && (info.MSOption & MS_OPT_HOSTING) && !(info.MSOption & MS_OPT_DB_CLIENT) &&
        !AddHostingTables(info))
        return 0;
    if (exists)
        SysAutoVXSvc(info);
    return exists ? 1 : 0;
}

int DBCreateDatabase(MSList& list, int* failures) {
    if (failures)
        *failures = 0;
    if (list.GetCount() == 0) {
        ICShowError(IC_MSG_NO_INSTANCE_FOUND);
        VXStepFailed("read instances", "", "the instance list is empty");
        return 0;
    }
    ICAddStage(list.GetCount());
    for (int i = 0; i < list.GetCount(); ++i) {
        MSInfo info;
        if (!list.SetIndex(i) || !list.GetCurrent(info)) {
            ICShowError(IC_MSG_INSTANCE_DEFINITION);
            VXStepFailed("read instances", "", "an instance of the list could not be read");
            return 0;
        }
        if (!DBCreateSingle(info) && failures)
            ++*failures;
        ICShowProgress(100);
        ICIncCurStage();
        ICUpdateStatus(IC_MSG_INSTANCE_SEPARATOR);
    }
    return 1;
}

int ICCreateDatabase(const char* dataFile) {
    MSList list;
    if (!list.Load(dataFile)) {
        // The loader is silent; the reason it left names the file and why.
        ICShowError(IC_MSG_DATA_LOADING_ERROR);
        VXStepFailed("load", dataFile);
        return 0;
    }
    return DBCreateDatabase(list);
}

int ICCreateDB(MSInfo& info) {
    return SysCreateHWLDB(info);
}

int ICMigrateDB(const char* script, MSInfo& info, const char* dir, int n) {
    return SysExecDBScript(script, info, dir, n);
}
