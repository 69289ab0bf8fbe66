// vxcfg: the global options, then one subcommand with its own arguments.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/frontend.h"
#include "report/liveline.h"
#include "vxconfig/vxconfig.h"

namespace {

// Messages go above the live line of a terminal, never onto a progress bar or spinner.
void PrintError(const char* text) {
    LivePrint(stderr, (std::string("vxcfg: ") + (text ? text : "")).c_str());
}
void PrintInfo(const char* text) {
    LivePrint(stdout, text);
}
void PrintStatus(const char* text) {
    LivePrint(stdout, text);
}
void PrintProgress(int percent) {
    LiveProgress(percent);
}

// The root of --root, or one from the environment: it must be usable before anything runs.
int SetRoot(const char* dir) {
    ICString why;
    if (!SysCheckRootValue(dir, &why))
        return UsageError(g_globalCommand, "--root: '%s' is refused: %s", Shown(dir).c_str(),
                          static_cast<const char*>(why));
    std::string path = std::string(dir) + "/bin";
    if (const char* old = getenv("PATH"))
        path += std::string(":") + old;
    setenv("VXCONFIG_ROOT", dir, 1);
    setenv("PATH", path.c_str(), 1);
    return VX_EXIT_OK;
}

int CheckEnvironmentRoot() {
    const char* root = getenv("VXCONFIG_ROOT");
    ICString why;
    if (SysHasRoot() && !SysCheckRootValue(root, &why))
        return UsageError(g_globalCommand, "VXCONFIG_ROOT: '%s' is refused: %s",
                          Shown(root).c_str(), static_cast<const char*>(why));
    return VX_EXIT_OK;
}

// "COMMAND --help" anywhere before "--".
bool AsksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc && strcmp(argv[i], "--") != 0; ++i) {
        if (strcmp(argv[i], "--help") == 0)
            return true;
    }
    return false;
}

int Run(int argc, char** argv) {
    VxArgs global;
    int consumed = 0;
    if (int rc = ParseArgs(g_globalCommand, argc, argv, global, true, &consumed))
        return rc;
    if (global.Has("--help")) {
        PrintHelp();
        return VX_EXIT_OK;
    }
    if (global.Has("--man")) {
        PrintManPage();
        return VX_EXIT_OK;
    }
    if (global.Has("--version")) {
        printf("vxcfg %s\n", VX_VERSION);
        return VX_EXIT_OK;
    }
    // Refusals of the command line are noted too: a --json reader gets their document.
    VXOutcome refusals;
    VXOutcomeScope collecting(refusals);
    const char* name = consumed < argc ? argv[consumed] : nullptr;
    if (const char* root = global.Value("--root")) {
        if (int rc = SetRoot(root))
            return ReportRefusal(global, name, rc, refusals);
    } else if (int rc = CheckEnvironmentRoot()) {
        return ReportRefusal(global, name, rc, refusals);
    }
    if (!name)
        return ReportRefusal(global, name, UsageError(g_globalCommand, "no command given"),
                             refusals);
    const VxCommand& command = FindCommand(name);
    if (!command.name)
        return ReportRefusal(
            global, nullptr,
            UsageError(g_globalCommand, "unknown command '%s'", Shown(name).c_str()), refusals);
    int subArgc = argc - consumed;
    char** subArgv = argv + consumed;
    if (AsksForHelp(subArgc, subArgv)) {
        if (global.Has("--json"))
            PrintCommandHelpJson(command);
        else
            PrintCommandHelp(command);
        return VX_EXIT_OK;
    }
    VxArgs args;
    if (int rc = ParseArgs(command, subArgc, subArgv, args))
        return ReportRefusal(global, command.name, rc, refusals);
    SysClearLastReason();
    return RunReported(command, args, global);
}

} // namespace

int main(int argc, char** argv) {
    bCgiApp = 1;
    pfnError = PrintError;
    pfnInfo = PrintInfo;
    pfnUpdate = PrintStatus;
    pfnProgress = PrintProgress;
    setvbuf(stdout, nullptr, _IOLBF, 0);

    int rc = Run(argc, argv);
    // What was printed must have reached its reader: a full disk or a closed pipe is a
    // failure of the command, not a silent success.
    if (fflush(stdout) != 0 || ferror(stdout)) {
        int error = errno;
        fprintf(stderr, "vxcfg: cannot write standard output: %s\n", strerror(error));
        return VX_EXIT_FAIL;
    }
    return rc;
}
