// Host name lookups of one run: each name is asked of the resolver once per process, and the
// names a command is about to need are looked up at the same time, so that a command that needs
// many names that do not resolve waits about one resolver time-out, not one per name in turn.
// The answers are those of gethostbyname, in its order.
#ifndef VX_SYS_HOSTCACHE_H
#define VX_SYS_HOSTCACHE_H

#include <string>
#include <vector>

namespace platform {

// The IPv4 addresses of name, dotted, in the order the resolver gives them; empty when the
// name does not resolve or has no IPv4 address. Asks the resolver only the first time.
std::vector<std::string> HostAddresses(const char* name);

// Looks up the names not yet known, several at once (each lookup bounded by the resolver's own
// time-out, as a single one), and keeps the answers for HostAddresses.
void ResolveHosts(const std::vector<std::string>& names);

} // namespace platform

#endif
