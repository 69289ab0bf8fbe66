// The server controller of an instance: started in a login shell of the database user,
// probed and stopped through its administrative port, and finally stopped for good by
// killing every process its pid files name. Pid files are read as untrusted numbers.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/adminhttp.h"
#include "platform/overlay.h"
#include "platform/svcproc.h"
#include "vxconfig/bootreg.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/msinfo.h"
#include "vxconfig/mslist.h"
#include "vxconfig/svcctl.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/sysutil.h"

using platform::SvcCheckName;
using platform::SvcCheckPath;
using platform::SvcDirFile;
using platform::SvcParsePid;

namespace {

const char kPidFileName[] = "srvrctrl.pid";
const char kConfName[] = "srvrctrl";
const char kConfExtension[] = ".conf";
const char kMarkerSuffix[] = ".vxpid";
constexpr size_t kMarkerSuffixLength = sizeof kMarkerSuffix - 1;
const char kMarkerFormat[] = "%s/%d.vxpid";
const char kManagerStartFormat[] = "su - %s -c \"reldastart\"";
const char kStartOutput[] = "/tmp/test.txt";
const char kDiscard[] = "/dev/null";
constexpr size_t kCommandSize = 4096;

// The directory the controller files of the instance are read from: the one registered for
// it when that differs from the record's (with no registry entry: the empty directory).
ICString RegisteredDir(MSInfo& instance) {
    ICString registered;
    SysGetIniPath(instance, registered);
    if (strcmp(registered, instance.HtmlPath) != 0)
        return registered;
    return instance.HtmlPath;
}

// Where the start command's output goes: "/tmp/test.txt", unless a symbolic link, another
// user's file or something other than a plain file stands there, which the redirection must
// not write through.
ICString StartOutput() {
    ICString path = SysRootPath(kStartOutput);
    struct stat st;
    if (SysLstat(path, &st) == 0 && (!S_ISREG(st.st_mode) || st.st_uid != geteuid()))
        return kDiscard;
    return path;
}

void RemoveIfPresent(const ICString& path) {
    struct stat st;
    if (SysLstat(path, &st) == 0)
        SysRemove(path);
}

// The exchange with the controller: 1 when nothing failed and the reply had a body.
int ControllerAnswers(MSInfo& instance, const char* command) {
    platform::AdminReply reply;
    return platform::AdminExchange(instance.MSPort, command, reply) && !reply.body.empty();
}

} // namespace

int SysAutoVXSvc(MSInfo&) {
    return 1;
}

int SysIsVXSvcActive(MSInfo& instance) {
    return ControllerAnswers(instance, platform::ADMIN_LIST_SERVERS);
}

int SysStartVXSvc(MSInfo& instance) {
    if (instance.DBUser.IsEmpty()) {
        ICUpdateStatus(IC_MSG_DB_OWNER_NOT_USER);
        return 0;
    }
    const char* user = instance.DBType == DB_ORACLE ? instance.DBOwner : instance.DBUser;
    ICString inst;
    ICGetInstPath(inst);
    ICString dir = RegisteredDir(instance);
    ICString conf = SvcDirFile(dir, ICString(kConfName) + kConfExtension);
    // Every value of the two command lines, checked before anything runs.
    if (!SvcCheckName(user, "database user") || !SvcCheckPath(inst, "installation directory") ||
        !SvcCheckPath(conf, "controller configuration"))
        return 0;

    char manager[kCommandSize];
    snprintf(manager, sizeof manager, kManagerStartFormat, user);
    platform::SvcRunShell(ICString(manager) + " > /dev/null " + " &");
    SysSleep(platform::SVC_MANAGER_START_SECONDS);

    ICString start = SysGetStartCommand(instance, conf);
    if (start.IsEmpty())
        return 0;
    platform::SvcRunShell(start + " > " + StartOutput() + " " + " &");

    for (int check = 0; check < platform::SVC_POLL_COUNT; ++check) {
        if (SysIsVXSvcActive(instance))
            return 1;
        SysSleep(platform::SVC_CONTROLLER_POLL_SECONDS);
    }
    return 0;
}

