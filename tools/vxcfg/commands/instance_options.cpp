// The record options of `vxcfg add` and `vxcfg set`, as a table, and applying them to a record.
// A password or key is also taken from standard input or from a file, never only from the
// command line, where every user of the machine can read it.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "commands/instance_args.h"

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

// The companion of a secret option, and the value of a secret that is read from standard input.
#define FILE_SUFFIX "-file"
const char kFromStandardInput[] = "-";

bool IsFileOption(const VxOption& option) {
    size_t length = strlen(option.name), suffix = sizeof FILE_SUFFIX - 1;
    return option.secret && length > suffix &&
           strcmp(option.name + length - suffix, FILE_SUFFIX) == 0;
}

// The first line of in, without its line end; false when reading failed. The reader's copy is
// cleared.
bool FirstLine(SysLineReader& in, std::string& out) {
    out.clear();
    char* line = in.Next();
    if (!line)
        return !in.Failed();
    size_t length = in.Length();
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
        --length;
    out.assign(line, length);
    memset(line, 0, in.Length());
    return true;
}

// One line of standard input; on a terminal it is asked for and not echoed.
int ReadStandardInput(const char* option, std::string& out) {
    struct termios saved;
    bool terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        fprintf(stderr, "%s (not shown): ", option);
        struct termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    SysLineReader in(stdin);
    bool read = FirstLine(in, out);
    int error = errno;
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        fputc('\n', stderr);
    }
    return read ? VX_EXIT_OK
                : Failure("%s: cannot read standard input: %s", option, strerror(error));
}

int ReadFirstLine(const char* option, const char* path, std::string& out) {
    SysLineReader in(path);
    if (!in.IsOpen() || !FirstLine(in, out))
        return Failure("%s: cannot read %s: %s", option, Shown(path).c_str(), strerror(errno));
    return VX_EXIT_OK;
}

// The rules of the values, as the help text and the refusals state them.
#define SAFE "letters, digits and . _ - + , : @ ="
const char kPathRule[] = SYS_INSTANCE_PATH_RULE_TEXT;
const char kHostRule[] = "a host name of 1 to 64 characters: " SAFE;
const char kShortRule[] = "1 to 8 characters: " SAFE;
#define PASSWORD_RULE "a password of at most 16 characters"

#define RECORD(name, arg, rule, apply)                                                             \
    { name, arg, rule, apply, false, false }
// A secret option, and its companion NAME-file that takes the value from a file's first
// line (the row right after it): a password need never stand on a command line.
#define SECRET(name, arg, rule, apply, empty)                                                      \
    {name, arg, rule "; - reads it from standard input (not echoed)", apply, true, empty}, {       \
        name FILE_SUFFIX, "FILE", "the first line of FILE is the value of " name, apply, true,     \
            false                                                                                  \
    }

} // namespace

