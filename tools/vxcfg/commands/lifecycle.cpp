// vxcfg create, delete and migrate: the instances of the data file made, taken off the machine
// (and out of the data file) or carried over from an earlier release. What each did comes
// from the outcome the library notes: an instance counts only when none of its steps failed,
// the first failure says why, and a check run speaks of what would happen.
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/frontend.h"
#include "commands/instance_args.h"
#include "vxconfig/vxconfig.h"

namespace {

const char* Plural(int count) {
    return count == 1 ? "" : "s";
}

// Why a step failed, naming its target once.
std::string Why(const VXStep& step) {
    if (step.reason.empty())
        return step.action + " " + step.target + ": failed";
    if (!step.target.empty() && step.reason.find(step.target) == std::string::npos)
        return step.target + ": " + step.reason;
    return step.reason;
}

// Reports the first failure of instance name with what it means for the instance.
void ReportFailure(const VXOutcome& outcome, const char* name, const char* meaning) {
    const VXStep* step = outcome.FirstFailure(name);
    Failure("%s %s: %s", Shown(name).c_str(), meaning,
            step ? Shown(Why(*step).c_str()).c_str() : "the library gave no reason");
}

// The pieces of the instance that a deletion found already gone.
std::vector<std::string> Gone(const VXOutcome& outcome, const char* name) {
    std::vector<std::string> gone;
    for (const VXStep& step : outcome.steps)
        if (step.instance == name && step.action == "gone")
            gone.push_back(step.target);
    return gone;
}

// Asks on the terminal whether the running instance may be stopped and deleted.
bool ConfirmedOnTerminal(const char* name) {
    if (!isatty(STDIN_FILENO))
        return false;
    fprintf(stderr, "%s is running: stop it and delete it? [y/N] ", Shown(name).c_str());
    char answer[16] = "";
    if (!fgets(answer, sizeof answer, stdin))
        return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

} // namespace

int CmdCreate(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    std::vector<MSInfo> chosen;
    if (int rc = data.OpenChosen(args, chosen))
        return rc;
    if (chosen.empty()) {
        printf("No instances in %s: nothing to create.\n", Shown(data.path.c_str()).c_str());
        return VX_EXIT_OK;
    }
    const bool check = SysIsCheckRun() != 0;
    int created = 0;
    for (MSInfo& info : chosen) {
        VXOutcome outcome;
        int result;
        {
            VXOutcomeScope scope(outcome);
            SysClearLastReason();
            result = ICCreateSingleInst(info);
        }
        if (result && !outcome.Failed(info.Name))
            ++created;
        else
            ReportFailure(outcome, info.Name, check ? "would not be created" : "is not created");
    }
    int total = static_cast<int>(chosen.size());
    if (check)
        printf("Would create %d of %d instance%s.\n", created, total, Plural(total));
    else
        printf("Created %d of %d instance%s.%s\n", created, total, Plural(total),
               created ? " Next: vxcfg webconf, vxcfg createdb, vxcfg start NAME." : "");
    return created == total ? VX_EXIT_OK : VX_EXIT_FAIL;
}

int CmdDelete(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    MSInfo info;
    if (int rc = data.OpenNamed(args, true, &info))
        return rc;
    const bool check = SysIsCheckRun() != 0;
    if (!args.Has("--yes") && SysIsVXSvcActive(info) && !ConfirmedOnTerminal(info.Name))
        return Failure("%s is running and is left as it is: vxcfg delete --yes %s stops it and "
                       "deletes it",
                       Shown(info.Name).c_str(), Shown(info.Name).c_str());
    VXOutcome outcome;
    {
        VXOutcomeScope scope(outcome);
        SysClearLastReason();
        // Its result also counts services that were already gone; the outcome tells those
        // apart from what could not be removed.
        ICDeleteSingleInst(info, 0);
    }
    std::string name = Shown(info.Name);
    std::string path = Shown(data.path.c_str());
    if (outcome.Failed(info.Name)) {
        ReportFailure(outcome, info.Name, check ? "would not be deleted" : "is not deleted");
        printf("%s %s in %s: the deletion %s. vxcfg delete %s finishes it once the cause is "
               "fixed.\n",
               name.c_str(), check ? "would stay" : "stays", path.c_str(),
               check ? "would not complete" : "did not complete", name.c_str());
        return VX_EXIT_FAIL;
    }
    std::vector<std::string> gone = Gone(outcome, info.Name);
    if (!gone.empty()) {
        std::string list;
        for (const std::string& piece : gone)
            list += (list.empty() ? "" : ", ") + Shown(piece.c_str());
        printf("Already gone, counted as removed: %s.\n", list.c_str());
    }
    data.list.Delete();
    if (int rc = data.Store())
        return rc;
    printf("%s %s %s.\n", name.c_str(), check ? "would be removed from" : "removed from",
           path.c_str());
    return VX_EXIT_OK;
}

int CmdMigrate(const VxCommand&, const VxArgs& args) {
    const bool check = SysIsCheckRun() != 0;
    VXOutcome outcome;
    std::vector<MSInfo> migrated;
    int found = 0;
    int result;
    {
        VXOutcomeScope scope(outcome);
        SysClearLastReason();
        result = VXMigrate(migrated, found);
    }
    if (found == 0) {
        printf("Nothing to migrate.\n");
        return VX_EXIT_OK;
    }
    // Every instance that was created, whole or not, is kept in the data file: its record is
    // what re-creates or deletes it.
    if (!migrated.empty()) {
        InstanceData data;
        if (int rc = data.Open(args, true))
            return rc;
        for (MSInfo& info : migrated) {
            bool replaced = false;
            for (int i = 0; i < data.list.GetCount() && !replaced; ++i) {
                MSInfo stored;
                data.list.SetIndex(i);
                replaced = data.list.GetCurrent(stored) && stricmp(stored.Name, info.Name) == 0 &&
                           data.list.SetCurrent(info);
            }
            if (!replaced)
                data.list.Add(info, 0);
        }
        if (int rc = data.Store())
            return rc;
    }
    int whole = 0;
    for (const MSInfo& info : migrated) {
        if (outcome.Failed(info.Name))
            ReportFailure(outcome, info.Name,
                          check ? "would not be migrated whole" : "is not migrated whole");
        else
            ++whole;
    }
    if (!result && whole == static_cast<int>(migrated.size())) {
        // Stopped at an instance that was never created, or at the web server's configuration.
        const VXStep* step = outcome.FirstFailure();
        Failure("migration stopped: %s",
                step ? Shown(Why(*step).c_str()).c_str()
                     : "an instance could not be created or its web server configured");
    }
    printf("%s %d of %d instance%s.\n", check ? "Would migrate" : "Migrated", whole, found,
           Plural(found));
    return result && whole == found ? VX_EXIT_OK : VX_EXIT_FAIL;
}
