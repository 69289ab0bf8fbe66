// Starting, stopping and probing what runs: an instance's controller (start, stop, status),
// its payment server (pay start|stop|status), the web server (web), and the boot registration
// of an instance (register, unregister). The library's status lines arrive through pfnUpdate.
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "cli/frontend.h"
#include "commands/instance_args.h"
#include "report/liveline.h"
#include "vxconfig/vxconfig.h"

namespace {

// The seconds the web server is given to stop before a start is refused.
const int kWebStopWaits = 180;
// How long status waits for an answer on the controller's port, unless --timeout says.
const int kStatusSeconds = 10;
const int kMaxStatusSeconds = 86400;
const int kMillisPerSecond = 1000;
// The exit codes of status, as init scripts give them: running, not running, cannot tell.
const int kStatusRunning = 0;
const int kStatusStopped = 3;
const int kStatusUnknown = 4;
const char kControllerConf[] = "srvrctrl.conf";

// The named instance of the data file into info; VX_EXIT_OK or the failure already reported
// (and noted as the failed step "find" of that name, with the message's text).
int LoadInstance(const VxArgs& args, const char* name, MSInfo& info) {
    VXOutcome found;
    VXOutcomeScope collecting(found);
    InstanceData data;
    int rc = data.Open(args, false);
    if (!rc)
        rc = data.Select(name, &info);
    if (rc && !found.Failed())
        VXStepFailed("find", name, found.errors.empty() ? nullptr : found.errors.back().c_str());
    return rc;
}

// The end of a start or stop (action) of daemon what: its result as the exit code, and when
// it failed, the first failed step's reason unless the library has said it already.
int Finished(int ok, const VXOutcome& outcome, const char* name, const char* action,
             const char* what) {
    // A check run ran nothing that could have come up or gone.
    if (SysIsCheckRun()) {
        printf("%s: would %s the %s\n", Shown(name).c_str(), action, what);
        return ok && !outcome.Failed() ? VX_EXIT_OK : VX_EXIT_FAIL;
    }
    const VXStep* failure = outcome.FirstFailure();
    if (ok && !failure)
        return VX_EXIT_OK;
    if (!failure || failure->reason.empty())
        return VX_EXIT_FAIL;
    for (const std::string& said : outcome.errors) {
        if (said.find(failure->reason) != std::string::npos)
            return VX_EXIT_FAIL;
    }
    return Failure("%s: %s failed: %s", Shown(name).c_str(), failure->action.c_str(),
                   Shown(failure->reason.c_str()).c_str());
}

// Says how the daemon what of instance name stands: a line about subject, or under --json an
// item of the report's data; state is the word ("running", "stopped", "not created",
// "unknown"), why explains it when it is not plain. Returns rc.
int ShowState(const std::string& subject, const char* what, const char* name, const char* state,
              const std::string& why, int rc) {
    if (rc == kStatusUnknown)
        VXStepFailed("status", what, why.c_str());
    else
        VXStepDone("status", (std::string(what) + ": " + state).c_str());
    if (ReportsJson()) {
        ReportData(VxJsonObject()
                       .Text("name", name)
                       .Text("daemon", what)
                       .Text("state", state)
                       .Text("reason", why)
                       .Number("exit", rc));
        return rc;
    }
    // What cannot be told is said as the reason alone.
    std::string line = rc == kStatusUnknown
                           ? subject + ": " + why
                           : subject + ": " + state + (why.empty() ? "" : " (" + why + ")");
    if (rc == kStatusUnknown)
        Failure("%s", Shown(line.c_str()).c_str());
    else
        printf("%s\n", Shown(line.c_str()).c_str());
    return rc;
}

// Whether the instance was ever created: its controller's configuration stands in the
// directory registered for it (else its own); why says what is missing.
bool IsCreated(MSInfo& info, std::string& why) {
    ICString dir;
    SysGetIniPath(info, dir);
    if (dir.IsEmpty())
        dir = info.HtmlPath;
    ICString conf = dir.IsEmpty() ? ICString(kControllerConf) : dir ^ kControllerConf;
    struct stat st;
    if (!dir.IsEmpty() && SysStat(conf, &st) == 0)
        return true;
    why = "no " + std::string(static_cast<const char*>(conf)) + "; vxcfg create makes it";
    return false;
}

// The operations of one daemon kind, selected by the action operand.
struct Daemon {
    const char* what; // "controller", "payment server"
    int (*start)(MSInfo&);
    int (*stop)(MSInfo&);
    int (*active)(MSInfo&);
};

const Daemon kController = {"controller", ICStartVXSvc, ICStopVXSvc, ICIsVXSvcActive};
const Daemon kPayment = {"payment server", ICStartPSSvc, ICStopPSSvc, ICIsPSSvcActive};

int RunDaemon(const Daemon& daemon, const char* action, const VxArgs& args, const char* name) {
    VXInstanceScope belongs(name);
    VXOutcome outcome;
    VXOutcomeScope collecting(outcome);
    MSInfo info;
    if (int rc = LoadInstance(args, name, info))
        return rc;
    if (strcmp(action, "start") == 0) {
        int ok;
        {
            // A terminal sees that the wait is alive: the seconds go by beside a spinner.
            LiveSpinner spinner("Starting the " + std::string(daemon.what) + " of " + Shown(name));
            ok = daemon.start(info);
        }
        return Finished(ok, outcome, name, action, daemon.what);
    }
    if (strcmp(action, "stop") == 0) {
        int ok;
        {
            LiveSpinner spinner("Stopping the " + std::string(daemon.what) + " of " + Shown(name));
            ok = daemon.stop(info);
        }
        return Finished(ok, outcome, name, action, daemon.what);
    }
    std::string who = std::string(daemon.what) + " of " + static_cast<const char*>(info.Name);
    return daemon.active(info)
               ? ShowState(who, who.c_str(), info.Name, "running", "", kStatusRunning)
               : ShowState(who, who.c_str(), info.Name, "stopped", "", kStatusStopped);
}

bool IsAction(const char* action) {
    return strcmp(action, "start") == 0 || strcmp(action, "stop") == 0 ||
           strcmp(action, "status") == 0;
}

void PrintState(const char* name, int running) {
    printf("%s: %s\n", Shown(name).c_str(), running ? "running" : "stopped");
}

} // namespace

