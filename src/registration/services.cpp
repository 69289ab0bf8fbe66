// Registration of the instances' TCP services: one locked rewrite of the system's services file
// for every call that changes it, however many registrations and releases the call makes,
// reading its lines as the services database does.
#include "vxconfig/services.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "sys/files/lineedit.h"
#include "sys/sysdb/servicesdb.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/outcome.h"
#include "vxconfig/sysroot.h"

namespace {

// A registered service is world-readable and written only by replacing the file.
const mode_t kRegisteredMode = 0444;
const char kRegisterStep[] = "register";
const char kReleaseStep[] = "release";

// The backup generation of the services file, by the backup naming rule.
ICString ServicesBackup() {
    return SysRootPath("/etc/services.old");
}

// What a rewrite does with each line: copy it, drop it, or put the entry in its place.
enum LineAction { kCopy, kDrop, kReplace };
typedef LineAction (*LineFilter)(const platform::ServiceLine& line, const char* name,
                                 int& replaced);

// One change of the lines: those of name that filter picks give way, and entry (when not
// empty) takes the first one's place or ends the file.
struct LineChange {
    std::string name;
    std::string entry;
    LineFilter filter;
    int dropped = 0;
};

void Apply(platform::TextLines& lines, LineChange& change) {
    platform::TextLines kept;
    kept.reserve(lines.size() + 1);
    int replaced = 0;
    change.dropped = 0;
    for (std::string& line : lines) {
        switch (change.filter(platform::ServiceLine(line.c_str()), change.name.c_str(), replaced)) {
        case kCopy:
            kept.push_back(std::move(line));
            break;
        case kDrop:
            ++change.dropped;
            break;
        case kReplace:
            kept.push_back(change.entry);
            ++change.dropped;
            break;
        }
    }
    if (!change.entry.empty() && !replaced) {
        // A file whose last line lacks its newline must not have the entry glued onto it.
        platform::EndLastLine(kept);
        kept.push_back(change.entry);
    }
    lines.swap(kept);
}

// Edits the services file through the line-edit engine, which holds the file's lock from the
// reading to the rename so that concurrent registrations never lose each other's entries: the
// changes one after the other in memory, then one write with mode.
int RewriteServices(std::vector<LineChange>& changes, mode_t mode) {
    ICString path;
    SysGetSvcFile(path);
    ICString backup = ServicesBackup();
    platform::LineEditOptions options;
    options.mode = mode;
    options.backup = backup;
    int written = platform::EditLineFile(path, options, [&](platform::TextLines& lines, bool) {
        for (LineChange& change : changes)
            Apply(lines, change);
        return platform::kEditWrite;
    });
    // The port probes must see this change even when the file's times cannot tell it.
    platform::ForgetServiceEntries();
    return written;
}

// Registration: the first entry of the name gives way to the new one, the rest is copied.
LineAction ReplaceFirst(const platform::ServiceLine& line, const char* name, int& replaced) {
    if (replaced || !line.Names(name))
        return kCopy;
    replaced = 1;
    return kReplace;
}

LineAction DropAll(const platform::ServiceLine& line, const char* name, int&) {
    return line.Names(name) ? kDrop : kCopy;
}

// A service name is one token of printable characters that does not start a comment.
bool IsServiceName(const char* name) {
    if (!name || !*name)
        return false;
    for (const char* p = name; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c <= ' ' || c == '#' || c == 0x7f)
            return false;
    }
    return true;
}

// The comment stays on the entry's one line.
bool IsOneLine(const char* text) {
    return !text || !text[strcspn(text, "\r\n")];
}

// Names shorter than a tab stop get a second tab so that the port column lines up.
std::string EntryStart(const char* name, int port) {
    return std::string(name) + (strlen(name) >= 8 ? "\t" : "\t\t") + std::to_string(port);
}

// Why a registration is refused before the file is touched; empty when it is not.
std::string RegistrationRefusal(const char* name, int port, const char* comment) {
    if (IsServiceName(name) && port >= 1 && port <= 65535 && IsOneLine(comment))
        return std::string();
    return std::string("service ") + (IsServiceName(name) ? name : "?") +
           ": a name without blanks or #, a port of 1 to 65535 and a one-line description are "
           "needed";
}

