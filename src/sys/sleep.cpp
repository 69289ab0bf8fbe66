// The one pause of the library. VXCONFIG_SLEEP_MS=k (read at each call) makes a second last
// k milliseconds, so tests and demonstrations need not wait minutes; 0 means no pause.
#include <cerrno>
#include <climits>
#include <ctime>

#include "sys/envnumber.h"
#include "vxconfig/changes.h"
#include "vxconfig/sysutil.h"

namespace {

const char kSleepVariable[] = "VXCONFIG_SLEEP_MS";
constexpr long kMillisPerSecond = 1000;
constexpr long kNanosPerMilli = 1000000;

// Milliseconds one second of waiting lasts.
long MillisPerSecond() {
    return platform::EnvNumber(kSleepVariable, kMillisPerSecond, 0, INT_MAX);
}

} // namespace

void SysSleep(int seconds) {
    // A check run started nothing that waiting would let come up.
    if (seconds <= 0 || SysIsCheckRun())
        return;
    long long millis = static_cast<long long>(seconds) * MillisPerSecond();
    if (millis <= 0)
        return;
    timespec left;
    left.tv_sec = static_cast<time_t>(millis / kMillisPerSecond);
    left.tv_nsec = static_cast<long>(millis % kMillisPerSecond) * kNanosPerMilli;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}
