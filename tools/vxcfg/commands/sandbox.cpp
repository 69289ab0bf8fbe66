// sandbox: lays out a simulated installation to run the library against.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <string>

#include "cli/frontend.h"
#include "installations.h"
#include "sandbox.h"

namespace {

struct Product {
    const char* name;
    bool SandboxOptions::*flag;
};

const Product kProducts[] = {
    {"payment", &SandboxOptions::payment},   {"hosting", &SandboxOptions::hosting},
    {"macro", &SandboxOptions::macro},       {"wharf", &SandboxOptions::wharf},
    {"relda", &SandboxOptions::relda},       {"loomwork", &SandboxOptions::loomwork},
    {"netscape", &SandboxOptions::netscape},
};

const Product* FindProduct(const char* name) {
    for (const Product& p : kProducts)
        if (strcmp(p.name, name) == 0)
            return &p;
    return nullptr;
}

// The earlier release and its one instance "oldN", as its own writers left them.
int AddRelease(const char* dir, int release, ICString& error) {
    if (!SandboxAddRelease(dir, release, error))
        return 0;
    std::string name = "old" + std::to_string(release);
    std::string home = std::string(dir) + "/srv/" + name;
    MSInfo old;
    old.Name = name.c_str();
    old.RootPath = (home + "/root").c_str();
    old.HtmlPath = (home + "/config").c_str();
    old.DocRoot = (home + "/html").c_str();
    old.CgiPath = (home + "/cgi-bin").c_str();
    old.VXLogPath = (home + "/logs").c_str();
    old.ISHost = "localhost";
    old.DBName = (name + "db").c_str();
    old.DBUser = SANDBOX_INSTANCE_USER;
    old.DBOwner = SANDBOX_OWNER_USER;
    old.MSProc = 2;
    old.MSPort = 15000 + 100 * release;
    return SandboxAddInstance(dir, release, old, error);
}

} // namespace

int CmdSandbox(const VxCommand& self, const VxArgs& args) {
    SandboxOptions options;
    for (const char* name : args.Values("--without")) {
        const Product* p = FindProduct(name);
        if (!p)
            return UsageError(self, "--without: unknown product '%s'", Shown(name).c_str());
        options.*(p->flag) = false;
    }
    for (const char* name : args.Values("--with")) {
        const Product* p = FindProduct(name);
        if (!p)
            return UsageError(self, "--with: unknown product '%s'", Shown(name).c_str());
        options.*(p->flag) = true;
    }
    options.force = args.Has("--force");
    const char* dir = args.operands[0];
    const char* release = args.Value("--release");
    if (release && strcmp(release, "1") != 0 && strcmp(release, "2") != 0)
        return UsageError(self, "--release: 1 or 2, not '%s'", Shown(release).c_str());
    ICString error;
    if (!SandboxBuild(dir, options, error) || (release && !AddRelease(dir, atoi(release), error)))
        return Failure("sandbox: %s", Shown(error).c_str());
    printf("sandbox laid out in %s\n", dir);
    return VX_EXIT_OK;
}
