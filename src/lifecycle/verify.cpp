// The drift check: an instance's creation and the web server configuration run in check mode
// against the installed files; what that run would change, less what every run changes
// anyway, is where the installation left its record.
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sys/check/overlay.h"
#include "vxconfig/capture.h"
#include "vxconfig/changes.h"
#include "vxconfig/fileio.h"
#include "vxconfig/lifecycle.h"
#include "vxconfig/mslist.h"
#include "vxconfig/outcome.h"
#include "vxconfig/portplan.h"
#include "vxconfig/reason.h"
#include "vxconfig/services.h"
#include "vxconfig/svcctl.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/webconf.h"

namespace {

const char kOldSuffix[] = ".old";
// The outcome's action for the boot registry's rewrite; the run-level scripts are the files
// written right after it.
const char kBootAction[] = "boot";
const char kWriteAction[] = "write";
const char kRegisterAction[] = "register";
const char kOwnerAction[] = "owner";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string WithoutBlankLines(const std::string& text) {
    std::string out;
    for (const std::string& line : Lines(text)) {
        if (line.find_first_not_of(" \t\r") != std::string::npos)
            out += line + "\n";
    }
    return out;
}

// The files the boot registration rewrote: the registry, then the run-level scripts.
std::set<std::string> BootFiles(const VXOutcome& outcome, std::string& registry) {
    std::set<std::string> files;
    bool afterRegistry = false;
    for (const VXStep& step : outcome.steps) {
        if (step.action == kBootAction) {
            files.insert(step.target);
            registry = step.target;
            afterRegistry = true;
        } else if (afterRegistry && step.action == kWriteAction) {
            files.insert(step.target);
        } else {
            afterRegistry = false;
        }
    }
    return files;
}

// A registry rewrite that only repeats lines it holds already (a repeated registration leaves
// the instance's comment line twice) keeps the instance's registration as it was.
bool OnlyRepeats(const SysFileChange& change) {
    if (!change.existedBefore || !change.existsAfter)
        return false;
    std::vector<std::string> before = Lines(change.before), after = Lines(change.after);
    return std::set<std::string>(before.begin(), before.end()) ==
           std::set<std::string>(after.begin(), after.end());
}

// The files stopping the running instance would remove (the controller's pid file, the
// daemons' markers), asked of a check run of the stop alone: creation stops a running instance
// first, and what a stop takes away is the instance's run-time state, not its configuration.
std::set<std::string> RunTimeFiles(MSInfo& info) {
    std::set<std::string> files;
    if (!SysIsVXSvcActive(info) || !SysBeginChanges(SYS_CHANGES_CHECK))
        return files;
    SysChangeReport report;
    {
        VXOutcome ignored;
        VXOutcomeScope scope(ignored);
        SysStopVXSvc(info);
        SysGetChanges(report);
    }
    SysEndChanges();
    for (const SysFileChange& file : report.files) {
        if (file.existedBefore && !file.existsAfter)
            files.insert(file.path);
    }
    return files;
}

// Whether info was created on this machine: its controller's service is registered.
bool IsRegistered(const MSInfo& info) {
    ICString service;
    GetVXServicePfx(info.Name, service);
    return ICGetTcpServicePort(service) > 0;
}

// Creates again, in the check run, the instances recorded after info that were created, as
// they were created after it: the files the installation shares (the performance monitor's
// service, the server control's properties, the tools' configuration) hold what the last one
// created wrote, so info's creation alone would take them back to info's. One only added to
// the record has left nothing there yet. Their own failures are theirs to report.
void CreateLaterInstances(const MSInfo& info, MSList& list) {
    int kept = list.GetIndex();
    bool later = false;
    for (int i = 0; i < list.GetCount(); ++i) {
        MSInfo other;
        if (!list.SetIndex(i) || !list.GetCurrent(other))
            continue;
        if (later && IsRegistered(other))
            ICCreateSingleInst(other);
        else
            later = strcmp(other.Name, info.Name) == 0;
    }
    list.SetIndex(kept);
}

// The service names an outcome registered.
std::set<std::string> RegisteredBy(const VXOutcome& outcome) {
    std::set<std::string> names;
    for (const VXStep& step : outcome.steps) {
        if (step.action == kRegisterAction)
            names.insert(step.target);
    }
    return names;
}

// The paths of a report's files, written or changed.
std::set<std::string> PathsOf(const SysChangeReport& report) {
    std::set<std::string> paths;
    for (const SysWrittenFile& file : report.written)
        paths.insert(file.path);
    for (const SysFileChange& file : report.files)
        paths.insert(file.path);
    return paths;
}

// The one rule of what is not drift, because every run would change it whatever the
// installation holds and a user sees no difference in it: a backup copy the run refreshes
// (named after a file the run touched), a file that differs only in blank lines (no reader of
// these files sees them), the boot registration's files when the registration itself is
// right (a repeated registration always repeats the comment line and lists the instance again
// in the run-level scripts), a running instance's run-time files that its stop removes, and
// what only the instances created after it touch (theirs to report).
bool NotDrift(const SysFileChange& change, const std::set<std::string>& touched,
              const std::set<std::string>& bootFiles, bool bootInSync,
              const std::set<std::string>& runFiles, const std::set<std::string>& others) {
    if (change.directory || change.link)
        return false;
    if ((runFiles.count(change.path) && (!change.existsAfter || change.action == kOwnerAction)) ||
        others.count(change.path))
        return true;
    for (const std::string& path : touched) {
        if (change.path != path &&
            (change.path == path + kOldSuffix ||
             change.path == static_cast<const char*>(SysGetBackupName(path.c_str()))))
            return true;
    }
    if (bootInSync && bootFiles.count(change.path))
        return true;
    return change.existedBefore && change.existsAfter && change.modeBefore == change.modeAfter &&
           change.uidBefore == change.uidAfter && change.gidBefore == change.gidAfter &&
           WithoutBlankLines(change.before) == WithoutBlankLines(change.after);
}

// The owner a file would end with, and whether the instance's own steps give it.
struct GivenOwner {
    uid_t uid = 0;
    gid_t gid = 0;
    bool own = false;
};

// Gives path (recursive: and the tree below it, never through a link) the owner of note.
void GiveOwner(const std::string& path, const SysOwnerNote& note, bool own,
               std::map<std::string, GivenOwner>& owners) {
    struct stat st;
    if (SysLstat(path.c_str(), &st) != 0)
        return;
    GivenOwner& given = owners[path];
    given.uid = note.uid;
    given.gid = note.gid;
    given.own = given.own || own;
    std::vector<std::string> names;
    if (!note.recursive || !S_ISDIR(st.st_mode) || !platform::ListDirectory(path.c_str(), names))
        return;
    for (const std::string& name : names)
        GiveOwner(path + "/" + name, note, own, owners);
}

// The files whose owner is not the one the check run would leave them with (its notes applied
// in their order to the files as they stand, so the last owner given wins; a file it would
// make is no owner's change), each as an "owner" change. Only files the instance's own steps
// hand over count: the notes from laterFrom to laterTo are the later instances', theirs to
// report.
std::vector<SysFileChange> OwnerChanges(const std::vector<SysOwnerNote>& notes, size_t laterFrom,
                                        size_t laterTo) {
    std::map<std::string, GivenOwner> owners;
    for (size_t i = 0; i < notes.size(); ++i)
        GiveOwner(notes[i].path, notes[i], i < laterFrom || i >= laterTo, owners);
    std::vector<SysFileChange> changes;
    for (const auto& given : owners) {
        struct stat st;
        if (!given.second.own || SysLstat(given.first.c_str(), &st) != 0 ||
            (st.st_uid == given.second.uid && st.st_gid == given.second.gid))
            continue;
        SysFileChange change;
        change.path = given.first;
        change.action = kOwnerAction;
        change.directory = S_ISDIR(st.st_mode);
        change.existedBefore = change.existsAfter = true;
        change.modeBefore = change.modeAfter = st.st_mode & 07777;
        change.uidBefore = st.st_uid;
        change.gidBefore = st.st_gid;
        change.uidAfter = given.second.uid;
        change.gidAfter = given.second.gid;
        changes.push_back(change);
    }
    return changes;
}

} // namespace

