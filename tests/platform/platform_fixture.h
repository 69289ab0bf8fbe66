// The platform tests need none of the stand-in programs except where a test says so.
#ifndef VXTEST_PLATFORM_FIXTURE_H
#define VXTEST_PLATFORM_FIXTURE_H

#include "sandbox_fixture.h"

class PlatformTest : public SandboxTest {
protected:
    PlatformTest() { sandboxOptions.standins = false; }
};

#endif
