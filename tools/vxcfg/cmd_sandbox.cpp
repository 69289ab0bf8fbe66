// sandbox: lays out a simulated installation to run the library against.
#include <cstdio>
#include <cstring>

#include "frontend.h"
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
    ICString error;
    if (!SandboxBuild(dir, options, error))
        return Failure("sandbox: %s", Shown(error).c_str());
    printf("sandbox laid out in %s\n", dir);
    return VX_EXIT_OK;
}
