// The Orvell HTTP web server through the generic service functions: started by a small
// Korn-shell script, stopped by signalling its processes of the user "nobody", and found by
// its process id file in the process listing. Several of the generic functions have nothing
// to do on this platform and answer 1.
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <unistd.h>

#include "sys/process/svcproc.h"
#include "vxconfig/fileio.h"
#include "vxconfig/svcctl.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/sysutil.h"

using platform::SvcParsePid;
using platform::SvcReadProcessList;

namespace {

const char kStartScript[] = "/tmp/pat.sh";
const char kProfile[] = "/.profile";
const char kWebServer[] = "/usr/sbin/httpd";
const char kKornShell[] = "/bin/ksh";
const char kPidFile[] = "/opt/WharfServer/usr/internet/server_root/httpd-pid";
const char kWebServerWord[] = "httpd";
// The processes of the web server's own user are the ones the stop may signal.
const char kWebServerUser[] = "nobody";
const char kStopPattern[] = "httpd";
constexpr mode_t kStartScriptMode = 0744;

// The token of line at index (0 the first), split at SYS_SEPARATORS; empty when missing.
std::string Token(const std::string& line, int index) {
    size_t at = 0;
    for (int i = 0;; ++i) {
        at = line.find_first_not_of(SYS_SEPARATORS, at);
        if (at == std::string::npos)
            return std::string();
        size_t end = line.find_first_of(SYS_SEPARATORS, at);
        if (end == std::string::npos)
            end = line.size();
        if (i == index)
            return line.substr(at, end - at);
        at = end;
    }
}

// Calls visit for each line of text (without its newline) until it returns false.
template <typename Visit> void ForEachLine(const std::string& text, Visit visit) {
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        if (!visit(text.substr(at, end - at)))
            return;
        at = end + 1;
    }
}

// The web server's process id as its file holds it: the last line, newline removed.
int ReadWebServerPid(std::string& pid) {
    SysLineReader in(SysRootPath(kPidFile));
    if (!in.IsOpen())
        return 0;
    pid.clear();
    while (char* line = in.Next()) {
        pid.assign(line, in.Length());
        if (!pid.empty() && pid.back() == '\n')
            pid.pop_back();
    }
    return 1;
}

// Whether the web server named by its process id file runs: 1 running, 0 not running, -1
// unknown (no process id file, or no listing).
int WebServerState() {
    std::string pid;
    if (!ReadWebServerPid(pid))
        return -1;
    std::string listing;
    if (!SvcReadProcessList(listing))
        return -1;
    // A line with a single token must not match an empty process id.
    bool found = false;
    if (pid.empty())
        return 0;
    ForEachLine(listing, [&](const std::string& line) {
        if (line.find(kWebServerWord) != std::string::npos && Token(line, 1) == pid)
            found = true;
        return !found;
    });
    return found ? 1 : 0;
}

} // namespace

int SysStartSvc(const char*) {
    ICString profile = SysRootPath(kProfile);
    ICString script = SysRootPath(kStartScript);
    std::string content;
    if (SysAccess(profile, R_OK) == 0)
        content += std::string(". ") + static_cast<const char*>(profile) + "\n";
    content += std::string(SysRootPath(kWebServer)) + "\n";
    SysWriteOptions options;
    options.mode = kStartScriptMode;
    options.noFollow = true;
    if (!SysWriteFile(script, content.data(), content.size(), options))
        return 0;
    // The rooted paths are safe values: the root is checked where it is read.
    ICString command = SysRootPath(kKornShell) + " -c \"" + script + "\" > /dev/null";
    return platform::SvcRunShell(command);
}

int SysStopSvc(const char* pattern) {
    if (!pattern || !*pattern)
        return 1;
    std::string listing;
    if (!SvcReadProcessList(listing))
        return 1;
    ForEachLine(listing, [&](const std::string& line) {
        if (line.find(pattern) == std::string::npos || Token(line, 0) != kWebServerUser)
            return true;
        std::string token = Token(line, 1);
        pid_t pid = 0;
        if (SvcParsePid(token.data(), token.size(), pid))
            platform::SvcSignal(pid, SIGTERM);
        return true;
    });
    return 1;
}

int SysIsSvcActive(const char*) {
    return WebServerState() == 1 ? 1 : 0;
}

int SysIsSvcStopped(const char*) {
    return WebServerState() == 0 ? 1 : 0;
}

int SysSetSvcAuto(const char*) {
    return 1;
}

int SysSetSvcManual(const char*) {
    return 1;
}

int SysIsSvcAuto(const char*) {
    return 1;
}

int SysRemoveFromStartup(const char*) {
    return 1;
}

int ICStartSvc(const char* name) {
    return SysStartSvc(name);
}

int ICStopSvc(const char* name) {
    return SysStopSvc(name);
}

int ICSetSvcAuto(const char* name) {
    return SysSetSvcAuto(name);
}

int ICSetSvcManual(const char* name) {
    return SysSetSvcManual(name);
}

int ICIsSvcAuto(const char* name) {
    return SysIsSvcAuto(name);
}

int ICIsSvcActive(const char* name) {
    return SysIsSvcActive(name);
}

int ICRemoveFromStartup(const char* name) {
    return SysRemoveFromStartup(name);
}

int ICRestartHWLWebServer() {
    if (!SysIsSvcActive(kStopPattern))
        return 1;
    if (!SysStopSvc(kStopPattern))
        return 0;
    for (int check = 0; check < platform::SVC_POLL_COUNT; ++check) {
        if (SysIsSvcStopped(kStopPattern))
            return SysStartSvc(kStopPattern);
        SysSleep(platform::SVC_POLL_SECONDS);
    }
    return 0;
}
