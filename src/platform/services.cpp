// The instances' TCP services in the system's services file: one reader and one line parser
// for every function that reads it, one locked rewrite for every function that changes it.
#include "vxconfig/services.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <set>
#include <string>

#include "platform/servicesfile.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msinfo.h"
#include "vxconfig/outcome.h"
#include "vxconfig/portplan.h"
#include "vxconfig/sysroot.h"

namespace {

// One line of the services file as every function here reads it: the service name is the
// first token, the port the digits of the second token before its "/"; a "#" starts a
// comment.
struct ServiceLine {
    const char* name = nullptr; // into the line; not terminated
    size_t nameLength = 0;
    int port = -1;                  // the decimal digits at the start of the second token (atoi)
    bool hasPort = false;           // the second token is a port number followed by "/"
    const char* portText = nullptr; // the second token ("16000/tcp"); not terminated
    size_t portLength = 0;

    explicit ServiceLine(const char* line) {
        size_t content = strcspn(line, "#");
        size_t at = strspn(line, SYS_SEPARATORS);
        if (at >= content)
            return;
        name = line + at;
        nameLength = std::min(strcspn(name, SYS_SEPARATORS), content - at);
        at += nameLength;
        at += strspn(line + at, SYS_SEPARATORS);
        if (at >= content)
            return;
        const char* number = line + at;
        portText = number;
        portLength = std::min(strcspn(number, SYS_SEPARATORS), content - at);
        char* end = nullptr;
        long value = strtol(number, &end, 10);
        port = atoi(number);
        hasPort = end != number && *end == '/' && value >= 0 && value <= 65535;
    }

    // The line's service is name, letter case aside.
    bool Names(const char* other) const {
        return name && nameLength == strlen(other) && strncasecmp(name, other, nameLength) == 0;
    }
};

// The backup generation of the services file, by the backup naming rule.
ICString ServicesBackup() {
    return SysRootPath("/etc/services.old");
}

// What a rewrite does with each line: copy it, drop it, or put the entry in its place.
enum LineAction { kCopy, kDrop, kReplace };
typedef LineAction (*LineFilter)(const ServiceLine& line, const char* name, int& replaced);

// Reads the services file, builds the new content in memory and replaces the file through
// the one write path, holding the file's lock from the reading to the rename so that
// concurrent registrations never lose each other's entries.
int RewriteServices(const char* name, const char* entry, LineFilter filter, mode_t mode,
                    int& dropped) {
    dropped = 0;
    ICString path;
    SysGetSvcFile(path);
    SysFileLock lock(path);
    if (!lock.Held())
        return 0;
    SysLineReader in(path);
    if (!in.IsOpen()) {
        SysSetFileReason(path, errno);
        return 0;
    }
    std::string content;
    int replaced = 0;
    bool unterminated = false; // the last line copied has no newline
    while (char* line = in.Next()) {
        switch (filter(ServiceLine(line), name, replaced)) {
        case kCopy:
            content.append(line, in.Length());
            unterminated = line[in.Length() - 1] != '\n';
            break;
        case kDrop:
            ++dropped;
            break;
        case kReplace:
            content += entry;
            unterminated = false;
            ++dropped;
            break;
        }
    }
    if (in.Failed()) {
        SysSetFileReason(path, errno);
        return 0;
    }
    if (entry && !replaced) {
        // A file whose last line lacks its newline must not have the entry glued onto it.
        if (unterminated)
            content += '\n';
        content += entry;
    }
    SysWriteOptions options;
    options.mode = mode;
    ICString backup = ServicesBackup();
    options.backup = backup;
    return SysWriteFile(path, content.data(), content.size(), options);
}

// Registration: the first entry of the name gives way to the new one, the rest is copied.
LineAction ReplaceFirst(const ServiceLine& line, const char* name, int& replaced) {
    if (replaced || !line.Names(name))
        return kCopy;
    replaced = 1;
    return kReplace;
}

LineAction DropAll(const ServiceLine& line, const char* name, int&) {
    return line.Names(name) ? kDrop : kCopy;
}

// A service name is one token of printable characters that does not start a comment.
bool IsServiceName(const char* name) {
    if (!name || !*name)
        return false;
    for (const char* p = name; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c <= ' ' || c == '#' || c == 0x7f)
            return false;
    }
    return true;
}

// The comment stays on the entry's one line.
bool IsOneLine(const char* text) {
    return !text || !text[strcspn(text, "\r\n")];
}

} // namespace

int SysGetSvcFile(ICString& out) {
    out = SysRootPath("/etc/services");
    return 1;
}

