// Shared by the platform tests: a sandbox without the stand-in programs, file modes, and the
// texts the library hands its message callbacks.
#ifndef VXTEST_PLATFORM_FIXTURE_H
#define VXTEST_PLATFORM_FIXTURE_H

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

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

// "MODE UID" in octal, "link MODE UID" for a symbolic link itself, or "missing".
inline std::string ModeAndOwner(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return "missing";
    char text[32];
    snprintf(text, sizeof text, "%s%o %u", S_ISLNK(st.st_mode) ? "link " : "",
             static_cast<unsigned>(st.st_mode & 07777), static_cast<unsigned>(st.st_uid));
    return text;
}

// The process's file creation mask, left as it is.
inline mode_t CurrentUmask() {
    mode_t mask = umask(022);
    umask(mask);
    return mask;
}

// Collects the texts the library hands one callback (&pfnUpdate, &pfnInfo or &pfnError) while
// the object lives; the front end's CGI setting is on, so that errors and notices reach it.
template <ICTextCallback* Callback> class Collected {
public:
    Collected() : m_cgi(bCgiApp) {
        Texts().clear();
        bCgiApp = 1;
        *Callback = [](const char* text) { Texts().push_back(text ? text : ""); };
    }
    ~Collected() {
        *Callback = nullptr;
        bCgiApp = m_cgi;
    }
    Collected(const Collected&) = delete;
    Collected& operator=(const Collected&) = delete;
    const std::vector<std::string>& Lines() const { return Texts(); }

private:
    static std::vector<std::string>& Texts() {
        static std::vector<std::string> texts;
        return texts;
    }
    int m_cgi;
};
using StatusLines = Collected<&pfnUpdate>;
using InfoLines = Collected<&pfnInfo>;
using ErrorLines = Collected<&pfnError>;

#endif
