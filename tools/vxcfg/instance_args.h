// What the instance commands (list, show, add, set, remove) share: their arguments, the table
// of record options, and reading and writing the instance data file.
#ifndef VXCFG_INSTANCE_ARGS_H
#define VXCFG_INSTANCE_ARGS_H

#include <string>
#include <vector>

#include "frontend.h"
#include "vxconfig/vxconfig.h"

// One option that sets a field of the record through its setter.
struct InstanceOption {
    const char* name;                              // "--port"
    const char* arg;                               // what it takes, for the usage text
    const char* rule;                              // why a value is refused
    int (*apply)(MSInfo& info, const char* value); // 1 when the record took the value
    int secret;                                    // never echoed back
};

// Ends with an entry whose name is null. Options are applied in table order, whatever their
// order on the command line, so the database type and owner are in place before the password
// is checked against them.
extern const InstanceOption g_instanceOptions[];

struct InstanceArgs {
    std::string dataPath;                // --data, or the product's data file
    bool defaultPath = false;            // dataPath is the product's own data file
    std::vector<const char*> positional; // the instance name, when the command takes one
    std::vector<const char*> values;     // per row of g_instanceOptions; null when not given
};

// Splits argv (argv[0] is the command) into --data, record options (when allowed) and
// positional arguments, which must number exactly `positional`. VX_EXIT_OK or a usage error.
int ParseInstanceArgs(int argc, char** argv, size_t positional, bool recordOptions,
                      InstanceArgs& out);

// Applies every given option to info through its setter; VX_EXIT_OK, or a usage error naming
// the option and its rule for the first value refused.
int ApplyInstanceOptions(const VxCommand& command, const InstanceArgs& args, MSInfo& info);

// A missing data file is an empty list; one that exists but does not load is refused with
// the system's message and must then not be written. VX_EXIT_OK or VX_EXIT_FAIL.
int LoadInstances(const std::string& path, MSList& list);
// Replaces the data file in one step, so it is never seen half written. The product's own
// data file gets its directory made when it is missing (a fresh installation has none).
int StoreInstances(const InstanceArgs& args, const MSList& list);
// Loads the data file and makes the instance named by the first positional argument (letter
// case ignored) current; VX_EXIT_OK, or VX_EXIT_FAIL after the system's message.
int LoadAndSelect(const InstanceArgs& args, MSList& list);
// Reports every conflict in bits with the system's messages; returns VX_EXIT_FAIL.
int ReportConflicts(int bits);

#endif
