// Starting, stopping and probing daemons: the controller of an instance and its members, the
// instance's payment server, and the Orvell HTTP web server.
#ifndef VXCONFIG_SVCCTL_H
#define VXCONFIG_SVCCTL_H

#include "vxconfig/icstring.h"

class MSInfo;

// The web server through the generic service functions; the name is ignored except by
// SysStopSvc, which takes it as the pattern of the processes to kill.
// Writes "/tmp/pat.sh" (the profile when readable, then the web server; mode 0744, never
// through a link or another user's file there) and runs it with "/bin/ksh". 1 when the
// shell's exit status is 0; 0 also when the script cannot be written.
VX_API int SysStartSvc(const char* name);
// Sends SIGTERM to every process of the user "nobody" whose "ps -ef" line contains pattern.
// Always 1.
VX_API int SysStopSvc(const char* pattern);
// 1 when a "ps -ef" line containing "httpd" carries the process id of the web server's pid
// file (its last line) as its second token. SysIsSvcStopped answers the opposite; both are 0
// when the pid file cannot be read or the processes cannot be listed.
VX_API int SysIsSvcActive(const char* name);
VX_API int SysIsSvcStopped(const char* name);
// Fixed answers on this platform: 1, nothing done.
VX_API int SysSetSvcAuto(const char* name);
VX_API int SysSetSvcManual(const char* name);
VX_API int SysIsSvcAuto(const char* name);
VX_API int SysRemoveFromStartup(const char* name);
VX_API int SysAutoVXSvc(MSInfo& instance);

// The controller of an instance: started in a login shell of the database user and polled
// on its port; stopped by its "/CloseAll/" request and the kill of every daemon it recorded.
// Start: status 74 and 0 without a database instance user; 0 without running anything when a
// user or path of the commands is not a safe value (reason set). Otherwise starts the
// database manager, waits 20 s, starts the controller and probes it up to 180 times, 5 s
// apart: 1 at the first answer, else 0.
VX_API int SysStartVXSvc(MSInfo& instance);
// Sends "/CloseAll/", then ForceStopVXSvc, then stops the payment server when it is
// installed. Always 1.
VX_API int SysStopVXSvc(MSInfo& instance);
// 1 when the instance's own controller answers "/ListServers/" on 127.0.0.1:MS_PORT within
// the time-outs (60 s to send, 180 s to receive): the answer's first line is
// "srvrctrl PID vxNAME PORT" with the instance's name and port, and PID is a process running
// the controller with the instance's configuration as root or a database user of it.
VX_API int SysIsVXSvcActive(MSInfo& instance);

// What a probe of an instance's controller port found.
enum VXSvcState {
    VX_SVC_STOPPED = 0, // nothing listens on the port
    VX_SVC_RUNNING = 1, // the instance's own controller answered
    VX_SVC_FOREIGN = 2, // another program answered there
    VX_SVC_SILENT = 3,  // something listens there but gave no answer in time (or none at all)
};
// The probe of SysIsVXSvcActive, bounded by timeoutMs in all (0: its own time-outs); one of
// VXSvcState.
VX_API int SysProbeVXSvc(MSInfo& instance, int timeoutMs);
// The controller's process id from its "srvrctrl.pid" (in the directory registered in
// "/etc/rc.vndx" when that differs from the record's, so the rooted "/srvrctrl.pid" without
// an entry): the first token of the first line. 1 when it is a process id greater than 1;
// else 0 and pid 0.
VX_API int GetVXSvcPid(MSInfo& instance, int& pid);
// Kills (SIGKILL) the controller and every daemon named by a PID.vxpid file of the
// configuration directory, removing the files. A process is killed only when it is the
// instance's own (its command line a program of the instance with its configuration, run as
// root or a database user of it) and its file is a regular file of such a user or lies in a
// directory only such a user can write; any other is left alone, with an information message
// naming the process, the file and the reason. 0 only when the files cannot be listed.
VX_API int ForceStopVXSvc(MSInfo& instance);

// The payment server of an instance, probed and stopped through the payment client on the
// host PVHost, payment port MS_PORT + MS_PROC + 4, administration port MS_PORT + MS_PROC + 3.
// Start: 1 when it already answers; else runs the product's "server" as the database owner
// (0 without running anything when a value is not safe) and probes it up to 180 times, 1 s
// apart.
VX_API int SysStartPSSvc(MSInfo& instance);
// Sends the shut-down request when it answers and waits up to 180 s for it to go: 1 when it
// is gone (or was not running), else 0.
VX_API int SysStopPSSvc(MSInfo& instance);
// 1 when the server answers the identification request within a bounded time-out.
VX_API int SysIsPSSvcActive(MSInfo& instance);

extern "C" {
// Plain entry points that forward to the Sys... service functions of the same name.
VX_API int ICStartSvc(const char* name);
VX_API int ICStopSvc(const char* name);
VX_API int ICSetSvcAuto(const char* name);
VX_API int ICSetSvcManual(const char* name);
VX_API int ICIsSvcAuto(const char* name);
VX_API int ICIsSvcActive(const char* name);
}

// Forwards to SysRemoveFromStartup.
VX_API int ICRemoveFromStartup(const char* name);
// Starts the controller of every instance of the data file at path.
VX_API int ICStartVXServer(const char* path);
// Restarts the web server when it runs; 1 without action when it does not.
VX_API int ICRestartHWLWebServer();

// The Sys operations with their status messages (already in the wanted state, success,
// failure) for the instance name. ICStartVXSvc starts nothing when another program holds the
// instance's port: an error names the port, then the failure status follows.
VX_API int ICStartVXSvc(MSInfo& instance);
VX_API int ICStopVXSvc(MSInfo& instance);
VX_API int ICStartPSSvc(MSInfo& instance);
VX_API int ICStopPSSvc(MSInfo& instance);
VX_API int ICIsVXSvcActive(MSInfo& instance);
VX_API int ICIsPSSvcActive(MSInfo& instance);

#endif
