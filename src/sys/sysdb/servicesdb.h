// The services database's reader: one line parser for the services file, the entries it
// registers, and what a change to it registered or released.
#ifndef VX_SYS_SYSDB_SERVICESDB_H
#define VX_SYS_SYSDB_SERVICESDB_H

#include <string>
#include <vector>

#include "vxconfig/changes.h"
#include "vxconfig/fileio.h"

namespace platform {

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

    explicit ServiceLine(const char* line);

    // The line's service is name, letter case aside.
    bool Names(const char* other) const;
};

// Appends the entries of the services file text after that before did not hold
// ("registered"), then those it no longer holds ("released"), each as name and port token
// ("16000/tcp"), read by ServiceLine.
void CompareServiceEntries(const std::string& before, const std::string& after,
                           std::vector<SysServiceChange>& out);

// One registration of the services database: a service and its port (any protocol).
struct ServiceEntry {
    std::string name;
    int port;
};

// Every registration of the services database: the rooted services file's lines (read by
// ServiceLine) when a system root is set, else the system's database, the one getservbyport
// asks. The reading is kept while the services file stays the same file with the same size
// and times, so a run reads it once however often it asks, and sees a change by anyone at its
// next question. Valid until the next call of a function here.
const std::vector<ServiceEntry>& ReadServiceEntries();

// Drops the kept reading: the next question reads the file again. Whoever rewrites the
// services file calls it, so that its own change is seen whatever the file's times say.
void ForgetServiceEntries();

} // namespace platform

#endif
