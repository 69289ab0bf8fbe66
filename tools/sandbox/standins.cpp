// The stand-in programs: copied from where they were built into ROOT/bin, and the database
// product's instance list tool also into its instance directory.
#include <climits>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "sandbox_parts.h"

namespace sandbox {

namespace {

struct StandIn {
    const char* program;
    bool relda;         // part of the database product
    const char* alsoAt; // a second place under the root, or null
};

const StandIn kStandIns[] = {
    {"su", false, nullptr},
    {"relda", true, nullptr},
    {"reldastart", true, nullptr},
    {"reldastop", true, nullptr},
    {"reldailist", true, "/opt/Orvellrelda/V6.1/instance/reldailist"},
};

// $VXCONFIG_STANDINS, else the directory of the running program (vxcfg, the tests and the
// stand-ins are all built into one folder).
std::string StandInDir() {
    if (const char* dir = getenv("VXCONFIG_STANDINS"))
        if (*dir)
            return dir;
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return ".";
    std::string path(self, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

} // namespace

bool LayStandins(Builder& b, const SandboxOptions& options) {
    if (!options.standins)
        return true;
    std::string dir = StandInDir();
    for (const StandIn& s : kStandIns) {
        if (s.relda && !options.relda)
            continue;
        std::string source = dir + "/" + s.program;
        if (access(source.c_str(), X_OK) != 0)
            return b.Fail(std::string("stand-in program '") + s.program + "' not found in " + dir);
        std::string target = std::string("/bin/") + s.program;
        if (!b.CopyFile(source, target.c_str(), 0755))
            return false;
        if (s.alsoAt && !b.CopyFile(source, s.alsoAt, 0755))
            return false;
    }
    return true;
}

} // namespace sandbox
