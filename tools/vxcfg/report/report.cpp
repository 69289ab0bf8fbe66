// How vxcfg speaks: usage errors and failures on standard error, each one line (and noted in
// the run's outcome), and the help text made from the command and option tables.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "cli/frontend.h"
#include "vxconfig/msfields.h"
#include "vxconfig/vxconfig.h"

std::string Shown(const char* value) {
    std::string out;
    for (const char* p = value ? value : ""; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < ' ' || c == 0x7f) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\%03o", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

namespace {

// A message of vxcfg's own, at most this long.
constexpr size_t kMessageSize = 2048;

// why with its arguments.
std::string Formatted(const char* why, va_list args) {
    char text[kMessageSize];
    vsnprintf(text, sizeof text, why, args);
    return text;
}

} // namespace

int UsageError(const VxCommand& command, const char* why, ...) {
    va_list args;
    va_start(args, why);
    std::string message = Formatted(why, args);
    va_end(args);
    const char* text = message.c_str();
    // The run's outcome keeps it for the --json report, as it keeps the library's errors.
    VXNoteError(text);
    if (&command == &g_globalCommand)
        fprintf(stderr, "vxcfg: %s (see vxcfg --help)\n", text);
    else
        fprintf(stderr, "vxcfg: %s: %s (usage: vxcfg %s)\n", command.name, text,
                UsageOf(command).c_str());
    return VX_EXIT_USAGE;
}

int Failure(const char* why, ...) {
    va_list args;
    va_start(args, why);
    std::string message = Formatted(why, args);
    va_end(args);
    const char* text = message.c_str();
    VXNoteError(text);
    fprintf(stderr, "vxcfg: %s\n", text);
    return VX_EXIT_FAIL;
}

int FailWithReason(unsigned int id, const char* arg1, const char* arg2) {
    ICString text;
    ICLoadMessage(text, id, arg1, arg2);
    const char* reason = SysGetLastReason();
    if (!*reason)
        return Failure("%s", static_cast<const char*>(text));
    return Failure("%s %s", static_cast<const char*>(text), Shown(reason).c_str());
}

const VxCommand& FindCommand(const char* name) {
    const VxCommand* c = g_commands;
    while (c->name && strcmp(c->name, name) != 0)
        ++c;
    return *c;
}

namespace {

std::string OptionWithArg(const VxOption& o) {
    return o.arg ? std::string(o.name) + " " + o.arg : std::string(o.name);
}

void PrintOptions(const VxOption* table) {
    for (const VxOption* o = table; o->name; ++o)
        printf("  %-36s %s\n", OptionWithArg(*o).c_str(), o->help);
}

} // namespace

std::string UsageOf(const VxCommand& command) {
    std::string usage = command.name;
    if (*command.operands)
        usage += std::string(" ") + command.operands;
    for (const VxOption* const* table = command.options; *table; ++table) {
        // The record options are many; their list is in the help text.
        if (*table == g_instanceOptions) {
            usage += " [OPTION VALUE]...";
            continue;
        }
        for (const VxOption* o = *table; o->name; ++o)
            usage += " [" + OptionWithArg(*o) + "]";
    }
    return usage;
}

void PrintCommandHelp(const VxCommand& command) {
    printf("usage: vxcfg [--root DIR] %s\n    %s\n", UsageOf(command).c_str(), command.summary);
    for (const VxOption* const* table = command.options; *table; ++table) {
        if (table == command.options)
            printf("\noptions:\n");
        PrintOptions(*table);
    }
}

namespace {

// The record field an option gives, by the field table; null for other options.
const char* FieldOfOption(const char* option) {
    for (const MSField* field = g_msFields; field->name; ++field) {
        if (field->option && strcmp(field->option, option) == 0)
            return field->name;
    }
    return nullptr;
}

std::string JsonOption(const VxOption& o) {
    std::string json =
        "{\"name\": " + JsonString(o.name) + ", \"arg\": " + (o.arg ? JsonString(o.arg) : "null") +
        ", \"help\": " + JsonString(o.help) + ", \"secret\": " + (o.secret ? "true" : "false") +
        ", \"allow_empty\": " + (o.allowEmpty ? "true" : "false");
    const char* field = FieldOfOption(o.name);
    json += ", \"field\": " + (field ? JsonString(field) : "null");
    // An argument written as a|b|c takes one of those words.
    std::string choices;
    if (o.arg && strchr(o.arg, '|')) {
        const char* word = o.arg;
        for (const char* bar; (bar = strchr(word, '|')) != nullptr; word = bar + 1)
            choices += JsonString(std::string(word, bar)) + ", ";
        choices += JsonString(word);
    }
    return json + ", \"choices\": [" + choices + "]}";
}

} // namespace

void PrintCommandHelpJson(const VxCommand& command) {
    std::string options;
    for (const VxOption* const* table = command.options; *table; ++table) {
        for (const VxOption* o = *table; o->name; ++o)
            options += std::string(options.empty() ? "" : ",") + "\n  " + JsonOption(*o);
    }
    printf("{\"command\": %s, \"usage\": %s, \"summary\": %s,\n \"options\": [%s]}\n",
           JsonString(command.name).c_str(), JsonString("vxcfg " + UsageOf(command)).c_str(),
           JsonString(command.summary).c_str(), options.c_str());
}

void PrintHelp() {
    printf("usage: vxcfg [--root DIR] COMMAND [ARGUMENTS]\n"
           "       vxcfg --help | --version | COMMAND --help\n\n"
           "Configures server instances of the Vendrix web commerce server.\n\n"
           "options:\n");
    PrintOptions(g_globalCommand.options[0]);
    printf("\ncommands:\n");
    for (const VxCommand* c = g_commands; c->name; ++c)
        printf("  %s\n      %s\n", UsageOf(*c).c_str(), c->summary);
    printf("\ninstance options of add and set:\n");
    PrintOptions(g_instanceOptions);
    printf("\nExit codes: 0 success, 1 failure, 2 wrong usage.\n");
}
