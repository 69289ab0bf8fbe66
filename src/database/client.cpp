// A database of another machine catalogued on this client, and the hosting edition's
// additions to the instance database.
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "database/dbfiles.h"
#include "sys/process/runprogram.h"
#include "vxconfig/database.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/services.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/sysutil.h"

namespace {

std::string Text(const ICString& value) {
    return static_cast<const char*>(value);
}

// The database manager's service name: the token after "=" on its SVCENAME line, asked in a
// login shell of the database owner. Empty, with the reason, when there is none.
std::string ManagerServiceName(const MSInfo& info) {
    ICString su = SysRootPath("/bin/su");
    const char* argv[] = {
        su,     "-", info.DBOwner, "-c", "relda get database manager configuration | grep SVCENAME",
        nullptr};
    std::string out;
    if (!platform::ReadProgramOutput(argv, out)) {
        SysSetLastReason("the database manager's configuration could not be asked as %s",
                         static_cast<const char*>(info.DBOwner));
        return std::string();
    }
    auto none = [&info]() {
        SysSetLastReason("the database manager of %s names no service (SVCENAME)",
                         static_cast<const char*>(info.DBOwner));
        return std::string();
    };
    size_t line = out.find("SVCENAME");
    size_t equals = line == std::string::npos ? line : out.find('=', line);
    if (equals == std::string::npos)
        return none();
    size_t start = out.find_first_not_of(SYS_SEPARATORS, equals + 1);
    if (start == std::string::npos || out[start] == '\n')
        return none();
    size_t end = out.find_first_of(SYS_SEPARATORS, start);
    return out.substr(start, end == std::string::npos ? end : end - start);
}

} // namespace

int CreateDBOrvellClientCmd(const char* path, MSInfo& info) {
    const std::string name = Text(info.DBName);
    std::string text = "relda catalog tcpip node " + name + " remote " + Text(info.DBHost) +
                       " server " + Text(info.DBService) + "\n";
    text += "reldastop\nreldastart\nrelda list node directory\n";
    text += "relda catalog database " + name + " as " + name + " at node " + name + "\n";
    text += "reldastop\nreldastart\nrelda list database directory\n";
    return database::WritePrivateScript(path, text, info.DBOwner);
}

int SetupDBOrvellClient(MSInfo& info) {
    if (info.DBService.IsEmpty())
        return 0;
    if (!ICRegRemoteDBService(info.DBService, DB_REMOTE_PORT))
        return 0;
    database::DBFiles files(info);
    database::DirectoryTurn turn(files.workDir);
    if (!turn.Held() || !CreateDBOrvellClientCmd(files.command, info))
        return 0;
    int result = SysExecDBScript(files.command, info, files.logDir, 0);
    SysRemove(files.command);
    return result;
}

int SysCreateHWLDB(MSInfo& info) {
    ICString product;
    if (!SysGetInstPath(product, 3))
        return 0;
    ICString admin = product ^ "server" ^ "admin";
    ICString script = admin ^ "reldaconfig";
    database::DBFiles files(info);
    const std::string name = Text(info.DBName);
    ICString password;
    info.GetDBPswd(password);
    // The password reaches the hosting edition's script as an argument of a sourced call,
    // never on a command line.
    std::string text = "cd " + Text(product ^ "vx_schema" ^ "relda" ^ "migrate") + "\n";
    text += database::SourcedCall("./qbxdata.sh", {name, Text(files.logDir ^ "qbxdata.log"),
                                                   Text(info.DBOwner), Text(password)}) +
            "\n";
    if (info.MSOption & MS_OPT_DB_REMOTE) {
        // The remote database's node is catalogued already: no service of this manager is used.
        text += "relda catalog database " + name + " as r" + name + " at node " +
                Text(info.DBNode) + "\n\n";
    } else {
        std::string service = ManagerServiceName(info);
        if (service.empty())
            return 0;
        text += "relda catalog tcpip node n" + name + " remote " + Text(info.ISHost) + " server " +
                service + "\n";
        text += "relda catalog database " + name + " as r" + name + " at node n" + name + "\n\n";
    }
    text += "mkdir " + Text(files.marker) + "\n";
    // The script's name is fixed: one run at a time writes it.
    database::DirectoryTurn turn(admin);
    if (!turn.Held() || !database::WritePrivateScript(script, text, info.DBOwner))
        return 0;
    SysRemove(files.marker); // one a killed earlier run left
    int result = SysExecCmd(script, admin, info.DBOwner);
    SysRemove(files.marker);
    SysRemove(script);
    return result;
}
