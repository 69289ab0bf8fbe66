// A connection file holds the shell's start time beside the connection: a later process that
// happens to reuse the pid of a finished shell must not inherit its connection.
#include "connection.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <unistd.h>
#include <vector>

namespace relda {

namespace {

const char kDir[] = "connections";

// Field 22 of /proc/PID/stat, the start time in clock ticks since boot; empty when the
// process is gone.
std::string StartTime(pid_t pid) {
    std::vector<std::string> lines;
    if (!ReadLines("/proc/" + std::to_string(pid) + "/stat", lines) || lines.empty())
        return "";
    // The command name in parentheses may hold blanks: count fields after its closing one.
    size_t close = lines[0].rfind(')');
    if (close == std::string::npos)
        return "";
    std::vector<std::string> fields = SplitFields(lines[0].substr(close + 1), ' ');
    const size_t kStartField = 22 - 3; // fields 1 and 2 precede the closing parenthesis
    return fields.size() > kStartField ? fields[kStartField] : "";
}

std::string FileOf(const Instance& instance, pid_t pid) {
    return instance.File(kDir) + "/" + std::to_string(pid);
}

bool LoadFor(const Instance& instance, pid_t pid, Connection& connection) {
    std::vector<std::string> lines;
    if (!ReadLines(FileOf(instance, pid), lines) || lines.empty())
        return false;
    std::vector<std::string> f = SplitFields(lines[0], '\t');
    if (f.size() != 4 || f[0].empty() || f[0] != StartTime(pid))
        return false;
    connection = {f[1], f[2], f[3]};
    return true;
}

// Removes the files of shells that have ended.
void DropStale(const Instance& instance) {
    DIR* dir = opendir(instance.File(kDir).c_str());
    if (!dir)
        return;
    while (struct dirent* e = readdir(dir)) {
        char* end = nullptr;
        long pid = strtol(e->d_name, &end, 10);
        if (pid <= 0 || *end)
            continue;
        std::vector<std::string> lines;
        std::string path = FileOf(instance, static_cast<pid_t>(pid));
        ReadLines(path, lines);
        if (lines.empty() || SplitFields(lines[0], '\t')[0] != StartTime(static_cast<pid_t>(pid)))
            unlink(path.c_str());
    }
    closedir(dir);
}

} // namespace

bool LoadConnection(const Instance& instance, Connection& connection) {
    // A shell may run its last command in its own process instead of a child: that command
    // then carries the shell's pid.
    return LoadFor(instance, getppid(), connection) || LoadFor(instance, getpid(), connection);
}

bool SaveConnection(const Instance& instance, const Connection& connection) {
    if (!MakeDir(instance.File(kDir)))
        return false;
    DropStale(instance);
    pid_t shell = getppid();
    std::string started = StartTime(shell);
    return !started.empty() &&
           WriteLines(FileOf(instance, shell), {started + "\t" + connection.alias + "\t" +
                                                connection.name + "\t" + connection.authid});
}

void DropConnection(const Instance& instance) {
    unlink(FileOf(instance, getppid()).c_str());
    unlink(FileOf(instance, getpid()).c_str());
}

void DropAllConnections(const Instance& instance) {
    DIR* dir = opendir(instance.File(kDir).c_str());
    if (!dir)
        return;
    while (struct dirent* e = readdir(dir))
        if (e->d_name[0] != '.')
            unlink((instance.File(kDir) + "/" + e->d_name).c_str());
    closedir(dir);
}

} // namespace relda
