// The main configuration file of an instance, vxtrade.conf, read by its commerce server
// processes at start-up.
#include "vxconfig/services.h"
#include "vxconfig/writers.h"
#include "writers/creation.h"
#include "writers/instancevalues.h"
#include "writers/writerframe.h"

namespace {

// Defaults of the keys whose record fields the front end may leave unset.
enum {
    kTransCount = 1000,
    kHtmlMax = 1000000,
    kLogLevel = 0,
    kRetryLimit = 5,
    kRetryInterval = 20,
    kDaemonCache = 1,
    kDaemonSynch = 1,
    kDaemonSleep = 15,
    kToolConnections = 5,
    kToolMaxWait = 10,
};
const char kLanguage[] = "en_US";
const char kSecureNames[] =
    "SECURE_NVPS password, shlpswd, shlpswdver, ccnum, ccxyear, ccxmonth, name, shlogid, sanick";

bool Bit(const MSInfo& info, int bit) {
    return (info.MSOption & bit) != 0;
}

// The hosting edition's tool directories and its Java environment.
void WriteHostingKeys(MSInfo& info, const ICString& product, FILE* out) {
    ICString qbx = product ^ "QBX";
    info.WriteOutboundPath(out, product ^ "outbound" ^ kLanguage);
    info.WriteMpgPath(out, qbx ^ "mpg_templates");
    info.WriteMToolBase(out, qbx);
    info.WriteMToolLocked(out, qbx ^ "locked");
    info.WriteMToolAffiliate(out, "QBX");
    info.WriteMerchantSource(out, qbx ^ "source");
    info.WriteMToolErrorLog(out, qbx ^ "qbxlog.log");
    info.WriteMToolGallery(out, product ^ "Tools" ^ "public" ^ "gallery");
    info.WriteMToolNumCon(out, kToolConnections);
    info.WriteMToolMaxWait(out, kToolMaxWait);
    info.WriteJREPath(out, writers::JreBin());
    info.WriteVXClsPath(out, writers::HostingClassPath(info));
}

int WriteMainLines(MSInfo& info, const ICString& product, FILE* out) {
    info.WriteSvcPfx(out, writers::ServicePrefix(info));
    info.WriteExecPath(out, product ^ "bin" ^ "server");
    info.WriteISHost(out);
    info.WriteDBName(out);
    info.WriteDBUser(out);
    info.WriteDBOwner(out);
    info.WriteDBPswd(out);
    info.WriteDBHost(out);
    info.WriteDBNode(out);
    info.WriteDBRemote(out);
    info.WriteMSProc(out);
    info.WriteMerKey(out);
    info.WritePDIEncrypt(out, "OFF");
    bool hosting = Bit(info, MS_OPT_HOSTING);
    if (hosting)
        WriteHostingKeys(info, product, out);
    info.WriteErrNotification(out, "ON");
    info.WriteOrderNotification(out, "ON");
    info.WriteAdminErrMsgTemplate(out, "errmsgadmin.tpl");
    info.WriteTemplatePath(out, product ^ "templates" ^ kLanguage);
    info.WriteUserTrafficLog(out, hosting ? 1 : 0);
    info.WriteTransCnt(out, kTransCount);
    info.WriteHtmlMax(out, kHtmlMax);
    info.WriteLogPath(out, info.VXLogPath);
    info.WriteLogLevel(out, kLogLevel);
    info.WriteDBRetryLimit(out, kRetryLimit);
    info.WriteDBRetryIntvl(out, kRetryInterval);
    if (Bit(info, MS_OPT_CACHE_WS | MS_OPT_CACHE_ON)) {
        info.WriteVXDmnCache(out, kDaemonCache);
        info.WriteVXDmnSynch(out, kDaemonSynch);
        info.WriteVXDmnSleep(out, kDaemonSleep);
    }
    info.WriteMacroPath(out);
    info.WriteHtmlPath(out);
    info.WriteCgiPath(out);
    info.WriteGPPath(out, product ^ "Guidepath");
    writers::AddEditorPaths(info, true);
    info.WriteTEditorPath(out);
    info.WriteVXLang(out, kLanguage);
    info.WriteISType(out);
    info.WriteStaging(out);
    info.WriteVXCache(out);
    info.WriteDefsDir(out);
    info.WriteMaxCachedFiles(out);
    info.WriteCacheFilePath(out, info.CachePath);
    info.WriteRootPath(out, info.RootPath);
    info.WriteConfigPath(out);
    info.WritePerfHost(out, info.ISHost);
    info.WriteDBType(out);
    info.WritePVHost(out, info.ISHost);
    info.WritePVTmout(out);
    info.WritePVCtrl(out);
    info.SetTotalProcesses(info.GetTotalProcesses());
    info.WritePVAdminPort(out);
    info.WritePVPayPort(out);
    fprintf(out, "%s\n", kSecureNames);
    if (info.ISType == IS_NETSCAPE) {
        fprintf(out, "%s %s\n", "NES_SECURE", static_cast<const char*>(info.NESSecure));
        fprintf(out, "%s %s\n", "NES_NONSECURE", static_cast<const char*>(info.NESNonsecure));
    }
    if (!Bit(info, MS_OPT_START_PKG))
        info.WriteJDBCPool(out);
    writers::WriteJdbcLines(info, out);
    return 1;
}

} // namespace

int writers::CreateMainConf(MSInfo& info, const char* productDir,
                            const std::vector<KeyLine>& keys) {
    ConfigFile file;
    file.path = info.HtmlPath ^ VX_MAIN_CONF;
    file.owner = info.DBOwner;
    file.record = &info;
    file.keepUserLines = true;
    file.ensured = keys;
    ICString product = productDir ? productDir : "";
    return WriteConfigFile(
        file, [&](FILE* out, ICString&) { return WriteMainLines(info, product, out); });
}

int CreateMSInit(MSInfo& info, const char* productDir) {
    return writers::CreateMainConf(info, productDir, {});
}
