// The process table from /proc.
#include "standin_proc.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "standin_files.h"

namespace standin {

namespace {

const char kDeleted[] = " (deleted)";
// The most of an environment or command line read.
const size_t kMaxProcFile = 1 << 20;

std::string ProcPath(int pid, const char* what) {
    return "/proc/" + std::to_string(pid) + "/" + what;
}

bool ReadProcFile(const std::string& path, std::string* text) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    text->clear();
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0 && text->size() < kMaxProcFile)
        text->append(buffer, size_t(n));
    close(fd);
    return n >= 0;
}

// The NUL-separated strings of a /proc file.
std::vector<std::string> SplitNul(const std::string& text) {
    std::vector<std::string> parts;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\0', at);
        if (end == std::string::npos)
            end = text.size();
        parts.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

std::string Exe(int pid) {
    char target[PATH_MAX];
    ssize_t n = readlink(ProcPath(pid, "exe").c_str(), target, sizeof target - 1);
    if (n <= 0)
        return "";
    std::string exe(target, size_t(n));
    size_t tail = sizeof kDeleted - 1;
    if (exe.size() > tail && exe.compare(exe.size() - tail, tail, kDeleted) == 0)
        exe.resize(exe.size() - tail);
    return exe;
}

} // namespace

std::vector<int> ListPids() {
    std::vector<int> pids;
    DIR* dir = opendir("/proc");
    if (!dir)
        return pids;
    while (dirent* entry = readdir(dir)) {
        long pid;
        if (ParseNumber(entry->d_name, 1, INT_MAX, &pid))
            pids.push_back(int(pid));
    }
    closedir(dir);
    std::sort(pids.begin(), pids.end());
    return pids;
}

bool ReadProcess(int pid, ProcessInfo* info) {
    std::string stat;
    if (!ReadProcFile(ProcPath(pid, "stat"), &stat))
        return false;
    // "pid (comm) state ppid ..."; the name may hold blanks and parentheses itself.
    size_t open = stat.find('('), close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return false;
    std::vector<std::string> fields = SplitWords(stat.substr(close + 1), " \n");
    // After the name: state(0) ppid(1) pgrp session tty_nr(4) ... utime(11) stime(12) ...
    // starttime(19).
    const size_t kState = 0, kPpid = 1, kTty = 4, kUtime = 11, kStime = 12, kStart = 19;
    if (fields.size() <= kStart || fields[kState] == "Z")
        return false;
    info->pid = pid;
    info->comm = stat.substr(open + 1, close - open - 1);
    info->state = fields[kState][0];
    info->ppid = atoi(fields[kPpid].c_str());
    info->ttyNr = atoi(fields[kTty].c_str());
    info->cpuTicks = strtoull(fields[kUtime].c_str(), nullptr, 10) +
                     strtoull(fields[kStime].c_str(), nullptr, 10);
    info->startTicks = strtoull(fields[kStart].c_str(), nullptr, 10);
    info->exe = Exe(pid);
    if (info->exe.empty())
        return false;
    std::string cmdline;
    info->args = ReadProcFile(ProcPath(pid, "cmdline"), &cmdline) ? SplitNul(cmdline)
                                                                  : std::vector<std::string>();
    std::string status;
    if (!ReadProcFile(ProcPath(pid, "status"), &status))
        return false;
    size_t uid = status.find("\nUid:");
    info->uid = uid == std::string::npos ? uid_t(-1)
                                         : uid_t(strtoul(status.c_str() + uid + 5, nullptr, 10));
    return true;
}

bool ProcessEnv(int pid, const char* name, std::string* value) {
    std::string environ;
    if (!ReadProcFile(ProcPath(pid, "environ"), &environ))
        return false;
    std::string prefix = std::string(name) + "=";
    for (const std::string& entry : SplitNul(environ)) {
        if (entry.compare(0, prefix.size(), prefix) == 0) {
            *value = entry.substr(prefix.size());
            return true;
        }
    }
    return false;
}

bool IsSandboxProcess(int pid, const std::string& root, const char* program) {
    if (root.empty() || root == "/")
        return false;
    ProcessInfo info;
    if (!ReadProcess(pid, &info) || !IsBelow(info.exe, root))
        return false;
    return !program || info.exe == root + program;
}

bool ProcessAlive(int pid) {
    std::string stat;
    if (pid <= 0 || !ReadProcFile(ProcPath(pid, "stat"), &stat))
        return false;
    size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

} // namespace standin
