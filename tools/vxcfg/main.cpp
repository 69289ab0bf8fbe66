#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "frontend.h"
#include "instance_args.h"
#include "vxconfig/vxconfig.h"

static void PrintError(const char* text) {
    fprintf(stderr, "vxcfg: %s\n", text);
}
static void PrintInfo(const char* text) {
    printf("%s\n", text);
}
static void PrintStatus(const char* text) {
    printf("%s\n", text);
}
static void PrintProgress(int percent) {
    printf("[%3d%%]\n", percent);
}

int UsageError(const VxCommand& command, const char* why, ...) {
    char text[1024];
    va_list args;
    va_start(args, why);
    vsnprintf(text, sizeof text, why, args);
    va_end(args);
    fprintf(stderr, "vxcfg: %s: %s (usage: vxcfg %s %s)\n", command.name, text, command.name,
            command.usage);
    return VX_EXIT_USAGE;
}

int Failure(const char* why, ...) {
    char text[1024];
    va_list args;
    va_start(args, why);
    vsnprintf(text, sizeof text, why, args);
    va_end(args);
    PrintError(text);
    return VX_EXIT_FAIL;
}

const VxCommand& FindCommand(const char* name) {
    const VxCommand* c = g_commands;
    while (c->name && strcmp(c->name, name) != 0)
        ++c;
    return *c;
}

static void PrintHelp() {
    printf("usage: vxcfg [--root DIR] COMMAND [ARGUMENTS]\n"
           "       vxcfg --help | --version\n\n"
           "Configures server instances of the Vendrix web commerce server.\n\n"
           "options:\n"
           "  --root DIR   work on the installation under DIR instead of / (sets VXCONFIG_ROOT\n"
           "               and puts DIR/bin first in PATH)\n"
           "  --help       show this text\n"
           "  --version    show the version\n\n"
           "commands:\n");
    for (const VxCommand* c = g_commands; c->name; ++c)
        printf("  %s %s\n      %s\n", c->name, c->usage, c->summary);
    printf("\ninstance options of add and set (FILE defaults to the product's "
           "server/admin/vxconfig.dat):\n");
    for (const InstanceOption* o = g_instanceOptions; o->name; ++o) {
        std::string head = std::string(o->name) + " " + o->arg;
        printf("  %-36s %s\n", head.c_str(), o->rule);
    }
    printf("\nExit codes: 0 success, 1 failure, 2 wrong usage.\n");
}

// A root is an absolute path without a dot: backup names are formed at the first dot of a
// whole path, so a dot in the root would send every backup astray.
static int SetRoot(const char* dir) {
    if (dir[0] != '/' || strchr(dir, '.')) {
        fprintf(stderr,
                "vxcfg: --root: '%s' must be an absolute path without dots "
                "(usage: vxcfg --root DIR COMMAND ...)\n",
                dir);
        return 0;
    }
    std::string path = std::string(dir) + "/bin";
    if (const char* old = getenv("PATH"))
        path += std::string(":") + old;
    setenv("VXCONFIG_ROOT", dir, 1);
    setenv("PATH", path.c_str(), 1);
    return 1;
}

int main(int argc, char** argv) {
    bCgiApp = 1;
    pfnError = PrintError;
    pfnInfo = PrintInfo;
    pfnUpdate = PrintStatus;
    pfnProgress = PrintProgress;
    setvbuf(stdout, nullptr, _IOLBF, 0);

    int at = 1;
    while (at < argc && argv[at][0] == '-') {
        const char* opt = argv[at];
        if (strcmp(opt, "--help") == 0 || strcmp(opt, "-h") == 0) {
            PrintHelp();
            return VX_EXIT_OK;
        }
        if (strcmp(opt, "--version") == 0) {
            printf("vxcfg %s\n", VX_VERSION);
            return VX_EXIT_OK;
        }
        if (strcmp(opt, "--root") == 0) {
            if (at + 1 >= argc) {
                fprintf(stderr, "vxcfg: --root needs a directory "
                                "(usage: vxcfg --root DIR COMMAND ...)\n");
                return VX_EXIT_USAGE;
            }
            if (!SetRoot(argv[at + 1]))
                return VX_EXIT_USAGE;
            at += 2;
            continue;
        }
        fprintf(stderr, "vxcfg: unknown option '%s' (see vxcfg --help)\n", opt);
        return VX_EXIT_USAGE;
    }
    if (at >= argc) {
        fprintf(stderr, "vxcfg: no command given (see vxcfg --help)\n");
        return VX_EXIT_USAGE;
    }
    const VxCommand& command = FindCommand(argv[at]);
    if (!command.name) {
        fprintf(stderr, "vxcfg: unknown command '%s' (see vxcfg --help)\n", argv[at]);
        return VX_EXIT_USAGE;
    }
    return command.run(argc - at, argv + at);
}
