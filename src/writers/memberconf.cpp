// The configuration files of the controller's member daemons: the scheduler, the payment
// background daemon, the payment server daemon, the hosting edition's payment daemon and the
// message-queue bridge. Each starts with the member's service prefix and program.
#include "vxconfig/fileio.h"
#include "vxconfig/writers.h"
#include "writers/instancevalues.h"
#include "writers/writerframe.h"

namespace {

const char kLanguage[] = "en_US";
enum {
    kTransCount = 1000,
    kHtmlMax = 1000000,
    kRetryLimit = 5,
    kRetryInterval = 20,
    kBackgroundTime = 30,
    kPayBackProcesses = 1,
    kOneProcess = 1,
};
// Positions of the queue names in the fix pack's argument vector.
enum { kArgInbound = 4, kArgOutbound, kArgInError, kArgManager, kArgBridgeUser };

// One member's file in the configuration directory, from its lines.
int WriteMemberFile(MSInfo& info, const char* name, bool keepUserLines,
                    const std::function<void(FILE*)>& lines) {
    writers::ConfigFile file;
    file.path = info.HtmlPath ^ name;
    file.owner = info.DBOwner;
    file.record = &info;
    file.keepUserLines = keepUserLines;
    return writers::WriteConfigFile(file, [&](FILE* out, ICString&) {
        lines(out);
        return 1;
    });
}

// The two lines every member file starts with: its services' prefix and its program.
void WriteMemberHead(MSInfo& info, FILE* out, const char* tag, const ICString& product,
                     const char* program) {
    info.WriteSvcPfx(out, writers::ServicePrefix(info, tag));
    info.WriteExecPath(out, product ^ "bin" ^ program);
}

// The database lines the payment daemons share.
void WritePaymentDatabase(MSInfo& info, FILE* out) {
    info.WriteDBName(out);
    info.WriteDBUser(out);
    info.WriteDBPswd(out);
}

void WriteRetries(MSInfo& info, FILE* out) {
    info.WriteDBRetryLimit(out, kRetryLimit);
    info.WriteDBRetryIntvl(out, kRetryInterval);
}

void WriteLogLines(MSInfo& info, FILE* out) {
    info.WriteLogPath(out, info.VXLogPath);
    info.WriteLogLevel(out, 0);
}

ICString Product(const char* productDir) {
    return productDir ? productDir : "";
}

} // namespace

// Each writer works on its own copy of the record: what the writing changes (the editor
// list, a payment time's default, the total process count) stays there.

int CreateSchedInit(const MSInfo& instance, const char* productDir) {
    MSInfo info = instance;
    ICString product = Product(productDir);
    return WriteMemberFile(info, "scheduler.conf", false, [&](FILE* out) {
        WriteMemberHead(info, out, "sched", product, "scheduler");
        info.WriteISHost(out);
        info.WriteDBName(out);
        info.WriteDBUser(out);
        info.WriteDBOwner(out);
        info.WriteDBPswd(out);
        info.WritePVProc(out);
        info.WriteMerKey(out);
        info.WriteSchedInterJobTime(out);
        info.WriteTransCnt(out, kTransCount);
        info.WriteHtmlMax(out, kHtmlMax);
        info.WriteLogPath(out, info.VXLogPath);
        info.WriteLogLevel(out, 0);
        WriteRetries(info, out);
        info.WriteMerchantSource(out, product ^ "QBX" ^ "source");
        info.WriteJREPath(out, writers::JreBin());
        info.WriteVXClsPath(out, writers::HostingClassPath(info));
        info.WriteMacroPath(out);
        info.WriteHtmlPath(out);
        info.WriteCgiPath(out);
        info.WriteGPPath(out, product ^ "Guidepath");
        writers::AddEditorPaths(info, false);
        info.WriteTEditorPath(out);
        info.WriteVXLang(out, kLanguage);
        info.WriteISType(out);
        info.WriteDBType(out);
        writers::WriteJdbcLines(info, out);
        info.WriteTemplatePath(out, product ^ "templates" ^ kLanguage);
    });
}

int CreatePaybkInit(const MSInfo& instance, const char* productDir) {
    MSInfo info = instance;
    ICString product = Product(productDir);
    return WriteMemberFile(info, "pay_back.conf", false, [&](FILE* out) {
        WriteMemberHead(info, out, "pb", product, "back_server");
        WritePaymentDatabase(info, out);
        info.WritePBProc(out, kPayBackProcesses);
        info.WriteMerKey(out);
        info.WriteISHost(out);
        WriteRetries(info, out);
        info.WritePVHost(out, info.ISHost);
        info.WritePVCycle(out);
        info.WritePVTmout(out);
        info.SetTotalProcesses(info.GetTotalProcesses());
        info.WritePVAdminPort(out);
        info.WritePVPayPort(out);
        info.WritePVIntvl(out);
        WriteLogLines(info, out);
        fprintf(out, "PAYSYS_CONTROLLER %d\n", 0);
    });
}

