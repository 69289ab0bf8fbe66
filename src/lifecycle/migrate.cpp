// Migration: the instances of the installed earlier release captured from its files and
// created anew in this one; and the main configuration file of an instance found by its
// database.
#include <cstring>
#include <strings.h>
#include <unistd.h>

#include "vxconfig/capture.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/lifecycle.h"
#include "vxconfig/mslist.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/webconf.h"

namespace {

// The most cached files of a migrated instance.
constexpr int kMigratedCacheFiles = 1000;

int InstalledRelease() {
    for (int release = 1; release <= 3; ++release) {
        if (SysCheckVersion(release))
            return release;
    }
    return 0;
}

} // namespace

int ICMigrate() {
    std::vector<MSInfo> migrated;
    int found = 0;
    return VXMigrate(migrated, found);
}

int VXMigrate(std::vector<MSInfo>& migrated, int& found) {
    int release = InstalledRelease();
    MSList list;
    ICGetVXConfig(list, release);
    found = list.GetCount();
    ICString inst;
    ICGetInstPath(inst);
    for (int i = 0; i < list.GetCount(); ++i) {
        MSInfo info;
        if (!list.SetIndex(i) || !list.GetCurrent(info))
            return 0;
        const MSInfo copy = info;
        if (release == 3)
            ICDeleteSingleInst(info, 1);
        // Before release 3 the configuration directory was the document root. A release-3
        // instance keeps its own document root: taking its configuration directory as one
        // would let the web server hand out the files that hold its passwords.
        if (release != 3)
            info.SetDocRoot(copy.HtmlPath);
        info.SetHtmlPath(copy.RootPath ^ "config");
        info.SetDefsDir(inst ^ "globals");
        info.MaxCacheFiles = kMigratedCacheFiles;
        if (release == 2) {
            ICString root = inst ^ "instance" ^ info.Name;
            info.SetRootPath(root);
            info.SetCachePath(root ^ "cache");
            info.SetVXLogPath(root ^ "logs");
            info.SetHtmlPath(root ^ "config");
        }
        if (release == 3) {
            // The user's web macro settings come back after the deletion set them aside.
            ICString macro = info.DocRoot ^ "reldawww.ini";
            ICString aside = SysGetBackupName(macro);
            if (SysAccess(aside, F_OK) == 0)
                SysCopyFile(aside, macro);
        }
        if (!ICCreateSingleInst(info))
            return 0;
        // Created, if not whole: its record is what deletes or re-creates it.
        migrated.push_back(info);
        if (!ICSetISConf(list))
            return 0;
    }
    return 1;
}

int ICGetVXIniFile(const char* dbName, char* out, int size) {
    MSList list;
    ICGetVXConfig(list, 3);
    for (int i = 0; i < list.GetCount(); ++i) {
        MSInfo info;
        if (!list.SetIndex(i) || !list.GetCurrent(info))
            return 0;
        if (strcasecmp(info.DBName, dbName ? dbName : "") != 0)
            continue;
        ICString path = info.HtmlPath ^ "vxtrade.conf";
        if (!out || path.GetLength() >= size)
            return 0;
        memcpy(out, static_cast<const char*>(path), static_cast<size_t>(path.GetLength()) + 1);
        return 1;
    }
    return 0;
}
