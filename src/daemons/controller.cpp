// The server controller of an instance: started in a login shell of the database user,
// probed and stopped through its administrative port, and finally stopped for good by
// killing every process its pid files name. Pid files are read as untrusted numbers, and a
// process they name is killed only when it proves to be the instance's own; an answer on the
// port counts only when it is the instance's own controller that gives it.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

#include "daemons/adminhttp.h"
#include "sys/check/overlay.h"
#include "sys/process/svcproc.h"
#include "vxconfig/capture.h"
#include "vxconfig/changes.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/msinfo.h"
#include "vxconfig/mslist.h"
#include "vxconfig/outcome.h"
#include "vxconfig/portplan.h"
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
// The first word of the controller's "/ListServers/" answer.
const char kControllerWord[] = "srvrctrl";
constexpr int kMaxPort = 65535;
// How long a start waits for the controller to answer.
constexpr int kStartWaitSeconds = platform::SVC_POLL_COUNT * platform::SVC_CONTROLLER_POLL_SECONDS;
// How much of the controller's last line a reason carries.
constexpr size_t kShownOutput = 400;

// The directory the controller files of the instance are read from: the one registered for
// it when that differs from the record's (with no registry entry: the empty directory).
ICString RegisteredDir(MSInfo& instance) {
    ICString registered;
    SysGetIniPath(instance, registered);
    if (strcmp(registered, instance.HtmlPath) != 0)
        return registered;
    return instance.HtmlPath;
}

