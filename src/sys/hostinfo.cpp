// The local host's name and address, as the "hostname" command names it.
#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <string>

#include "sys/process/runprogram.h"
#include "vxconfig/sysutil.h"

hostent* GetHostEnt() {
    std::string printed;
    if (!platform::ReadProgramOutput("hostname", printed))
        return nullptr;
    // The last line printed counts, without its line end.
    if (!printed.empty() && printed.back() == '\n')
        printed.pop_back();
    std::string name = printed.substr(printed.find_last_of('\n') + 1);
    if (!name.empty() && name.back() == '\r')
        name.pop_back();
    if (name.empty())
        return nullptr;
    return gethostbyname(name.c_str());
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
