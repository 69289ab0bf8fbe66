// `su - USER -c TEXT`: runs TEXT in a login shell of USER as the calling user (no change of
// privilege). A login shell reads the system profile and then the user's ~/.profile; the
// system profile here is the rooted etc/profile, because the machine's own one resets PATH and
// would hide the sandbox's programs. Like a login, the command starts from a fresh environment;
// it keeps PATH for the same reason, and the sandbox's own settings.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "accounts.h"

namespace {

const char kShell[] = "/bin/sh";

// What survives into the login environment: whole names, and prefixes ending in "_".
const char* const kKeptVariables[] = {"PATH", "TERM",      "LANG",  "TZ",     "TMPDIR",
                                      "LC_",  "VXCONFIG_", "ASAN_", "UBSAN_", "LSAN_"};

bool IsKept(const std::string& name) {
    for (const char* kept : kKeptVariables) {
        size_t n = strlen(kept);
        if (kept[n - 1] == '_' ? name.compare(0, n, kept) == 0 : name == kept)
            return true;
    }
    return false;
}

// Drops every variable that is not kept.
void ResetEnvironment() {
    std::vector<std::string> dropped;
    for (char** e = environ; *e; ++e) {
        std::string name(*e, strcspn(*e, "="));
        if (!IsKept(name))
            dropped.push_back(name);
    }
    for (const std::string& name : dropped)
        unsetenv(name.c_str());
}

int Usage() {
    fprintf(stderr, "usage: su - USER -c COMMAND\n");
    return 2;
}

// path as one single-quoted shell word.
std::string Quote(const std::string& path) {
    std::string out = "'";
    for (char c : path) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

// What the login shell runs: the profiles it would read, then the command text itself.
std::string LoginScript(const std::string& home, const char* text) {
    std::string script;
    const std::string profiles[] = {standin::RootedPath("/etc/profile"), home + "/.profile"};
    for (const std::string& p : profiles)
        script += "if [ -r " + Quote(p) + " ]; then . " + Quote(p) + "; fi\n";
    return script + text;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5 || strcmp(argv[1], "-") != 0 || strcmp(argv[3], "-c") != 0 || !*argv[2])
        return Usage();
    standin::Account user;
    if (!standin::FindAccount(argv[2], user)) {
        fprintf(stderr, "su: user %s does not exist\n", argv[2]);
        return 1;
    }
    if (chdir(user.home.c_str()) != 0) {
        fprintf(stderr, "su: cannot change directory to %s: %s\n", user.home.c_str(),
                strerror(errno));
        return 1;
    }
    ResetEnvironment();
    setenv("HOME", user.home.c_str(), 1);
    setenv("USER", user.name.c_str(), 1);
    setenv("LOGNAME", user.name.c_str(), 1);
    setenv("SHELL", kShell, 1);
    std::string script = LoginScript(user.home, argv[4]);
    execl(kShell, "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
    fprintf(stderr, "su: cannot run %s: %s\n", kShell, strerror(errno));
    return 1;
}
