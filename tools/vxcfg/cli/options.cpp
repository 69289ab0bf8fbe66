// The one parser of vxcfg command lines, driven by the commands' option tables.
#include <cstring>

#include "cli/frontend.h"

const char* VxArgs::Value(const char* name) const {
    const char* value = nullptr;
    for (const auto& g : given) {
        if (strcmp(g.first->name, name) == 0)
            value = g.second;
    }
    return value;
}

std::vector<const char*> VxArgs::Values(const char* name) const {
    std::vector<const char*> values;
    for (const auto& g : given) {
        if (strcmp(g.first->name, name) == 0)
            values.push_back(g.second);
    }
    return values;
}

namespace {

const VxOption* FindOption(const VxCommand& command, const char* name, size_t length) {
    for (const VxOption* const* table = command.options; *table; ++table) {
        for (const VxOption* o = *table; o->name; ++o) {
            if (strlen(o->name) == length && strncmp(o->name, name, length) == 0)
                return o;
        }
    }
    return nullptr;
}

// The options a command knows, for the message about one it does not.
std::string KnownOptions(const VxCommand& command) {
    std::string known;
    for (const VxOption* const* table = command.options; *table; ++table) {
        for (const VxOption* o = *table; o->name; ++o)
            known += std::string(known.empty() ? "" : ", ") + o->name;
    }
    return known.empty() ? "none" : known;
}

} // namespace

int ParseArgs(const VxCommand& command, int argc, char** argv, VxArgs& out, bool stopAtOperand,
              int* consumed) {
    bool optionsEnded = false;
    int at = 1;
    for (; at < argc; ++at) {
        const char* arg = argv[at];
        if (optionsEnded || arg[0] != '-' || arg[1] == '\0') {
            out.operands.push_back(arg);
            if (stopAtOperand)
                break;
            continue;
        }
        if (strcmp(arg, "--") == 0) {
            optionsEnded = true;
            continue;
        }
        const char* equals = strchr(arg, '=');
        size_t length = equals ? static_cast<size_t>(equals - arg) : strlen(arg);
        const VxOption* option = FindOption(command, arg, length);
        if (!option)
            return UsageError(command, "unknown option '%s'; the options are %s",
                              Shown(std::string(arg, length).c_str()).c_str(),
                              KnownOptions(command).c_str());
        const char* value = nullptr;
        if (!option->arg) {
            if (equals)
                return UsageError(command, "%s takes no value", option->name);
            value = "";
        } else if (equals) {
            value = equals + 1;
        } else if (at + 1 < argc) {
            value = argv[++at];
        } else {
            return UsageError(command, "%s needs a value (%s)", option->name, option->arg);
        }
        if (option->arg && !*value && !option->allowEmpty)
            return UsageError(command, "%s needs a value (%s), not an empty text", option->name,
                              option->arg);
        out.given.emplace_back(option, value);
    }
    if (consumed)
        *consumed = at;
    if (stopAtOperand)
        return VX_EXIT_OK;
    size_t n = out.operands.size();
    if (n < command.minOperands || n > command.maxOperands) {
        if (command.minOperands == command.maxOperands)
            return UsageError(command, "expected %zu argument(s), got %zu", command.minOperands, n);
        return UsageError(command, "expected %zu to %zu arguments, got %zu", command.minOperands,
                          command.maxOperands, n);
    }
    return VX_EXIT_OK;
}
