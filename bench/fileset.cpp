// Writing the whole file set of one instance (its tree, the editor's copies, the CGI
// programs, the password file and every configuration file), against the floor of copying
// the resulting files once with the same durability, measured in the same run. A second case
// gives the record lists of hundreds of entries, to show the writers stay linear.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "bench_root.h"
#include "vxconfig/vxconfig.h"

namespace {

using Clock = std::chrono::steady_clock;

MSInfo Instance(int listEntries) {
    const std::string& root = BenchRoot();
    MSInfo m;
    m.Name = "bench1";
    m.RootPath = (root + "/inst/bench1").c_str();
    m.CachePath = (root + "/inst/bench1/cache").c_str();
    m.VXLogPath = (root + "/inst/bench1/logs").c_str();
    m.HtmlPath = (root + "/inst/bench1/config").c_str();
    m.DocRoot = (root + "/srv/bench1").c_str();
    m.CgiPath = (root + "/srv/cgi-bin").c_str();
    m.MacroPath = (root + "/opt/Orvellvndx/Vendrix3/macro/en_US").c_str();
    m.ISHost = "benchhost";
    m.DBName = "benchdb";
    m.DBUser = SANDBOX_INSTANCE_USER;
    m.DBOwner = SANDBOX_OWNER_USER;
    m.MSProc = 2;
    m.MSPort = 4000;
    m.MSOption = MS_OPT_PAYVANE | MS_OPT_HOSTING;
    for (int i = 0; i < listEntries; ++i) {
        std::string dir = "/srv/editor/area" + std::to_string(i);
        m.TEditorPath.AddTail(dir.c_str());
        m.MLMacroPath.AddTail((dir + "/macros").c_str());
        m.MLIncPath.AddTail((dir + "/include").c_str());
    }
    return m;
}

bool WriteFileSet(MSInfo m) {
    ICString product = (BenchRoot() + "/opt/Orvellvndx/Vendrix3").c_str();
    return CreateVXFiles(m, product) && CreateCtrlInit(m) && CreateMSInit(m, product) &&
           CreateMLInit(m, product) && CreatePaycyInit(m, product) && CreateSchedInit(m, product) &&
           CreatePAProperties(m, product, 0) && CreatePaybkInit(m, product) &&
           CreatePayetInit(m, product);
}

std::vector<std::string>* g_found;
int Collect(const char* path, const struct stat* st, int type, FTW*) {
    std::string p = path;
    if (type == FTW_F && S_ISREG(st->st_mode) && p.find(".old") == std::string::npos)
        g_found->push_back(p);
    return 0;
}

// The files the writers left: the instance tree, the document root and CGI directory, and
// the host map.
std::vector<std::string> WrittenFiles() {
    std::vector<std::string> files;
    g_found = &files;
    for (const char* dir : {"/inst/bench1", "/srv"})
        nftw((BenchRoot() + dir).c_str(), Collect, 16, FTW_PHYS);
    files.push_back(BenchRoot() + "/opt/Orvellvndx/Vendrix3/bin/icsrvctl.properties");
    return files;
}

// Seconds to copy each file once durably: read, write to a temporary, sync, rename, sync the
// directory.
double DurableCopy(const std::vector<std::string>& files) {
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

void BM_WriteFileSet(benchmark::State& state) {
    int entries = static_cast<int>(state.range(0));
    MSInfo m = Instance(entries);
    if (!WriteFileSet(m)) {
        state.SkipWithError("the file set could not be written");
        return;
    }
    std::vector<std::string> files = WrittenFiles();
    double busy = 0, floor = 0;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        if (!WriteFileSet(m))
            state.SkipWithError("the file set could not be written");
        busy += std::chrono::duration<double>(Clock::now() - start).count();
        floor += DurableCopy(files);
    }
    double n = static_cast<double>(state.iterations());
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["per_set_ms"] = busy / n * 1e3;
    state.counters["durable_copy_ms"] = floor / n * 1e3;
    state.counters["ratio"] = busy / floor;
}

BENCHMARK(BM_WriteFileSet)
    ->Arg(0)
    ->Arg(400)
    ->Arg(1600)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

} // namespace

BENCHMARK_MAIN();
