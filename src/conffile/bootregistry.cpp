// The boot registry "/etc/rc.vndx" as every reader sees it: pairs of a comment line naming an
// instance and the start line of its controller, and the start line's own text.
#include "conffile/bootregistry.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "conffile/conftext.h"
#include "vxconfig/capture.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/msinfo.h"
#include "vxconfig/sysroot.h"

namespace {

const char kRegistry[] = "/etc/rc.vndx";
const char kInstanceMark[] = "#Vendrix Instance";

// "#Vendrix Instance - NAME": the second blank-separated token counted from the first "-",
// without its line end.
std::string InstanceName(const char* line) {
    const char* dash = strchr(line, '-');
    if (!dash)
        return std::string();
    conffile::WritableCopy copy(dash);
    conffile::Tokens tokens(copy.Text());
    char* name = tokens.Next(" ") ? tokens.Next(" ") : nullptr;
    if (!name)
        return std::string();
    conffile::CutAtNewline(name);
    std::string out(name);
    if (!out.empty() && out.back() == '\r')
        out.pop_back();
    return out;
}

// The start line ends in ".../CONFIGDIR/srvrctrl.conf&\"": the text after its last blank,
// cut at its last "/". Empty when the line has no such path.
std::string ConfigDirOf(const char* line) {
    const char* blank = strrchr(line, ' ');
    const char* text = blank ? blank + 1 : line;
    const char* slash = strrchr(text, '/');
    return slash ? std::string(text, static_cast<size_t>(slash - text)) : std::string();
}

} // namespace

namespace conffile {

bool ReadBootEntries(std::vector<BootEntry>& out) {
    ICString path = SysRootPath(kRegistry);
    SysLineReader in(path);
    if (!in.IsOpen()) {
        SysSetFileReason(path, errno);
        return false;
    }
    bool havePending = false;
    std::string pendingName;
    while (char* line = in.Next()) {
        if (strstr(line, kInstanceMark)) {
            // A comment left behind by an earlier registration is followed by another
            // comment, not by a start line; the later one counts.
            pendingName = InstanceName(line);
            havePending = true;
            continue;
        }
        if (!havePending)
            continue;
        havePending = false;
        out.push_back({pendingName, ConfigDirOf(line)});
    }
    return true;
}

} // namespace conffile

ICString SysGetStartCommand(MSInfo& instance, const char* conf) {
    ICString inst;
    ICGetInstPath(inst);
    ICString program = (inst ^ "bin") ^ "srvrctrl";
    char command[4096];
    if (instance.DBType == DB_ORACLE)
        snprintf(command, sizeof command, "su - %s -c \"%s -i %s&\"",
                 static_cast<const char*>(instance.DBOwner), static_cast<const char*>(program),
                 conf);
    else
        snprintf(command, sizeof command, "su - %s -c \"reldastart; %s -i %s&\"",
                 static_cast<const char*>(instance.DBUser), static_cast<const char*>(program),
                 conf);
    return ICString(command);
}

int SysGetIniPath(MSInfo& instance, ICString& out) {
    std::vector<conffile::BootEntry> entries;
    if (!conffile::ReadBootEntries(entries))
        return 0;
    out.Empty();
    // Read as written: whoever puts the directory into a command line checks it there.
    for (const conffile::BootEntry& entry : entries)
        if (entry.name == static_cast<const char*>(instance.Name))
            out = entry.configDir.c_str();
    return 1;
}