int GetVXSvcPid(MSInfo& instance, int& pid) {
    pid = 0;
    ICString path = SvcDirFile(RegisteredDir(instance), kPidFileName);
    SysLineReader in(path);
    if (!in.IsOpen())
        return 0;
    char* line = in.Next();
    if (!line)
        return 0;
    size_t at = strspn(line, SYS_SEPARATORS);
    size_t length = strcspn(line + at, SYS_SEPARATORS);
    pid_t value = 0;
    if (!SvcParsePid(line + at, length, value)) {
        SysSetLastReason("%s: no process id in its first line", static_cast<const char*>(path));
        return 0;
    }
    pid = static_cast<int>(value);
    return 1;
}

int ForceStopVXSvc(MSInfo& instance) {
    int pid = 0;
    if (GetVXSvcPid(instance, pid)) {
        platform::SvcSignal(static_cast<pid_t>(pid), SIGKILL);
        RemoveIfPresent(SvcDirFile(instance.HtmlPath, kPidFileName));
    }
    // The markers are listed by the C library, without any pattern the directory's own name
    // could take part in; each name is taken only as a process id.
    ICString dir = instance.HtmlPath.IsEmpty() ? SysGetRoot() : instance.HtmlPath;
    std::vector<std::string> names;
    if (!platform::ListDirectory(dir.IsEmpty() ? "/" : static_cast<const char*>(dir), names)) {
        if (errno == ENOENT || errno == ENOTDIR)
            return 1;
        SysSetFileReason(dir, errno);
        return 0;
    }
    std::vector<pid_t> members;
    for (const std::string& entry : names) {
        const char* name = entry.c_str();
        size_t length = strlen(name);
        // "*.vxpid" as the shell expands it: not a hidden name.
        if (name[0] == '.' || length < kMarkerSuffixLength ||
            strcmp(name + length - kMarkerSuffixLength, kMarkerSuffix) != 0)
            continue;
        pid_t member = 0;
        if (SvcParsePid(name, strcspn(name, "."), member))
            members.push_back(member);
    }
    for (pid_t member : members) {
        platform::SvcSignal(member, SIGKILL);
        char marker[kCommandSize];
        if (snprintf(marker, sizeof marker, kMarkerFormat, static_cast<const char*>(dir),
                     static_cast<int>(member)) < static_cast<int>(sizeof marker))
            RemoveIfPresent(marker);
    }
    return 1;
}

int SysStopVXSvc(MSInfo& instance) {
    // What the controller answers does not matter: the kills below stop what is left.
    ControllerAnswers(instance, platform::ADMIN_CLOSE_ALL);
    ForceStopVXSvc(instance);
    if (SysIsPayvaneInstalled())
        SysStopPSSvc(instance);
    return 1;
}

int ICStartVXSvc(MSInfo& instance) {
    if (SysIsVXSvcActive(instance)) {
        ICUpdateStatus(IC_MSG_SERVERS_ACTIVE, instance.Name);
        return 1;
    }
    int started = SysStartVXSvc(instance);
    ICUpdateStatus(started ? IC_MSG_SERVERS_STARTED : IC_MSG_CANNOT_START_SERVERS, instance.Name);
    return started;
}

int ICStopVXSvc(MSInfo& instance) {
    int stopped = SysStopVXSvc(instance);
    ICUpdateStatus(stopped ? IC_MSG_SERVERS_STOPPED : IC_MSG_CANNOT_STOP_SERVERS, instance.Name);
    return stopped;
}

int ICIsVXSvcActive(MSInfo& instance) {
    return SysIsVXSvcActive(instance);
}

int ICStartVXServer(const char* path) {
    MSList list;
    if (!list.Load(path))
        return 0;
    ICUpdateStatus(IC_MSG_STARTING_SERVERS);
    for (int i = 0; i < list.GetCount(); ++i) {
        MSInfo instance;
        if (list.SetIndex(i) && list.GetCurrent(instance))
            SysStartVXSvc(instance);
    }
    return 1;
}
