// The system's services database as the library reads it: the rooted services file when a
// system root is set (one line parser for every reader), else the system's own database.
#include "sys/sysdb/servicesdb.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <set>
#include <strings.h>

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

int ICGetTcpServicePort(const char* name) {
    ICString path;
    SysGetSvcFile(path);
    SysLineReader in(path);
    if (!in.IsOpen())
        return 0;
    if (!name)
        return -1;
    while (char* line = in.Next()) {
        platform::ServiceLine service(line);
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
