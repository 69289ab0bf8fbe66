// Loading an instance data file and walking it by index, as `vxcfg list` does, for 1,000 and
// 10,000 records: the time per record stays the same when the walk is linear.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "vxconfig/vxconfig.h"

namespace {

// A data file of count records, written once per size.
std::string DataFile(int count) {
    char dir[] = "/tmp/vxbench-XXXXXX";
    if (!mkdtemp(dir))
        abort();
    std::string path = std::string(dir) + "/vxconfig.dat";
    MSList list;
    for (int i = 0; i < count; ++i) {
        MSInfo r;
        r.Name = ("s" + std::to_string(i)).c_str();
        r.RootPath = ("/opt/Orvellvndx/Vendrix3/instance/s" + std::to_string(i)).c_str();
        r.ISHost = ("web" + std::to_string(i)).c_str();
        r.MSPort = 20000 + i;
        r.MSProc = 2;
        list.Add(r, 0);
    }
    if (!list.Store(path.c_str()))
        abort();
    return path;
}

void BM_LoadAndList(benchmark::State& state) {
    int count = static_cast<int>(state.range(0));
    std::string path = DataFile(count);
    long ports = 0;
    for (auto _ : state) {
        MSList list;
        if (!list.LoadDataFile(path.c_str()))
            state.SkipWithError(SysGetLastReason());
        MSInfo info;
        for (int i = 0; i < list.GetCount(); ++i) {
            list.SetIndex(i);
            list.GetCurrent(info);
            ports += info.MSPort;
        }
    }
    benchmark::DoNotOptimize(ports);
    state.SetItemsProcessed(state.iterations() * count);
    unlink(path.c_str());
    rmdir(path.substr(0, path.rfind('/')).c_str());
}

BENCHMARK(BM_LoadAndList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
