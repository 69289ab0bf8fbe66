// The running controller: its pool of member processes, its pid files and its administrative
// port.
#ifndef SRVRCTRL_CONTROLLER_H
#define SRVRCTRL_CONTROLLER_H

#include <string>
#include <sys/types.h>
#include <vector>

namespace srvrctrl {

// What the controller's configuration file says.
struct Settings {
    std::string confPath;          // absolute
    std::string dir;               // its directory, where the pid files go
    std::string service;           // CONTROL_SERVICE
    int port = 0;                  // the service's port
    std::vector<std::string> pool; // CONTROL_POOL_CONFIG: member configuration bases
};

// Runs the controller in the daemon until it is told to stop; the caller has gone to the
// background. Reports readiness (or the reason it cannot run) to the waiting caller. Returns
// the daemon's exit status.
int RunController(const Settings& settings);

// A member process: lives while its marker dir/PID.vxpid exists, until a stop signal, or at
// most the stand-ins' lifetime. Returns the exit status.
int RunMember(const std::string& base, const std::string& dir);

} // namespace srvrctrl

#endif
