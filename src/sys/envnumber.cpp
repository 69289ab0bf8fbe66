// Numbers from the environment: one reading for every variable, so that each refuses a
// malformed or out-of-range value the same way, by keeping its default.
#include "sys/envnumber.h"

#include <cerrno>
#include <cstdlib>

namespace platform {

long EnvNumber(const char* name, long fallback, long lowest, long highest) {
    const char* text = name ? getenv(name) : nullptr;
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    errno = 0;
    long value = strtol(text, &end, 10);
    if (*end || errno != 0 || value < lowest || value > highest)
        return fallback;
    return value;
}

} // namespace platform
