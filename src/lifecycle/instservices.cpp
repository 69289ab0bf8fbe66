// The instance's TCP services (see instservices.h).
#include "lifecycle/instservices.h"

#include <algorithm>
#include <map>

#include "vxconfig/lifecycle.h"
#include "vxconfig/portplan.h"
#include "vxconfig/services.h"

namespace lifecycle {

namespace {

std::string Prefix(const std::string& name) {
    ICString prefix;
    GetVXServicePfx(name.c_str(), prefix);
    return static_cast<const char*>(prefix);
}

// Pool member index (from 0) of the prefix of name.
std::string Pool(const std::string& name, int index) {
    ICString member;
    GetPoolServiceName(Prefix(name).c_str(), index, member);
    return static_cast<const char*>(member);
}

const char* const kPayDescriptions[] = {"pay_payvane", "Admin port",   "Pay port",
                                        "Error port",  "SET Pay Port", "SET Inquiry Port"};

} // namespace

InstanceService ControllerService(const MSInfo& info) {
    return {Prefix(static_cast<const char*>(info.Name)), VXPortPlan(info).Controller(),
            "Server Controller"};
}

std::vector<InstanceService> ProcessServices(const MSInfo& info) {
    std::vector<InstanceService> services;
    std::string name = static_cast<const char*>(info.Name);
    VXPortPlan plan(info);
    for (int i = 1; i <= info.MSProc; ++i)
        services.push_back({Pool(name, i - 1), plan.Process(i), name});
    return services;
}

std::vector<InstanceService> PaymentServices(const MSInfo& info) {
    std::string name = static_cast<const char*>(info.Name);
    VXPortPlan plan(info);
    std::vector<InstanceService> services = {{Pool(name + "_pb", 0), plan.PayBack(), "pay_back"}};
    // The payment server's services: the first pool name, then its last character replaced
    // by the service's number.
    std::string first = Pool(name + "_pe", 0);
    for (int i = VXPortPlan::kPayServer; i <= VXPortPlan::kPaySetInquiry; ++i) {
        std::string member =
            i == 0 ? first : first.substr(0, first.size() - 1) + std::to_string(i + 1);
        services.push_back(
            {member, plan.Pay(static_cast<VXPortPlan::PayService>(i)), kPayDescriptions[i]});
    }
    return services;
}

std::vector<InstanceService> SecondBlockServices(const MSInfo& info, int base) {
    std::string name = static_cast<const char*>(info.Name);
    std::vector<InstanceService> services = {
        {Pool(name + "_cy", 0), VXPortPlan::HostingPay(base), "pay_cyber"}};
    for (int k = 1; k <= VXPortPlan::kSchedulers; ++k)
        services.push_back(
            {Pool(name + "_sched", k - 1), VXPortPlan::Scheduler(base, k), "scheduler"});
    services.push_back({Prefix("perf"), VXPortPlan::PerfMonitor(base), "Performance Monitor"});
    return services;
}

namespace {

// The second block from base would share a port with the instance's own first block, which
// creation registers too.
bool OverlapsFirstBlock(const MSInfo& info, int base) {
    VXPortPlan plan(info);
    return base <= plan.BlockEnd() && base + VXPortPlan::kSecondBlockPorts - 1 >= plan.Controller();
}

} // namespace

int FindSecondBlock(const MSInfo& info) {
    // A re-created instance keeps the block it holds, so that its files stay the same. Each
    // entry it still holds tells where the block begins (its port less its place in the
    // block), also when an interrupted deletion left only some of them.
    std::vector<int> own;
    std::map<int, int> votes;
    for (const InstanceService& s : SecondBlockServices(info, 0)) {
        int port = ICGetTcpServicePort(s.name.c_str());
        if (port > 0 && s.name != Prefix("perf")) {
            own.push_back(port);
            ++votes[port - s.port];
        }
    }
    if (!own.empty()) {
        auto most = std::max_element(votes.begin(), votes.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        });
        int base = most->first;
        bool usable = !OverlapsFirstBlock(info, base);
        for (int port = base; port < base + kSecondBlockTest && usable; ++port) {
            bool mine = std::find(own.begin(), own.end(), port) != own.end();
            usable = mine || info.TestPort(port, 1);
        }
        if (usable)
            return base;
    }
    for (int base = VX_SECOND_BLOCK_START; base + kSecondBlockTest <= 65535; base += 10) {
        if (!OverlapsFirstBlock(info, base) && info.TestPort(base, kSecondBlockTest))
            return base;
    }
    return 0;
}

} // namespace lifecycle