std::string ReleaseRefusal(const char* name) {
    return IsServiceName(name) ? std::string() : "not a service name";
}

// Notes a refused edit as its single call does: a registration leaves its reason as the last.
void NoteRefusal(bool release, const char* name, const std::string& why) {
    if (!release)
        SysSetLastReason("%s", why.c_str());
    VXStepFailed(release ? kReleaseStep : kRegisterStep, name, why.c_str());
}

} // namespace

int SysEditTcpServices(std::vector<SysTcpServiceEdit>& edits) {
    std::vector<std::string> refusals;
    std::vector<LineChange> changes;
    mode_t mode = SYS_NEW_FILE_MODE;
    for (const SysTcpServiceEdit& edit : edits) {
        const char* name = edit.name.c_str();
        refusals.push_back(edit.release
                               ? ReleaseRefusal(name)
                               : RegistrationRefusal(name, edit.port, edit.comment.c_str()));
        if (!refusals.back().empty())
            continue;
        LineChange change;
        change.name = edit.name;
        if (edit.release) {
            change.filter = DropAll;
        } else {
            change.entry = EntryStart(name, edit.port) + "/tcp\t# " + edit.comment + "\n";
            change.filter = ReplaceFirst;
        }
        changes.push_back(std::move(change));
        // The file takes the mode the last of the single calls would give it.
        mode = edit.release ? SYS_NEW_FILE_MODE : kRegisteredMode;
    }
    bool written = true;
    std::string failure;
    if (!changes.empty()) {
        written = RewriteServices(changes, mode) != 0;
        if (!written)
            failure = SysGetLastReason();
    }

    // Each edit's outcome in its order, as the single calls would have noted them.
    int all = 1;
    size_t next = 0;
    for (size_t i = 0; i < edits.size(); ++i) {
        SysTcpServiceEdit& edit = edits[i];
        const char* name = edit.name.c_str();
        const char* step = edit.release ? kReleaseStep : kRegisterStep;
        edit.result = 0;
        if (!refusals[i].empty()) {
            NoteRefusal(edit.release, name, refusals[i]);
        } else if (!written) {
            ++next;
            SysSetLastReason("%s", failure.c_str());
            VXStepFailed(step, name);
        } else if (!edit.release) {
            ++next;
            edit.result = 1;
            VXStepDone(step, name);
        } else {
            // A name that was already gone is released all the same: the result says it was
            // not there, the outcome that nothing of it is left.
            bool dropped = changes[next++].dropped > 0;
            edit.result = dropped ? 1 : 0;
            VXStepDone(dropped ? kReleaseStep : "gone", name);
        }
        all = edit.result && all;
    }
    return all;
}

int ICRegTcpService(const char* name, int port, const char* comment) {
    if (!name) {
        NoteRefusal(false, name, RegistrationRefusal(name, port, comment));
        return 0;
    }
    std::vector<SysTcpServiceEdit> edits(1);
    edits[0].name = name;
    edits[0].port = port;
    edits[0].comment = comment ? comment : "";
    return SysEditTcpServices(edits);
}

int ICRegRemoteDBService(const char* name, int port) {
    if (!IsServiceName(name) || port < 1 || port > 65535) {
        SysSetLastReason("service %s: a name without blanks or # and a port of 1 to 65535 are "
                         "needed",
                         IsServiceName(name) ? name : "?");
        return 0;
    }
    // Every earlier entry of the name goes; the new one ends the file.
    std::vector<LineChange> changes(1);
    changes[0].name = name;
    changes[0].entry = EntryStart(name, port) + "/tcp\t\t\t#Vendrix remote RELDA database\n";
    changes[0].filter = DropAll;
    return RewriteServices(changes, kRegisteredMode);
}

int ICUnregTcpService(const char* name) {
    if (!name) {
        NoteRefusal(true, name, ReleaseRefusal(name));
        return 0;
    }
    std::vector<SysTcpServiceEdit> edits(1);
    edits[0].name = name;
    edits[0].release = true;
    return SysEditTcpServices(edits);
}
