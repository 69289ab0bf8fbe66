// Creating 100 instances in one sandbox (files, TCP services, boot entries, payment scripts),
// one after the other: the time of the 100th instance against that of the 10th (each the median
// of the ten instances ending with it), and each against the floor of writing the files that
// instance wrote once with the same durability, measured in the same run; and a check run of
// more creations against the real ones and against writing their files without syncing.
#include <algorithm>
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

// The median of the ten values ending with the one-based nth.
double MedianOfTenTo(const std::vector<double>& values, int nth) {
    std::vector<double> ten(values.begin() + nth - 10, values.begin() + nth);
    std::sort(ten.begin(), ten.end());
    return (ten[4] + ten[5]) / 2;
}

void BM_CreateInstances(benchmark::State& state) {
    const int count = 100;
    bCgiApp = 1;
    std::vector<double> busy, floor;
    size_t files = 0;
    for (auto _ : state) {
        for (int made = 0; made < count; ++made) {
            MSInfo m = Instance("b" + std::to_string(made), 20000 + 20 * made);
            // Each creation is recorded to learn its files: noting each file's state before
            // its first write is part of the time measured.
            if (!SysBeginChanges(SYS_CHANGES_RECORD))
                abort();
            Clock::time_point start = Clock::now();
            ICCreateSingleInst(m);
            busy.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            std::vector<Written> written = WrittenFiles();
            SysEndChanges();
            files += written.size();
            floor.push_back(WriteEach(written, true));
        }
    }
    double at10 = MedianOfTenTo(busy, 10), at100 = MedianOfTenTo(busy, count);
    double floor10 = MedianOfTenTo(floor, 10), floor100 = MedianOfTenTo(floor, count);
    state.counters["ms_10th"] = at10 * 1e3;
    state.counters["ms_100th"] = at100 * 1e3;
    state.counters["growth_100th_vs_10th"] = at100 / at10;
    state.counters["floor_ms_10th"] = floor10 * 1e3;
    state.counters["floor_ms_100th"] = floor100 * 1e3;
    state.counters["ratio_10th"] = at10 / floor10;
    state.counters["ratio_100th"] = at100 / floor100;
    state.counters["files_per_instance"] = static_cast<double>(files) / busy.size();
}

BENCHMARK(BM_CreateInstances)->Unit(benchmark::kMillisecond)->Iterations(1);

// A check run of the creation of 10 new instances beside the 100 above, each created for real
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
