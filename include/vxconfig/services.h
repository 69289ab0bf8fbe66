// TCP services of the instances in the system's services file.
#ifndef VXCONFIG_SERVICES_H
#define VXCONFIG_SERVICES_H

#include <string>
#include <vector>

#include "vxconfig/icstring.h"

// The services file ("/etc/services" under the system root). Always 1.
VX_API int SysGetSvcFile(ICString& out);
// Registers name on port/tcp with "# comment": the first entry of name is replaced in place, or
// the entry ends the file. One locked rewrite with the earlier file kept as its backup. 1, or 0
// with the reason set (a bad name, port or comment, or a file that cannot be read or written).
VX_API int ICRegTcpService(const char* name, int port, const char* comment);
// One registration (as ICRegTcpService) or release (as ICUnregTcpService) of a batch.
struct VX_API SysTcpServiceEdit {
    std::string name;
    int port = 0;        // a registration's port
    std::string comment; // a registration's description
    bool release = false;
    int result = 0; // set by SysEditTcpServices: what the single call answers
};
// Applies edits in their order, with the rules of the single calls, in one locked rewrite of
// the services file that keeps the file as it was before them as its backup: the file ends as
// the single calls one after the other leave it, and each edit notes its own step and result.
// A file that cannot be read or written fails every edit with the reason and stays as it was.
// 1 when every edit's result is 1.
VX_API int SysEditTcpServices(std::vector<SysTcpServiceEdit>& edits);
// The service of a database on another machine: every entry of name replaced by one line at
// the end of the file. 1, or 0 with the reason set.
VX_API int ICRegRemoteDBService(const char* name, int port);
// Removes every entry of name (letter case aside). 1 when one was removed, 0 when none matched
// or the file could not be rewritten.
VX_API int ICUnregTcpService(const char* name);
// The port of the first entry of name (letter case aside); -1 when none matches, 0 when the
// file cannot be read.
VX_API int ICGetTcpServicePort(const char* name);
// 1 when the port is registered for any protocol in the services database: the rooted
// services file when a system root is set, else getservbyport.
VX_API int SysIsPortRegistered(int port);

#endif
