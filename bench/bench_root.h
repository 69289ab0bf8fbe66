// The sandbox root of a benchmark program: laid out once for the whole run with the given
// options, taken as VXCONFIG_ROOT with no pauses and its bin first in PATH, removed at exit.
#ifndef VXBENCH_BENCH_ROOT_H
#define VXBENCH_BENCH_ROOT_H

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sandbox.h"

inline const std::string& BenchRoot(const SandboxOptions& options = SandboxOptions()) {
    static std::string root;
    if (root.empty()) {
        char dir[] = "/tmp/vxroot-XXXXXX";
        if (!mkdtemp(dir))
            abort();
        ICString error;
        if (!SandboxBuild(dir, options, error)) {
            fprintf(stderr, "sandbox: %s\n", static_cast<const char*>(error));
            abort();
        }
        root = dir;
        setenv("VXCONFIG_ROOT", dir, 1);
        setenv("VXCONFIG_SLEEP_MS", "0", 1);
        const char* path = getenv("PATH");
        setenv("PATH", (root + "/bin:" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
        atexit([] { benchmark::DoNotOptimize(system(("rm -rf " + root).c_str())); });
    }
    return root;
}

#endif
