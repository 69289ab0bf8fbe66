// The boot registry's reader, shared by the capture of an installation's instances and the
// lookup of one instance's registered configuration directory.
#ifndef VX_CONFFILE_BOOTREGISTRY_H
#define VX_CONFFILE_BOOTREGISTRY_H

#include <string>
#include <vector>

namespace conffile {

// One registration: the instance named by a comment line and the configuration directory of
// the start line that follows it (empty when that line holds no path).
struct BootEntry {
    std::string name;
    std::string configDir;
};

// Appends the registrations of "/etc/rc.vndx" in file order, as written (unchecked). A comment
// that another comment follows (left by an earlier registration) names nothing: the later one
// counts. false, with the reason, when the file cannot be read.
bool ReadBootEntries(std::vector<BootEntry>& out);

} // namespace conffile

#endif