// The ids by which the instance's daemons are known: its configuration directory and the one
// registered for boot, and its database owner and user.
platform::SvcInstanceIds IdsOf(const MSInfo& instance, const char* registeredDir) {
    return platform::SvcMakeIds(instance.Name, {instance.HtmlPath, registeredDir},
                                {instance.DBOwner, instance.DBUser});
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

// The last line the controller's start wrote to output, without blanks around it.
std::string LastOutputLine(const char* output) {
    std::string last;
    SysLineReader in(output);
    while (in.IsOpen()) {
        char* line = in.Next();
        if (!line)
            break;
        std::string text = line;
        size_t begin = text.find_first_not_of(SYS_SEPARATORS);
        if (begin == std::string::npos)
            continue;
        size_t end = text.find_last_not_of(SYS_SEPARATORS);
        last = text.substr(begin, end - begin + 1);
    }
    return last.size() > kShownOutput ? last.substr(0, kShownOutput) + "..." : last;
}

// Why the controller launched at launched gave up, or empty while it may still come up: its
// pid file, written since, names a process that has ended; or every process of the start has
// let go of its output file and left words there.
std::string StartFailure(MSInfo& instance, const char* output, time_t launched) {
    ICString pidFile = SvcDirFile(RegisteredDir(instance), kPidFileName);
    struct stat st;
    int pid = 0;
    if (SysStat(pidFile, &st) == 0 && st.st_mtime >= launched && GetVXSvcPid(instance, pid) &&
        kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
        return "the controller (process " + std::to_string(pid) +
               ") ended without answering on port " + std::to_string(instance.MSPort);
    if (strcmp(output, kDiscard) == 0 || platform::SvcFileHeldOpen(output))
        return std::string();
    std::string said = LastOutputLine(output);
    if (said.empty())
        return std::string();
    return "the controller gave up: " + said + " (its output is in " + output + ")";
}

// Whether body is the "/ListServers/" answer of the instance's own controller: its first line
// "srvrctrl PID SERVICE PORT" names the instance's service and port, and PID is the
// instance's controller. Anything else listening on the port could answer some body.
bool IsOwnControllerAnswer(MSInfo& instance, const std::string& body) {
    std::string first = body.substr(0, body.find('\n'));
    std::vector<std::string> words;
    for (size_t at = first.find_first_not_of(SYS_SEPARATORS); at != std::string::npos;) {
        size_t end = first.find_first_of(SYS_SEPARATORS, at);
        words.push_back(first.substr(at, end == std::string::npos ? end : end - at));
        at = end == std::string::npos ? end : first.find_first_not_of(SYS_SEPARATORS, end);
    }
    ICString service;
    GetVXServicePfx(instance.Name, service);
    pid_t pid = 0;
    if (words.size() < 4 || words[0] != kControllerWord ||
        words[2] != static_cast<const char*>(service) ||
        words[3] != std::to_string(instance.MSPort) ||
        !SvcParsePid(words[1].data(), words[1].size(), pid))
        return false;
    std::string why;
    platform::SvcInstanceIds ids = IdsOf(instance, RegisteredDir(instance));
    return platform::SvcIsInstanceProcess(pid, ids, why, kControllerWord) == 1;
}

// What listens on the instance's port (VXSvcState), asked with "/ListServers/" within
// boundMs (0: the request's own time-outs).
int ProbeController(MSInfo& instance, int boundMs) {
    if (instance.MSPort <= 0 || instance.MSPort > kMaxPort)
        return VX_SVC_STOPPED;
    platform::AdminReply reply;
    if (platform::AdminExchange(instance.MSPort, platform::ADMIN_LIST_SERVERS, reply, boundMs))
        return IsOwnControllerAnswer(instance, reply.body) ? VX_SVC_RUNNING : VX_SVC_FOREIGN;
    if (reply.refused)
        return VX_SVC_STOPPED;
    return reply.received ? VX_SVC_FOREIGN : VX_SVC_SILENT;
}

} // namespace

int SysAutoVXSvc(MSInfo&) {
    return 1;
}

int SysIsVXSvcActive(MSInfo& instance) {
    return ProbeController(instance, 0) == VX_SVC_RUNNING ? 1 : 0;
}

int SysProbeVXSvc(MSInfo& instance, int timeoutMs) {
    return ProbeController(instance, timeoutMs > 0 ? timeoutMs : 0);
}

int SysStartVXSvc(MSInfo& instance) {
    ICString what = ICString("controller of instance ") + instance.Name;
    if (instance.DBUser.IsEmpty()) {
        ICUpdateStatus(IC_MSG_DB_OWNER_NOT_USER);
        SysSetLastReason("instance %s has no database user (DBINST) to start its controller as",
                         static_cast<const char*>(instance.Name));
        VXStepFailed("start", what);
        return 0;
    }
    const char* user = instance.DBType == DB_ORACLE ? instance.DBOwner : instance.DBUser;
    ICString inst;
    ICGetInstPath(inst);
    ICString dir = RegisteredDir(instance);
    ICString conf = SvcDirFile(dir, ICString(kConfName) + kConfExtension);
    // Every value of the two command lines, checked before anything runs.
    if (!SvcCheckName(user, "database user") || !SvcCheckPath(inst, "installation directory") ||
        !SvcCheckPath(conf, "controller configuration")) {
        VXStepFailed("start", what);
        return 0;
    }

    char manager[kCommandSize];
    snprintf(manager, sizeof manager, kManagerStartFormat, user);
    platform::SvcRunShell(ICString(manager) + " > /dev/null " + " &");
    SysSleep(platform::SVC_MANAGER_START_SECONDS);

    ICString start = SysGetStartCommand(instance, conf);
    if (start.IsEmpty()) {
        VXStepFailed("start", what);
        return 0;
    }
    // What the controller says goes to its output file, which starts empty so that only this
    // start's words are read from it.
    ICString output = StartOutput();
    bool readable = strcmp(output, kDiscard) != 0;
    if (readable)
        RemoveIfPresent(output);
    time_t launched = time(nullptr);
    platform::SvcRunShell(start + " > " + output + " 2>&1 " + " &");
    // A check run started nothing to wait for.
    if (SysIsCheckRun())
        return 0;

    // The controller is asked as often as it always was; in between, its pid file and output
    // show within a second when it has given up.
    for (int probe = 0; probe < platform::SVC_POLL_COUNT; ++probe) {
        if (SysIsVXSvcActive(instance)) {
            VXStepDone("start", what);
            return 1;
        }
        for (int waited = 0; waited < platform::SVC_CONTROLLER_POLL_SECONDS;
             waited += platform::SVC_POLL_SECONDS) {
            SysSleep(platform::SVC_POLL_SECONDS);
            std::string gaveUp = StartFailure(instance, output, launched);
            if (gaveUp.empty())
                continue;
            // Looked at after the words: a controller that came up meanwhile still counts.
            if (SysIsVXSvcActive(instance)) {
                VXStepDone("start", what);
                return 1;
            }
            SysSetLastReason("%s", gaveUp.c_str());
            VXStepFailed("start", what);
            return 0;
        }
    }
    SysSetLastReason("the controller did not answer on port %d within %d seconds%s%s",
                     instance.MSPort, kStartWaitSeconds, readable ? "; its output is in " : "",
                     readable ? static_cast<const char*>(output) : "");
    VXStepFailed("start", what);
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
    ICString registered = RegisteredDir(instance);
    platform::SvcInstanceIds ids = IdsOf(instance, registered);
    int pid = 0;
    if (GetVXSvcPid(instance, pid)) {
        platform::SvcSignalInstanceProcess(static_cast<pid_t>(pid),
                                           SvcDirFile(registered, kPidFileName), ids, SIGKILL);
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
        char marker[kCommandSize];
        if (snprintf(marker, sizeof marker, kMarkerFormat, static_cast<const char*>(dir),
                     static_cast<int>(member)) >= static_cast<int>(sizeof marker))
            continue;
        platform::SvcSignalInstanceProcess(member, marker, ids, SIGKILL);
        RemoveIfPresent(marker);
    }
    return 1;
}

int SysStopVXSvc(MSInfo& instance) {
    // What the controller answers does not matter: the kills below stop what is left.
    platform::AdminReply reply;
    platform::AdminExchange(instance.MSPort, platform::ADMIN_CLOSE_ALL, reply);
    ForceStopVXSvc(instance);
    if (SysIsPayvaneInstalled())
        SysStopPSSvc(instance);
    VXStepDone("stop", ICString("controller of instance ") + instance.Name);
    return 1;
}

int ICStartVXSvc(MSInfo& instance) {
    int state = ProbeController(instance, 0);
    if (state == VX_SVC_RUNNING) {
        ICUpdateStatus(IC_MSG_SERVERS_ACTIVE, instance.Name);
        return 1;
    }
    // The controller could not listen there; waiting for it would only take a quarter hour.
    if (state != VX_SVC_STOPPED) {
        std::string text =
            "port " + std::to_string(instance.MSPort) + " of instance " +
            static_cast<const char*>(instance.Name) + " is taken by another program: " +
            (state == VX_SVC_FOREIGN ? "what answers there is not the instance's controller"
                                     : "it accepts connections but gives no answer");
        SysSetLastReason("%s", text.c_str());
        OutputError(text.c_str());
        VXStepFailed("start", ICString("controller of instance ") + instance.Name);
        ICUpdateStatus(IC_MSG_CANNOT_START_SERVERS, instance.Name);
        return 0;
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
        if (list.SetIndex(i) && list.GetCurrent(instance)) {
            VXInstanceScope scope(instance.Name);
            SysStartVXSvc(instance);
        }
    }
    return 1;
}
