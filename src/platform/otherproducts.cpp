// Where the products the library works with keep their files: Oracle, the Loomwork
// application server, and the first release's configuration.
#include <cstdio>
#include <cstring>

#include "vxconfig/discovery.h"
#include "vxconfig/messages.h"
#include "vxconfig/sysroot.h"

enum { kLineSize = 1024 };

static const char kSeparators[] = " \t\r\n";

static void CutLineEnd(char* line) {
    line[strcspn(line, "\r\n")] = 0;
}

int SysGetOraPath(ICString& out, int mode) {
    if (mode == 0) {
        out = "$ORACLE_HOME";
        return 1;
    }
    ICString oratab = SysRootPath("/var/opt/oracle/oratab");
    FILE* fp = fopen(oratab, "r");
    if (!fp) {
        ICShowError(28, oratab);
        return 0;
    }
    // The last database entry names the home: SID:HOME:STARTUP.
    char line[kLineSize];
    int found = 0;
    while (fgets(line, sizeof line, fp)) {
        char* colon = strchr(line, ':');
        if (line[0] == '#' || !colon)
            continue;
        char* home = colon + 1;
        home[strcspn(home, ":\r\n")] = 0;
        out = home;
        found = 1;
    }
    fclose(fp);
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
    FILE* fp = fopen(SysRootPath(kJitkDb), "r");
    if (!fp)
        return 0;
    char line[kLineSize];
    while (fgets(line, sizeof line, fp)) {
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
    fclose(fp);
    return 1;
}

int SysIsLoomworkInstalled() {
    FILE* fp = fopen(SysRootPath(kJitkDb), "r");
    if (!fp)
        return 0;
    char line[kLineSize];
    int found = 0;
    while (!found && fgets(line, sizeof line, fp))
        found = strstr(line, "LogDir") != nullptr;
    fclose(fp);
    return found;
}

const char* SysFindPath(const char* text, const char* part) {
    if (!text || !part)
        return nullptr;
    int at = ICString(text).FindPath(part);
    return at >= 0 ? text + at : nullptr;
}

int SysGetCfgPathV1(ICString& out) {
    FILE* fp = fopen(SysRootPath("/etc/mserver.conf"), "r");
    if (!fp)
        return 0;
    char line[kLineSize];
    int found = 0;
    while (!found && fgets(line, sizeof line, fp)) {
        char* save = nullptr;
        char* keyword = strtok_r(line, kSeparators, &save);
        if (!keyword || stricmp(keyword, "WWW_HTML_PATH") != 0)
            continue;
        char* value = strtok_r(nullptr, kSeparators, &save);
        if (value) {
            out = value;
            found = 1;
        }
    }
    fclose(fp);
    return found;
}
