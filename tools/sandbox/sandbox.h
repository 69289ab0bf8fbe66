// Lays out a simulated installation under a root directory: package information files, the
// product trees, etc/services, etc/passwd and etc/shadow with the database users, and the
// stand-in programs in ROOT/bin. Used by `vxcfg sandbox` and by the test fixtures.
#ifndef VXSANDBOX_SANDBOX_H
#define VXSANDBOX_SANDBOX_H

#include "vxconfig/icstring.h"

// The database instance user and the database owner of every sandbox, with one password.
#define SANDBOX_INSTANCE_USER "reldinst"
#define SANDBOX_OWNER_USER "vxowner"
#define SANDBOX_PASSWORD "Sandbox1"
// An account whose password hash stands in etc/passwd itself rather than in etc/shadow.
#define SANDBOX_PLAIN_USER "vxplain"

struct SandboxOptions {
    bool payment = true;  // the payment server package
    bool hosting = true;  // the hosting edition
    bool macro = true;    // the web macro processor
    bool wharf = true;    // the Orvell HTTP server
    bool relda = true;    // the Relda database product (6.1)
    bool loomwork = true; // the servlet engine
    // The Netscape server's installation (secure and non-secure servers), off by default.
    bool netscape = false;
    // The secure Netscape server still loads the servlet engine's earlier plug-in.
    bool oldServletPlugin = false;
    // The product's administration pages name the Start package instead of the Pro package.
    bool startPackage = false;
    // The web macro processor's template carries a variable scope line.
    bool macroScope = true;
    // Copy the stand-in programs into ROOT/bin (found in $VXCONFIG_STANDINS, else beside the
    // running program); a missing one is an error naming it.
    bool standins = true;
    // Lay out over a directory that already holds files (an earlier sandbox); without it
    // such a directory is refused, so that nobody's files are overwritten.
    bool force = false;
};

// 1 when the installation was laid out under root (an absolute path without dots that may
// serve as a system root, created when missing, empty unless options.force); 0 with the
// reason in error.
int SandboxBuild(const char* root, const SandboxOptions& options, ICString& error);

#endif
