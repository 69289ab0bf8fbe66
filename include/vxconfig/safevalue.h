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
    // A directory of an instance, which files are written under: a path that is also
    // absolute, below "/", and holds no dot at all (so no "." or ".." component either),
    // because backup names are formed at the first dot of the whole path.
    SYS_VALUE_INSTANCE_PATH,
};

// 1 when text may stand unquoted in a shell command: only ASCII letters, digits and the
// characters . _ - + , : @ = (and / in a path), and not beginning with "-", so that it can
// never be read as an option either; an instance path must also keep the rule of its kind.
// The empty text is safe: it holds nothing to run (whoever needs a value checks the length).
VX_API int SysIsSafeValue(const char* text, SysValueKind kind);

// The characters a safe value may hold besides letters and digits, for messages.
VX_API extern const char SYS_SAFE_PUNCTUATION[];
// The rule of SYS_VALUE_INSTANCE_PATH in words, for messages (the macro, for texts made at
// compile time).
#define SYS_INSTANCE_PATH_RULE_TEXT                                                                \
    "an absolute path below / without any dot (backup names are formed at the first dot): "        \
    "letters, digits, / and _ - + , : @ = only"
VX_API extern const char SYS_INSTANCE_PATH_RULE[];

#endif
