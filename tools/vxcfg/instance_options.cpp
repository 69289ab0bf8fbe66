// The record options of `vxcfg add` and `vxcfg set`, as a table, and their parsing.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "instance_args.h"

namespace {

bool ParseNumber(const char* text, int& value) {
    if (!*text)
        return false;
    errno = 0;
    char* end = nullptr;
    long n = strtol(text, &end, 10);
    if (errno || *end || n < INT_MIN || n > INT_MAX)
        return false;
    value = static_cast<int>(n);
    return true;
}

template <int (MSInfo::*Set)(const char*)> int Text(MSInfo& info, const char* value) {
    return (info.*Set)(value);
}

template <int (MSInfo::*Set)(int)> int Number(MSInfo& info, const char* value) {
    int n;
    return ParseNumber(value, n) ? (info.*Set)(n) : 0;
}

struct Keyword {
    const char* text;
    int value;
};

int LookUp(const Keyword* table, const char* text, int& value) {
    for (; table->text; ++table) {
        if (stricmp(table->text, text) == 0) {
            value = table->value;
            return 1;
        }
    }
    return 0;
}

const Keyword kWebServers[] = {
    {"wharf", IS_WHARF}, {"netscape", IS_NETSCAPE}, {"brindle", IS_BRINDLE}, {nullptr, 0}};
const Keyword kDatabases[] = {{"relda", DB_RELDA}, {"oracle", DB_ORACLE}, {nullptr, 0}};

int WebServer(MSInfo& info, const char* value) {
    int type;
    return LookUp(kWebServers, value, type) ? info.SetISType(static_cast<eISType>(type)) : 0;
}

int Database(MSInfo& info, const char* value) {
    int type;
    return LookUp(kDatabases, value, type) ? info.SetDBType(static_cast<eDBType>(type)) : 0;
}

// The record has no setter for the service of a remote database; it takes a node-like name.
int DBService(MSInfo& info, const char* value) {
    if (!MSInfo::CheckDBNodeName(value))
        return 0;
    info.DBService = value;
    return 1;
}

const char kPathRule[] = "a path of 1 to 1024 characters";
const char kHostRule[] = "a host name of 1 to 64 characters";
const char kShortRule[] = "1 to 8 characters";
const char kPasswordRule[] = "a password of at most 16 characters";

} // namespace

const InstanceOption g_instanceOptions[] = {
    {"--rootpath", "DIR", kPathRule, Text<&MSInfo::SetRootPath>, 0},
    {"--htmlpath", "DIR", kPathRule, Text<&MSInfo::SetHtmlPath>, 0},
    {"--logpath", "DIR", kPathRule, Text<&MSInfo::SetVXLogPath>, 0},
    {"--cachepath", "DIR", kPathRule, Text<&MSInfo::SetCachePath>, 0},
    {"--macropath", "DIR", kPathRule, Text<&MSInfo::SetMacroPath>, 0},
    {"--defsdir", "DIR", kPathRule, Text<&MSInfo::SetDefsDir>, 0},
    {"--docroot", "DIR", kPathRule, Text<&MSInfo::SetDocRoot>, 0},
    {"--cgi", "DIR", kPathRule, Text<&MSInfo::SetCgiPath>, 0},
    {"--webserver", "wharf|netscape|brindle", "one of wharf, netscape, brindle", WebServer, 0},
    {"--nes-secure", "DIR", "a directory that holds obj.conf", Text<&MSInfo::SetNESSecure>, 0},
    {"--nes-nonsecure", "DIR", "a directory that holds obj.conf", Text<&MSInfo::SetNESNonsecure>,
     0},
    {"--host", "HOST", kHostRule, Text<&MSInfo::SetISHost>, 0},
    {"--ip", "ADDR", "four numbers of 0 to 255 joined by dots", Text<&MSInfo::SetIPAddr>, 0},
    {"--port", "N", "a port from 1024 to 65535, not 16560", Number<&MSInfo::SetMSPort>, 0},
    {"--procs", "N", "a number of processes from 2 to 99", Number<&MSInfo::SetMSProc>, 0},
    {"--dbtype", "relda|oracle", "one of relda, oracle", Database, 0},
    {"--db", "NAME", kShortRule, Text<&MSInfo::SetDBName>, 0},
    {"--dbuser", "USER", kShortRule, Text<&MSInfo::SetDBUser>, 0},
    {"--dbowner", "USER", "an existing system user", Text<&MSInfo::SetDBOwner>, 0},
    {"--dbpass", "PASSWORD",
     "at most 16 characters, the database owner's system password (any for Oracle)",
     Text<&MSInfo::SetDBPswd>, 1},
    {"--dbhost", "HOST", kHostRule, Text<&MSInfo::SetDBHost>, 0},
    {"--dbnode", "NODE", "a node name of 1 to 64 characters", Text<&MSInfo::SetDBNode>, 0},
    {"--dbservice", "SERVICE", "a service of 1 to 64 characters", DBService, 0},
    {"--pvhost", "HOST", kHostRule, Text<&MSInfo::SetPVHost>, 0},
    {"--adminpass", "PASSWORD", kPasswordRule, Text<&MSInfo::SetCMSPswd>, 1},
    {"--merchant-key", "KEY", "16 hexadecimal digits, or an empty text for no key",
     Text<&MSInfo::SetMerKey>, 1},
    {"--pvcycle", "SECONDS", "a number from 1 to 65535", Number<&MSInfo::SetPVCycle>, 0},
    {"--pvintvl", "SECONDS", "a number from 1 to 65535", Number<&MSInfo::SetPVIntvl>, 0},
    {"--pvtmout", "SECONDS", "a number from 60 to 65535", Number<&MSInfo::SetPVTmout>, 0},
    {"--maxcache", "N", "a whole number", Number<&MSInfo::SetMaxCacheFiles>, 0},
    {nullptr, nullptr, nullptr, nullptr, 0},
};

