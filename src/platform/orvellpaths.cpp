// Where the Orvell HTTP server keeps its configuration, CGI programs and documents.
#include <unistd.h>

#include "vxconfig/sysroot.h"
#include "vxconfig/webpaths.h"

static const char kServerRoot[] = "/opt/WharfServer/usr/internet/server_root";

static int IsExecutable(const char* path) {
    return access(path, X_OK) == 0 ? 1 : 0;
}

int SysGetISOrvellInfo(ISPath& ispath) {
    if (access(SysRootPath("/var/sadm/pkg/KESTRELWHARF/pkginfo"), R_OK) != 0)
        return 0;
    ICString root = SysRootPath(kServerRoot);
    // Filled in this order: the password program is looked for next to the CGI directory.
    ispath[0] = SysRootPath("/etc");
    ispath[1] = root ^ "cgi-bin";
    ICString htadm = SysRootPath("/usr/sbin/htadm");
    ICString cgiHtadm = ispath[1] ^ "htadm";
    if (IsExecutable(htadm))
        ispath[4] = htadm;
    else if (IsExecutable(cgiHtadm))
        ispath[4] = cgiHtadm;
    ispath[2] = ispath[1];
    ispath[5] = root;
    ispath[3] = root ^ "pub";
    return 1;
}
