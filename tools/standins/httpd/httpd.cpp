// httpd: the Orvell HTTP server, as a stand-in that serves nothing.
//
//   httpd [ARGUMENTS...]        (arguments are accepted and not used)
//
// Goes to the background and returns 0 once the daemon has written its pid into
// ROOT/opt/WharfServer/usr/internet/server_root/httpd-pid (ROOT: $VXCONFIG_ROOT, else found from
// this program's place ROOT/usr/sbin/httpd); 1 with the reason when it cannot, or when the pid
// file names a web server of this root that still runs. The daemon sleeps until SIGTERM or
// SIGINT, the removal of the server root, or the end of the stand-ins' lifetime, and ends
// without removing anything: its pid file stays, so that a probe can tell that the process it
// names has stopped.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "standin_daemon.h"
#include "standin_files.h"
#include "standin_proc.h"

namespace {

const char kName[] = "httpd";
const char kInstalledAt[] = "/usr/sbin/httpd";
const char kServerRoot[] = "/opt/WharfServer/usr/internet/server_root";
const char kPidFile[] = "httpd-pid";
const int kTickMs = 200;

} // namespace

int main() {
    std::string root = standin::SystemRoot(kInstalledAt);
    std::string serverRoot = root + kServerRoot;
    std::string pidPath = serverRoot + "/" + kPidFile;
    if (access(serverRoot.c_str(), W_OK) != 0) {
        fprintf(stderr, "%s: cannot use %s: %s\n", kName, serverRoot.c_str(), strerror(errno));
        return 1;
    }
    int running = standin::ReadPidFile(pidPath);
    if (running > 0 && standin::IsSandboxProcess(running, root, kInstalledAt)) {
        fprintf(stderr, "%s: already running as process %d\n", kName, running);
        return 1;
    }
    if (!standin::Daemonize(kName)) {
        fprintf(stderr, "%s: cannot go to the background: %s\n", kName, strerror(errno));
        return 1;
    }
    standin::CatchStopSignals();
    if (!standin::WriteSmallFile(pidPath, std::to_string(getpid()) + "\n"))
        standin::DaemonFail("cannot write " + pidPath + ": " + strerror(errno));
    standin::DaemonReady();
    standin::Watch watch(serverRoot);
    while (!watch.ShouldEnd())
        standin::PauseMs(kTickMs);
    return 0;
}
