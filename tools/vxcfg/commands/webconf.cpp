// vxcfg webconf: the web servers' configuration for every instance of the data file, and what
// it changed. The change notes (those of --check, --diff or --json, else a recorded run of its
// own) tell every file the write path wrote and whether its content changed. Whether it
// failed, and why, comes from the operation's outcome.
#include <cstdio>
#include <string>

#include "cli/frontend.h"
#include "commands/instance_args.h"
#include "vxconfig/vxconfig.h"

int CmdWebconf(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    if (int rc = data.Open(args, false))
        return rc;
    if (data.list.GetCount() == 0) {
        printf("No instances in %s: nothing to configure.\n", Shown(data.path.c_str()).c_str());
        return VX_EXIT_OK;
    }
    int configured = 0;
    VXOutcome outcome;
    SysChangeReport report;
    {
        VXOutcomeScope scope(outcome);
        // A plain run notes its own changes; under --check, --diff or --json they are noted
        // already, from the start of this command.
        bool own = SysGetChangeMode() == SYS_CHANGES_OFF && SysBeginChanges(SYS_CHANGES_RECORD);
        configured = ICSetISConf(data.list);
        SysGetChanges(report, true);
        if (own)
            SysEndChanges();
    }
    for (const VXStep& step : outcome.steps) {
        if (!step.failed)
            continue;
        // A file's reason begins with the file already.
        bool named = step.reason.compare(0, step.target.size() + 1, step.target + ":") == 0;
        Failure("%s %s%s%s", step.action.c_str(), named ? "" : Shown(step.target.c_str()).c_str(),
                named ? "" : ": ", Shown(step.reason.c_str()).c_str());
    }
    bool failed = !configured || outcome.Failed() || !outcome.errors.empty();

    int changed = 0;
    for (const SysWrittenFile& file : report.written) {
        if (!file.changed)
            continue;
        printf("%s: %s\n", file.existedBefore ? "changed" : "created",
               Shown(file.path.c_str()).c_str());
        ++changed;
    }
    // A check run writes nothing: what it would change is in its report.
    if (SysIsCheckRun())
        printf("Web server configuration %s.\n", failed ? "would fail" : "would be done");
    else
        printf("Web server configuration %s: %d file%s changed, %d unchanged.\n",
               failed ? "failed" : "done", changed, changed == 1 ? "" : "s",
               static_cast<int>(report.written.size()) - changed);
    return failed ? VX_EXIT_FAIL : VX_EXIT_OK;
}
