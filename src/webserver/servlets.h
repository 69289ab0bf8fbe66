// The servlet engine's two properties files edited for several instances at once: one webconf
// reads, copies and writes each file once, where one editor call per instance would rewrite it
// for every instance, and leaves the same content.
#ifndef VX_WEBSERVER_SERVLETS_H
#define VX_WEBSERVER_SERVLETS_H

#include <vector>

#include "vxconfig/msinfo.h"

namespace webserver {

// The bootstrap.properties at path as SetBootStrapProperties called for each of infos in turn
// leaves it, written once (its ".old" copy holds it as it was before). 1, or 0 when it cannot
// be read or written.
int EditBootstrapFor(const std::vector<MSInfo>& infos, const char* path);

// The servlets.properties at path as SetServletProperties called for each of infos in turn
// leaves it, written once. 1, or 0 as SetServletProperties (message 5 for each instance whose
// lines could not be completed).
int EditServletsFor(const std::vector<MSInfo>& infos, const char* path);

} // namespace webserver

#endif
