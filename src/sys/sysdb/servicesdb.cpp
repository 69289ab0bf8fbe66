// The system's services database as the library reads it: the rooted services file when a
// system root is set (one line parser for every reader), else the system's own database. One
// reading answers every question until the file changes, so that probing a port plan costs a
// stat per port instead of a reading of the whole file.
#include "sys/sysdb/servicesdb.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <set>
#include <strings.h>
#include <unordered_map>

#include "sys/files/filestate.h"
#include "vxconfig/fileio.h"
#include "vxconfig/services.h"
#include "vxconfig/sysroot.h"

platform::ServiceLine::ServiceLine(const char* line) {
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

bool platform::ServiceLine::Names(const char* other) const {
    return name && nameLength == strlen(other) && strncasecmp(name, other, nameLength) == 0;
}

int SysGetSvcFile(ICString& out) {
    out = SysRootPath("/etc/services");
    return 1;
}

namespace {

enum { kPortCount = 65536 };

// One reading of the services database and the file it was taken from.
struct Snapshot {
    bool kept = false;     // may answer later questions while the file stays the same
    bool readable = false; // the services file could be opened
    std::string path;
    struct stat file = {}; // the file read (st_ino 0 and st_dev 0 when there was none)
    std::vector<platform::ServiceEntry> entries;
    std::vector<bool> registered = std::vector<bool>(kPortCount);
    // The port of the first line of each name, its letters in lower case (file readings).
    std::unordered_map<std::string, int> firstPort;

    void Add(const std::string& name, int port) {
        entries.push_back({name, port});
        if (port >= 0 && port < kPortCount)
            registered[port] = true;
    }
};

std::string Lower(const char* text, size_t length) {
    std::string out(text, length);
    for (char& c : out)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return out;
}

// Whether snapshot still describes path, whose state is st (statted: st is valid).
bool Current(const Snapshot& snapshot, const ICString& path, bool statted, const struct stat& st) {
    if (!snapshot.kept || snapshot.path != static_cast<const char*>(path))
        return false;
    if (!statted)
        return snapshot.file.st_ino == 0 && snapshot.file.st_dev == 0;
    return platform::SameFileState(snapshot.file, st);
}

// The services file's path and state (statted: st is valid), and whether snapshot still
// describes it.
bool StillCurrent(const Snapshot& snapshot, ICString& path, bool& statted, struct stat& st) {
    SysGetSvcFile(path);
    statted = SysStat(path, &st) == 0;
    return Current(snapshot, path, statted, st);
}

Snapshot s_fileReading;
Snapshot s_systemReading;

// The services file's lines, read again only when the file is no longer the one read: another
// file (every rewrite through the write path makes one), another size or other times. A rewrite
// of ours forgets the reading whatever the times say.
const Snapshot& FileReading() {
    ICString path;
    struct stat st;
    bool statted;
    if (StillCurrent(s_fileReading, path, statted, st))
        return s_fileReading;
    Snapshot fresh;
    fresh.path = static_cast<const char*>(path);
    // The identity comes from the open file, so that it describes what was read.
    FILE* fp = SysOpenRead(path);
    if (fp && fstat(fileno(fp), &fresh.file) == 0) {
        fresh.readable = true;
        SysLineReader in(fp);
        while (char* line = in.Next()) {
            platform::ServiceLine service(line);
            if (!service.name)
                continue;
            fresh.firstPort.emplace(Lower(service.name, service.nameLength), service.port);
            if (service.hasPort)
                fresh.Add(std::string(service.name, service.nameLength), service.port);
        }
        fresh.kept = !in.Failed();
    }
    if (fp)
        fclose(fp);
    s_fileReading = std::move(fresh);
    return s_fileReading;
}

// The system's services database, read again when the services file it is built from
// changes.
const Snapshot& SystemReading() {
    ICString path;
    struct stat st;
    bool statted;
    if (StillCurrent(s_systemReading, path, statted, st))
        return s_systemReading;
    Snapshot fresh;
    fresh.path = static_cast<const char*>(path);
    fresh.readable = true;
    if (statted)
        fresh.file = st;
    setservent(0);
    while (const servent* service = getservent())
        fresh.Add(service->s_name, ntohs(static_cast<uint16_t>(service->s_port)));
    endservent();
    fresh.kept = true;
    s_systemReading = std::move(fresh);
    return s_systemReading;
}

} // namespace

int ICGetTcpServicePort(const char* name) {
    const Snapshot& reading = FileReading();
    if (!reading.readable)
        return 0;
    if (!name)
        return -1;
    auto found = reading.firstPort.find(Lower(name, strlen(name)));
    return found == reading.firstPort.end() ? -1 : found->second;
}

int SysIsPortRegistered(int port) {
    if (port < 0 || port >= kPortCount)
        return 0;
    // With a root the rooted services file is the services database: any entry on that port.
    const Snapshot& reading = SysHasRoot() ? FileReading() : SystemReading();
    return reading.registered[port] ? 1 : 0;
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

const std::vector<ServiceEntry>& ReadServiceEntries() {
    return (SysHasRoot() ? FileReading() : SystemReading()).entries;
}

void ForgetServiceEntries() {
    s_fileReading.kept = false;
    s_systemReading.kept = false;
}

} // namespace platform
