// Where the installed web server keeps its configuration, CGI programs and documents.
#ifndef VXCONFIG_WEBPATHS_H
#define VXCONFIG_WEBPATHS_H

#include "vxconfig/icstring.h"

class MSInfo;

// The elements of an ISPath; their meaning depends on the web server.
enum ISPathElement {
    ISPATH_ORVELL_CONFIG = 0,   // the directory of httpd.conf
    ISPATH_ORVELL_CGI = 1,      // the CGI directory
    ISPATH_ORVELL_CGI_ALSO = 2, // the same CGI directory
    ISPATH_ORVELL_HTADM = 4,    // the password administration program
    ISPATH_NES_ROOT = 0,        // the server root
    ISPATH_NES_SECURE = 1,      // the secure server's configuration directory
    ISPATH_NES_NONSECURE = 2,   // the non-secure server's configuration directory
    ISPATH_NES_SECURE_ALSO = 4, // the secure server's configuration directory again
    ISPATH_DOCS = 3,            // the document directory
    ISPATH_SERVER_ROOT = 5,     // the server root
};

// Six paths whose meaning depends on the web server (ISPathElement).
class VX_API ISPath {
public:
    enum { kCount = 6 };
    ICString& operator[](int i) { return m_path[i]; }
    const ICString& operator[](int i) const { return m_path[i]; }

private:
    ICString m_path[kCount];
};

// The Orvell HTTP server's paths (configuration, CGI, password program, documents, server
// root). 0, ispath untouched, when its package is not installed.
VX_API int SysGetISOrvellInfo(ISPath& ispath);
// The Netscape server's paths: the record's secure and non-secure configuration directories
// when set (the server root two components above the secure one), else the standard layout
// below "/usr/netscape/suitespot". Always 1.
VX_API int SysGetISNESInfo(ISPath& ispath, MSInfo& instance);

#endif
