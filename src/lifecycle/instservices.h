// The TCP services an instance registers, named and numbered in one place for both creation
// and deletion.
#ifndef VX_LIFECYCLE_INSTSERVICES_H
#define VX_LIFECYCLE_INSTSERVICES_H

#include <string>
#include <vector>

#include "vxconfig/msinfo.h"

namespace lifecycle {

struct InstanceService {
    std::string name;
    int port;
    std::string description; // after "Vendrix - "
};

// The controller ("vx" + N on MSPort).
InstanceService ControllerService(const MSInfo& info);
// The commerce server processes: "vx" + N + "_" + i on MSPort + i, i from 1 to MSProc.
std::vector<InstanceService> ProcessServices(const MSInfo& info);
// The payment background daemon and the payment server's six services, from MSPort + MSProc + 1.
std::vector<InstanceService> PaymentServices(const MSInfo& info);
// The second block from base: the hosting edition's payment daemon, ten schedulers and the
// performance monitor (shared by all instances).
std::vector<InstanceService> SecondBlockServices(const MSInfo& info, int base);
// The number of ports the second block must find free.
constexpr int kSecondBlockTest = 11;

// The base of the instance's second block: the one it holds already (its services are
// registered there and the ports are free or its own), else the first free block from 40000
// in steps of 10; never one that shares a port with the instance's first block, so that it
// can be chosen before the first block is registered. 0 when there is none below 65536.
int FindSecondBlock(const MSInfo& info);

} // namespace lifecycle

#endif
