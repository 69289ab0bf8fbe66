// The ports of an instance and the names of its TCP services, computed in one place.
//
// With base port P0 (MSPort) and K processes (MSProc): the controller listens on P0, process i
// on P0 + i, the payment background daemon on P0 + K + 1 and the six payment server services
// on P0 + K + 2 .. P0 + K + 7 (administration P0 + K + 3, payment + 4, error + 5, SET payment
// + 6, SET inquiry + 7); the database access port is P0 + K + 8. The instance's own servers
// are the K + 3 ports from P0, the whole block K + 9 ports. The second block, chosen when the
// instance is created, holds the hosting edition's payment daemon on its base B, the ten
// schedulers on B + 1 .. B + 10 and the machine's performance monitor on B + 11.
#ifndef VXCONFIG_PORTPLAN_H
#define VXCONFIG_PORTPLAN_H

#include "vxconfig/icstring.h"

class MSInfo;

// The service name prefix of an instance: "vx" + name. Returns 1.
VX_API int GetVXServicePfx(const char* name, ICString& out);
// A pool member's service: prefix + "_" + (index + 1), index counting from 0. Returns 1.
VX_API int GetPoolServiceName(const char* prefix, int index, ICString& out);

class VX_API VXPortPlan {
public:
    // The payment server's six services, in the order of their ports.
    enum PayService { kPayServer, kPayAdmin, kPayPay, kPayError, kPaySetPay, kPaySetInquiry };

    VXPortPlan(int basePort, int processes) : m_base(basePort), m_procs(processes) {}
    explicit VXPortPlan(const MSInfo& info);

    int Controller() const { return m_base; }
    // Commerce server process i, from 1.
    int Process(int i) const { return m_base + i; }
    // The last port of the instance's own servers, which the uniqueness rules compare.
    int ServersEnd() const { return m_base + m_procs + 2; }
    int PayBack() const { return m_base + m_procs + 1; }
    int Pay(PayService service) const { return m_base + m_procs + 2 + service; }
    int JdbcPort() const { return m_base + m_procs + 8; }
    // The last port of the whole block.
    int BlockEnd() const { return m_base + m_procs + 8; }

    // The number of ports of a second block, from its base to the performance monitor, and
    // of its schedulers.
    enum { kSecondBlockPorts = 12, kSchedulers = kSecondBlockPorts - 2 };
    // The ports of the second block from its base: the hosting edition's payment daemon,
    // scheduler k (from 1 to kSchedulers) and the machine's performance monitor.
    static int HostingPay(int secondBlock) { return secondBlock; }
    static int Scheduler(int secondBlock, int k) { return secondBlock + k; }
    static int PerfMonitor(int secondBlock) { return secondBlock + kSecondBlockPorts - 1; }

    // 1 when the instance called name may take every port of its plan: the block and, when
    // secondBlock is above 0, the second block from there. Each port must lie in 1024..65535,
    // must not be the reserved port, and may be registered in the services database only to
    // the instance's own services (its prefix, alone or followed by "_" and a member's number
    // or pool) or, on the performance monitor's port, to the monitor. Else 0 with the reason
    // naming the first port refused, what the instance wants it for, the service that holds
    // it and the instance. The services database is read once per call.
    int Check(const char* name, int secondBlock = 0) const;

private:
    int m_base;
    int m_procs;
};

#endif
