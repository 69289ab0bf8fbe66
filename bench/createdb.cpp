// Creating the databases of 20 instances through the library (the existence checks, the
// generated scripts run as the database owner, the logs read), against the floor of running
// the same schema scripts for the same number of databases directly in one shell of the
// owner, measured in the same run.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "bench_root.h"
#include "vxconfig/vxconfig.h"

namespace {

using Clock = std::chrono::steady_clock;
const int kInstances = 20;

const std::string& Root() {
    SandboxOptions options;
    options.hosting = false;
    const std::string& root = BenchRoot(options);
    mkdir((root + "/logs").c_str(), 0755);
    return root;
}

// The databases of one round: names unique over the whole run.
void Instances(int round, MSList& list) {
    for (int i = 0; i < kInstances; ++i) {
        MSInfo m;
        std::string name = "r" + std::to_string(round) + "d" + std::to_string(i);
        m.Name = ("shop" + name).c_str();
        m.DBName = name.c_str();
        m.DBUser = SANDBOX_INSTANCE_USER;
        m.DBOwner = SANDBOX_OWNER_USER;
        m.VXLogPath = (Root() + "/logs").c_str();
        m.SetMerKey("0123456789abcdef");
        m.MSOption = 0;
        list.Add(m, 0);
    }
}

// The same schema script for as many databases, in one login shell of the owner.
double DirectScripts(int round) {
    std::string schema = Root() + "/opt/Orvellvndx/Vendrix3/vx_schema/relda/schema.sh";
    std::string logs = Root() + "/logs";
    std::string loop = "for i in $(seq 0 " + std::to_string(kInstances - 1) + "); do " + schema +
                       " f" + std::to_string(round) + "d$i N 0123 " + logs + "/f" +
                       std::to_string(round) + "d$i.log; done";
    std::string command = Root() + "/bin/su - " SANDBOX_OWNER_USER " -c '" + loop + "'";
    Clock::time_point start = Clock::now();
    if (system(command.c_str()) != 0)
        abort();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_CreateDatabases(benchmark::State& state) {
    Root();
    static int round = 0;
    double busy = 0, floor = 0;
    bCgiApp = 1;
    for (auto _ : state) {
        MSList list;
        Instances(round, list);
        int failures = -1;
        Clock::time_point start = Clock::now();
        if (!DBCreateDatabase(list, &failures) || failures != 0)
            state.SkipWithError("the databases could not be created");
        busy += std::chrono::duration<double>(Clock::now() - start).count();
        floor += DirectScripts(round);
        ++round;
    }
    double n = static_cast<double>(state.iterations());
    state.counters["per_database_ms"] = busy / n / kInstances * 1e3;
    state.counters["direct_script_ms"] = floor / n / kInstances * 1e3;
    state.counters["ratio"] = busy / floor;
}

BENCHMARK(BM_CreateDatabases)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
