// Programs whose output the library reads, run by the one runner without a shell: nothing in
// a path or an argument can run as a command.
#include "sys/process/runprogram.h"

#include "sys/process/spawn.h"

#include <utility>

namespace platform {

int ReadProgramOutput(const char* program, std::string& out) {
    const char* argv[] = {program, nullptr};
    return ReadProgramOutput(argv, out);
}

int ReadProgramOutput(const char* const* argv, std::string& out) {
    out.clear();
    if (!argv || !argv[0] || !*argv[0])
        return 0;
    SpawnSpec spec;
    for (const char* const* arg = argv; *arg; ++arg)
        spec.argv.push_back(*arg);
    spec.output = SpawnOutput::Capture;
    spec.outputCap = PROGRAM_OUTPUT_CAP;
    spec.deadlineSeconds = PROGRAM_OUTPUT_SECONDS;
    spec.kind = SpawnKind::Probe;
    SpawnResult result = RunSpawn(spec);
    if (result.end != SpawnEnd::Exited)
        return 0;
    out = std::move(result.output);
    return 1;
}

} // namespace platform
