// The configuration is kept as KEYWORD=value lines in sqllib/dbm.cfg; parameters never set
// show their defaults. A started manager is marked by sqllib/dbm.active.
#include "manager.h"

#include <cstdio>
#include <unistd.h>
#include <vector>

#include "connection.h"

namespace relda {

namespace {

const char kConfigFile[] = "dbm.cfg";
const char kActiveFile[] = "dbm.active";
// The product's registered service (etc/services) until an update names another one.
const char kDefaultService[] = "relda61";

struct Parameter {
    const char* keyword;
    const char* label;
    const char* fixedDefault; // null: derived from the instance
};

const Parameter kParameters[] = {
    {"NUMDB", "Maximum number of concurrently active databases", "8"},
    {"DFTDBPATH", "Default database path", nullptr},
    {"DIAGLEVEL", "Diagnostic error capture level", "3"},
    {"AUTHENTICATION", "Database manager authentication", "SERVER"},
    {"SVCENAME", "TCP/IP Service name", nullptr},
    {"MAXAGENTS", "Maximum number of agents", "200"},
};

std::string DefaultOf(const Parameter& p, const Instance& instance) {
    if (p.fixedDefault)
        return p.fixedDefault;
    if (std::string(p.keyword) == "SVCENAME")
        return kDefaultService;
    return instance.home;
}

// The stored value of keyword, else its default.
std::string ValueOf(const Parameter& p, const Instance& instance,
                    const std::vector<std::string>& stored) {
    std::string prefix = std::string(p.keyword) + "=";
    for (const std::string& line : stored)
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line.substr(prefix.size());
    return DefaultOf(p, instance);
}

} // namespace

Outcome ShowManagerConfig(const Instance& instance) {
    std::vector<std::string> stored;
    ReadLines(instance.File(kConfigFile), stored);
    printf("\n          Database Manager Configuration\n\n");
    printf("     Node type = Database Server with local and remote clients\n\n");
    printf(" Database manager configuration release level            = 0x0610\n\n");
    for (const Parameter& p : kParameters) {
        std::string label = std::string(p.label) + " (" + p.keyword + ")";
        printf(" %-55s = %s\n", label.c_str(), ValueOf(p, instance, stored).c_str());
    }
    printf("\n");
    return kOutcomeOk;
}

Outcome UpdateManagerConfig(const Instance& instance, const std::string& keyword,
                            const std::string& value) {
    std::string key = Upper(keyword);
    const Parameter* param = nullptr;
    for (const Parameter& p : kParameters)
        if (key == p.keyword)
            param = &p;
    if (!param || value.empty() || value.find_first_of("=\t\n") != std::string::npos)
        return Say(kMsgBadParameter, value, keyword);
    std::vector<std::string> stored, kept;
    ReadLines(instance.File(kConfigFile), stored);
    for (const std::string& line : stored)
        if (line.compare(0, key.size() + 1, key + "=") != 0)
            kept.push_back(line);
    kept.push_back(key + "=" + value);
    if (!WriteLines(instance.File(kConfigFile), kept))
        return Say(kMsgSystemError, "cannot write " + instance.File(kConfigFile));
    return Say(kMsgCompleted, "UPDATE DATABASE MANAGER CONFIGURATION");
}

Outcome StartManager(const Instance& instance) {
    std::string active = instance.File(kActiveFile);
    if (access(active.c_str(), F_OK) == 0)
        return Say(kMsgAlreadyStarted);
    if (!WriteLines(active, {std::to_string(getpid())}))
        return Say(kMsgSystemError, "cannot write " + active);
    return Say(kMsgStarted);
}

Outcome StopManager(const Instance& instance) {
    std::string active = instance.File(kActiveFile);
    if (access(active.c_str(), F_OK) != 0)
        return Say(kMsgNotStarted);
    DropAllConnections(instance);
    unlink(active.c_str());
    return Say(kMsgStopped);
}

} // namespace relda
