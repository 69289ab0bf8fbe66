// What the change report and the port plan ask of the services file's reader (services.cpp).
#ifndef VX_PLATFORM_SERVICESFILE_H
#define VX_PLATFORM_SERVICESFILE_H

#include <string>
#include <vector>

#include "vxconfig/changes.h"

namespace platform {

// Appends the entries of the services file text after that before did not hold
// ("registered"), then those it no longer holds ("released"), each as name and port token
// ("16000/tcp"), read as every function of the services file reads its lines.
void CompareServiceEntries(const std::string& before, const std::string& after,
                           std::vector<SysServiceChange>& out);

// One registration of the services database: a service and its port (any protocol).
struct ServiceEntry {
    std::string name;
    int port;
};

// Every registration of the services database, read once: the rooted services file's lines
// (read as every function of the services file reads them) when a system root is set, else
// the system's database, the one getservbyport asks.
std::vector<ServiceEntry> ReadServiceEntries();

} // namespace platform

#endif
