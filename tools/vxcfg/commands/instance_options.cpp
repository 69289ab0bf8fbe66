// The record options of `vxcfg add` and `vxcfg set`, as a table made from the record's field
// table, and applying them to a record. A password or key is also taken from standard input
// or from a file, never only from the command line, where every user of the machine can read
// it.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <list>
#include <set>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "commands/instance_args.h"

namespace {

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
const char kNESRule[] = "a directory that holds obj.conf, " SYS_INSTANCE_PATH_RULE_TEXT;
const char kTimeRule[] = "a number from 1 to 65535";

// A text made here for the option table, kept for the whole run.
const char* Kept(const std::string& text) {
    static std::list<std::string> kept;
    kept.push_back(text);
    return kept.back().c_str();
}

// The fields the table offers options for so far.
std::set<const MSField*>& Offered() {
    static std::set<const MSField*> offered;
    return offered;
}

// The record's field called name, which has an option; the table is built before main, so a
// name the record does not know stops the program at once.
const MSField& FieldOf(const char* name) {
    const MSField* field = MSFindField(name);
    if (!field || !field->option || !field->set) {
        fprintf(stderr, "vxcfg: the instance record has no field %s with an option\n", name);
        abort();
    }
    Offered().insert(field);
    return *field;
}

// The option of a field, its value and rule as the help text shows them.
VxOption Record(const char* name, const char* arg, const char* rule) {
    const MSField& field = FieldOf(name);
    return {field.option, arg, rule, field.set, false, false};
}

// The option of a type: one of its names, as typed.
VxOption Choice(const char* name) {
    const MSField& field = FieldOf(name);
    std::string arg, rule = "one of ";
    for (const MSTypeName* type = field.names; type->name; ++type) {
        arg += std::string(type == field.names ? "" : "|") + type->word;
        rule += std::string(type == field.names ? "" : ", ") + type->word;
    }
    return {field.option, Kept(arg), Kept(rule), field.set, false, false};
}

// The option of a password or key, and its companion NAME-file that takes the value from a
// file's first line (the row right after it): a password need never stand on a command line.
// Only the merchant key may be empty (no key).
VxOption Secret(const char* name, const char* arg, const char* rule) {
    const MSField& field = FieldOf(name);
    return {field.option,
            arg,
            Kept(std::string(rule) + "; - reads it from standard input (not echoed)"),
            field.set,
            true,
            field.kind == MS_FIELD_KEY};
}
VxOption SecretFile(const char* name) {
    const MSField& field = FieldOf(name);
    return {Kept(std::string(field.option) + FILE_SUFFIX),
            "FILE",
            Kept(std::string("the first line of FILE is the value of ") + field.option),
            field.set,
            true,
            false};
}

// The end of the table, which offers every option the record's field table names.
VxOption End() {
    for (const MSField* field = g_msFields; field->name; ++field) {
        if (field->option && !Offered().count(field)) {
            fprintf(stderr, "vxcfg: the option %s of the instance record is not offered\n",
                    field->option);
            abort();
        }
    }
    return {nullptr, nullptr, nullptr, nullptr, false, false};
}

} // namespace

// In the order they are applied, whatever their order on the command line.
const VxOption g_instanceOptions[] = {
    Record("RootPath", "DIR", kPathRule),
    Record("HtmlPath", "DIR", kPathRule),
    Record("VXLogPath", "DIR", kPathRule),
    Record("CachePath", "DIR", kPathRule),
    Record("MacroPath", "DIR", kPathRule),
    Record("DefsDir", "DIR", kPathRule),
    Record("DocRoot", "DIR", kPathRule),
    Record("CgiPath", "DIR", kPathRule),
    Choice("ISType"),
    Record("NESSecure", "DIR", kNESRule),
    Record("NESNonsecure", "DIR", kNESRule),
    Record("ISHost", "HOST", kHostRule),
    Record("IPAddr", "ADDR", "four numbers of 0 to 255 joined by dots"),
    Record("MSPort", "N",
           "a port from 1024 to 65535, not 16560; the block N to N + procs + 8 must end by "
           "65535 and hold no other service's port"),
    Record("MSProc", "N",
           "a number of processes from 2 to 99; the block port to port + N + 8 must end by "
           "65535 and hold no other service's port"),
    Choice("DBType"),
    Record("DBName", "NAME", kShortRule),
    Record("DBUser", "USER", kShortRule),
    Record("DBOwner", "USER", "an existing system user"),
    Secret("DBPswd", "PASSWORD",
           "at most 16 characters, the database owner's system password (any for Oracle)"),
    SecretFile("DBPswd"),
    Record("DBHost", "HOST", kHostRule),
    Record("DBNode", "NODE", "a node name of 1 to 64 characters: " SAFE),
    Record("DBService", "SERVICE", "a service of 1 to 64 characters: " SAFE),
    Record("PVHost", "HOST", kHostRule),
    Secret("CMSPswd", "PASSWORD", "a password of at most 16 characters"),
    SecretFile("CMSPswd"),
    Secret("MerKey", "KEY", "16 hexadecimal digits, or an empty text for no key"),
    SecretFile("MerKey"),
    Record("PVCycle", "SECONDS", kTimeRule),
    Record("PVIntvl", "SECONDS", kTimeRule),
    Record("PVTmout", "SECONDS", "a number from 60 to 65535"),
    Record("MaxCacheFiles", "N", "a whole number"),
    End(),
};

#undef SAFE
#undef FILE_SUFFIX

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
