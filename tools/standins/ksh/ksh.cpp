// ksh: the sandbox's Korn shell. The generated scripts need a real one, so this program only
// finds the machine's ksh93 (else another ksh) and runs it with the same arguments; the
// sandbox's own bin directory and this program are never taken for it. Without one it says
// so and exits with 127, as a shell does for a command it cannot find.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "standin_files.h"

namespace {

// Where the machine's shells are looked for first; then PATH, for the same names.
const char* const kPlaces[] = {"/usr/bin", "/bin", "/usr/local/bin"};
const char* const kNames[] = {"ksh93", "ksh"}; // ksh93 first: the scripts are written for it
const int kNotFound = 127;

std::string Resolved(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : "";
}

// The real shell, or "" when there is none.
std::string FindShell() {
    std::string self = Resolved("/proc/self/exe");
    std::string root = standin::SystemRoot("/bin/ksh");
    std::string sandboxRoot = root.empty() ? "" : Resolved(root);
    std::vector<std::string> dirs(std::begin(kPlaces), std::end(kPlaces));
    const char* path = getenv("PATH");
    for (const std::string& dir : standin::SplitWords(path ? path : "", ":"))
        dirs.push_back(dir);
    for (const char* name : kNames) {
        for (const std::string& dir : dirs) {
            std::string candidate = Resolved(dir + "/" + name);
            if (candidate.empty() || candidate == self || access(candidate.c_str(), X_OK) != 0)
                continue;
            if (!sandboxRoot.empty() && standin::IsBelow(candidate, sandboxRoot))
                continue;
            return candidate;
        }
    }
    return "";
}

} // namespace

int main(int argc, char** argv) {
    (void)argc;
    std::string shell = FindShell();
    if (shell.empty()) {
        fprintf(stderr, "ksh: no Korn shell on this machine (looked for ksh93 and ksh); "
                        "install the ksh package\n");
        return kNotFound;
    }
    execv(shell.c_str(), argv);
    fprintf(stderr, "ksh: cannot run %s: %s\n", shell.c_str(), strerror(errno));
    return kNotFound;
}
