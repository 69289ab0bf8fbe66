// The instances an installation knows: its instance data file or the boot registry.
#include <vector>

#include "conffile/bootregistry.h"
#include "vxconfig/capture.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/safevalue.h"

namespace {

// The registrations of the boot registry that name an instance of ours: a name or directory
// that could run as a command names none. Returns how many were added.
int ReadBootRegistry(MSList& list) {
    std::vector<conffile::BootEntry> entries;
    conffile::ReadBootEntries(entries);
    int added = 0;
    for (const conffile::BootEntry& entry : entries) {
        if (entry.configDir.empty() || !SysIsSafeValue(entry.name.c_str(), SYS_VALUE_NAME) ||
            !SysIsSafeValue(entry.configDir.c_str(), SYS_VALUE_PATH))
            continue;
        MSInfo info;
        info.SetName(entry.name.c_str());
        // Stored as found: a directory that breaks the instance path rule is refused, with
        // the rule, when the capture checks the whole record.
        info.HtmlPath = entry.configDir.c_str();
        list.Add(info, 0);
        ++added;
    }
    return added;
}

} // namespace

int SysGetInstanceInfo(MSList& list, int release) {
    if (release == 2) {
        ICString dir;
        SysGetInstPath(dir, 2);
        if (list.Load(dir ^ "server/admin/vxconfig.dat"))
            return 1;
        ReadBootRegistry(list);
        return 0;
    }
    if (release == 3)
        return ReadBootRegistry(list) > 0 ? 1 : 0;
    return 0;
}
