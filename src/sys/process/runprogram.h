// Running a program of our own choosing without a shell in between.
#ifndef VX_SYS_PROCESS_RUNPROGRAM_H
#define VX_SYS_PROCESS_RUNPROGRAM_H

#include <string>

namespace platform {

// Runs program (a path, or a bare name looked up in PATH) with no arguments, standard input
// from /dev/null, standard error left as it is, and collects what it prints on standard
// output. 1 when it could be started (whatever its exit status), else 0.
int ReadProgramOutput(const char* program, std::string& out);
// The same with arguments: argv[0] is the program, the vector ends with a null pointer.
int ReadProgramOutput(const char* const* argv, std::string& out);

} // namespace platform

#endif