int ICRegTcpService(const char* name, int port, const char* comment) {
    if (!IsServiceName(name) || port < 1 || port > 65535 || !IsOneLine(comment)) {
        SysSetLastReason("service %s: a name without blanks or #, a port of 1 to 65535 and a "
                         "one-line description are needed",
                         IsServiceName(name) ? name : "?");
        VXStepFailed("register", name);
        return 0;
    }
    // Names shorter than a tab stop get a second tab so that the port column lines up.
    std::string entry = std::string(name) + (strlen(name) >= 8 ? "\t" : "\t\t") +
                        std::to_string(port) + "/tcp\t# " + (comment ? comment : "") + "\n";
    int dropped;
    if (!RewriteServices(name, entry.c_str(), ReplaceFirst, 0444, dropped)) {
        VXStepFailed("register", name);
        return 0;
    }
    VXStepDone("register", name);
    return 1;
}

int ICRegRemoteDBService(const char* name, int port) {
    if (!IsServiceName(name) || port < 1 || port > 65535) {
        SysSetLastReason("service %s: a name without blanks or # and a port of 1 to 65535 are "
                         "needed",
                         IsServiceName(name) ? name : "?");
        return 0;
    }
    // Every earlier entry of the name goes; the new one ends the file.
    std::string entry = std::string(name) + (strlen(name) >= 8 ? "\t" : "\t\t") +
                        std::to_string(port) + "/tcp\t\t\t#Vendrix remote RELDA database\n";
    int dropped;
    return RewriteServices(name, entry.c_str(), DropAll, 0444, dropped);
}

int ICUnregTcpService(const char* name) {
    if (!IsServiceName(name)) {
        VXStepFailed("release", name, "not a service name");
        return 0;
    }
    int dropped;
    if (!RewriteServices(name, nullptr, DropAll, SYS_NEW_FILE_MODE, dropped)) {
        VXStepFailed("release", name);
        return 0;
    }
    // A name that was already gone is released all the same: the result says it was not
    // there, the outcome that nothing of it is left.
    VXStepDone(dropped > 0 ? "release" : "gone", name);
    return dropped > 0 ? 1 : 0;
}

int ICGetTcpServicePort(const char* name) {
    ICString path;
    SysGetSvcFile(path);
    SysLineReader in(path);
    if (!in.IsOpen())
        return 0;
    if (!name)
        return -1;
    while (char* line = in.Next()) {
        ServiceLine service(line);
        if (service.Names(name))
            return service.port;
    }
    return -1;
}

int SysIsPortRegistered(int port) {
    if (SysHasRoot()) {
        // The rooted services file is the services database: any entry on that port.
        for (const auto& entry : platform::ReadServiceEntries())
            if (entry.port == port)
                return 1;
        return 0;
    }
    if (port < 0 || port > 65535)
        return 0;
    return getservbyport(htons(static_cast<uint16_t>(port)), nullptr) ? 1 : 0;
}

// Every service line of the instance except the controller's own is one server process.
int MSInfo::GetTotalProcesses() const {
    ICString pattern;
    GetVXServicePfx(Name, pattern);
    pattern += "_";
    ICString path;
    SysGetSvcFile(path);
    SysLineReader in(path);
    int count = 0;
    while (char* line = in.Next()) {
        if (strstr(line, pattern) && !strstr(line, "Server Controller"))
            ++count;
    }
    return count;
}

namespace platform {

namespace {

// The entries of a services text as "name" and "port/protocol".
std::set<std::pair<std::string, std::string>> ServiceEntries(const std::string& text) {
    std::set<std::pair<std::string, std::string>> entries;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        ServiceLine entry(line.c_str());
        if (entry.hasPort)
            entries.insert({std::string(entry.name, entry.nameLength),
                            std::string(entry.portText, entry.portLength)});
    }
    return entries;
}

} // namespace

void CompareServiceEntries(const std::string& before, const std::string& after,
                           std::vector<SysServiceChange>& out) {
    auto was = ServiceEntries(before);
    auto is = ServiceEntries(after);
    for (const auto& entry : is) {
        if (!was.count(entry))
            out.push_back({entry.first, entry.second, "registered"});
    }
    for (const auto& entry : was) {
        if (!is.count(entry))
            out.push_back({entry.first, entry.second, "released"});
    }
}

std::vector<ServiceEntry> ReadServiceEntries() {
    std::vector<ServiceEntry> entries;
    if (SysHasRoot()) {
        ICString path;
        SysGetSvcFile(path);
        SysLineReader in(path);
        while (char* line = in.Next()) {
            ServiceLine service(line);
            if (service.hasPort)
                entries.push_back({std::string(service.name, service.nameLength), service.port});
        }
        return entries;
    }
    setservent(0);
    while (const servent* service = getservent())
        entries.push_back({service->s_name, ntohs(static_cast<uint16_t>(service->s_port))});
    endservent();
    return entries;
}

} // namespace platform
