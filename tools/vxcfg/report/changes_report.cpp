// Every command runs while an outcome collects its steps; --check, --diff and --json add the
// library's change notes and a report of what it changed or, in a check run, would change.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/frontend.h"
#include "vxconfig/vxconfig.h"

namespace {

// Set while a command runs for a --json report: its data objects, gathered for the document.
bool s_json = false;
std::vector<std::string> s_data;

// Commands that work on something other than the seam: the sandbox is laid out by its own
// code, and the payment server is asked over its protocol.
const char* const kUncheckable[] = {"sandbox", "pay"};

bool Checkable(const VxCommand& command) {
    for (const char* name : kUncheckable) {
        if (strcmp(command.name, name) == 0)
            return false;
    }
    return true;
}

// The path below the root, as the diff names it: "etc/services" of ROOT/etc/services.
std::string Label(const std::string& path) {
    std::string root = static_cast<const char*>(SysGetRoot());
    std::string below = path;
    if (!root.empty() && below.compare(0, root.size(), root) == 0 && below[root.size()] == '/')
        below = below.substr(root.size());
    return below.substr(below.find_first_not_of('/'));
}

bool IsText(const std::string& text) {
    return text.find('\0') == std::string::npos;
}

// The diff of a plain file's change; empty for directories and links, a note for binaries.
std::string DiffOf(const SysFileChange& file) {
    if (file.directory || file.link)
        return std::string();
    if (!IsText(file.before) || !IsText(file.after))
        return "Binary file " + Label(file.path) + " differs\n";
    return SysUnifiedDiff(Label(file.path), file.existedBefore ? &file.before : nullptr,
                          file.existsAfter ? &file.after : nullptr);
}

std::string Mode(mode_t mode) {
    char text[8];
    snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode));
    return text;
}

// The verb of an action as a check run or a done run says it.
std::string Verb(const std::string& action, bool check) {
    static const struct {
        const char* action;
        const char* would;
        const char* did;
    } kVerbs[] = {{"created", "would create", "created"},
                  {"changed", "would change", "changed"},
                  {"removed", "would remove", "removed"},
                  {"renamed", "would rename", "renamed"},
                  {"registered", "would register service", "registered service"},
                  {"released", "would release service", "released service"}};
    for (const auto& verb : kVerbs) {
        if (action == verb.action)
            return check ? verb.would : verb.did;
    }
    return action;
}

void PrintText(const SysChangeReport& report, bool check, bool diff, bool unjudged) {
    for (const SysFileChange& file : report.files) {
        std::string line = Verb(file.action, check) + " " + file.path;
        if (!file.to.empty())
            line += " -> " + file.to;
        else if (file.link && file.existsAfter)
            line += " (link to " + file.after + ")";
        if (file.existedBefore && file.existsAfter && file.modeBefore != file.modeAfter)
            line += " (mode " + Mode(file.modeBefore) + " -> " + Mode(file.modeAfter) + ")";
        printf("%s\n", Shown(line.c_str()).c_str());
    }
    for (const SysServiceChange& service : report.services)
        printf("%s %s %s\n", Verb(service.action, check).c_str(),
               Shown(service.name.c_str()).c_str(), Shown(service.port.c_str()).c_str());
    for (const std::string& command : report.commands)
        printf("%s %s\n", check ? "would run" : "ran", Shown(command.c_str()).c_str());
    for (const std::string& probe : report.probes)
        printf("asked the running system: %s\n", Shown(probe.c_str()).c_str());
    if (diff) {
        for (const SysFileChange& file : report.files)
            fputs(DiffOf(file).c_str(), stdout);
    }
    if (unjudged)
        printf("The commands were not run: what was reported after them about their outcome "
               "need not hold for the real run.\n");
    size_t files = report.files.size(), commands = report.commands.size();
    if (!report.Changed())
        printf("%s\n", check ? "Check: nothing would change." : "Nothing was changed.");
    else
        printf("%s: %zu file%s and %zu command%s%s.\n", check ? "Check" : "Done", files,
               files == 1 ? "" : "s", commands, commands == 1 ? "" : "s",
               check ? " would change this system" : "");
}

