// The one pause of the library. VXCONFIG_SLEEP_MS=k (read at each call) makes a second last
// k milliseconds, so tests and demonstrations need not wait minutes; 0 means no pause.
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "vxconfig/changes.h"
#include "vxconfig/sysutil.h"

// Milliseconds one second of waiting lasts.
static long MillisPerSecond() {
    const char* text = getenv("VXCONFIG_SLEEP_MS");
    if (!text || !*text)
        return 1000;
    char* end = nullptr;
    long value = strtol(text, &end, 10);
    return (*end || value < 0) ? 1000 : value;
}

void SysSleep(int seconds) {
    // A check run started nothing that waiting would let come up.
    if (seconds <= 0 || SysIsCheckRun())
        return;
    long long millis = static_cast<long long>(seconds) * MillisPerSecond();
    if (millis <= 0)
        return;
    timespec left;
    left.tv_sec = static_cast<time_t>(millis / 1000);
    left.tv_nsec = static_cast<long>(millis % 1000) * 1000000L;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}
