// payserver: the stand-in payment server as a program. It serves on 127.0.0.1 until it
// receives the stop command; the ports come from the options or from the payment server
// daemon's configuration file (-i FILE).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <string>

#include "payserver.h"

namespace {

const char kUsage[] =
    "usage: payserver [--api-port P] [--admin-port Q] [-i CONFFILE] [-s NAME] [--about TEXT]\n"
    "                 [--primary N] [--secondary N] [--reply TEXT] [--fault MODE] [--log FILE]\n"
    "  ports 0 or left out: any free port; the ports in use are printed on the first line\n"
    "  MODE: none, close, short-header, short-data, hold, stall\n";

bool ParseNumber(const char* text, long low, long high, long* value) {
    char* end = nullptr;
    long v = strtol(text, &end, 10);
    if (!*text || *end || v < low || v > high)
        return false;
    *value = v;
    return true;
}

// The keyword lines of the daemon's file that name its ports.
bool ReadConfFile(const char* path, payserver::Config* config) {
    FILE* file = fopen(path, "r");
    if (!file)
        return false;
    char line[1024];
    while (fgets(line, sizeof line, file)) {
        char keyword[128];
        long port;
        if (sscanf(line, "%127s %ld", keyword, &port) != 2 || port < 0 || port > 65535)
            continue;
        if (strcasecmp(keyword, "PAYVANE_PAY_PORT") == 0)
            config->apiPort = int(port);
        else if (strcasecmp(keyword, "PAYVANE_ADMIN_PORT") == 0)
            config->adminPort = int(port);
    }
    fclose(file);
    return true;
}

using Setter = bool (*)(const char* value, payserver::Config* config);

struct Option {
    const char* name;
    Setter set;
};

bool SetPort(const char* v, int* port) {
    long n;
    if (!ParseNumber(v, 0, 65535, &n))
        return false;
    *port = int(n);
    return true;
}

bool SetCode(const char* v, uint16_t* code) {
    long n;
    if (!ParseNumber(v, 0, 65535, &n))
        return false;
    *code = uint16_t(n);
    return true;
}

const Option kOptions[] = {
    {"--api-port", [](const char* v, payserver::Config* c) { return SetPort(v, &c->apiPort); }},
    {"--admin-port", [](const char* v, payserver::Config* c) { return SetPort(v, &c->adminPort); }},
    {"-i", [](const char* v, payserver::Config* c) { return ReadConfFile(v, c); }},
    // The service name a real server is started with; nothing here depends on it.
    {"-s", [](const char*, payserver::Config*) { return true; }},
    {"--about",
     [](const char* v, payserver::Config* c) {
         c->about = v;
         return true;
     }},
    {"--primary",
     [](const char* v, payserver::Config* c) { return SetCode(v, &c->reply.primary); }},
    {"--secondary",
     [](const char* v, payserver::Config* c) { return SetCode(v, &c->reply.secondary); }},
    {"--reply",
     [](const char* v, payserver::Config* c) {
         c->reply.data = v;
         return true;
     }},
    {"--fault", [](const char* v, payserver::Config* c) { return ParseFault(v, &c->fault); }},
    {"--log",
     [](const char* v, payserver::Config* c) {
         c->logPath = v;
         return true;
     }},
};

} // namespace

int main(int argc, char** argv) {
    payserver::Config config;
    for (int at = 1; at < argc; at += 2) {
        if (strcmp(argv[at], "--help") == 0) {
            fputs(kUsage, stdout);
            return 0;
        }
        const Option* option = nullptr;
        for (const Option& o : kOptions) {
            if (strcmp(o.name, argv[at]) == 0)
                option = &o;
        }
        if (!option || at + 1 >= argc || !option->set(argv[at + 1], &config)) {
            fprintf(stderr, "payserver: bad option '%s'\n%s", argv[at], kUsage);
            return 2;
        }
    }
    payserver::Server server(config);
    std::string error;
    if (!server.Listen(&error)) {
        fprintf(stderr, "payserver: %s\n", error.c_str());
        return 1;
    }
    printf("payserver: api port %d, admin port %d\n", server.ApiPort(), server.AdminPort());
    fflush(stdout);
    server.Serve();
    return 0;
}
