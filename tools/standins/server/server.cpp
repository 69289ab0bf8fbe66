// server: the product's payment server program, as a stand-in built on the stand-in payment
// server.
//
//   server -i CONF -s NAME
//
// CONF is the payment server daemon's configuration (pay_payvane.conf): PAYVANE_PAY_PORT is
// the API port and PAYVANE_ADMIN_PORT the administration port, both on 127.0.0.1. NAME is the
// server's service name; the identification (about) answer is
// "Payvane Payment Server (stand-in) NAME". The program goes to the background and returns 0
// once both ports listen (1 with the reason otherwise, e.g. a port taken). The daemon speaks
// the payment wire protocol until the stop command arrives on the administration port,
// SIGTERM or SIGINT, the removal of CONF, or the end of the stand-ins' lifetime.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>

#include "payserver.h"
#include "standin_daemon.h"
#include "standin_files.h"

namespace {

const char kName[] = "server";
const long kMaxPort = 65535;
const int kTickMs = 100;

int Usage() {
    fprintf(stderr, "usage: server -i CONF -s NAME\n");
    return 2;
}

int Fail(const std::string& why) {
    fprintf(stderr, "%s: %s\n", kName, why.c_str());
    return 1;
}

bool ReadPort(const std::string& conf, const char* keyword, int* port) {
    std::string value;
    long number;
    if (!standin::ReadConfValue(conf, keyword, &value) ||
        !standin::ParseNumber(value, 1, kMaxPort, &number))
        return false;
    *port = int(number);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string conf, name;
    for (int at = 1; at + 1 < argc; at += 2) {
        if (strcmp(argv[at], "-i") == 0)
            conf = argv[at + 1];
        else if (strcmp(argv[at], "-s") == 0)
            name = argv[at + 1];
        else
            return Usage();
    }
    if (argc != 5 || conf.empty() || name.empty())
        return Usage();
    if (!standin::IsSafeName(name))
        return Fail("bad service name " + name);
    payserver::Config config;
    if (!ReadPort(conf, "PAYVANE_PAY_PORT", &config.apiPort))
        return Fail(conf + " gives no PAYVANE_PAY_PORT from 1 to 65535");
    if (!ReadPort(conf, "PAYVANE_ADMIN_PORT", &config.adminPort))
        return Fail(conf + " gives no PAYVANE_ADMIN_PORT from 1 to 65535");
    config.about = "Payvane Payment Server (stand-in) " + name;
    // The daemon works from "/" and watches its configuration by the absolute path.
    char cwd[PATH_MAX];
    if (conf[0] != '/' && getcwd(cwd, sizeof cwd))
        conf = std::string(cwd) + "/" + conf;
    if (!standin::Daemonize(kName))
        return Fail(std::string("cannot go to the background: ") + strerror(errno));
    standin::CatchStopSignals();
    payserver::Server server(config);
    std::string error;
    if (!server.Listen(&error))
        standin::DaemonFail(error);
    standin::DaemonReady();
    std::thread serving([&server] { server.Serve(); });
    standin::Watch watch(conf);
    while (!server.StopRequested() && !watch.ShouldEnd())
        standin::PauseMs(kTickMs);
    server.Stop();
    serving.join();
    return 0;
}
