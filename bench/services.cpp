// Registering and unregistering 1,000 services in a services file of realistic size, against
// the floor of copying that file once.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sandbox.h"
#include "vxconfig/services.h"
#include "vxconfig/sysutil.h"

namespace {

enum { kServices = 1000, kFloorCopies = 500 };

using Clock = std::chrono::steady_clock;

// A sandbox root with the seeded services file, made once for the whole run.
const std::string& BenchRoot() {
    static std::string root;
    if (root.empty()) {
        char dir[] = "/tmp/vxroot-XXXXXX";
        if (!mkdtemp(dir))
            abort();
        SandboxOptions options;
        options.standins = false;
        ICString error;
        if (!SandboxBuild(dir, options, error)) {
            fprintf(stderr, "sandbox: %s\n", static_cast<const char*>(error));
            abort();
        }
        root = dir;
        setenv("VXCONFIG_ROOT", dir, 1);
        atexit([] { benchmark::DoNotOptimize(system(("rm -rf " + root).c_str())); });
    }
    return root;
}

// Seconds to copy the file once, the least any rewrite of it costs.
double CopyFloor(const std::string& path, const std::string& scratch) {
    Clock::time_point start = Clock::now();
    for (int i = 0; i < kFloorCopies; ++i)
        SysCopyFile(path.c_str(), scratch.c_str());
    return std::chrono::duration<double>(Clock::now() - start).count() / kFloorCopies;
}

void BM_RegisterUnregister1000(benchmark::State& state) {
    std::string root = BenchRoot();
    std::string path = root + "/etc/services";
    double floor = CopyFloor(path, root + "/tmp/services-copy");
    char name[32];
    double busy = 0;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        for (int i = 0; i < kServices; ++i) {
            snprintf(name, sizeof name, "vxbench_%d", i);
            if (!ICRegTcpService(name, 20000 + i, "benchmark service"))
                state.SkipWithError("registration failed");
        }
        for (int i = 0; i < kServices; ++i) {
            snprintf(name, sizeof name, "vxbench_%d", i);
            if (!ICUnregTcpService(name))
                state.SkipWithError("unregistration failed");
        }
        busy += std::chrono::duration<double>(Clock::now() - start).count();
    }
    double perOperation = busy / (2.0 * kServices * static_cast<double>(state.iterations()));
    state.counters["per_op_us"] = perOperation * 1e6;
    state.counters["copy_floor_us"] = floor * 1e6;
    state.counters["ratio"] = perOperation / floor;
}

BENCHMARK(BM_RegisterUnregister1000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
