// TCP services of the instances in the system's services file.
#ifndef VXCONFIG_SERVICES_H
#define VXCONFIG_SERVICES_H

#include "vxconfig/icstring.h"

VX_API int SysGetSvcFile(ICString& out);
VX_API int ICRegTcpService(const char* name, int port, const char* comment);
// The service of a database on another machine: every entry of name replaced by one line at
// the end of the file. 1, or 0 with the reason set.
VX_API int ICRegRemoteDBService(const char* name, int port);
VX_API int ICUnregTcpService(const char* name);
VX_API int ICGetTcpServicePort(const char* name);
// 1 when the port is registered for any protocol in the services database: the rooted
// services file when a system root is set, else getservbyport.
VX_API int SysIsPortRegistered(int port);

#endif
