// The one character rule for every value that can reach a shell command line, a generated
// script or a boot script: instance, user, host, database, node and service names, the paths
// of a record, and the system root. Values are checked where they enter (the record's
// setters, the data-file loader, the capture of existing files, the front end, the root), so
// the command texts can stay exactly as they are written.
#ifndef VXCONFIG_SAFEVALUE_H
#define VXCONFIG_SAFEVALUE_H

#include "vxconfig/export.h"

// What a value is used as.
enum SysValueKind {
    SYS_VALUE_NAME, // a name that also forms a path component: no "/", not "." or ".."
    SYS_VALUE_PATH, // a path
};

// 1 when text may stand unquoted in a shell command: only ASCII letters, digits and the
// characters . _ - + , : @ = (and / in a path), and not beginning with "-", so that it can
// never be read as an option either. The empty text is safe: it holds nothing to run.
VX_API int SysIsSafeValue(const char* text, SysValueKind kind);

// The characters a safe value may hold besides letters and digits, for messages.
VX_API extern const char SYS_SAFE_PUNCTUATION[];

#endif
