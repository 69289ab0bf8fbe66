// The environment of the product's login shells: the product profile "vndxprofile", the
// sourcing line in root's and the web server's scripts, the database user's profile rows, the
// message-queue client variable and the JVM properties of the application server.
#ifndef VXCONFIG_ENVIRONMENT_H
#define VXCONFIG_ENVIRONMENT_H

#include "vxconfig/icstring.h"

class MSInfo;

// Makes the script or profile at path read the product profile: a file that mentions
// "vndxprofile" is left alone; otherwise the sourcing line and an empty line are put before
// its lines, the previous content kept as path + ".old" ("/.profile" may be missing).
// 1 / 0; error 5 when the product installation is unknown.
VX_API int SysModFile(const char* path, MSInfo& instance);
// Sources the product profile from the web server's boot scripts and root's profile, and
// keeps the RELDAINSTANCE pair of the product profile: replaced when registering, dropped
// when removing (removing 1). 1 / 0.
VX_API int SysSetEnvironment(MSInfo& instance, int removing);
// Appends the profile rows that the database user's ".profile" lacks, in table order, and
// gives the file to that user. The last step of boot registration. 1 / 0.
VX_API int SysSetDBUserProfile(MSInfo& instance);
// Appends "export QXSERVER=VALUE" to the database owner's ".profile", the value formed from
// the queue bridge's argument vector (argv[3] server, argv[9] mode, argv[10] channel,
// argv[11] port). 1 / 0.
VX_API int SysSetEnvQXSERVER(MSInfo& instance, char** argv, int argc);
// Adds the Relda Java archive, the queue bridge archive and the product and Relda library
// directories to the class and library paths of the JVM properties file, keeping file + ".old";
// both are given to the user "bin". 1 / 0.
VX_API int SysSetJvmProperties(MSInfo& instance, const char* file);

#endif
