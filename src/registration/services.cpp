// Registration of the instances' TCP services: one locked rewrite of the system's services file
// for every function that changes it, reading its lines as the services database does.
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

// The backup generation of the services file, by the backup naming rule.
ICString ServicesBackup() {
    return SysRootPath("/etc/services.old");
}

// What a rewrite does with each line: copy it, drop it, or put the entry in its place.
enum LineAction { kCopy, kDrop, kReplace };
typedef LineAction (*LineFilter)(const platform::ServiceLine& line, const char* name,
                                 int& replaced);

// Edits the services file through the line-edit engine, which holds the file's lock from the
// reading to the rename so that concurrent registrations never lose each other's entries.
int RewriteServices(const char* name, const char* entry, LineFilter filter, mode_t mode,
                    int& dropped) {
    dropped = 0;
    ICString path;
    SysGetSvcFile(path);
    ICString backup = ServicesBackup();
    platform::LineEditOptions options;
    options.mode = mode;
    options.backup = backup;
    return platform::EditLineFile(path, options, [&](platform::TextLines& lines, bool) {
        platform::TextLines kept;
        int replaced = 0;
        for (std::string& line : lines) {
            switch (filter(platform::ServiceLine(line.c_str()), name, replaced)) {
            case kCopy:
                kept.push_back(std::move(line));
                break;
            case kDrop:
                ++dropped;
                break;
            case kReplace:
                kept.push_back(entry);
                ++dropped;
                break;
            }
        }
        if (entry && !replaced) {
            // A file whose last line lacks its newline must not have the entry glued onto it.
            platform::EndLastLine(kept);
            kept.push_back(entry);
        }
        lines.swap(kept);
        return platform::kEditWrite;
    });
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

} // namespace

int ICRegTcpService(const char* name, int port, const char* comment) {
    if (!IsServiceName(name) || port < 1 || port > 65535 || !IsOneLine(comment)) {
        SysSetLastReason("service %s: a name without blanks or #, a port of 1 to 65535 and a "
                         "one-line description are needed",
                         IsServiceName(name) ? name : "?");
        VXStepFailed("register", name);
        return 0;
    }
    // Names shorter than a tab stop get a second tab so that the port column lines up.
    std::string entry = std::string(name) + (strlen(name) >= 8 ? "\t" : "\t\t") +
                        std::to_string(port) + "/tcp\t# " + (comment ? comment : "") + "\n";
    int dropped;
    if (!RewriteServices(name, entry.c_str(), ReplaceFirst, 0444, dropped)) {
        VXStepFailed("register", name);
        return 0;
    }
    VXStepDone("register", name);
    return 1;
}

int ICRegRemoteDBService(const char* name, int port) {
    if (!IsServiceName(name) || port < 1 || port > 65535) {
        SysSetLastReason("service %s: a name without blanks or # and a port of 1 to 65535 are "
                         "needed",
                         IsServiceName(name) ? name : "?");
        return 0;
    }
    // Every earlier entry of the name goes; the new one ends the file.
    std::string entry = std::string(name) + (strlen(name) >= 8 ? "\t" : "\t\t") +
                        std::to_string(port) + "/tcp\t\t\t#Vendrix remote RELDA database\n";
    int dropped;
    return RewriteServices(name, entry.c_str(), DropAll, 0444, dropped);
}

int ICUnregTcpService(const char* name) {
    if (!IsServiceName(name)) {
        VXStepFailed("release", name, "not a service name");
        return 0;
    }
    int dropped;
    if (!RewriteServices(name, nullptr, DropAll, SYS_NEW_FILE_MODE, dropped)) {
        VXStepFailed("release", name);
        return 0;
    }
    // A name that was already gone is released all the same: the result says it was not
    // there, the outcome that nothing of it is left.
    VXStepDone(dropped > 0 ? "release" : "gone", name);
    return dropped > 0 ? 1 : 0;
}
