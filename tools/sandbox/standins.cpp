// The stand-in programs: copied from where they were built to where the products they stand
// for keep them under the root (ROOT/bin for the shell tools and the database product, the
// product's bin and admin directories, the web server's usr/sbin), each only into a sandbox
// that has its product.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "sandbox_parts.h"

namespace sandbox {

namespace {

// Which sandboxes get a program: every one, or those with the product it belongs to.
enum Gate { kAlways, kRelda, kPayment, kWharf };

struct StandIn {
    const char* program;
    Gate gate;
    const char* at[2]; // where it is installed under the root; the second may be null
};

const StandIn kStandIns[] = {
    {"su", kAlways, {"/bin/su", nullptr}},
    {"ksh", kAlways, {"/bin/ksh", nullptr}},
    // The boot script runs a bare "ps -e" through PATH, the library "/usr/bin/ps".
    {"ps", kAlways, {"/usr/bin/ps", "/bin/ps"}},
    {"srvrctrl", kAlways, {"/opt/Orvellvndx/Vendrix3/bin/srvrctrl", nullptr}},
    {"webconfig", kAlways, {"/opt/Orvellvndx/Vendrix3/server/admin/webconfig", nullptr}},
    {"server", kPayment, {"/opt/Orvellvndx/Vendrix3/bin/server", nullptr}},
    {"httpd", kWharf, {"/usr/sbin/httpd", nullptr}},
    {"relda", kRelda, {"/bin/relda", nullptr}},
    {"reldastart", kRelda, {"/bin/reldastart", nullptr}},
    {"reldastop", kRelda, {"/bin/reldastop", nullptr}},
    {"reldailist", kRelda, {"/bin/reldailist", "/opt/Orvellrelda/V6.1/instance/reldailist"}},
};

bool Wanted(Gate gate, const SandboxOptions& options) {
    switch (gate) {
    case kRelda:
        return options.relda;
    case kPayment:
        return options.payment;
    case kWharf:
        return options.wharf;
    case kAlways:
        break;
    }
    return true;
}

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
        if (!Wanted(s.gate, options))
            continue;
        std::string source = dir + "/" + s.program;
        if (access(source.c_str(), X_OK) != 0)
            return b.Fail(std::string("stand-in program '") + s.program + "' not found in " + dir);
        for (const char* at : s.at) {
            if (!at)
                continue;
            std::string parent(at, strrchr(at, '/'));
            if (!b.MakeDirs(parent.c_str()) || !b.CopyFile(source, at, 0755))
                return false;
        }
    }
    return true;
}

} // namespace sandbox
