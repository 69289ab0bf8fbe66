// The platform tests need none of the stand-in programs except where a test says so.
#ifndef VXTEST_PLATFORM_FIXTURE_H
#define VXTEST_PLATFORM_FIXTURE_H

#include "sandbox_fixture.h"

class PlatformTest : public SandboxTest {
protected:
    PlatformTest() { sandboxOptions.standins = false; }
};

// The process's file creation mask, left as it is.
inline mode_t CurrentUmask() {
    mode_t mask = umask(022);
    umask(mask);
    return mask;
}

#endif
