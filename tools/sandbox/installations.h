// Existing installations in a sandbox: the product tree of an earlier release, and instances
// that an installation has already configured, with the files its writers left behind.
#ifndef VXSANDBOX_INSTALLATIONS_H
#define VXSANDBOX_INSTALLATIONS_H

#include "vxconfig/msinfo.h"

// Lays out the product tree of release 1 or 2 beside the current one and makes the package
// information name that release, as before an upgrade. Release 3 is what SandboxBuild lays
// out already. 1, or 0 with the reason in error.
int SandboxAddRelease(const char* root, int release, ICString& error);

// Adds one instance of release as that release's writers left it: its main file (vxtrade.conf
// in the configuration directory, mserver.conf there for release 2, ROOT/etc/mserver.conf
// for release 1), pay_back.conf and pay_payvane.conf (in the document root for release 1,
// whose configuration directory it was), reldawww.ini in the document root, its
// rules in the product block of the web server file (httpd.conf, or httpd.vndx for the
// earlier releases) and its registration: the /etc/rc.vndx entry and the controller's TCP
// service (release 3), the release-2 instance data file, or nothing (release 1). Paths in
// info are used as given; the caller roots them. 1, or 0 with the reason in error.
int SandboxAddInstance(const char* root, int release, const MSInfo& info, ICString& error);

#endif
