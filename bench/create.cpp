// Creating 10 and then 100 more instances in one sandbox (files, TCP services, boot entries,
// payment scripts), reporting the time per instance at both sizes, against the floor of writing
// the same files once with the same durability, measured in the same run; and a check run of
// more creations against the real ones and against writing their files without syncing. The
// services file and the boot registry grow with every instance, so some growth per instance is
// expected.
#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench_root.h"
#include "vxconfig/vxconfig.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Written {
    std::string path, content;
};

// The files the run being noted wrote, each once, with what it holds now.
std::vector<Written> WrittenFiles() {
    SysChangeReport report;
    SysGetChanges(report, true);
    std::vector<Written> files;
    for (const SysWrittenFile& file : report.written) {
        ICString content;
        if (SysReadFile(file.path.c_str(), content))
            files.push_back(
                {file.path, std::string(content, static_cast<size_t>(content.GetLength()))});
    }
    return files;
}

MSInfo Instance(const std::string& name, int port) {
    const std::string& root = BenchRoot();
    std::string dir = root + "/inst/" + name;
    MSInfo m;
    m.Name = name.c_str();
    m.RootPath = dir.c_str();
    m.CachePath = (dir + "/cache").c_str();
    m.VXLogPath = (dir + "/logs").c_str();
    m.HtmlPath = (dir + "/config").c_str();
    m.DocRoot = (root + "/srv/" + name).c_str();
    m.CgiPath = (root + "/srv/cgi-bin").c_str();
    m.MacroPath = (root + "/opt/Orvellvndx/Vendrix3/macro/en_US").c_str();
    m.ISHost = "localhost";
    m.PVHost = "localhost";
    m.DBName = name.c_str();
    m.DBUser = SANDBOX_INSTANCE_USER;
    m.DBOwner = SANDBOX_OWNER_USER;
    m.MSProc = 2;
    m.MSPort = port;
    m.MSOption = MS_OPT_PAYVANE;
    return m;
}

// Seconds to write each file once in a scratch directory. Durably: a temporary written and
// synced, renamed, the directory synced. Plainly: written, not synced, as an overlay of the
// same files at least costs.
double WriteEach(const std::vector<Written>& files, bool durable) {
    std::string dir = BenchRoot() + "/tmp";
    std::string target = dir + "/floor", temp = durable ? target + ".tmp" : target;
    Clock::time_point start = Clock::now();
    for (const Written& f : files) {
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 ||
            write(fd, f.content.data(), f.content.size()) !=
                static_cast<ssize_t>(f.content.size()) ||
            (durable && fsync(fd) != 0) || close(fd) != 0 ||
            (durable && rename(temp.c_str(), target.c_str()) != 0))
            abort();
        if (durable) {
            int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
            fsync(dirFd);
            close(dirFd);
        }
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_CreateInstances(benchmark::State& state) {
    int count = static_cast<int>(state.range(0));
    static int made = 0;
    bCgiApp = 1;
    double busy = 0, floor = 0;
    size_t files = 0;
    for (auto _ : state) {
        // The run is recorded to learn its files: noting each file's state before its first
        // write is part of the time measured.
        if (!SysBeginChanges(SYS_CHANGES_RECORD))
            abort();
        Clock::time_point start = Clock::now();
        for (int i = 0; i < count; ++i, ++made) {
            MSInfo m = Instance("b" + std::to_string(made), 20000 + 20 * made);
            ICCreateSingleInst(m);
        }
        busy += std::chrono::duration<double>(Clock::now() - start).count();
        std::vector<Written> written = WrittenFiles();
        SysEndChanges();
        files += written.size();
        floor += WriteEach(written, true);
    }
    double n = static_cast<double>(state.iterations()) * count;
    state.counters["per_instance_ms"] = busy / n * 1e3;
    state.counters["files_per_instance"] = static_cast<double>(files) / n;
    state.counters["durable_floor_ms"] = floor / n * 1e3;
    state.counters["ratio"] = busy / floor;
}

BENCHMARK(BM_CreateInstances)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);

// A check run of the creation of 10 new instances beside the 110 above, each created for real
// afterwards: the check against the real creation and against plain writes of its files.
void BM_CheckInstances(benchmark::State& state) {
    const int count = 10;
    static int made = 1000;
    double checking = 0, creating = 0, floor = 0;
    for (auto _ : state) {
        std::vector<MSInfo> instances;
        for (int i = 0; i < count; ++i, ++made)
            instances.push_back(Instance("c" + std::to_string(made), 30000 + 20 * (made - 1000)));
        Clock::time_point start = Clock::now();
        if (!SysBeginChanges(SYS_CHANGES_CHECK))
            abort();
        for (MSInfo& m : instances)
            ICCreateSingleInst(m);
        // The files are read from the overlay before it goes, outside the time measured.
        Clock::time_point ran = Clock::now();
        std::vector<Written> written = WrittenFiles();
        Clock::time_point listed = Clock::now();
        SysEndChanges();
        Clock::time_point checked = Clock::now();
        for (MSInfo& m : instances)
            ICCreateSingleInst(m);
        checking += std::chrono::duration<double>((ran - start) + (checked - listed)).count();
        creating += std::chrono::duration<double>(Clock::now() - checked).count();
        floor += WriteEach(written, false);
    }
    double n = static_cast<double>(state.iterations()) * count;
    state.counters["check_ms"] = checking / n * 1e3;
    state.counters["create_ms"] = creating / n * 1e3;
    state.counters["plain_floor_ms"] = floor / n * 1e3;
    state.counters["check_vs_create"] = checking / creating;
    state.counters["ratio"] = checking / floor;
}

BENCHMARK(BM_CheckInstances)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
