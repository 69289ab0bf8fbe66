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
    {"payment", &SandboxOptions::payment}, {"hosting", &SandboxOptions::hosting},
    {"macro", &SandboxOptions::macro},     {"wharf", &SandboxOptions::wharf},
    {"relda", &SandboxOptions::relda},
};

const Product* FindProduct(const char* name) {
    for (const Product& p : kProducts)
        if (strcmp(p.name, name) == 0)
            return &p;
    return nullptr;
}

} // namespace

int CmdSandbox(int argc, char** argv) {
    const VxCommand& self = FindCommand(argv[0]);
    SandboxOptions options;
    const char* dir = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--without") == 0) {
            if (i + 1 >= argc)
                return UsageError(self, "--without needs a product name");
            const Product* p = FindProduct(argv[++i]);
            if (!p)
                return UsageError(self, "unknown product '%s'", argv[i]);
            options.*(p->flag) = false;
        } else if (argv[i][0] == '-') {
            return UsageError(self, "unknown option '%s'", argv[i]);
        } else if (dir) {
            return UsageError(self, "only one directory may be given");
        } else {
            dir = argv[i];
        }
    }
    if (!dir)
        return UsageError(self, "no directory given");
    ICString error;
    if (!SandboxBuild(dir, options, error))
        return Failure("sandbox: %s", static_cast<const char*>(error));
    printf("sandbox laid out in %s\n", dir);
    return VX_EXIT_OK;
}
