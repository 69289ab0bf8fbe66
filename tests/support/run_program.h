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

// Runs VX_BIN_DIR/name with the arguments, no shell in between, standard input empty.
ProgramResult RunProgram(const std::string& name, const std::vector<std::string>& args);

#endif
