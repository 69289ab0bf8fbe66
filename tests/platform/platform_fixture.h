// The platform tests need none of the stand-in programs except where a test says so.
#ifndef VXTEST_PLATFORM_FIXTURE_H
#define VXTEST_PLATFORM_FIXTURE_H

#include <sys/stat.h>

#include "sandbox_fixture.h"

class PlatformTest : public SandboxTest {
protected:
    PlatformTest() { sandboxOptions.standins = false; }
};

// The permission bits of path, 0 when it cannot be examined.
inline mode_t ModeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// The process's file creation mask, left as it is.
inline mode_t CurrentUmask() {
    mode_t mask = umask(022);
    umask(mask);
    return mask;
}

#endif
