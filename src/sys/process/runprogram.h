// Running a program of our own choosing without a shell in between, to read what it prints.
#ifndef VX_SYS_PROCESS_RUNPROGRAM_H
#define VX_SYS_PROCESS_RUNPROGRAM_H

#include <cstddef>
#include <string>

namespace platform {

// The longest such a program may take before it is killed with its process group, and the
// most it may print.
constexpr int PROGRAM_OUTPUT_SECONDS = 120;
constexpr size_t PROGRAM_OUTPUT_CAP = 16 * 1024 * 1024;

// Runs program (a path, or a bare name looked up in PATH) with no arguments, standard input
// from /dev/null, standard error left as it is, and collects what it prints on standard
// output. It only reads, so a check run runs it too (noted as a probe). 1 when it could be
// started and ended within PROGRAM_OUTPUT_SECONDS and PROGRAM_OUTPUT_CAP (whatever its exit
// status), else 0 with the reason set and out empty.
int ReadProgramOutput(const char* program, std::string& out);
// The same with arguments: argv[0] is the program, the vector ends with a null pointer.
int ReadProgramOutput(const char* const* argv, std::string& out);

} // namespace platform

#endif
