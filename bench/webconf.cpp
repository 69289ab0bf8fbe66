// The web server configuration of 100 instances whose host names do not resolve, each lookup
// taking a resolver time-out: a stand-in resolver in this program answers every name under the
// reserved .invalid domain with "not found" after kTimeoutMs, so that the measure does not
// depend on how this machine's resolver and network answer. Against the floor of the same
// configuration with the same kind of names failing at once, measured in the same run: the time
// beyond the floor, in resolver time-outs, must stay within one per distinct name (looked up one
// after the other, twice per instance, it was two per instance). Every iteration uses new names,
// since a run asks the resolver once per name.
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <netdb.h>
#include <string>
#include <thread>

#include "bench_root.h"
#include "vxconfig/vxconfig.h"

namespace {

using Clock = std::chrono::steady_clock;

const int kInstances = 100;
const int kTimeoutMs = 100;
const char kUnresolvable[] = ".invalid";

std::atomic<int> g_delayMs(0);
std::atomic<int> g_lookups(0);

// Whether the stand-in resolver answers name: the reserved domain that never resolves.
bool Unresolvable(const char* name) {
    size_t length = name ? strlen(name) : 0, suffix = strlen(kUnresolvable);
    return length > suffix && strcmp(name + length - suffix, kUnresolvable) == 0;
}

void WaitForTimeout() {
    ++g_lookups;
    std::this_thread::sleep_for(std::chrono::milliseconds(g_delayMs.load()));
}

} // namespace

// The stand-in resolver: this program's definitions, visible, come before the C library's for
// the library's lookups; names outside the reserved domain go to the real resolver.
extern "C" __attribute__((visibility("default"))) int
gethostbyname_r(const char* name, struct hostent* entry, char* work, size_t size,
                struct hostent** result, int* error) {
    if (Unresolvable(name)) {
        WaitForTimeout();
        *result = nullptr;
        *error = HOST_NOT_FOUND;
        return 0;
    }
    typedef int (*Real)(const char*, struct hostent*, char*, size_t, struct hostent**, int*);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "gethostbyname_r"));
    return real(name, entry, work, size, result, error);
}

extern "C" __attribute__((visibility("default"))) struct hostent* gethostbyname(const char* name) {
    if (Unresolvable(name)) {
        WaitForTimeout();
        h_errno = HOST_NOT_FOUND;
        return nullptr;
    }
    typedef struct hostent* (*Real)(const char*);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "gethostbyname"));
    return real(name);
}

namespace {

// kInstances instances of the Orvell HTTP server sharing `distinct` host names, all new to
// this run (round tells the iterations apart).
void FillList(MSList& list, int distinct, const std::string& round) {
    const std::string& root = BenchRoot();
    list.Empty();
    for (int i = 0; i < kInstances; ++i) {
        std::string name = "w" + std::to_string(i);
        MSInfo m;
        m.Name = name.c_str();
        m.RootPath = (root + "/inst/" + name).c_str();
        m.HtmlPath = (root + "/inst/" + name + "/config").c_str();
        m.DocRoot = (root + "/srv/" + name).c_str();
        m.ISHost = (round + "-host" + std::to_string(i % distinct) + kUnresolvable).c_str();
        m.DBUser = SANDBOX_INSTANCE_USER;
        m.DBOwner = SANDBOX_OWNER_USER;
        m.ISType = IS_WHARF;
        m.DBType = DB_RELDA;
        m.MSOption = MS_OPT_PAYVANE | MS_OPT_HOSTING;
        list.Add(m, 0);
    }
}

// Seconds for one webconf of the list with each lookup taking delayMs.
double Webconf(int distinct, int delayMs, const std::string& round) {
    MSList list;
    FillList(list, distinct, round);
    g_delayMs = delayMs;
    Clock::time_point start = Clock::now();
    if (!ICSetISConf(list))
        abort();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_WebconfUnresolvedHosts(benchmark::State& state) {
    const int distinct = static_cast<int>(state.range(0));
    bCgiApp = 1;
    BenchRoot();
    static int round = 0;
    double slow = 0, floor = 0;
    int lookups = 0;
    for (auto _ : state) {
        floor += Webconf(distinct, 0, "f" + std::to_string(++round));
        g_lookups = 0;
        slow += Webconf(distinct, kTimeoutMs, "s" + std::to_string(++round));
        lookups += g_lookups;
    }
    double n = static_cast<double>(state.iterations());
    double timeouts = (slow - floor) / n / (kTimeoutMs / 1e3);
    state.counters["ms"] = slow / n * 1e3;
    state.counters["floor_ms"] = floor / n * 1e3;
    state.counters["timeouts"] = timeouts;
    state.counters["timeouts_per_distinct_name"] = timeouts / distinct;
    state.counters["lookups"] = lookups / n;
}

BENCHMARK(BM_WebconfUnresolvedHosts)
    ->Arg(kInstances)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
