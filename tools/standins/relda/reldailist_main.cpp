// reldailist: the registered database instances, one a line, in the registry's order.
#include <cstdio>
#include <string>
#include <vector>

#include "instance.h"

int main() {
    std::vector<std::string> names;
    if (!relda::ReadRegistry(names)) {
        fprintf(stderr, "reldailist: cannot read the instance registry %s\n",
                relda::RegistryPath().c_str());
        return 1;
    }
    for (const std::string& name : names)
        printf("%s\n", name.c_str());
    return 0;
}
