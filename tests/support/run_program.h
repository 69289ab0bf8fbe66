// Runs a program of the build as a user would, capturing what it prints.
#ifndef VXTEST_RUN_PROGRAM_H
#define VXTEST_RUN_PROGRAM_H

#include <string>
#include <vector>

struct ProgramResult {
    int exitCode = -1; // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs VX_BIN_DIR/name with the arguments, no shell in between, standard input empty. With
// stdoutPath, standard output goes to that file instead of being captured.
ProgramResult RunProgram(const std::string& name, const std::vector<std::string>& args,
                         const char* stdoutPath = nullptr);
// Starts VX_BIN_DIR/name with the arguments, its output discarded, and returns its process id
// (the caller waits for it), or -1.
int StartProgram(const std::string& name, const std::vector<std::string>& args);
// /bin/sh -c command with the current environment, as the library runs its commands.
ProgramResult RunShell(const std::string& command);

#endif