int VXVerifyInstance(MSInfo& info, MSList& list, VXDrift& out) {
    out = VXDrift();
    ICString registered;
    out.bootRegistered = SysGetIniPath(info, registered) && !registered.IsEmpty();
    SysChangeMode outer = SysGetChangeMode();
    std::set<std::string> runFiles = RunTimeFiles(info);
    if (!SysBeginChanges(SYS_CHANGES_CHECK))
        return 0;
    VXOutcome outcome;
    int created, configured;
    SysChangeReport own, mid, report;
    {
        VXOutcomeScope scope(outcome);
        created = ICCreateSingleInst(info) && !outcome.Failed(info.Name);
        SysGetChanges(own);
    }
    VXOutcome later;
    {
        VXOutcomeScope scope(later);
        CreateLaterInstances(info, list);
    }
    SysGetChanges(mid);
    // What only the later creations touch is theirs to report.
    std::set<std::string> others, ownPaths = PathsOf(own);
    for (const std::string& path : PathsOf(mid)) {
        if (!ownPaths.count(path))
            others.insert(path);
    }
    {
        VXOutcomeScope scope(outcome);
        configured = ICSetISConf(list);
        SysGetChanges(report);
    }
    SysEndChanges();
    if (outer != SYS_CHANGES_OFF)
        SysBeginChanges(outer);
    if (!created || !configured) {
        const VXStep* step = outcome.FirstFailure();
        if (step)
            SysSetLastReason("%s: %s", step->target.c_str(), step->reason.c_str());
        return 0;
    }

    std::string registry;
    std::set<std::string> touched = PathsOf(report), bootFiles = BootFiles(outcome, registry);
    out.bootInSync = out.bootRegistered;
    for (const SysFileChange& file : report.files) {
        if (file.path == registry && !OnlyRepeats(file))
            out.bootInSync = false;
    }
    for (const SysFileChange& file : report.files) {
        if (!NotDrift(file, touched, bootFiles, out.bootInSync, runFiles, others))
            out.files.push_back(file);
    }
    for (const SysFileChange& file :
         OwnerChanges(report.owners, own.owners.size(), mid.owners.size())) {
        if (!NotDrift(file, touched, bootFiles, out.bootInSync, runFiles, others))
            out.files.push_back(file);
    }
    std::set<std::string> ownServices = RegisteredBy(outcome), laterServices = RegisteredBy(later);
    for (const SysServiceChange& service : report.services) {
        if (ownServices.count(service.name) || !laterServices.count(service.name))
            out.services.push_back(service);
    }
    return 1;
}