const VxOption g_instanceOptions[] = {
    RECORD("--rootpath", "DIR", kPathRule, Text<&MSInfo::SetRootPath>),
    RECORD("--htmlpath", "DIR", kPathRule, Text<&MSInfo::SetHtmlPath>),
    RECORD("--logpath", "DIR", kPathRule, Text<&MSInfo::SetVXLogPath>),
    RECORD("--cachepath", "DIR", kPathRule, Text<&MSInfo::SetCachePath>),
    RECORD("--macropath", "DIR", kPathRule, Text<&MSInfo::SetMacroPath>),
    RECORD("--defsdir", "DIR", kPathRule, Text<&MSInfo::SetDefsDir>),
    RECORD("--docroot", "DIR", kPathRule, Text<&MSInfo::SetDocRoot>),
    RECORD("--cgi", "DIR", kPathRule, Text<&MSInfo::SetCgiPath>),
    RECORD("--webserver", "wharf|netscape|brindle", "one of wharf, netscape, brindle", WebServer),
    RECORD("--nes-secure", "DIR", "a directory that holds obj.conf, " SYS_INSTANCE_PATH_RULE_TEXT,
           Text<&MSInfo::SetNESSecure>),
    RECORD("--nes-nonsecure", "DIR",
           "a directory that holds obj.conf, " SYS_INSTANCE_PATH_RULE_TEXT,
           Text<&MSInfo::SetNESNonsecure>),
    RECORD("--host", "HOST", kHostRule, Text<&MSInfo::SetISHost>),
    RECORD("--ip", "ADDR", "four numbers of 0 to 255 joined by dots", Text<&MSInfo::SetIPAddr>),
    RECORD("--port", "N",
           "a port from 1024 to 65535, not 16560; the block N to N + procs + 8 must end by "
           "65535 and hold no other service's port",
           Number<&MSInfo::SetMSPort>),
    RECORD("--procs", "N",
           "a number of processes from 2 to 99; the block port to port + N + 8 must end by "
           "65535 and hold no other service's port",
           Number<&MSInfo::SetMSProc>),
    RECORD("--dbtype", "relda|oracle", "one of relda, oracle", Database),
    RECORD("--db", "NAME", kShortRule, Text<&MSInfo::SetDBName>),
    RECORD("--dbuser", "USER", kShortRule, Text<&MSInfo::SetDBUser>),
    RECORD("--dbowner", "USER", "an existing system user", Text<&MSInfo::SetDBOwner>),
    SECRET("--dbpass", "PASSWORD",
           "at most 16 characters, the database owner's system password (any for Oracle)",
           Text<&MSInfo::SetDBPswd>, false),
    RECORD("--dbhost", "HOST", kHostRule, Text<&MSInfo::SetDBHost>),
    RECORD("--dbnode", "NODE", "a node name of 1 to 64 characters: " SAFE,
           Text<&MSInfo::SetDBNode>),
    RECORD("--dbservice", "SERVICE", "a service of 1 to 64 characters: " SAFE, DBService),
    RECORD("--pvhost", "HOST", kHostRule, Text<&MSInfo::SetPVHost>),
    SECRET("--adminpass", "PASSWORD", PASSWORD_RULE, Text<&MSInfo::SetCMSPswd>, false),
    SECRET("--merchant-key", "KEY", "16 hexadecimal digits, or an empty text for no key",
           Text<&MSInfo::SetMerKey>, true),
    RECORD("--pvcycle", "SECONDS", "a number from 1 to 65535", Number<&MSInfo::SetPVCycle>),
    RECORD("--pvintvl", "SECONDS", "a number from 1 to 65535", Number<&MSInfo::SetPVIntvl>),
    RECORD("--pvtmout", "SECONDS", "a number from 60 to 65535", Number<&MSInfo::SetPVTmout>),
    RECORD("--maxcache", "N", "a whole number", Number<&MSInfo::SetMaxCacheFiles>),
    {nullptr, nullptr, nullptr, nullptr, false, false},
};

#undef RECORD
#undef SECRET
#undef SAFE
#undef FILE_SUFFIX
#undef PASSWORD_RULE

int ApplyInstanceOptions(const VxCommand& command, const VxArgs& args, MSInfo& info) {
    for (const VxOption* option = g_instanceOptions; option->name; ++option) {
        const char* value = args.Value(option->name);
        if (!value)
            continue;
        // A file option's value follows the rule of the secret option before it.
        const VxOption& rule = IsFileOption(*option) ? option[-1] : *option;
        const VxOption& next = option[1];
        if (next.name && IsFileOption(next) && args.Has(next.name))
            return UsageError(command, "%s and %s: give only one of them", option->name, next.name);
        std::string secret;
        if (&rule != option) {
            if (int rc = ReadFirstLine(option->name, value, secret))
                return rc;
            value = secret.c_str();
        } else if (option->secret && strcmp(value, kFromStandardInput) == 0) {
            if (int rc = ReadStandardInput(option->name, secret))
                return rc;
            value = secret.c_str();
        }
        if (!*value && !rule.allowEmpty)
            return UsageError(command, "%s needs a value (%s), not an empty text", option->name,
                              rule.arg);
        // The setters would take these, but the data file could not read them back.
        if (strlen(value) > VX_DATAFILE_MAX_TEXT || strchr(value, '\n'))
            return UsageError(command,
                              "%s: the value is refused: one line of at most %d characters",
                              option->name, VX_DATAFILE_MAX_TEXT);
        if (!option->record(info, value))
            return UsageError(command, "%s: '%s' is refused: %s", option->name,
                              option->secret ? "..." : Shown(value).c_str(), rule.help);
    }
    return VX_EXIT_OK;
}
