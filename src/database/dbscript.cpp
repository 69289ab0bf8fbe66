// The runner under every database step: a generated script run in a login shell of the
// database owner, and the private command files of the queries.
#include <unistd.h>
#include <vector>

#include "database/dbfiles.h"
#include "platform/passwd.h"
#include "vxconfig/changes.h"
#include "vxconfig/database.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/sysutil.h"

namespace database {

const char kDefaultAdministrator[] = "vxadmin";

DBFiles::DBFiles(const MSInfo& info)
    : logDir(info.VXLogPath), command(logDir ^ (info.DBName + ".cmd")),
      connect(logDir ^ (info.DBName + ".connect")), listing(logDir ^ (info.DBName + ".tmp")),
      query(logDir ^ (info.DBName + "QBX.tmp")), marker(logDir ^ ("~" + info.DBName + ".tmp")) {}

int WritePrivateScript(const char* path, const std::string& text, const char* owner) {
    SysWriteOptions options;
    options.mode = 0700;
    options.owner = owner && *owner ? owner : nullptr;
    return SysWriteFile(path, text.data(), text.size(), options);
}

int RunCommandFile(MSInfo& info, const DBFiles& files, const std::string& text) {
    if (!WritePrivateScript(files.command, text, info.DBOwner))
        return kNotWritten;
    int result = SysExecDBScript(files.command, info, files.logDir, 0);
    SysRemove(files.command);
    return result;
}

std::string ShellQuote(const std::string& value) {
    std::string quoted = "'";
    for (char c : value) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string SourcedCall(const std::string& script, const std::vector<std::string>& args) {
    std::string line = "( set --";
    for (const std::string& arg : args)
        line += " " + ShellQuote(arg);
    return line + "; . " + ShellQuote(script) + " )";
}

} // namespace database

int CreateDBScript(const char* path, const char* script, const char* marker, const char* owner) {
    std::string text = std::string(script ? script : "") + "\n";
    text += std::string("mkdir ") + (marker ? marker : "") + "\n";
    return database::WritePrivateScript(path, text, owner);
}

int SysExecDBScript(const char* script, MSInfo& info, const char* dir, int) {
    SysPasswdEntry user;
    if (!SysLookupUser(info.DBUser, user)) {
        SysSetLastReason("the database instance user %s is not a user of this system",
                         static_cast<const char*>(info.DBUser));
        ICShowError(IC_MSG_BAD_DATABASE_USER, info.DBUser);
        return 0;
    }
    // The database functions and the client library in the instance user's sqllib.
    ICString product, relda;
    struct Copy {
        ICString from, to;
    };
    std::vector<Copy> copies;
    if (SysGetInstPath(product, 3))
        copies.push_back({product ^ "bin" ^ "vndxpswd", user.home ^ "sqllib/function/vndxpswd"});
    if (SysGetDBOrvellPath(relda))
        copies.push_back({relda ^ "lib" ^ "relda.o", user.home ^ "sqllib/lib/relda.o"});
    {
        // The copies stay: a query asked in a check run does not make them.
        SysProbePause lasting;
        for (const Copy& copy : copies) {
            if (SysCopyFile(copy.from, copy.to))
                SysChown(copy.to, info.DBUser, 0);
        }
    }

    database::DBFiles files(info);
    ICString wrapper = ICString(dir ? dir : "") ^ "dbmaster.sh";
    if (!CreateDBScript(wrapper, script, files.marker, info.DBOwner)) {
        ICShowError(IC_MSG_CANNOT_CREATE_DB_SCRIPT);
        return 0;
    }
    // A marker a killed earlier run left would pass for this run's.
    SysRemove(files.marker);
    int result = SysExecCmd(wrapper, dir, info.DBOwner);
    SysRemove(files.marker);
    SysRemove(wrapper);
    return result;
}
