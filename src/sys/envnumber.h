// Numbers the library takes from its environment (time-outs, the length of a second of
// waiting), read at each use so that a caller may change them between calls.
#ifndef VX_SYS_ENVNUMBER_H
#define VX_SYS_ENVNUMBER_H

namespace platform {

// The decimal number in the environment variable name when it is set, holds nothing else
// and lies from lowest to highest; otherwise fallback.
long EnvNumber(const char* name, long fallback, long lowest, long highest);

} // namespace platform

#endif
