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
    SpawnRequest request;
    for (const char* const* arg = argv; *arg; ++arg)
        request.argv.push_back(*arg);
    request.output = SpawnOutput::Capture;
    request.outputCap = PROGRAM_OUTPUT_CAP;
    request.deadlineSeconds = PROGRAM_OUTPUT_SECONDS;
    request.kind = SpawnKind::Probe;
    SpawnResult result = RunSpawn(request);
    if (result.end != SpawnEnd::Exited)
        return 0;
    out = std::move(result.output);
    return 1;
}

} // namespace platform
