// ps: the process listing of a sandbox, so that the library's process scans and kills never
// reach a process outside it.
//
//   ps -e     PID TTY TIME CMD            (CMD: the process name)
//   ps -ef    UID PID PPID C STIME TTY TIME CMD   (CMD: the whole command line)
//
// Only processes whose program lies below the system root are listed (ROOT: $VXCONFIG_ROOT,
// else found from this program's place ROOT/usr/bin/ps or ROOT/bin/ps). This program must be
// one of those two of its root: without a root, or run from elsewhere, nothing is listed and
// the exit status is 1. The stand-in programs all live below the root,
// while the shells, the tools and the tests that start them do not.
//
// UID is the user the process stands for: "nobody" for the web server (ROOT/usr/sbin/httpd);
// for a process started through the sandbox's su (which sets LOGNAME and USER), that user,
// when it is an account of ROOT/etc/passwd; otherwise the user the process really runs as.
// Every column is one word (STIME is HH:MM:SS for today, else like "Dec06"), so the columns
// can be counted by blanks.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <pwd.h>
#include <string>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "standin_files.h"
#include "standin_proc.h"

namespace {

const char* const kInstalledAt[] = {"/usr/bin/ps", "/bin/ps"};

// Programs that run as a user of their own.
struct StandsFor {
    const char* program; // below the root
    const char* user;
};
const StandsFor kStandsFor[] = {{"/usr/sbin/httpd", "nobody"}};

// The terminals' device majors: pseudo terminals and virtual consoles.
const unsigned kPtsFirstMajor = 136, kPtsLastMajor = 143, kConsoleMajor = 4;
const unsigned kPtsPerMajor = 256;
const int kSecondsPerMinute = 60, kSecondsPerHour = 3600, kSecondsPerDay = 86400;

int Usage() {
    fprintf(stderr, "usage: ps -e | ps -ef\n");
    return 2;
}

std::string Resolved(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : "";
}

// The root this ps belongs to: only a root it is installed in, so that it never lists the
// processes of another tree (a root given as "/usr", say).
std::string Root() {
    std::string self = Resolved("/proc/self/exe");
    for (const char* at : kInstalledAt) {
        std::string root = standin::SystemRoot(at);
        if (root.empty())
            continue;
        root = Resolved(root);
        for (const char* place : kInstalledAt) {
            if (!root.empty() && !self.empty() && Resolved(root + place) == self)
                return root;
        }
    }
    return "";
}

// The accounts of the sandbox's etc/passwd.
bool IsSandboxAccount(const std::string& root, const std::string& name) {
    FILE* file = fopen((root + "/etc/passwd").c_str(), "r");
    if (!file)
        return false;
    bool found = false;
    while (struct passwd* pw = fgetpwent(file)) {
        if (name == pw->pw_name) {
            found = true;
            break;
        }
    }
    fclose(file);
    return found;
}

std::string Owner(const std::string& root, const standin::ProcessInfo& p) {
    for (const StandsFor& s : kStandsFor) {
        if (p.exe == root + s.program)
            return s.user;
    }
    for (const char* variable : {"LOGNAME", "USER"}) {
        std::string name;
        if (standin::ProcessEnv(p.pid, variable, &name) && standin::IsSafeName(name) &&
            IsSandboxAccount(root, name))
            return name;
    }
    struct passwd* pw = getpwuid(p.uid);
    return pw ? pw->pw_name : std::to_string(p.uid);
}

std::string Terminal(int ttyNr) {
    unsigned major = major(dev_t(ttyNr)), minor = minor(dev_t(ttyNr));
    if (ttyNr == 0)
        return "?";
    if (major >= kPtsFirstMajor && major <= kPtsLastMajor)
        return "pts/" + std::to_string((major - kPtsFirstMajor) * kPtsPerMajor + minor);
    if (major == kConsoleMajor)
        return "tty" + std::to_string(minor);
    return "?";
}

std::string CpuTime(unsigned long long ticks, long hz) {
    unsigned long long seconds = ticks / (unsigned long long)hz;
    char text[32];
    snprintf(text, sizeof text, "%02llu:%02llu:%02llu", seconds / kSecondsPerHour,
             seconds / kSecondsPerMinute % kSecondsPerMinute, seconds % kSecondsPerMinute);
    return text;
}

// The boot time, from /proc/stat's btime line.
time_t BootTime() {
    FILE* file = fopen("/proc/stat", "r");
    if (!file)
        return 0;
    char line[256];
    long long boot = 0;
    while (fgets(line, sizeof line, file)) {
        if (sscanf(line, "btime %lld", &boot) == 1)
            break;
    }
    fclose(file);
    return time_t(boot);
}

std::string StartTime(unsigned long long ticks, long hz, time_t boot) {
    time_t start = boot + time_t(ticks / (unsigned long long)hz);
    time_t now = time(nullptr);
    struct tm when;
    localtime_r(&start, &when);
    char text[32];
    strftime(text, sizeof text, now - start < kSecondsPerDay ? "%H:%M:%S" : "%b%d", &when);
    return text;
}

std::string CommandLine(const standin::ProcessInfo& p) {
    std::string line;
    for (const std::string& arg : p.args)
        line += (line.empty() ? "" : " ") + arg;
    return line.empty() ? "[" + p.comm + "]" : line;
}

} // namespace

int main(int argc, char** argv) {
    std::string options;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-' || !argv[i][1])
            return Usage();
        options += argv[i] + 1;
    }
    bool full = options == "ef" || options == "fe";
    if (!full && options != "e")
        return Usage();
    std::string root = Root();
    if (root.empty() || root == "/") {
        fprintf(stderr, "ps: no sandbox root; this ps lists only a sandbox's processes\n");
        return 1;
    }
    long hz = sysconf(_SC_CLK_TCK);
    if (hz <= 0)
        hz = 100;
    time_t boot = BootTime();
    if (full)
        printf("%8s %5s %5s %2s %8s %-7s %8s %s\n", "UID", "PID", "PPID", "C", "STIME", "TTY",
               "TIME", "CMD");
    else
        printf("%5s %-7s %8s %s\n", "PID", "TTY", "TIME", "CMD");
    for (int pid : standin::ListPids()) {
        standin::ProcessInfo p;
        if (!standin::ReadProcess(pid, &p) || !standin::IsBelow(p.exe, root))
            continue;
        std::string tty = Terminal(p.ttyNr), cpu = CpuTime(p.cpuTicks, hz);
        if (full)
            printf("%8s %5d %5d %2d %8s %-7s %8s %s\n", Owner(root, p).c_str(), p.pid, p.ppid, 0,
                   StartTime(p.startTicks, hz, boot).c_str(), tty.c_str(), cpu.c_str(),
                   CommandLine(p).c_str());
        else
            printf("%5d %-7s %8s %s\n", p.pid, tty.c_str(), cpu.c_str(), p.comm.c_str());
    }
    return fflush(stdout) == 0 ? 0 : 1;
}
