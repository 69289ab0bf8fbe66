// srvrctrl: the commerce server's controller, as a stand-in.
//
//   srvrctrl -i CONF
//
// Reads CONF (keyword/value lines; unknown keywords are ignored): CONTROL_SERVICE names the
// controller's TCP service, whose port comes from the services file of the system root
// (ROOT/etc/services; the root is $VXCONFIG_ROOT, else found from this program's place
// ROOT/opt/Orvellvndx/Vendrix3/bin/srvrctrl); CONTROL_POOL_CONFIG lists the pool's member
// configuration bases, comma-separated. Then it goes to the background and returns 0 once the
// daemon runs (1 with the reason when it cannot, e.g. the port is taken by another controller).
//
// The daemon listens on 127.0.0.1:PORT, writes its pid as "srvrctrl.pid" in CONF's directory
// and starts, for every pool member BASE, as many member processes as BASE.conf's PROCESSES
// says (one when it says nothing): small sleeping processes with the command line
// "BASE -i BASE.conf --member", each with an empty marker PID.vxpid in the directory of
// BASE. A member lives while its marker exists.
//
// Administrative requests (HTTP/1.0 GET; the command is the target's last segment):
//   ListServers  200, the body lists the controller and its members, one per line; the
//                first is "srvrctrl PID SERVICE PORT", by which a caller knows its controller
//   CloseAll     stops the members, removes their markers and srvrctrl.pid, answers 200 and
//                exits
// anything else 404 (400 for what is not an HTTP request, 405 for another method).
// SIGTERM and SIGINT stop it like CloseAll; so does the removal of CONF, and it ends at the
// latest after the stand-ins' lifetime.
//
// Fault switches for tests, files in CONF's directory:
//   srvrctrl.silent  take requests and never answer (a connection is held at most 10 minutes)
//   srvrctrl.empty   answer every request with an empty body
//   srvrctrl.die     exit right after start: srvrctrl.pid written, no members, no port
//   srvrctrl.nostop  answer CloseAll and go on running
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "controller.h"
#include "standin_daemon.h"
#include "standin_files.h"

namespace {

const char kName[] = "srvrctrl";
const char kInstalledAt[] = "/opt/Orvellvndx/Vendrix3/bin/srvrctrl";

int Usage() {
    fprintf(stderr, "usage: srvrctrl -i CONF\n");
    return 2;
}

int Fail(const std::string& why) {
    fprintf(stderr, "%s: %s\n", kName, why.c_str());
    return 1;
}

// CONF as an absolute path (the daemon works from "/").
std::string Absolute(const char* path) {
    if (path[0] == '/')
        return path;
    char cwd[PATH_MAX];
    return getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : std::string(path);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "-i") == 0 && strcmp(argv[3], "--member") == 0)
        return srvrctrl::RunMember(argv[0], standin::DirOf(argv[2]));
    if (argc != 3 || strcmp(argv[1], "-i") != 0 || !*argv[2])
        return Usage();
    srvrctrl::Settings s;
    s.confPath = Absolute(argv[2]);
    s.dir = standin::DirOf(s.confPath);
    if (access(s.confPath.c_str(), R_OK) != 0)
        return Fail("cannot read " + s.confPath + ": " + strerror(errno));
    if (!standin::ReadConfValue(s.confPath, "CONTROL_SERVICE", &s.service) || s.service.empty())
        return Fail(s.confPath + " names no CONTROL_SERVICE");
    std::string services = standin::SystemRoot(kInstalledAt) + "/etc/services";
    s.port = standin::LookupTcpPort(services, s.service);
    if (s.port <= 0)
        return Fail("service " + s.service + " is not in " + services);
    std::string pool;
    if (standin::ReadConfValue(s.confPath, "CONTROL_POOL_CONFIG", &pool))
        s.pool = standin::SplitWords(pool, ", \t");
    if (!standin::Daemonize(kName))
        return Fail(std::string("cannot go to the background: ") + strerror(errno));
    return srvrctrl::RunController(s);
}
