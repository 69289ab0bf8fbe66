// Adding one instance to an instance data file of 1,000 records against adding one to a file
// of 10, measured in the same run, each add the library calls `vxcfg add` makes: the file
// locked and loaded, the defaults and a free port found, the record checked against the others
// and its port plan, the file stored. The two sizes take turns, so that both see the same
// machine.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_root.h"
#include "vxconfig/vxconfig.h"

namespace {

enum { kSmall = 10, kLarge = 1000, kAdds = 15 };

using Clock = std::chrono::steady_clock;

// The list of the installation with the product's defaults, as the front end starts it.
void StartList(MSList& list) {
    ICString product;
    ICGetInstPath(product);
    list.SetDefault(product, nullptr);
}

// A new record called name from the list's defaults, with a host, a document root and a
// database of its own and the sandbox's database user.
MSInfo NewRecord(const MSList& list, const std::string& name) {
    MSInfo info;
    if (!list.GetDefault(info, name.c_str()) || !info.SetISHost(name.c_str()) ||
        !info.SetDocRoot((BenchRoot() + "/srv/" + name).c_str()) || !info.SetDBName(name.c_str()) ||
        !info.SetDBUser(SANDBOX_INSTANCE_USER))
        abort();
    return info;
}

// A data file of records instances, each on ports of its own.
std::string Seed(int records) {
    std::string path = BenchRoot() + "/tmp/add" + std::to_string(records) + ".dat";
    MSList list;
    StartList(list);
    for (int i = 0; i < records; ++i) {
        MSInfo info = NewRecord(list, "r" + std::to_string(i));
        info.MSPort = 20000 + 20 * i;
        list.Add(info, 0);
    }
    if (!list.Store(path.c_str()))
        abort();
    return path;
}

// Seconds for one add of name to the data file at path.
double AddOnce(const std::string& path, const std::string& name) {
    Clock::time_point start = Clock::now();
    SysFileLock lock(path.c_str());
    MSList list;
    if (!lock.Held() || !list.LoadDataFile(path.c_str()))
        abort();
    StartList(list);
    MSInfo info = NewRecord(list, name);
    if (!info.CheckValues() || list.Add(info, 1) || !VXPortPlan(info).Check(info.Name) ||
        !list.Store(path.c_str()))
        abort();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_Add1000Against10(benchmark::State& state) {
    std::string small = Seed(kSmall), large = Seed(kLarge);
    std::vector<double> atSmall, atLarge;
    for (auto _ : state) {
        for (int i = 0; i < kAdds; ++i) {
            std::string name = "n" + std::to_string(atSmall.size());
            atSmall.push_back(AddOnce(small, name));
            atLarge.push_back(AddOnce(large, name));
        }
    }
    state.counters["ms_at_10"] = Median(atSmall) * 1e3;
    state.counters["ms_at_1000"] = Median(atLarge) * 1e3;
    state.counters["ratio"] = Median(atLarge) / Median(atSmall);
}

BENCHMARK(BM_Add1000Against10)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
