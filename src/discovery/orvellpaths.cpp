// Where the Orvell HTTP server keeps its configuration, CGI programs and documents.
#include <unistd.h>

#include "vxconfig/fileio.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/webpaths.h"

static const char kServerRoot[] = "/opt/WharfServer/usr/internet/server_root";

static int IsExecutable(const char* path) {
    return SysAccess(path, X_OK) == 0 ? 1 : 0;
}

int SysGetISOrvellInfo(ISPath& ispath) {
    if (SysAccess(SysRootPath("/var/sadm/pkg/KESTRELWHARF/pkginfo"), R_OK) != 0)
        return 0;
    ICString root = SysRootPath(kServerRoot);
    // Filled in this order: the password program is looked for next to the CGI directory.
    ispath[ISPATH_ORVELL_CONFIG] = SysRootPath("/etc");
    ispath[ISPATH_ORVELL_CGI] = root ^ "cgi-bin";
    ICString htadm = SysRootPath("/usr/sbin/htadm");
    ICString cgiHtadm = ispath[ISPATH_ORVELL_CGI] ^ "htadm";
    if (IsExecutable(htadm))
        ispath[ISPATH_ORVELL_HTADM] = htadm;
    else if (IsExecutable(cgiHtadm))
        ispath[ISPATH_ORVELL_HTADM] = cgiHtadm;
    ispath[ISPATH_ORVELL_CGI_ALSO] = ispath[ISPATH_ORVELL_CGI];
    ispath[ISPATH_SERVER_ROOT] = root;
    ispath[ISPATH_DOCS] = root ^ "pub";
    return 1;
}