int ParseInstanceArgs(int argc, char** argv, size_t positional, bool recordOptions,
                      InstanceArgs& out) {
    const VxCommand& command = FindCommand(argv[0]);
    size_t rows = 0;
    while (g_instanceOptions[rows].name)
        ++rows;
    out.values.assign(rows, nullptr);
    for (int at = 1; at < argc; ++at) {
        const char* arg = argv[at];
        if (arg[0] != '-' || arg[1] != '-') {
            out.positional.push_back(arg);
            continue;
        }
        if (at + 1 >= argc)
            return UsageError(command, "%s needs a value", arg);
        const char* value = argv[++at];
        if (strcmp(arg, "--data") == 0) {
            out.dataPath = value;
            continue;
        }
        size_t row = 0;
        while (row < rows && strcmp(g_instanceOptions[row].name, arg) != 0)
            ++row;
        if (!recordOptions)
            return UsageError(command, "unknown option '%s'", arg);
        if (row == rows) {
            std::string known;
            for (const InstanceOption* o = g_instanceOptions; o->name; ++o)
                known += std::string(known.empty() ? "" : " ") + o->name + " " + o->arg;
            return UsageError(command, "unknown option '%s'; the options are --data FILE %s", arg,
                              known.c_str());
        }
        out.values[row] = value;
    }
    if (out.positional.size() != positional)
        return UsageError(command, "expected %zu argument(s), got %zu", positional,
                          out.positional.size());
    if (out.dataPath.empty()) {
        ICString product;
        ICGetInstPath(product);
        out.dataPath = static_cast<const char*>(product ^ "server" ^ "admin" ^ "vxconfig.dat");
        out.defaultPath = true;
    }
    return VX_EXIT_OK;
}

int ApplyInstanceOptions(const VxCommand& command, const InstanceArgs& args, MSInfo& info) {
    for (size_t row = 0; row < args.values.size(); ++row) {
        const char* value = args.values[row];
        if (!value)
            continue;
        const InstanceOption& option = g_instanceOptions[row];
        // The setters would take these, but the data file could not read them back.
        if (strlen(value) > VX_DATAFILE_MAX_TEXT || strchr(value, '\n'))
            return UsageError(command,
                              "%s: the value is refused: one line of at most %d characters",
                              option.name, VX_DATAFILE_MAX_TEXT);
        if (!option.apply(info, value))
            return UsageError(command, "%s: '%s' is refused: %s", option.name,
                              option.secret ? "..." : value, option.rule);
    }
    return VX_EXIT_OK;
}
