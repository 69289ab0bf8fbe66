// Where the installed web server keeps its configuration, CGI programs and documents.
#ifndef VXCONFIG_WEBPATHS_H
#define VXCONFIG_WEBPATHS_H

#include "vxconfig/icstring.h"

class MSInfo;

// Six paths whose meaning depends on the web server: 0 configuration directory or server
// root, 1 and 2 CGI or configuration directories, 3 documents, 4 password program, 5 root.
class VX_API ISPath {
public:
    enum { kCount = 6 };
    ICString& operator[](int i) { return m_path[i]; }
    const ICString& operator[](int i) const { return m_path[i]; }

private:
    ICString m_path[kCount];
};

VX_API int SysGetISOrvellInfo(ISPath& ispath);
VX_API int SysGetISNESInfo(ISPath& ispath, MSInfo& instance);

#endif
