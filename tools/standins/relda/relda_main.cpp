// relda: `relda COMMAND WORDS...`, `relda "SQL STATEMENT"` or `relda -tvf FILE`. The exit
// status is 0, 4 after an error, 8 when the instance cannot be used.
#include <cstdio>
#include <cstring>
#include <string>

#include "clp.h"

namespace {

struct Options {
    bool semicolon = false;
    bool echo = false;
    std::string file;
    std::string badOption;
};

// Option groups such as -tvf; the file of "f" is the next argument. Answers the index of the
// first argument of the command.
int ParseOptions(int argc, char** argv, Options& options) {
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1]; ++i) {
        for (const char* c = argv[i] + 1; *c; ++c) {
            if (*c == 't') {
                options.semicolon = true;
            } else if (*c == 'v') {
                options.echo = true;
            } else if (*c == 'f' && i + 1 < argc && !options.file.size()) {
                options.file = argv[i + 1];
            } else {
                options.badOption = std::string("-") + *c;
                return i;
            }
        }
        if (!options.file.empty() && strchr(argv[i], 'f'))
            ++i;
    }
    return i;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    int first = ParseOptions(argc, argv, options);
    if (!options.badOption.empty())
        return relda::Say(relda::kMsgBadOption, options.badOption);
    relda::Instance instance;
    if (!relda::FindInstance(instance))
        return relda::Say(relda::kMsgNoInstance);
    relda::InstanceLock lock(instance);
    relda::Outcome outcome;
    {
        relda::Processor processor(instance);
        if (!options.file.empty()) {
            outcome = processor.RunFile(options.file, options.semicolon, options.echo);
        } else if (first >= argc) {
            outcome = processor.Help();
        } else {
            std::string text;
            for (int i = first; i < argc; ++i)
                text += std::string(i > first ? " " : "") + argv[i];
            outcome = processor.Execute(text);
        }
    }
    fflush(stdout);
    return outcome;
}
