// The local host's name and address, as the "hostname" command names it.
#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>

#include "vxconfig/sysutil.h"

hostent* GetHostEnt() {
    FILE* pipe = popen("hostname", "r");
    if (!pipe)
        return nullptr;
    // The last line printed counts.
    char line[1024];
    char name[1024] = "";
    while (fgets(line, sizeof line, pipe))
        snprintf(name, sizeof name, "%s", line);
    pclose(pipe);
    name[strcspn(name, "\r\n")] = 0;
    if (!*name)
        return nullptr;
    return gethostbyname(name);
}

int ISGetHostName(ICString& out) {
    hostent* host = GetHostEnt();
    if (!host || !host->h_name)
        return 0;
    out = host->h_name;
    return 1;
}

int ISGetIPAddr(ICString& out) {
    hostent* host = GetHostEnt();
    if (!host || host->h_addrtype != AF_INET || !host->h_addr_list || !host->h_addr_list[0])
        return 0;
    in_addr address;
    memcpy(&address, host->h_addr_list[0], sizeof address);
    out = inet_ntoa(address);
    return 1;
}