// Whether a run ended in failure: its exit code says so, or a step of it failed.
bool Failed(int rc, const VXOutcome& outcome) {
    return rc == VX_EXIT_FAIL || rc == VX_EXIT_USAGE || outcome.Failed();
}

std::string StepJson(const VXStep& step) {
    return "{\"action\": " + JsonString(step.action) + ", \"target\": " + JsonString(step.target) +
           ", \"failed\": " + (step.failed ? "true" : "false") +
           ", \"reason\": " + JsonString(step.reason) + "}";
}

// items as the members of a JSON array, one a line with the indent given.
std::string JsonList(const std::vector<std::string>& items, const char* indent) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "\n" : ",\n") + std::string(indent) + item;
    return out;
}

// What the run did, step by step: per instance, and the steps of the run as a whole.
std::string OutcomeJson(const VXOutcome& outcome) {
    std::vector<std::string> instances, texts, whole;
    for (const std::string& name : outcome.Instances()) {
        std::vector<std::string> steps;
        for (const VXStep& step : outcome.steps) {
            if (step.instance == name)
                steps.push_back(StepJson(step));
        }
        instances.push_back("{\"name\": " + JsonString(name) +
                            ", \"failed\": " + (outcome.Failed(name.c_str()) ? "true" : "false") +
                            ", \"steps\": [" + JsonList(steps, "    ") + "]}");
    }
    for (const VXStep& step : outcome.steps) {
        if (step.instance.empty())
            whole.push_back(StepJson(step));
    }
    for (const std::string& text : outcome.errors)
        texts.push_back(JsonString(text));
    return " \"msg\": [" + JsonList(texts, "  ") + "],\n \"instances\": [" +
           JsonList(instances, "  ") + "],\n \"steps\": [" + JsonList(whole, "  ") + "],\n";
}

// The --json document; its first members stay in this order, readers rely on them.
void PrintJson(const char* command, const SysChangeReport& report, const VXOutcome& outcome,
               bool check, bool diff, bool unjudged, bool failed, int rc) {
    printf("{\"check\": %s, \"changed\": %s, \"exit\": %d, \"outcome_known\": %s, \"failed\": "
           "%s,\n \"command\": %s,\n",
           check ? "true" : "false", report.Changed() ? "true" : "false", rc,
           unjudged ? "false" : "true", failed ? "true" : "false",
           command ? JsonString(command).c_str() : "null");
    fputs(OutcomeJson(outcome).c_str(), stdout);
    printf(" \"data\": [%s],\n \"files\": [", JsonList(s_data, "  ").c_str());
    const char* separator = "";
    for (const SysFileChange& file : report.files) {
        std::string entry = "{\"path\": " + JsonString(file.path) +
                            ", \"action\": " + JsonString(file.action) + ", \"type\": " +
                            JsonString(file.directory ? "directory"
                                       : file.link    ? "link"
                                                      : "file");
        if (file.link && file.existsAfter)
            entry += ", \"target\": " + JsonString(file.after);
        if (!file.to.empty())
            entry += ", \"to\": " + JsonString(file.to);
        if (file.existsAfter)
            entry += ", \"mode\": " + JsonString(Mode(file.modeAfter));
        if (diff)
            entry += ", \"diff\": " + JsonString(DiffOf(file));
        printf("%s\n  %s}", separator, entry.c_str());
        separator = ",";
    }
    printf("],\n \"services\": [");
    separator = "";
    for (const SysServiceChange& service : report.services) {
        printf("%s\n  {\"name\": %s, \"port\": %s, \"action\": %s}", separator,
               JsonString(service.name).c_str(), JsonString(service.port).c_str(),
               JsonString(service.action).c_str());
        separator = ",";
    }
    for (const char* key : {"commands", "probes"}) {
        const auto& list = strcmp(key, "commands") == 0 ? report.commands : report.probes;
        printf("],\n \"%s\": [", key);
        separator = "";
        for (const std::string& item : list) {
            printf("%s\n  %s", separator, JsonString(item).c_str());
            separator = ",";
        }
    }
    printf("]}\n");
}

