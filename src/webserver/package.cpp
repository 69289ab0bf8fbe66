// The installed package of the product (see package.h).
#include "webserver/package.h"

#include <cerrno>
#include <cstring>

#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/msinfo.h"
#include "vxconfig/webconf.h"

namespace webserver {

Packaging ReadPackaging(const char* instPath) {
    ICString path =
        ICString(instPath ? instPath : "") ^ "html" ^ "en_US" ^ "vxadmin" ^ "common" ^ "config.js";
    SysLineReader in(path);
    if (!in.IsOpen()) {
        SysSetFileReason(path, errno);
        return kPackagingUnreadable;
    }
    while (const char* line = in.Next()) {
        if (strstr(line, "gVXPackaging"))
            return strstr(line, "kStrStart") ? kPackagingStart : kPackagingPro;
    }
    return kPackagingUnnamed;
}

void ApplyPackaging(Packaging packaging, int& option) {
    if (packaging == kPackagingStart)
        option |= MS_OPT_START_PKG;
    else if (packaging == kPackagingPro)
        option &= ~MS_OPT_START_PKG;
}

} // namespace webserver

int IsPkgPro(MSInfo&) {
    ICString product;
    ICGetInstPath(product);
    return webserver::ReadPackaging(product) == webserver::kPackagingPro ? 1 : 0;
}