int CmdStart(const VxCommand&, const VxArgs& args) {
    return RunDaemon(kController, "start", args, args.operands[0]);
}

int CmdStop(const VxCommand&, const VxArgs& args) {
    return RunDaemon(kController, "stop", args, args.operands[0]);
}

int CmdStatus(const VxCommand& self, const VxArgs& args) {
    int seconds = kStatusSeconds;
    if (int rc = NumberOption(self, args, "--timeout", 1, kMaxStatusSeconds, seconds))
        return rc;
    const char* operand = args.operands[0];
    VXInstanceScope belongs(operand);
    MSInfo info;
    if (int rc = LoadInstance(args, operand, info))
        return rc;
    std::string name = static_cast<const char*>(info.Name);
    std::string who = std::string(kController.what) + " of " + static_cast<const char*>(info.Name);
    int state = SysProbeVXSvc(info, seconds * kMillisPerSecond);
    std::string why;
    if (state != VX_SVC_RUNNING && !IsCreated(info, why))
        return ShowState(name, who.c_str(), info.Name, "not created", why, kStatusStopped);
    switch (state) {
    case VX_SVC_RUNNING:
        return ShowState(name, who.c_str(), info.Name, "running", "", kStatusRunning);
    case VX_SVC_STOPPED:
        return ShowState(name, who.c_str(), info.Name, "stopped", "", kStatusStopped);
    case VX_SVC_FOREIGN:
        return ShowState(name, who.c_str(), info.Name, "stopped",
                         "port " + std::to_string(info.MSPort) + " is taken by another program",
                         kStatusStopped);
    default:
        return ShowState(name, who.c_str(), info.Name, "unknown",
                         "cannot tell whether it runs: port " + std::to_string(info.MSPort) +
                             " accepts connections but gave no answer within " +
                             std::to_string(seconds) + " s",
                         kStatusUnknown);
    }
}

int CmdPayService(const VxCommand& self, const VxArgs& args) {
    const char* action = args.operands[0];
    if (!IsAction(action) || args.operands.size() != 2)
        return UsageError(self, "give start, stop or status and the instance's NAME");
    return RunDaemon(kPayment, action, args, args.operands[1]);
}

int CmdWeb(const VxCommand& self, const VxArgs& args) {
    const char* action = args.operands[0];
    if (!IsAction(action))
        return UsageError(self, "unknown action '%s': give start, stop or status",
                          Shown(action).c_str());
    if (strcmp(action, "status") == 0) {
        PrintState("web server", SysIsSvcActive("httpd"));
        return VX_EXIT_OK;
    }
    if (strcmp(action, "start") == 0) {
        if (SysIsSvcActive("httpd")) {
            printf("web server: already running\n");
            return VX_EXIT_OK;
        }
        if (!SysStartSvc("httpd"))
            return Failure("the web server could not be started: %s",
                           Shown(SysGetLastReason()).c_str());
        printf("web server: started\n");
        return VX_EXIT_OK;
    }
    SysStopSvc("httpd");
    for (int i = 0; i < kWebStopWaits && !SysIsSvcStopped("httpd"); ++i)
        SysSleep(1);
    if (!SysIsSvcStopped("httpd") && SysIsSvcActive("httpd"))
        return Failure("the web server did not stop");
    printf("web server: stopped\n");
    return VX_EXIT_OK;
}

int CmdRegister(const VxCommand&, const VxArgs& args) {
    MSInfo info;
    if (int rc = LoadInstance(args, args.operands[0], info))
        return rc;
    if (!SysRegVXSvc(info))
        return Failure("%s: the boot registration failed: %s", Shown(info.Name).c_str(),
                       Shown(SysGetLastReason()).c_str());
    printf("%s: registered for boot\n", Shown(info.Name).c_str());
    return VX_EXIT_OK;
}

int CmdUnregister(const VxCommand&, const VxArgs& args) {
    MSInfo info;
    if (int rc = LoadInstance(args, args.operands[0], info))
        return rc;
    if (!SysUnregVXSvc(info))
        return Failure("%s: the boot registration could not be removed: %s",
                       Shown(info.Name).c_str(), Shown(SysGetLastReason()).c_str());
    printf("%s: no longer started at boot\n", Shown(info.Name).c_str());
    return VX_EXIT_OK;
}
