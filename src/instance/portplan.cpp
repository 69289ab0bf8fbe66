// The ports of an instance and the names of its TCP services, and whether the instance may
// take its ports.
#include "vxconfig/portplan.h"

#include <cstring>
#include <map>
#include <string>
#include <strings.h>
#include <vector>

#include "sys/sysdb/servicesdb.h"
#include "vxconfig/fileio.h"
#include "vxconfig/msinfo.h"

namespace {

enum { kMinPort = 1024, kMaxPort = 65535 };

// The machine's one performance monitor, registered by every instance's creation.
const char kPerfMonitorName[] = "perf";

// What follows "prefix_" in the names of an instance's pool members: the processes' numbers
// alone, or a pool and its member's number.
const char* const kMemberPools[] = {"", "pb_", "pe_", "cy_", "sched_"};

// A port of the plan and what the instance wants it for.
struct PlannedPort {
    int port;
    std::string use;
    bool monitor; // the machine's performance monitor, which may hold it already
};

const char* const kPayUses[] = {"payment server",   "payment administration port",
                                "payment port",     "payment error port",
                                "SET payment port", "SET inquiry port"};

bool IsNumber(const char* text) {
    return *text && strspn(text, "0123456789") == strlen(text);
}

// service is one of the instance's own: its prefix, or the prefix and a pool member.
bool IsOwnService(const std::string& prefix, const std::string& service) {
    if (strcasecmp(service.c_str(), prefix.c_str()) == 0)
        return true;
    std::string lead = prefix + "_";
    if (service.size() <= lead.size() || strncasecmp(service.c_str(), lead.c_str(), lead.size()))
        return false;
    const char* rest = service.c_str() + lead.size();
    for (const char* pool : kMemberPools) {
        size_t n = strlen(pool);
        if (strncasecmp(rest, pool, n) == 0 && IsNumber(rest + n))
            return true;
    }
    return false;
}

// A service name from the services file as it may stand in a message.
std::string Printable(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7f)
            c = '?';
    }
    return text;
}

} // namespace

VXPortPlan::VXPortPlan(const MSInfo& info) : m_base(info.MSPort), m_procs(info.MSProc) {}

int VXPortPlan::Check(const char* name, int secondBlock) const {
    std::vector<PlannedPort> ports = {{Controller(), "controller", false}};
    for (int i = 1; i <= m_procs; ++i)
        ports.push_back({Process(i), "server process " + std::to_string(i), false});
    ports.push_back({PayBack(), "payment background daemon", false});
    for (int s = kPayServer; s <= kPaySetInquiry; ++s)
        ports.push_back({Pay(static_cast<PayService>(s)), kPayUses[s], false});
    ports.push_back({JdbcPort(), "database access port", false});
    if (secondBlock > 0) {
        ports.push_back({HostingPay(secondBlock), "hosting payment daemon", false});
        for (int k = 1; k <= kSchedulers; ++k)
            ports.push_back({Scheduler(secondBlock, k), "scheduler " + std::to_string(k), false});
        ports.push_back({PerfMonitor(secondBlock), "performance monitor", true});
    }

    ICString own, monitor;
    GetVXServicePfx(name, own);
    GetVXServicePfx(kPerfMonitorName, monitor);
    std::multimap<int, std::string> holders;
    for (const platform::ServiceEntry& entry : platform::ReadServiceEntries())
        holders.insert({entry.port, entry.name});

    const char* instance = name ? name : "";
    for (const PlannedPort& p : ports) {
        if (p.port < kMinPort || p.port > kMaxPort) {
            SysSetLastReason("port %d of instance %s (its %s) lies outside %d..%d", p.port,
                             instance, p.use.c_str(), kMinPort, kMaxPort);
            return 0;
        }
        if (p.port == MS_RESERVED_PORT) {
            SysSetLastReason("port %d of instance %s (its %s) is the port no instance may use",
                             p.port, instance, p.use.c_str());
            return 0;
        }
        auto range = holders.equal_range(p.port);
        for (auto it = range.first; it != range.second; ++it) {
            const std::string& service = it->second;
            if (IsOwnService(static_cast<const char*>(own), service) ||
                (p.monitor && strcasecmp(service.c_str(), monitor) == 0))
                continue;
            SysSetLastReason("port %d of instance %s (its %s) is registered to the service %s",
                             p.port, instance, p.use.c_str(), Printable(service).c_str());
            return 0;
        }
    }
    return 1;
}

int GetVXServicePfx(const char* name, ICString& out) {
    out = ICString("vx") + (name ? name : "");
    return 1;
}

int GetPoolServiceName(const char* prefix, int index, ICString& out) {
    out = ICString(prefix) + "_" + std::to_string(index + 1).c_str();
    return 1;
}
