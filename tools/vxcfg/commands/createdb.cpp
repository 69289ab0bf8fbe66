// vxcfg createdb: the database of every instance of the data file, with the library's status
// lines, a progress bar on a terminal, and where the logs are. What failed, and why, and the
// count of ready databases come from the operation's outcome.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/frontend.h"
#include "commands/instance_args.h"
#include "report/liveline.h"
#include "vxconfig/vxconfig.h"

namespace {

const int kAllDone = 100; // percent

} // namespace

int CmdCreatedb(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    if (int rc = data.Open(args, false))
        return rc;
    // The bar is drawn on a terminal's live line only, with the messages above it.
    bool terminal = LiveLineShown();
    void (*savedProgress)(int) = pfnProgress;
    if (!terminal)
        pfnProgress = nullptr;
    VXOutcome outcome;
    int done = 0;
    {
        VXOutcomeScope scope(outcome);
        done = DBCreateDatabase(data.list);
    }
    if (terminal) {
        if (done)
            LiveProgress(kAllDone);
        LiveClear();
    }
    pfnProgress = savedProgress;
    for (const VXStep& step : outcome.steps) {
        if (!step.failed)
            continue;
        if (step.instance.empty())
            Failure("%s: %s", step.action.c_str(), Shown(step.reason.c_str()).c_str());
        else
            Failure("instance %s: %s %s: %s", Shown(step.instance.c_str()).c_str(),
                    step.action.c_str(), Shown(step.target.c_str()).c_str(),
                    Shown(step.reason.c_str()).c_str());
    }
    if (!done)
        return VX_EXIT_FAIL;

    std::vector<std::string> logs;
    int ready = 0;
    for (int i = 0; i < data.list.GetCount(); ++i) {
        MSInfo info;
        data.list.SetIndex(i);
        data.list.GetCurrent(info);
        ready += outcome.Failed(info.Name) ? 0 : 1;
        std::string log = static_cast<const char*>(info.VXLogPath);
        if (!log.empty() && std::find(logs.begin(), logs.end(), log) == logs.end())
            logs.push_back(log);
    }
    int count = data.list.GetCount();
    printf("Databases: %d of %d %sready.", ready, count, SysIsCheckRun() ? "would be " : "");
    for (size_t i = 0; i < logs.size(); ++i)
        printf("%s%s", i ? ", " : " Logs in ", Shown(logs[i].c_str()).c_str());
    printf("\n");
    return outcome.Failed() ? VX_EXIT_FAIL : VX_EXIT_OK;
}
