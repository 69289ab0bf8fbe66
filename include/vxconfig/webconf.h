// The web servers' configuration for the instances: the Netscape server's obj.conf and
// mime.types, the Orvell HTTP server's httpd.conf with the cache module's files, the servlet
// engine's properties and the tools' config.xml, and the driver that edits each web server
// type once for all its instances. Every edited file keeps a copy of its previous content
// under its name with ".old" appended and is rewritten through the one write path.
#ifndef VXCONFIG_WEBCONF_H
#define VXCONFIG_WEBCONF_H

#include <cstdio>

#include "vxconfig/msinfo.h"
#include "vxconfig/mslist.h"

// Both obj.conf files and the non-secure mime.types of the Netscape server, for all
// instances. 1, or 0 after message 29, 28, 104 or 26.
VX_API int ISSetNSConf(MSList& list, const char* instPath);
// The block of the product's URL prefixes at the current position of out. Returns 1.
VX_API int WriteVXBlockNES(FILE* out, MSList& list, const char* instPath, int secure);
// The block that loads the product's plug-in, followed by an empty line. Returns 1.
VX_API int WriteVXPassNES(FILE* out, MSList& list, const char* instPath);
// Turns every backslash of s into slash when slash is '/', every '/' into a backslash when it
// is a backslash.
VX_API void ISXlateSlash(char* s, char slash);

// httpd.conf of the Orvell HTTP server for all instances, then the cache module's files and
// the restart of the server. 1, or 0 (reported with the server's messages).
VX_API int ISSetOrvellConf(MSList& list, const char* instPath);
// The product block of httpd.conf at the current position of out. Returns 1.
VX_API int WriteVXBlockOrvell(FILE* out, MSList& list, const char* instPath);
// The cache module's magnus.conf and obj.conf in confDir. 1, or 0 after message 3.
VX_API int SetNSAPI(const char* confDir, const char* instPath);

// 1 when the installed administration pages name the Pro package.
VX_API int IsPkgPro(MSInfo& info);
// The servlet engine's bootstrap.properties and servlets.properties, and the tools'
// config.xml, edited for the instance. 1, or 0 when the file cannot be read or rewritten.
VX_API int SetBootStrapProperties(MSInfo& info, const char* path);
VX_API int SetServletProperties(MSInfo& info, const char* path);
VX_API int SetConfigXML(MSInfo& info, const char* path);
// The hosting edition's sample pages in the web server's document directory. 1 / 0.
VX_API int CopyJSPFiles(MSInfo& info);

// Configures the web servers of every instance of the data file (or of list): the servlet
// engine where an instance needs it, then each web server type once. 1, or 0 when the
// installation or the servlet engine is missing (message 5 or 100).
extern "C" VX_API int ICSetISConf(const char* dataFile);
VX_API int ICSetISConf(MSList& list);

#endif
