// Starting, stopping and probing what runs: an instance's controller (start, stop, status),
// its payment server (pay start|stop|status), the web server (web), and the boot registration
// of an instance (register, unregister). The library's status lines arrive through pfnUpdate.
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "frontend.h"
#include "instance_args.h"
#include "vxconfig/vxconfig.h"

namespace {

// The seconds the web server is given to stop before a start is refused.
const int kWebStopWaits = 180;
// How long status waits for an answer on the controller's port, unless --timeout says.
const int kStatusSeconds = 10;
const int kMaxStatusSeconds = 86400;
const int kMillisPerSecond = 1000;

// The named instance of the data file into info; VX_EXIT_OK or the failure already reported.
int LoadInstance(const VxArgs& args, const char* name, MSInfo& info) {
    InstanceData data;
    if (int rc = data.Open(args, false))
        return rc;
    return data.Select(name, &info);
}

int Said(int ok) {
    return ok ? VX_EXIT_OK : VX_EXIT_FAIL;
}

void PrintState(const char* what, const char* name, int running) {
    printf("%s%s%s: %s\n", what, *what ? " " : "", Shown(name).c_str(),
           running ? "running" : "stopped");
}

// The operations of one daemon kind, selected by the action operand.
struct Daemon {
    const char* what; // for the status line: "" for the controller, "payment server"
    int (*start)(MSInfo&);
    int (*stop)(MSInfo&);
    int (*active)(MSInfo&);
};

const Daemon kController = {"", ICStartVXSvc, ICStopVXSvc, ICIsVXSvcActive};
const Daemon kPayment = {"payment server of", ICStartPSSvc, ICStopPSSvc, ICIsPSSvcActive};

int RunDaemon(const Daemon& daemon, const char* action, const VxArgs& args, const char* name) {
    MSInfo info;
    if (int rc = LoadInstance(args, name, info))
        return rc;
    if (strcmp(action, "start") == 0) {
        if (isatty(STDOUT_FILENO))
            printf("Starting %s%s%s (this may take a while)...\n", daemon.what,
                   *daemon.what ? " " : "", Shown(name).c_str());
        fflush(stdout);
        return Said(daemon.start(info));
    }
    if (strcmp(action, "stop") == 0)
        return Said(daemon.stop(info));
    PrintState(daemon.what, info.Name, daemon.active(info));
    return VX_EXIT_OK;
}

bool IsAction(const char* action) {
    return strcmp(action, "start") == 0 || strcmp(action, "stop") == 0 ||
           strcmp(action, "status") == 0;
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
    MSInfo info;
    if (int rc = LoadInstance(args, args.operands[0], info))
        return rc;
    std::string name = Shown(info.Name);
    switch (SysProbeVXSvc(info, seconds * kMillisPerSecond)) {
    case VX_SVC_RUNNING:
        PrintState("", info.Name, 1);
        return VX_EXIT_OK;
    case VX_SVC_STOPPED:
        PrintState("", info.Name, 0);
        return VX_EXIT_OK;
    case VX_SVC_FOREIGN:
        printf("%s: stopped (port %d is taken by another program)\n", name.c_str(), info.MSPort);
        return VX_EXIT_OK;
    default:
        return Failure("%s: cannot tell whether it runs: port %d accepts connections but gave "
                       "no answer within %d s",
                       name.c_str(), info.MSPort, seconds);
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
        PrintState("", "web server", SysIsSvcActive("httpd"));
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