// A command that reported success although a step of it failed has failed: the first
// failure is named with its reason.
int FollowOutcome(int rc, const VXOutcome& outcome) {
    const VXStep* step = outcome.FirstFailure();
    if (rc != VX_EXIT_OK || !step)
        return rc;
    std::string what = step->instance.empty() ? step->action : step->instance + ": " + step->action;
    // The reason of a file names it already.
    if (step->reason.find(step->target) == std::string::npos)
        what += " " + step->target;
    return Failure("%s failed: %s", Shown(what.c_str()).c_str(),
                   Shown(step->reason.c_str()).c_str());
}

// Sets standard output aside for the command's own output under --json, and back.
class OutputAside {
public:
    bool Begin() {
        fflush(stdout);
        m_saved = dup(STDOUT_FILENO);
        return m_saved >= 0 && dup2(STDERR_FILENO, STDOUT_FILENO) >= 0;
    }
    ~OutputAside() {
        if (m_saved < 0)
            return;
        fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
    }

private:
    int m_saved = -1;
};

} // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

VxJsonObject& VxJsonObject::Text(const char* key, const std::string& value) {
    m_members += (m_members.empty() ? "" : ", ") + JsonString(key) + ": " + JsonString(value);
    return *this;
}

VxJsonObject& VxJsonObject::Number(const char* key, long value) {
    m_members += (m_members.empty() ? "" : ", ") + JsonString(key) + ": " + std::to_string(value);
    return *this;
}

bool ReportsJson() {
    return s_json;
}

void ReportData(const VxJsonObject& item) {
    s_data.push_back(item.Json());
}

void ReportDataJson(const std::string& json) {
    s_data.push_back(json);
}

int ReportRefusal(const VxArgs& global, const char* command, int rc, const VXOutcome& outcome) {
    if (global.Has("--json"))
        PrintJson(command, SysChangeReport(), outcome, global.Has("--check"), false, false, true,
                  rc);
    return rc;
}

int RunReported(const VxCommand& command, const VxArgs& args, const VxArgs& global) {
    bool check = global.Has("--check");
    bool diff = global.Has("--diff");
    bool json = global.Has("--json");
    VXOutcome outcome;
    VXOutcomeScope collecting(outcome);
    if (!check && !diff && !json)
        return FollowOutcome(command.run(command, args), outcome);
    if (check && !Checkable(command))
        return ReportRefusal(global, command.name,
                             UsageError(g_globalCommand,
                                        "--check: '%s' cannot be checked: it works outside "
                                        "the files and commands a check run can hold back",
                                        command.name),
                             outcome);
    if (!SysBeginChanges(check ? SYS_CHANGES_CHECK : SYS_CHANGES_RECORD))
        return ReportRefusal(global, command.name,
                             Failure("cannot begin noting the changes: %s", SysGetLastReason()),
                             outcome);
    int rc;
    {
        // With --json the report is the only thing on standard output.
        OutputAside aside;
        if (json && !aside.Begin()) {
            SysEndChanges();
            return ReportRefusal(global, command.name,
                                 Failure("cannot set standard output aside: %s", strerror(errno)),
                                 outcome);
        }
        s_json = json;
        rc = FollowOutcome(command.run(command, args), outcome);
        s_json = false;
    }
    SysChangeReport report;
    SysGetChanges(report, global.Has("--show-secrets"));
    SysEndChanges();
    bool failed = Failed(rc, outcome);
    // A failure seen after a command that was not run may only be its missing effect (a
    // log not written, a server not started): the real run would run it.
    bool unjudged = check && rc == VX_EXIT_FAIL && !report.commands.empty();
    if (check && report.Changed() && (rc == VX_EXIT_OK || unjudged))
        rc = VX_EXIT_WOULD_CHANGE;
    if (json)
        PrintJson(command.name, report, outcome, check, diff, unjudged, failed, rc);
    else
        PrintText(report, check, diff, unjudged);
    return rc;
}
