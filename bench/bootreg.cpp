// Registering and unregistering 100 instances for boot (the registry, the three boot scripts,
// the environment and profile files), against the floor of one durable write of each file the
// registration rewrites, with the same bytes, measured in the same run.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench_root.h"
#include "vxconfig/vxconfig.h"

namespace {

enum { kInstances = 100 };

using Clock = std::chrono::steady_clock;

MSInfo Instance(int i) {
    MSInfo m;
    std::string name = "bench" + std::to_string(i);
    m.SetName(name.c_str());
    m.SetHtmlPath((BenchRoot() + "/conf/" + name).c_str());
    m.SetDBUser(SANDBOX_INSTANCE_USER);
    m.SetDBOwner(SANDBOX_OWNER_USER);
    m.MSPort = 1; // nothing listens there: the removal finds the instance stopped
    return m;
}

// Seconds for one durable write of the bytes of each file: a temporary written, synced,
// renamed over a scratch copy, the directory synced.
double DurableFloor(const std::vector<std::string>& files) {
    std::string scratch = BenchRoot() + "/tmp/floor";
    Clock::time_point start = Clock::now();
    for (const std::string& path : files) {
        ICString content;
        SysReadFile(path.c_str(), content);
        std::string temp = scratch + ".tmp";
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 ||
            write(fd, content, static_cast<size_t>(content.GetLength())) !=
                static_cast<ssize_t>(content.GetLength()) ||
            fsync(fd) != 0 || close(fd) != 0 || rename(temp.c_str(), scratch.c_str()) != 0)
            abort();
        int dirFd = open((BenchRoot() + "/tmp").c_str(), O_RDONLY | O_DIRECTORY);
        fsync(dirFd);
        close(dirFd);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_RegisterUnregister100(benchmark::State& state) {
    const std::string& root = BenchRoot();
    const std::vector<std::string> rewritten = {
        root + "/etc/rc.vndx",
        root + "/etc/rc0.d/K54vx3_mserverd",
        root + "/etc/rc1.d/K54vx3_mserverd",
        root + "/etc/rc2.d/S88vx3_mserverd",
        root + "/.profile",
        root + "/opt/Orvellvndx/Vendrix3/server/bin/vndxprofile",
        root + "/home/" SANDBOX_INSTANCE_USER "/.profile"};
    double busy = 0, floor = 0;
    for (auto _ : state) {
        for (int i = 0; i < kInstances; ++i) {
            MSInfo m = Instance(i);
            Clock::time_point start = Clock::now();
            if (!SysRegVXSvc(m))
                state.SkipWithError("registration failed");
            busy += std::chrono::duration<double>(Clock::now() - start).count();
            // The floor of what this registration rewrote, with the bytes it wrote.
            floor += DurableFloor(rewritten);
        }
        Clock::time_point start = Clock::now();
        for (int i = 0; i < kInstances; ++i) {
            MSInfo m = Instance(i);
            if (!SysUnregVXSvc(m))
                state.SkipWithError("unregistration failed");
        }
        busy += std::chrono::duration<double>(Clock::now() - start).count();
    }
    // Each unregistration rewrites the same files again: the floor counts twice.
    double n = 2.0 * kInstances * static_cast<double>(state.iterations());
    double perOperation = busy / n;
    double floorPerOperation = floor / (kInstances * static_cast<double>(state.iterations()));
    state.counters["per_op_ms"] = perOperation * 1e3;
    state.counters["durable_floor_ms"] = floorPerOperation * 1e3;
    state.counters["ratio"] = perOperation / floorPerOperation;
}

BENCHMARK(BM_RegisterUnregister100)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
