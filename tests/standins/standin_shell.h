// Runs shell command lines in the sandbox the way the library does, capturing both streams.
#ifndef VXTEST_STANDIN_SHELL_H
#define VXTEST_STANDIN_SHELL_H

#include <string>
#include <vector>

struct ShellResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::vector<std::string> lines; // out, split at newlines
};

// /bin/sh -c command, with the current environment (the sandbox's PATH and root).
ShellResult RunShell(const std::string& command);

// The blank-separated words of a line.
std::vector<std::string> WordsOf(const std::string& line);

#endif
