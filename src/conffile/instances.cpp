// The instances an installation knows: its instance data file or the boot registry.
#include <cstdio>

#include "conffile/conftext.h"
#include "vxconfig/capture.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/safevalue.h"
#include "vxconfig/sysroot.h"

namespace {

const char kInstanceMark[] = "#Vendrix Instance";

// "#Vendrix Instance - NAME": the second blank-separated token counted from the first "-".
ICString InstanceName(const char* line) {
    const char* dash = strchr(line, '-');
    if (!dash)
        return ICString();
    conffile::WritableCopy copy(dash);
    conffile::Tokens tokens(copy.Text());
    char* name = tokens.Next(" ") ? tokens.Next(" ") : nullptr;
    if (!name)
        return ICString();
    conffile::CutAtNewline(name);
    return ICString(name);
}

// The start line ends in ".../CONFIGDIR/srvrctrl.conf&\"": the text after its last blank,
// cut at its last "/". Empty when the line has no such path.
ICString ConfigDirOf(const char* line) {
    const char* blank = strrchr(line, ' ');
    const char* text = blank ? blank + 1 : line;
    const char* slash = strrchr(text, '/');
    ICString dir;
    if (slash)
        dir.CopyStr(text, static_cast<int>(slash - text));
    return dir;
}

// Reads the comment and start line pairs of /etc/rc.vndx; returns how many were added.
int ReadBootRegistry(MSList& list) {
    SysLineReader in(SysRootPath("/etc/rc.vndx"));
    int added = 0;
    bool havePending = false;
    ICString pendingName;
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
        ICString dir = ConfigDirOf(line);
        if (dir.IsEmpty())
            continue;
        // A name or directory that could run as a command names no instance of ours.
        if (!SysIsSafeValue(pendingName, SYS_VALUE_NAME) || !SysIsSafeValue(dir, SYS_VALUE_PATH))
            continue;
        MSInfo info;
        info.SetName(pendingName);
        // Stored as found: a directory that breaks the instance path rule is refused, with
        // the rule, when the capture checks the whole record.
        info.HtmlPath = dir;
        list.Add(info, 0);
        ++added;
    }
    return added;
}

} // namespace

int SysGetInstanceInfo(MSList& list, int release) {
    if (release == 2) {
        ICString dir;
        SysGetInstPath(dir, 2);
        if (list.Load(dir ^ "server/admin/vxconfig.dat"))
            return 1;
        ReadBootRegistry(list);
        return 0;
    }
    if (release == 3)
        return ReadBootRegistry(list) > 0 ? 1 : 0;
    return 0;
}