int CreatePayetInit(const MSInfo& instance, const char* productDir) {
    MSInfo info = instance;
    ICString product = Product(productDir);
    return WriteMemberFile(info, "pay_payvane.conf", true, [&](FILE* out) {
        WriteMemberHead(info, out, "pe", product, "pay_server");
        WritePaymentDatabase(info, out);
        info.WritePVProc(out);
        info.WriteMerKey(out);
        info.WriteISHost(out);
        WriteRetries(info, out);
        info.WritePVExitHost(out, info.ISHost);
        info.WriteCMSPswd(out);
        info.WritePVExitSvcPfx(out, writers::ServicePrefix(info));
        info.WritePVHost(out, info.ISHost);
        info.WritePVExec(out, info.RootPath ^ "bin" ^ "PayVane");
        info.SetTotalProcesses(info.GetTotalProcesses());
        info.WritePVAdminPort(out);
        info.WritePVPayPort(out);
        info.WritePVErrorPort(out);
        info.WritePVSetPort(out);
        info.WritePVInqPort(out);
        info.WritePVLogPath(out, info.VXLogPath);
        info.WritePVCertPath(out, info.RootPath ^ "data");
        info.WritePVTrace(out);
        WriteLogLines(info, out);
        fprintf(out, "PAYSYS_CONTROLLER %d\n", 0);
    });
}

int CreatePaycyInit(const MSInfo& instance, const char* productDir) {
    MSInfo info = instance;
    ICString product = Product(productDir);
    int written = WriteMemberFile(info, "pay_cyber.conf", false, [&](FILE* out) {
        WriteMemberHead(info, out, "cy", product, "cyb_server");
        WritePaymentDatabase(info, out);
        info.WritePVProc(out);
        info.WriteMerKey(out);
        info.WriteISHost(out);
        WriteRetries(info, out);
        info.WritePVHost(out, info.ISHost);
        info.WriteOrderNotification(out, "OFF");
        info.WritePDIEncrypt(out, "OFF");
        info.WriteTemplatePath(out, product ^ "templates" ^ kLanguage);
        info.WriteBckCycleTime(out, kBackgroundTime);
        info.WriteBckInterJobTime(out, kBackgroundTime);
        WriteLogLines(info, out);
    });
    if (!written)
        return 0;
    // The daemon's merchant configuration is refreshed from the product; best effort.
    ICString merchants = info.HtmlPath ^ "merchant_conf";
    writers::CopyWithOwner(merchants, merchants + ".old", info.DBOwner, writers::kConfigMode);
    writers::CopyWithOwner(product ^ "adt" ^ "vxcyber" ^ "merchant_conf", merchants, info.DBOwner,
                           writers::kConfigMode);
    return 1;
}

int CreateQXInit(const MSInfo& instance, const char* productDir, char** args) {
    if (!args)
        return 0;
    MSInfo info = instance;
    ICString product = Product(productDir);
    return WriteMemberFile(info, "vxei_ece.conf", false, [&](FILE* out) {
        WriteMemberHead(info, out, "ece", product, "back_server");
        info.WriteISHost(out);
        info.WriteDBName(out);
        info.WriteDBUser(out);
        info.WriteDBOwner(out);
        info.WriteDBPswd(out);
        WriteRetries(info, out);
        fprintf(out, "%s %d\n", "PROCESSES", kOneProcess);
        info.WriteMerKey(out);
        info.WriteVXLang(out, kLanguage);
        info.WriteBckCycleTime(out, kBackgroundTime);
        info.WriteBckInterJobTime(out, kBackgroundTime);
        WriteLogLines(info, out);
        info.WriteQXInBound(out, args[kArgInbound]);
        info.WriteQXOutBound(out, args[kArgOutbound]);
        info.WriteQXError(out, args[kArgInError]);
        info.WriteQXManager(out, args[kArgManager]);
        info.WriteQXBridgeID(out, args[kArgBridgeUser]);
        info.WriteDefMSGSize(out);
        info.WriteMaxMSGSize(out);
        info.WriteHtmlPath(out);
    });
}
