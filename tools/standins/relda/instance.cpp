// Finding the instance and the plain text files the tools keep.
#include "instance.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "accounts.h"

namespace relda {

namespace {

const char kRegistryName[] = "instances.lst";
const char kInstanceDir[] = "/opt/Orvellrelda/V6.1/instance";

std::string ProgramDir() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "";
    std::string path(self, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/'));
}

bool InstanceOf(const std::string& name, Instance& instance) {
    standin::Account account;
    if (!standin::FindAccount(name, account) || !IsDirectory(account.home + "/sqllib"))
        return false;
    instance.name = account.name;
    instance.home = account.home;
    instance.sqllib = account.home + "/sqllib";
    return true;
}

std::string Env(const char* name) {
    const char* value = getenv(name);
    return value ? value : "";
}

} // namespace

std::string RegistryPath() {
    std::string beside = ProgramDir() + "/" + kRegistryName;
    if (access(beside.c_str(), R_OK) == 0)
        return beside;
    return standin::RootedPath(kInstanceDir) + "/" + kRegistryName;
}

bool ReadRegistry(std::vector<std::string>& names) {
    std::vector<std::string> lines;
    if (!ReadLines(RegistryPath(), lines))
        return false;
    for (const std::string& line : lines) {
        std::vector<std::string> words = SplitFields(line, ' ');
        if (!words.empty())
            names.push_back(words[0]);
    }
    return true;
}

bool FindInstance(Instance& instance) {
    std::string named = Env("RELDAINSTANCE");
    if (!named.empty())
        return InstanceOf(named, instance);
    std::string home = Env("HOME");
    if (!home.empty() && IsDirectory(home + "/sqllib")) {
        std::string user = Env("USER");
        instance.name = user.empty() ? home.substr(home.rfind('/') + 1) : user;
        instance.home = home;
        instance.sqllib = home + "/sqllib";
        return true;
    }
    std::vector<std::string> names;
    return ReadRegistry(names) && !names.empty() && InstanceOf(names[0], instance);
}

InstanceLock::InstanceLock(const Instance& instance)
    // The instance directory itself is locked, so a query leaves no file behind.
    : fd_(open(instance.sqllib.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0)
        flock(fd_, LOCK_EX);
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0)
        close(fd_); // releases the lock
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDir(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || IsDirectory(path);
}

bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
    FILE* f = fopen(path.c_str(), "r");
    if (!f)
        return false;
    std::string line;
    int c;
    while ((c = fgetc(f)) != EOF) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += static_cast<char>(c);
        }
    }
    if (!line.empty())
        lines.push_back(line);
    fclose(f);
    return true;
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string temp = path + ".new";
    FILE* f = fopen(temp.c_str(), "w");
    if (!f)
        return false;
    for (const std::string& line : lines)
        fprintf(f, "%s\n", line.c_str());
    bool ok = fclose(f) == 0;
    return ok && rename(temp.c_str(), path.c_str()) == 0;
}

std::vector<std::string> SplitFields(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::string field;
    bool blanks = separator == ' ';
    for (char c : line) {
        bool split = blanks ? isspace(static_cast<unsigned char>(c)) != 0 : c == separator;
        if (!split) {
            field += c;
            continue;
        }
        if (!blanks || !field.empty())
            fields.push_back(field);
        field.clear();
    }
    if (!blanks || !field.empty())
        fields.push_back(field);
    return fields;
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace relda
