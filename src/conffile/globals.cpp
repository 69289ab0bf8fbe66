// Global defaults: the files of a defaults directory that instances inherit values from.
#include <cstdio>
#include <sys/stat.h>

#include "conffile/conftext.h"
#include "vxconfig/capture.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"

namespace {

// The global files in the order they are read, with the table each is parsed with.
struct GlobalFile {
    const char* name;
    ParmEntry* table;
};

const GlobalFile kGlobalFiles[] = {
    {"vxtrade.conf", s_tblMSCfg},
    {"reldawww.ini", s_tblMLCfg},
    {"pay_back.conf", s_tblPBCfg},
    {"pay_payvane.conf", s_tblPVCfg},
};

// Chains of DEFAULTS directories deeper than this are taken to loop back on themselves.
const int kMaxChain = 16;

bool Exists(const char* path) {
    struct stat st;
    return SysStat(path, &st) == 0;
}

int LoadDefaults(MSInfo& out, const ICString& dir, int depth);

// Loads the directories the main file chains to, oldest first. 0 when the main file holds an
// empty line or exists but cannot be read; 1 otherwise (also when it does not exist).
int LoadChain(MSInfo& out, const ICString& mainFile, int depth) {
    if (!Exists(mainFile))
        return 1;
    SysLineReader in(mainFile);
    if (!in.IsOpen())
        return 0;
    int result = 1;
    while (char* line = in.Next()) {
        conffile::CutAtNewline(line);
        ICString token = conffile::FirstToken(line, " ");
        if (token.IsEmpty()) {
            result = 0;
            break;
        }
        if (strcmp(token, s_pszDefaults) != 0)
            continue;
        const char* blank = strchr(line, ' ');
        if (blank && depth < kMaxChain)
            LoadDefaults(out, ICString(blank + 1), depth + 1);
    }
    return result;
}

int LoadDefaults(MSInfo& out, const ICString& dir, int depth) {
    ICString inst;
    if (!SysGetInstPath(inst, 3)) {
        ICShowError(IC_MSG_NO_INSTALL_PARAMETERS);
        return 0;
    }
    // Files of an unnamed directory cannot be found.
    if (!dir.IsEmpty()) {
        if (!LoadChain(out, dir ^ kGlobalFiles[0].name, depth))
            return 0;
        for (const GlobalFile& file : kGlobalFiles)
            ParseFile(dir ^ file.name, file.table);
    }
    if (&out != &s_msInfo)
        out = s_msInfo;
    return 1;
}

bool NamesKeyword(const ICString& path, const char* keyword) {
    SysLineReader in(path);
    while (char* line = in.Next()) {
        conffile::CutAtNewline(line);
        if (strcmp(conffile::FirstToken(line, " "), keyword) == 0)
            return true;
    }
    return false;
}

} // namespace

int GetGlobalDefault(MSInfo& out, ICString& dir) {
    // Readers of defaults outside a capture find the keyword table still empty; they read
    // the current release's keys.
    if (!s_keyword.m_pszKeyword[KW_SERVICE_NAME_PREFIX])
        s_keyword.SetKeyword();
    return LoadDefaults(out, dir, 0);
}

int ICGetGlobalDefault(MSInfo& out, ICString& dir) {
    s_msInfo = MSInfo();
    return GetGlobalDefault(out, dir);
}

int IsParamGlobal(ICString& keyword, MSInfo& info) {
    if (info.DefsDir.IsEmpty() || keyword.IsEmpty())
        return 0;
    for (const GlobalFile& file : kGlobalFiles) {
        if (NamesKeyword(info.DefsDir ^ file.name, keyword))
            return 1;
    }
    return 0;
}

int ICIsParamGlobal(ICString& keyword, MSInfo& info) {
    return IsParamGlobal(keyword, info);
}
