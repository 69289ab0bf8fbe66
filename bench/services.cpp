// Registering and unregistering 1,000 services in a services file of realistic size, against
// the floor of one durable replace of the same bytes, measured in the same run.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "bench_root.h"
#include "vxconfig/fileio.h"
#include "vxconfig/services.h"
#include "vxconfig/sysutil.h"

namespace {

enum { kServices = 1000, kFloorCopies = 300 };

using Clock = std::chrono::steady_clock;

// A sandbox root with the seeded services file, made once for the whole run.
const std::string& Root() {
    SandboxOptions options;
    options.standins = false;
    return BenchRoot(options);
}

// Seconds for one durable replace of the file's bytes: a temporary beside it, written,
// synced, renamed over a scratch copy, the directory synced. The least any rewrite that
// survives a crash costs.
double DurableReplaceFloor(const std::string& path, const std::string& scratch) {
    ICString content;
    if (!SysReadFile(path.c_str(), content))
        abort();
    std::string dir = scratch.substr(0, scratch.rfind('/'));
    std::string temp = scratch + ".tmp";
    Clock::time_point start = Clock::now();
    for (int i = 0; i < kFloorCopies; ++i) {
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 ||
            write(fd, content, static_cast<size_t>(content.GetLength())) !=
                static_cast<ssize_t>(content.GetLength()) ||
            fsync(fd) != 0 || close(fd) != 0 || rename(temp.c_str(), scratch.c_str()) != 0)
            abort();
        int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
        fsync(dirFd);
        close(dirFd);
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / kFloorCopies;
}

void BM_RegisterUnregister1000(benchmark::State& state) {
    std::string root = Root();
    std::string path = root + "/etc/services";
    double floor = DurableReplaceFloor(path, root + "/tmp/services-copy");
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
    state.counters["durable_floor_us"] = floor * 1e6;
    state.counters["ratio"] = perOperation / floor;
}

BENCHMARK(BM_RegisterUnregister1000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
