// The local host's name and address, as the "hostname" command names it, and the run's cache
// of host name lookups (hostcache.h).
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "sys/hostcache.h"
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

namespace {

// Lookups at most this many at a time: enough for the distinct host names of a machine's
// instances, few enough not to flood the resolver.
enum { kMaxParallelLookups = 32, kLookupBuffer = 2048 };

struct HostCache {
    std::mutex lock;
    std::map<std::string, std::vector<std::string>> known;
};

HostCache& Cache() {
    static HostCache cache;
    return cache;
}

// One lookup, as gethostbyname makes it, through its reentrant form.
std::vector<std::string> Lookup(const std::string& name) {
    std::vector<std::string> addresses;
    std::vector<char> work(kLookupBuffer);
    hostent entry;
    hostent* found = nullptr;
    int error = 0;
    while (gethostbyname_r(name.c_str(), &entry, work.data(), work.size(), &found, &error) ==
           ERANGE)
        work.resize(work.size() * 2);
    if (!found || found->h_addrtype != AF_INET || !found->h_addr_list)
        return addresses;
    for (char** address = found->h_addr_list; *address; ++address) {
        char text[INET_ADDRSTRLEN];
        if (inet_ntop(AF_INET, *address, text, sizeof text))
            addresses.push_back(text);
    }
    return addresses;
}

} // namespace

std::vector<std::string> platform::HostAddresses(const char* name) {
    std::string key = name ? name : "";
    HostCache& cache = Cache();
    {
        std::lock_guard<std::mutex> held(cache.lock);
        auto known = cache.known.find(key);
        if (known != cache.known.end())
            return known->second;
    }
    std::vector<std::string> addresses = Lookup(key);
    std::lock_guard<std::mutex> held(cache.lock);
    return cache.known.emplace(key, addresses).first->second;
}

void platform::ResolveHosts(const std::vector<std::string>& names) {
    HostCache& cache = Cache();
    std::vector<std::string> wanted;
    {
        std::lock_guard<std::mutex> held(cache.lock);
        for (const std::string& name : names) {
            if (!cache.known.count(name) &&
                std::find(wanted.begin(), wanted.end(), name) == wanted.end())
                wanted.push_back(name);
        }
    }
    if (wanted.size() < 2)
        return; // a single name is looked up when it is needed
    std::atomic<size_t> next(0);
    auto work = [&] {
        for (size_t i = next++; i < wanted.size(); i = next++)
            HostAddresses(wanted[i].c_str());
    };
    std::vector<std::thread> workers;
    size_t count = std::min<size_t>(wanted.size(), kMaxParallelLookups);
    for (size_t i = 0; i < count; ++i) {
        std::thread worker;
        // A thread that cannot be started leaves its names to the others, or to the caller.
        try {
            worker = std::thread(work);
        } catch (const std::system_error&) {
            break;
        }
        workers.push_back(std::move(worker));
    }
    for (std::thread& worker : workers)
        worker.join();
}
