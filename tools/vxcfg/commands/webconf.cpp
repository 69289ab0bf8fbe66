// vxcfg webconf: the web servers' configuration for every instance of the data file, and what
// it changed. Every file the library writes passes the write path, which shows it to an
// observer before it is replaced; the content it had then is compared with what it holds
// afterwards. Whether it failed, and why, comes from the operation's outcome.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/frontend.h"
#include "commands/instance_args.h"
#include "vxconfig/vxconfig.h"

namespace {

// A file the operation wrote, with what it held before its first write.
struct Touched {
    std::string path;
    bool existed;
    std::string before;
};

void Remember(const char* path, const char*, size_t, void* context) {
    auto& touched = *static_cast<std::vector<Touched>*>(context);
    for (const Touched& file : touched) {
        if (file.path == path)
            return;
    }
    ICString content;
    bool existed = SysReadFile(path, content) != 0;
    touched.push_back(
        {path, existed, std::string(content, static_cast<size_t>(content.GetLength()))});
}

} // namespace

int CmdWebconf(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    if (int rc = data.Open(args, false))
        return rc;
    if (data.list.GetCount() == 0) {
        printf("No instances in %s: nothing to configure.\n", Shown(data.path.c_str()).c_str());
        return VX_EXIT_OK;
    }
    std::vector<Touched> touched;
    int configured = 0;
    VXOutcome outcome;
    {
        VXOutcomeScope scope(outcome);
        SysObserveWrites(Remember, &touched);
        configured = ICSetISConf(data.list);
        SysObserveWrites(nullptr, nullptr);
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
    for (const Touched& file : touched) {
        ICString now;
        bool exists = SysReadFile(file.path.c_str(), now) != 0;
        std::string after(now, static_cast<size_t>(now.GetLength()));
        if (exists == file.existed && after == file.before)
            continue;
        printf("%s: %s\n", file.existed ? "changed" : "created", Shown(file.path.c_str()).c_str());
        ++changed;
    }
    // A check run writes nothing: what it would change is in its report.
    if (SysIsCheckRun())
        printf("Web server configuration %s.\n", failed ? "would fail" : "would be done");
    else
        printf("Web server configuration %s: %d file%s changed, %d unchanged.\n",
               failed ? "failed" : "done", changed, changed == 1 ? "" : "s",
               static_cast<int>(touched.size()) - changed);
    return failed ? VX_EXIT_FAIL : VX_EXIT_OK;
}
