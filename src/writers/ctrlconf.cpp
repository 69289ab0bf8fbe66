// The server controller's configuration, srvrctrl.conf: its database, its own service and the
// pool of member daemons it starts, and the later addition of a member to that pool.
#include <cstring>
#include <unistd.h>

#include "conffile/conftext.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/portplan.h"
#include "vxconfig/safevalue.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/writers.h"
#include "writers/instancevalues.h"
#include "writers/secrets.h"
#include "writers/writerframe.h"

namespace {

const char kPoolKey[] = "CONTROL_POOL_CONFIG";
// Where the configuration of an installation before release 3 lives.
const char kEarlyConfigDir[] = "/opt/WharfServer/usr/internet/server_root/pub";
const mode_t kConfigDirMode = 0755;
enum { kRetryLimit = 5, kRetryInterval = 20, kErrorTolerance = 1, kCurrencyMerchants = -1 };

// The member daemons of the pool, in the order the controller starts them.
ICString PoolList(const MSInfo& info) {
    const ICString& dir = info.HtmlPath;
    ICString pool = dir ^ "vxtrade";
    if (SysIsPayvaneInstalled())
        pool += ICString(",") + (dir ^ "pay_back") + "," + (dir ^ "pay_payvane");
    pool += ICString(",") + (dir ^ "scheduler");
    if (SysIsHWLInstalled())
        pool += ICString(",") + (dir ^ "pay_cyber");
    return pool;
}

int WriteControllerLines(MSInfo& info, FILE* out) {
    info.WriteISHost(out);
    fprintf(out, "%s %s\n", "CONTROL_DBNAME", static_cast<const char*>(info.DBName));
    fprintf(out, "%s %s\n", "CONTROL_DBINST", static_cast<const char*>(info.DBUser));
    fprintf(out, "%s %s\n", writers::kControllerPasswordKey, static_cast<const char*>(info.DBPswd));
    fprintf(out, "CONTROL_DB_RETRY_LIMIT %d\n", kRetryLimit);
    fprintf(out, "CONTROL_DB_RETRY_INTERVAL %d\n", kRetryInterval);
    info.WriteMerKey(out);
    fprintf(out, "%s %d\n", "CONTROL_ERR_TOLERANCE", kErrorTolerance);
    ICString service;
    GetVXServicePfx(info.Name, service);
    fprintf(out, "%s %s\n", "CONTROL_SERVICE", static_cast<const char*>(service));
    fprintf(out, "%s %s\n", kPoolKey, static_cast<const char*>(PoolList(info)));
    if (SysIsHWLInstalled())
        fprintf(out, "%s %d\n", "CURRENCY_MERCHANTS", kCurrencyMerchants);
    ICString product;
    ICGetInstPath(product);
    info.WritePerfServerBin(out, product ^ "bin" ^ "vxperfserver");
    info.WritePerfServerAuto(out);
    info.WriteLogPath(out, info.VXLogPath);
    info.WriteLogLevel(out, 0);
    return 1;
}

// A pool line with member added unless one of its entries is member already. Sets found when
// the member is in the pool afterwards.
void AddToPoolLine(const char* line, size_t length, const ICString& member, std::string& out,
                   bool& found) {
    conffile::WritableCopy copy(line);
    conffile::Tokens tokens(copy.Text());
    const char* const separators = " ,\n";
    tokens.Next(separators); // the key
    while (const char* token = tokens.Next(separators)) {
        if (strcmp(token, member) == 0)
            found = true;
    }
    std::string text(line, length);
    if (!found) {
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        text += std::string(",") + static_cast<const char*>(member) + "\n";
        found = true;
    }
    out += text;
}

} // namespace

int CreateCtrlInit(const MSInfo& instance) {
    // Fields left unset take the global values, in this file only.
    MSInfo info = instance;
    writers::MergeGlobalDefaults(info);
    // The earlier releases kept the controller's file in the web server's document directory;
    // where a web server serves that directory, the file (and its password) stays in the
    // instance's own configuration directory.
    ICString early = SysRootPath(kEarlyConfigDir);
    ICString served;
    if (!SysCheckVersion(3) && strcmp(info.HtmlPath, early) != 0 &&
        SysAccess(info.HtmlPath, W_OK) == 0 &&
        !writers::InServedDirectory(early ^ VX_CTRL_CONF, &info, served))
        info.SetHtmlPath(early);
    writers::ConfigFile file;
    file.path = info.HtmlPath ^ VX_CTRL_CONF;
    file.owner = instance.DBOwner;
    file.record = &info;
    if (!MakeDir(info.HtmlPath, info.DBOwner, kConfigDirMode))
        return 0;
    return writers::WriteConfigFile(
        file, [&](FILE* out, ICString&) { return WriteControllerLines(info, out); });
}

int ICAddEntryToPoolID(const MSInfo& info, const char* member) {
    if (!member || !SysIsSafeValue(member, SYS_VALUE_NAME))
        return 0;
    writers::ConfigFile file;
    file.path = info.HtmlPath ^ VX_CTRL_CONF;
    file.report = false;
    ICString entry = info.HtmlPath ^ member;
    SysFileLock lock(file.path);
    SysLineReader in(file.path);
    if (!lock.Held() || !in.IsOpen())
        return 0;
    std::string content;
    bool found = false;
    while (char* line = in.Next()) {
        if (!found && strcmp(conffile::FirstToken(line, " ,\n"), kPoolKey) == 0)
            AddToPoolLine(line, in.Length(), entry, content, found);
        else
            content.append(line, in.Length());
    }
    if (in.Failed())
        return 0;
    return writers::WriteConfigFile(file, [&](FILE* out, ICString&) {
        return fwrite(content.data(), 1, content.size(), out) == content.size() ? 1 : 0;
    });
}
