// Where the products the library works with keep their files: Oracle, the Loomwork
// application server, and the first release's configuration.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/sysroot.h"

static void CutLineEnd(char* line) {
    line[strcspn(line, "\r\n")] = 0;
}

int SysGetOraPath(ICString& out, int mode) {
    if (mode == 0) {
        out = "$ORACLE_HOME";
        return 1;
    }
    ICString oratab = SysRootPath("/var/opt/oracle/oratab");
    SysLineReader in(oratab);
    if (!in.IsOpen()) {
        SysSetFileReason(oratab, errno);
        ICShowError(IC_MSG_CANNOT_ACCESS_FILE, oratab);
        return 0;
    }
    // The last database entry names the home: SID:HOME:STARTUP.
    int found = 0;
    while (char* line = in.Next()) {
        char* colon = strchr(line, ':');
        if (line[0] == '#' || !colon)
            continue;
        char* home = colon + 1;
        home[strcspn(home, ":\r\n")] = 0;
        out = home;
        found = 1;
    }
    return found;
}

// The installer registry of the application server.
static const char kJitkDb[] = "/usr/bin/jitk.db";

// path without its last component.
static void CutLastComponent(ICString& path) {
    const char* slash = strrchr(path, '/');
    path.Truncate(slash ? static_cast<int>(slash - static_cast<const char*>(path)) : 0);
}

int SysGetLoomworkPath(ICString& out) {
    SysLineReader in(SysRootPath(kJitkDb));
    if (!in.IsOpen())
        return 0;
    while (char* line = in.Next()) {
        char* equals = strchr(line, '=');
        if (!strstr(line, "LogDir") || !strstr(line, "OrvellLoomAS.base") || !equals)
            continue;
        CutLineEnd(equals + 1);
        // The log directory lies two levels below the application server's directory.
        ICString dir = equals + 1;
        CutLastComponent(dir);
        CutLastComponent(dir);
        out = dir;
        break;
    }
    return 1;
}

int SysIsLoomworkInstalled() {
    SysLineReader in(SysRootPath(kJitkDb));
    while (char* line = in.Next()) {
        if (strstr(line, "LogDir"))
            return 1;
    }
    return 0;
}

const char* SysFindPath(const char* text, const char* part) {
    if (!text || !part)
        return nullptr;
    int at = ICString(text).FindPath(part);
    return at >= 0 ? text + at : nullptr;
}

int SysGetCfgPathV1(ICString& out) {
    SysLineReader in(SysRootPath("/etc/mserver.conf"));
    while (char* line = in.Next()) {
        char* save = nullptr;
        char* keyword = strtok_r(line, SYS_SEPARATORS, &save);
        if (!keyword || stricmp(keyword, "WWW_HTML_PATH") != 0)
            continue;
        if (char* value = strtok_r(nullptr, SYS_SEPARATORS, &save)) {
            out = value;
            return 1;
        }
    }
    return 0;
}
