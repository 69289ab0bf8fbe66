// Boot registration of instances: the instance registry script "/etc/rc.vndx", the three
// run-level scripts that start and stop every instance's controller, and the system links of
// the product's database drivers.
#ifndef VXCONFIG_BOOTREG_H
#define VXCONFIG_BOOTREG_H

#include "vxconfig/capture.h" // the registry's reader: SysGetIniPath, SysGetStartCommand
#include "vxconfig/icstring.h"

class MSInfo;

// Registers the instance for boot: its two lines in "/etc/rc.vndx" (an earlier start line of
// the instance replaced, the previous file kept as "/etc/rc.vndx.old", mode 0754), the boot
// scripts, the environment, the driver links and the database user's profile. 1 / 0.
VX_API int SysRegVXSvc(MSInfo& instance);
// Stops the instance when it runs and removes its lines from "/etc/rc.vndx"; rewrites the boot
// scripts and the environment without it. 1 / 0.
VX_API int SysUnregVXSvc(MSInfo& instance);
// Writes the three run-level scripts for the instances of the machine and this one (removing
// 1: this one is stopped but no longer started). 1 when all three were written.
VX_API int SysConfigReboot(MSInfo& instance, int removing);
// Writes the boot script at path (mode 0744); message 3 naming path when it cannot. 1 / 0.
// Its stop function builds the stop requests in a private directory of its own (mktemp -d),
// never at a fixed name in /tmp; with nothing to start, the start branch holds ":".
VX_API int SysCreateRCFile(const char* path, MSInfo& instance, int removing);

#endif
