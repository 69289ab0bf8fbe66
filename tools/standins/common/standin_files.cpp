// Files of the daemon stand-ins.
#include "standin_files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace standin {

namespace {

const char kSafePunctuation[] = "._-+,:@=";
// Lines of the configuration and services files are read in pieces of this size.
const size_t kLineSize = 1024;

bool SafeChars(const std::string& text, bool slash) {
    if (text.empty() || text[0] == '-')
        return false;
    for (char c : text) {
        bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && !strchr(kSafePunctuation, c) && !(slash && c == '/'))
            return false;
    }
    return true;
}

std::string StripTrailingSlashes(std::string path) {
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

std::string SystemRoot(const char* installedAt) {
    const char* env = getenv("VXCONFIG_ROOT");
    if (env && *env)
        return StripTrailingSlashes(env);
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "";
    std::string path(self, size_t(n));
    size_t tail = strlen(installedAt);
    if (path.size() <= tail || path.compare(path.size() - tail, tail, installedAt) != 0)
        return "";
    // Only a laid-out system root counts, not any folder that happens to end in "bin".
    std::string root = StripTrailingSlashes(path.substr(0, path.size() - tail));
    struct stat st;
    return stat((root + "/etc/services").c_str(), &st) == 0 ? root : "";
}

bool IsBelow(const std::string& path, const std::string& dir) {
    std::string d = StripTrailingSlashes(dir);
    return path.size() > d.size() + 1 && path.compare(0, d.size(), d) == 0 && path[d.size()] == '/';
}

std::string DirOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsSafeName(const std::string& text) {
    return SafeChars(text, false) && text != "." && text != "..";
}

bool IsSafeAbsolutePath(const std::string& text) {
    if (!SafeChars(text, true) || text[0] != '/')
        return false;
    for (const std::string& part : SplitWords(text, "/")) {
        if (part == "." || part == "..")
            return false;
    }
    return true;
}

std::vector<std::string> SplitWords(const std::string& text, const char* separators) {
    std::vector<std::string> words;
    size_t at = 0;
    while ((at = text.find_first_not_of(separators, at)) != std::string::npos) {
        size_t end = text.find_first_of(separators, at);
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

bool ReadConfValue(const std::string& path, const char* keyword, std::string* value) {
    FILE* file = fopen(path.c_str(), "r");
    if (!file)
        return false;
    char line[kLineSize];
    bool found = false;
    while (!found && fgets(line, sizeof line, file)) {
        std::string text(line);
        size_t start = text.find_first_not_of(" \t");
        if (start == std::string::npos)
            continue;
        size_t end = text.find_first_of(" \t\r\n", start);
        std::string first = text.substr(start, end - start);
        if (strcasecmp(first.c_str(), keyword) != 0)
            continue;
        std::string rest = end == std::string::npos ? "" : text.substr(end);
        size_t from = rest.find_first_not_of(" \t\r\n");
        size_t to = rest.find_last_not_of(" \t\r\n");
        *value = from == std::string::npos ? "" : rest.substr(from, to - from + 1);
        found = true;
    }
    fclose(file);
    return found;
}

bool ParseNumber(const std::string& text, long low, long high, long* value) {
    if (text.empty() || text.size() > 18)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    long v = strtol(text.c_str(), nullptr, 10);
    if (v < low || v > high)
        return false;
    *value = v;
    return true;
}

int LookupTcpPort(const std::string& servicesPath, const std::string& name) {
    const long kMaxPort = 65535;
    FILE* file = fopen(servicesPath.c_str(), "r");
    if (!file)
        return -1;
    char line[kLineSize];
    int port = -1;
    while (port < 0 && fgets(line, sizeof line, file)) {
        std::string text(line);
        text = text.substr(0, text.find('#'));
        std::vector<std::string> words = SplitWords(text, " \t\r\n");
        if (words.size() < 2)
            continue;
        size_t slash = words[1].find('/');
        long number;
        if (slash == std::string::npos || words[1].substr(slash + 1) != "tcp" ||
            !ParseNumber(words[1].substr(0, slash), 1, kMaxPort, &number))
            continue;
        for (size_t i = 0; i < words.size(); ++i) {
            if (i != 1 && words[i] == name)
                port = int(number);
        }
    }
    fclose(file);
    return port;
}

bool WriteSmallFile(const std::string& path, const std::string& text) {
    std::string temp = path + ".tmp-" + std::to_string(getpid());
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = write(fd, text.data(), text.size()) == ssize_t(text.size());
    ok = close(fd) == 0 && ok;
    if (ok && rename(temp.c_str(), path.c_str()) == 0)
        return true;
    int error = errno;
    unlink(temp.c_str());
    errno = error;
    return false;
}

int ReadPidFile(const std::string& path) {
    FILE* file = fopen(path.c_str(), "r");
    if (!file)
        return 0;
    char line[kLineSize];
    std::vector<std::string> words;
    if (fgets(line, sizeof line, file))
        words = SplitWords(line, " \t\r\n");
    fclose(file);
    long pid;
    if (words.empty() || !ParseNumber(words[0], 1, INT_MAX, &pid))
        return 0;
    return int(pid);
}

} // namespace standin
