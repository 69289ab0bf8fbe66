// What the instance commands (list, show, add, set, remove) share: the instance data file of
// the command line, and applying the record options.
#ifndef VXCFG_INSTANCE_ARGS_H
#define VXCFG_INSTANCE_ARGS_H

#include <memory>
#include <string>
#include <vector>

#include "cli/frontend.h"
#include "vxconfig/vxconfig.h"

// The instance data file a command works on: --data, or the product's own.
class InstanceData {
public:
    // Refuses a system root without an installation under it, then loads the file. A missing
    // file is an empty list; one that exists but is not an instance data file is refused and
    // must then never be written. forChange holds the file's lock from here until the object
    // goes, so that concurrent commands take turns instead of losing each other's changes.
    // VX_EXIT_OK or VX_EXIT_FAIL (reported).
    int Open(const VxArgs& args, bool forChange);
    // Makes the instance called name (letter case aside) current, and copies it into out when
    // given; VX_EXIT_OK, or VX_EXIT_FAIL after the system's message.
    int Select(const char* name, MSInfo* out = nullptr);
    // Open (to read), then the instances the command's operands name, or every one when none
    // is named, in out; VX_EXIT_OK, or VX_EXIT_FAIL after the system's message for a name
    // that is not there.
    int OpenChosen(const VxArgs& args, std::vector<MSInfo>& out);
    // Open, then Select of the command's first operand.
    int OpenNamed(const VxArgs& args, bool forChange, MSInfo* out = nullptr);
    // Replaces the file in one step; the product's own data file gets its directory made
    // when the installation has none yet. VX_EXIT_OK or VX_EXIT_FAIL (reported).
    int Store();

    MSList list;
    std::string path;

private:
    bool m_defaultPath = false;
    std::unique_ptr<SysFileLock> m_lock;
};

// Applies every record option given to info through its setter, in table order whatever
// their order on the command line (so that the database type and owner are in place before
// the password is checked against them); VX_EXIT_OK, or a usage error naming the option and
// its rule for the first value refused. A secret option's value "-" is read as one line of
// standard input (not echoed on a terminal); its companion NAME-file FILE takes FILE's first
// line. A secret is never shown in a refusal.
int ApplyInstanceOptions(const VxCommand& command, const VxArgs& args, MSInfo& info);

// Reports every conflict in bits with the system's messages; returns VX_EXIT_FAIL.
int ReportConflicts(int bits);

#endif
