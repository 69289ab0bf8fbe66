// The keyword lines of the configuration files: one table says, for each key the record can
// write, where its value comes from and when the line is left out; one small engine writes a
// row, and each named MSInfo writer forwards to it.
#include <cstring>
#include <string>

#include "vxconfig/discovery.h"
#include "vxconfig/msfields.h"
#include "vxconfig/portplan.h"

namespace {

// The value that stands for "not chosen" in a text field; such lines are left out.
const char kDefaultWord[] = "default";
// The number that leaves its line out.
enum { kOmittedNumber = -2 };

enum Format { kText, kNumber };

enum Source {
    kArgument,          // the writer's value
    kField,             // the record's field
    kFieldElseArgument, // the field when it is set, else the writer's value
    kComputed,          // a function of the record
    kList,              // the record's list, its elements joined by ";"
};

// When a line is left out.
enum Omit { kNever, kWhenDefault, kWhenMinusTwo };

// A computed value: false leaves the line out.
typedef bool (*TextValue)(MSInfo& info, ICString& out);
typedef bool (*NumberValue)(MSInfo& info, int& out);

struct KeyRow {
    const char* key;
    Format format;
    Source source;
    ICString MSInfo::*text;
    int MSInfo::*number;
    Omit omit;
    TextValue textValue;
    NumberValue numberValue;
    ParmList<ICString> MSInfo::*list;
};

constexpr KeyRow TextArg(const char* key) {
    return {key, kText, kArgument, nullptr, nullptr, kNever, nullptr, nullptr, nullptr};
}
constexpr KeyRow NumberArg(const char* key) {
    return {key, kNumber, kArgument, nullptr, nullptr, kNever, nullptr, nullptr, nullptr};
}
constexpr KeyRow TextField(const char* key, ICString MSInfo::*field, Omit omit = kNever) {
    return {key, kText, kField, field, nullptr, omit, nullptr, nullptr, nullptr};
}
constexpr KeyRow NumberField(const char* key, int MSInfo::*field, Omit omit = kNever) {
    return {key, kNumber, kField, nullptr, field, omit, nullptr, nullptr, nullptr};
}
constexpr KeyRow TextFieldOr(const char* key, ICString MSInfo::*field) {
    return {key, kText, kFieldElseArgument, field, nullptr, kNever, nullptr, nullptr, nullptr};
}
constexpr KeyRow NumberFieldOr(const char* key, int MSInfo::*field) {
    return {key, kNumber, kFieldElseArgument, nullptr, field, kNever, nullptr, nullptr, nullptr};
}
constexpr KeyRow ListOf(const char* key, ParmList<ICString> MSInfo::*list) {
    return {key, kText, kList, nullptr, nullptr, kNever, nullptr, nullptr, list};
}
constexpr KeyRow TextOf(const char* key, TextValue value) {
    return {key, kText, kComputed, nullptr, nullptr, kNever, value, nullptr, nullptr};
}
constexpr KeyRow NumberOf(const char* key, NumberValue value) {
    return {key, kNumber, kComputed, nullptr, nullptr, kNever, nullptr, value, nullptr};
}

bool Bit(const MSInfo& info, int bit) {
    return (info.MSOption & bit) != 0;
}

bool DBRemote(MSInfo& info, ICString& out) {
    out = Bit(info, MS_OPT_DB_REMOTE) ? "ON" : "OFF";
    return true;
}
// The files' text of a type; a value without a name is written as the first type's.
const char* ConfText(const MSTypeName* names, int value) {
    const MSTypeName* type = MSTypeOf(names, value);
    return (type ? type : names)->conf;
}
bool WebServerName(MSInfo& info, ICString& out) {
    out = ConfText(g_msWebServerTypes, info.ISType);
    return true;
}
bool CacheMode(MSInfo& info, ICString& out) {
    out = Bit(info, MS_OPT_CACHE_WS) ? "WS" : Bit(info, MS_OPT_CACHE_ON) ? "ON" : "OFF";
    return true;
}
bool DBMSName(MSInfo& info, ICString& out) {
    if (static_cast<int>(info.DBType) == -1)
        return false;
    out = ConfText(g_msDatabaseTypes, info.DBType);
    return true;
}
bool JdbcPool(MSInfo& info, ICString& out) {
    out = info.DBType == DB_ORACLE ? "JdbcOracle" : "JdbcRelda";
    return true;
}
bool Never(MSInfo&, ICString& out) {
    out = "NO";
    return true;
}

bool One(MSInfo&, int& out) {
    out = 1;
    return true;
}
bool Staging(MSInfo& info, int& out) {
    out = Bit(info, MS_OPT_STAGING) ? 1 : 0;
    return true;
}
bool PVTrace(MSInfo& info, int& out) {
    out = Bit(info, MS_OPT_PV_TRACE) ? 1 : 0;
    return true;
}
bool PVCtrl(MSInfo&, int& out) {
    out = SysIsPayvaneInstalled();
    return true;
}
// A payment time: -2 leaves the line out, another negative value first takes the field's
// initial value (the record's field table).
bool PaymentTime(MSInfo& info, const char* name, int& out) {
    const MSField* field = MSFindField(name);
    if (field->Number(info) == kOmittedNumber)
        return false;
    if (field->Number(info) < 0)
        field->SetNumber(info, field->initial);
    out = field->Number(info);
    return true;
}
bool PVTmout(MSInfo& info, int& out) {
    return PaymentTime(info, "PVTmout", out);
}
bool PVCycle(MSInfo& info, int& out) {
    return PaymentTime(info, "PVCycle", out);
}
bool PVIntvl(MSInfo& info, int& out) {
    return PaymentTime(info, "PVIntvl", out);
}
template <VXPortPlan::PayService service> bool PayPort(MSInfo& info, int& out) {
    out = VXPortPlan(info).Pay(service);
    return true;
}
template <int value> bool Constant(MSInfo&, int& out) {
    out = value;
    return true;
}

// Each writer's row. The order is the order of the writers in the record's interface.
enum KeyId {
    kSvcPfx,
    kExecPath,
    kISHost,
    kDBName,
    kDBUser,
    kDBOwner,
    kDBPswd,
    kDBHost,
    kDBNode,
    kDBRemote,
    kMSProc,
    kPVProc,
    kPBProc,
    kMerKey,
    kPDIEncrypt,
    kOutboundPath,
    kMpgPath,
    kMToolBase,
    kMToolLocked,
    kMToolAffiliate,
    kMerchantSource,
    kMToolErrorLog,
    kMToolGallery,
    kJREPath,
    kVXClsPath,
    kErrNotification,
    kOrderNotification,
    kAdminErrMsgTemplate,
    kTemplatePath,
    kLogPath,
    kCacheFilePath,
    kRootPath,
    kPerfHost,
    kPerfServerBin,
    kMToolNumCon,
    kMToolMaxWait,
    kUserTrafficLog,
    kTransCnt,
    kHtmlMax,
    kLogLevel,
    kDBRetryLimit,
    kDBRetryIntvl,
    kVXDmnCache,
    kVXDmnSynch,
    kVXDmnSleep,
    kBckCycleTime,
    kBckInterJobTime,
    kMacroPath,
    kCgiPath,
    kDefsDir,
    kHtmlPath,
    kConfigPath,
    kGPPath,
    kVXLang,
    kPVHost,
    kPVExitHost,
    kPVExitSvcPfx,
    kPVExec,
    kPVLogPath,
    kPVCertPath,
    kTEditorPath,
    kISType,
    kStaging,
    kVXCache,
    kMaxCachedFiles,
    kDBType,
    kPVTmout,
    kPVCycle,
    kPVIntvl,
    kPVCtrl,
    kPVAdminPort,
    kPVPayPort,
    kPVErrorPort,
    kPVSetPort,
    kPVInqPort,
    kPVTrace,
    kCMSPswd,
    kQXInBound,
    kQXOutBound,
    kQXError,
    kQXManager,
    kQXBridgeID,
    kDefMSGSize,
    kMaxMSGSize,
    kSchedInterJobTime,
    kPerfServerAuto,
    kCAJAppDrv,
    kCAJNetDrv,
    kCAJUrl,
    kCAJNetUrl,
    kJDBCPool,
    kMLMacroPath,
    kMLIncPath,
    kKeyCount
};

const KeyRow kRows[kKeyCount] = {
    TextArg("SERVICE_NAME_PREFIX"),
    TextArg("EXEC"),
    TextField("MS_HOSTNAME", &MSInfo::ISHost),
    TextField("DBNAME", &MSInfo::DBName, kWhenDefault),
    TextField("DBINST", &MSInfo::DBUser),
    TextField("DBOWNER", &MSInfo::DBOwner),
    TextField("DBPASS", &MSInfo::DBPswd),
    TextField("DB_HOST", &MSInfo::DBHost),
    TextField("DB_NODE", &MSInfo::DBNode),
    TextOf("DB_REMOTE", DBRemote),
    NumberField("PROCESSES", &MSInfo::MSProc, kWhenMinusTwo),
    NumberOf("PROCESSES", One),
    NumberFieldOr("PROCESSES", &MSInfo::PBProc),
    TextField("MERCHANT_KEY", &MSInfo::MerKey, kWhenDefault),
    TextArg("PDI_ENCRYPT"),
    TextArg("OUTBOUND_PATH"),
    TextArg("MPG_PATH"),
    TextArg("MTOOL_BASE"),
    TextArg("MTOOL_LOCKED"),
    TextArg("MTOOL_AFFILIATE"),
    TextArg("MTOOL_MSOURCE"),
    TextArg("MTOOL_ERROR_LOG"),
    TextArg("MTOOL_GALLERY"),
    TextArg("VX_JRE_PATH"),
    TextArg("VX_CLASSPATH"),
    TextArg("ERR_NOTIFICATION"),
    TextArg("ORDER_NOTIFICATION"),
    TextArg("ADMIN_ERR_MSG_TEMPLATE"),
    TextArg("TEMPLATE_PATH"),
    TextArg("MS_LOGPATH"),
    TextArg("CACHE_FILE_PATH"),
    TextArg("INST_PATH"),
    TextArg("PERFORMANCE_HOST"),
    TextArg("PERFORMANCE_SERVER_BIN"),
    NumberArg("MTOOL_NUM_CON"),
    NumberArg("MTOOL_MAX_WAIT"),
    NumberArg("USERTRAFFIC_LOG"),
    NumberFieldOr("MS_TRANS_COUNT", &MSInfo::TransCnt),
    NumberFieldOr("MS_HTML_MAX", &MSInfo::HtmlMax),
    NumberFieldOr("MS_LOGLEVEL", &MSInfo::LogLevel),
    NumberFieldOr("DB_RETRY_LIMIT", &MSInfo::DBRetryLimit),
    NumberFieldOr("DB_RETRY_INTERVAL", &MSInfo::DBRetryIntvl),
    NumberFieldOr("VX_DMN_CACHE", &MSInfo::VXDmnCache),
    NumberFieldOr("VX_DMN_SYNCH", &MSInfo::VXDmnSynch),
    NumberFieldOr("VX_DMN_SLP_SEC", &MSInfo::VXDmnSleep),
    NumberFieldOr("BACKGROUND_CYCLE_TIME", &MSInfo::BckCycleTime),
    NumberFieldOr("BACKGROUND_INTER_JOB_TIME", &MSInfo::BckInterJobTime),
    TextField("MACRO_PATH", &MSInfo::MacroPath, kWhenDefault),
    TextField("MS_CGIBIN_PATH", &MSInfo::CgiPath, kWhenDefault),
    TextField("DEFAULTS", &MSInfo::DefsDir, kWhenDefault),
    TextField("HTML_PATH", &MSInfo::DocRoot),
    TextField("CONFIG_PATH", &MSInfo::HtmlPath),
    TextFieldOr("GP_PATH", &MSInfo::GPPath),
    TextFieldOr("VX_LANG", &MSInfo::VXLang),
    TextFieldOr("PAYVANE_HOSTNAME", &MSInfo::PVHost),
    TextFieldOr("USEREXIT_HOSTNAME", &MSInfo::PVExitHost),
    TextFieldOr("USEREXIT_SERVICE_NAME_PREFIX", &MSInfo::PVExitSvcPfx),
    TextFieldOr("PAYVANE_EXEC", &MSInfo::PVExec),
    TextFieldOr("PAYVANE_LOG_PATH", &MSInfo::PVLogPath),
    TextFieldOr("PAYVANE_CERT_PATH", &MSInfo::PVCertPath),
    ListOf("VX_TEDITOR_PATH", &MSInfo::TEditorPath),
    TextOf("VX_WEBSERVER", WebServerName),
    NumberOf("VX_ENABLE_STAGING", Staging),
    TextOf("CACHE_ENABLED", CacheMode),
    NumberField("MAX_CACHED_FILES", &MSInfo::MaxCacheFiles),
    TextOf("IC_DBMS", DBMSName),
    NumberOf("PAY_STATE_TIMEOUT", PVTmout),
    NumberOf("BACKGROUND_CYCLE_TIME", PVCycle),
    NumberOf("BACKGROUND_INTER_JOB_TIME", PVIntvl),
    NumberOf("PAYSYS_CONTROLLER", PVCtrl),
    NumberOf("PAYVANE_ADMIN_PORT", PayPort<VXPortPlan::kPayAdmin>),
    NumberOf("PAYVANE_PAY_PORT", PayPort<VXPortPlan::kPayPay>),
    NumberOf("PAYVANE_ERROR_PORT", PayPort<VXPortPlan::kPayError>),
    NumberOf("PAYVANE_SET_PAY_PORT", PayPort<VXPortPlan::kPaySetPay>),
    NumberOf("PAYVANE_SET_INQUIRY_PORT", PayPort<VXPortPlan::kPaySetInquiry>),
    NumberOf("PAYVANE_ENABLE_TRACE", PVTrace),
    TextField("CMSPASS", &MSInfo::CMSPswd),
    TextArg("VX_QX_INBOUND"),
    TextArg("VX_QX_OUTBOUND"),
    TextArg("VX_QX_INERROR"),
    TextArg("VX_QX_QMANAGER"),
    TextArg("VX_QX_BRIDGE_USERID"),
    NumberOf("DEFAULT_MSG_SIZE", Constant<2000>),
    NumberOf("MAX_MSG_SIZE", Constant<1000000>),
    NumberOf("SCHEDULER_INTER_JOB_TIME", Constant<600>),
    TextOf("PERFORMANCE_SERVER_AUTOSTART", Never),
    TextArg("IC_JDBC_DRIVER"),
    TextArg("IC_JDBC_NETDRIVER"),
    TextArg("IC_JDBC_URL"),
    TextArg("IC_JDBC_NETURL"),
    TextOf("IC_JDBC_POOL", JdbcPool),
    ListOf("MACRO_PATH", &MSInfo::MLMacroPath),
    ListOf("INCLUDE_PATH", &MSInfo::MLIncPath),
};

// Writes the line of row id, with the writer's value where the row takes one.
int WriteKey(MSInfo& info, FILE* fp, KeyId id, const char* text = nullptr, int number = 0) {
    const KeyRow& row = kRows[id];
    if (row.source == kList) {
        // Written element by element: a list of any length costs one pass.
        fprintf(fp, "%s ", row.key);
        for (const auto* node = (info.*row.list).GetHeadNode(); node; node = node->next)
            fprintf(fp, node->prev ? ";%s" : "%s", static_cast<const char*>(*node->data));
        fputc('\n', fp);
        return 1;
    }
    if (row.format == kText) {
        ICString value;
        switch (row.source) {
        case kArgument:
            value = text ? text : "";
            break;
        case kField:
            value = info.*row.text;
            break;
        case kFieldElseArgument:
            value = (info.*row.text).IsEmpty() ? ICString(text ? text : "") : info.*row.text;
            break;
        case kComputed:
            if (!row.textValue(info, value))
                return 1;
            break;
        case kList:
            break;
        }
        if (row.omit == kWhenDefault && strcmp(value, kDefaultWord) == 0)
            return 1;
        fprintf(fp, "%s %s\n", row.key, static_cast<const char*>(value));
        return 1;
    }
    int value = 0;
    switch (row.source) {
    case kArgument:
        value = number;
        break;
    case kField:
        value = info.*row.number;
        break;
    case kFieldElseArgument:
        value = info.*row.number >= 0 ? info.*row.number : number;
        break;
    case kComputed:
        if (!row.numberValue(info, value))
            return 1;
        break;
    case kList:
        break;
    }
    if (row.omit == kWhenMinusTwo && value == kOmittedNumber)
        return 1;
    fprintf(fp, "%s %d\n", row.key, value);
    return 1;
}

// Directive columns: the directive fills 8 columns, the name 16, each with at least a blank.
enum { kDirectiveWidth = 8, kNameWidth = 16 };

void PadTo(FILE* fp, const char* text, int width) {
    int length = static_cast<int>(strlen(text));
    fprintf(fp, "%s%*s", text, length < width ? width - length : 1, "");
}

} // namespace

ICString MSInfo::StrListToString(const ParmList<ICString>& list) {
    std::string out;
    for (const auto* node = list.GetHeadNode(); node; node = node->next) {
        if (node->prev)
            out += ';';
        out += static_cast<const char*>(*node->data);
    }
    return out.c_str();
}

// The named writers, each the row of its key.
#define VX_WRITER(member, id)                                                                      \
    int MSInfo::member(FILE* fp) {                                                                 \
        return WriteKey(*this, fp, id);                                                            \
    }
#define VX_TEXT_WRITER(member, id, type)                                                           \
    int MSInfo::member(FILE* fp, type value) {                                                     \
        return WriteKey(*this, fp, id, value);                                                     \
    }
#define VX_NUMBER_WRITER(member, id)                                                               \
    int MSInfo::member(FILE* fp, int value) {                                                      \
        return WriteKey(*this, fp, id, nullptr, value);                                            \
    }

VX_TEXT_WRITER(WriteSvcPfx, kSvcPfx, const char*)
VX_TEXT_WRITER(WriteExecPath, kExecPath, const char*)
VX_WRITER(WriteISHost, kISHost)
VX_WRITER(WriteDBName, kDBName)
VX_WRITER(WriteDBUser, kDBUser)
VX_WRITER(WriteDBOwner, kDBOwner)
VX_WRITER(WriteDBPswd, kDBPswd)
VX_WRITER(WriteDBHost, kDBHost)
VX_WRITER(WriteDBNode, kDBNode)
VX_WRITER(WriteDBRemote, kDBRemote)
VX_WRITER(WriteMSProc, kMSProc)
VX_WRITER(WritePVProc, kPVProc)
VX_NUMBER_WRITER(WritePBProc, kPBProc)
VX_WRITER(WriteMerKey, kMerKey)
VX_TEXT_WRITER(WritePDIEncrypt, kPDIEncrypt, const char*)
VX_TEXT_WRITER(WriteOutboundPath, kOutboundPath, const char*)
VX_TEXT_WRITER(WriteMpgPath, kMpgPath, const char*)
VX_TEXT_WRITER(WriteMToolBase, kMToolBase, const char*)
VX_TEXT_WRITER(WriteMToolLocked, kMToolLocked, const char*)
VX_TEXT_WRITER(WriteMToolAffiliate, kMToolAffiliate, const char*)
VX_TEXT_WRITER(WriteMerchantSource, kMerchantSource, const char*)
VX_TEXT_WRITER(WriteMToolErrorLog, kMToolErrorLog, const char*)
VX_TEXT_WRITER(WriteMToolGallery, kMToolGallery, const char*)
VX_TEXT_WRITER(WriteJREPath, kJREPath, const char*)
VX_TEXT_WRITER(WriteVXClsPath, kVXClsPath, const char*)
VX_TEXT_WRITER(WriteErrNotification, kErrNotification, const char*)
VX_TEXT_WRITER(WriteOrderNotification, kOrderNotification, const char*)
VX_TEXT_WRITER(WriteAdminErrMsgTemplate, kAdminErrMsgTemplate, const char*)
VX_TEXT_WRITER(WriteTemplatePath, kTemplatePath, const char*)
VX_TEXT_WRITER(WriteLogPath, kLogPath, const char*)
VX_TEXT_WRITER(WriteCacheFilePath, kCacheFilePath, const char*)
VX_TEXT_WRITER(WriteRootPath, kRootPath, const char*)
VX_TEXT_WRITER(WritePerfHost, kPerfHost, const char*)
VX_TEXT_WRITER(WritePerfServerBin, kPerfServerBin, const char*)
VX_NUMBER_WRITER(WriteMToolNumCon, kMToolNumCon)
VX_NUMBER_WRITER(WriteMToolMaxWait, kMToolMaxWait)
VX_NUMBER_WRITER(WriteUserTrafficLog, kUserTrafficLog)
VX_NUMBER_WRITER(WriteTransCnt, kTransCnt)
VX_NUMBER_WRITER(WriteHtmlMax, kHtmlMax)
VX_NUMBER_WRITER(WriteLogLevel, kLogLevel)
VX_NUMBER_WRITER(WriteDBRetryLimit, kDBRetryLimit)
VX_NUMBER_WRITER(WriteDBRetryIntvl, kDBRetryIntvl)
VX_NUMBER_WRITER(WriteVXDmnCache, kVXDmnCache)
VX_NUMBER_WRITER(WriteVXDmnSynch, kVXDmnSynch)
VX_NUMBER_WRITER(WriteVXDmnSleep, kVXDmnSleep)
VX_NUMBER_WRITER(WriteBckCycleTime, kBckCycleTime)
VX_NUMBER_WRITER(WriteBckInterJobTime, kBckInterJobTime)
VX_WRITER(WriteMacroPath, kMacroPath)
VX_WRITER(WriteCgiPath, kCgiPath)
VX_WRITER(WriteDefsDir, kDefsDir)
VX_WRITER(WriteHtmlPath, kHtmlPath)
VX_WRITER(WriteConfigPath, kConfigPath)
VX_TEXT_WRITER(WriteGPPath, kGPPath, const char*)
VX_TEXT_WRITER(WriteVXLang, kVXLang, const char*)
VX_TEXT_WRITER(WritePVHost, kPVHost, const char*)
VX_TEXT_WRITER(WritePVExitHost, kPVExitHost, const char*)
VX_TEXT_WRITER(WritePVExitSvcPfx, kPVExitSvcPfx, const char*)
VX_TEXT_WRITER(WritePVExec, kPVExec, const char*)
VX_TEXT_WRITER(WritePVLogPath, kPVLogPath, const char*)
VX_TEXT_WRITER(WritePVCertPath, kPVCertPath, const char*)
VX_WRITER(WriteTEditorPath, kTEditorPath)
VX_WRITER(WriteISType, kISType)
VX_WRITER(WriteStaging, kStaging)
VX_WRITER(WriteVXCache, kVXCache)
VX_WRITER(WriteMaxCachedFiles, kMaxCachedFiles)
VX_WRITER(WriteDBType, kDBType)
VX_WRITER(WritePVTmout, kPVTmout)
VX_WRITER(WritePVCycle, kPVCycle)
VX_WRITER(WritePVIntvl, kPVIntvl)
VX_WRITER(WritePVCtrl, kPVCtrl)
VX_WRITER(WritePVAdminPort, kPVAdminPort)
VX_WRITER(WritePVPayPort, kPVPayPort)
VX_WRITER(WritePVErrorPort, kPVErrorPort)
VX_WRITER(WritePVSetPort, kPVSetPort)
VX_WRITER(WritePVInqPort, kPVInqPort)
VX_WRITER(WritePVTrace, kPVTrace)
VX_WRITER(WriteCMSPswd, kCMSPswd)
VX_TEXT_WRITER(WriteQXInBound, kQXInBound, char*)
VX_TEXT_WRITER(WriteQXOutBound, kQXOutBound, char*)
VX_TEXT_WRITER(WriteQXError, kQXError, char*)
VX_TEXT_WRITER(WriteQXManager, kQXManager, char*)
VX_TEXT_WRITER(WriteQXBridgeID, kQXBridgeID, char*)
VX_WRITER(WriteDefMSGSize, kDefMSGSize)
VX_WRITER(WriteMaxMSGSize, kMaxMSGSize)
VX_WRITER(WriteSchedInterJobTime, kSchedInterJobTime)
VX_WRITER(WritePerfServerAuto, kPerfServerAuto)
VX_TEXT_WRITER(WriteCAJAppDrv, kCAJAppDrv, const char*)
VX_TEXT_WRITER(WriteCAJNetDrv, kCAJNetDrv, const char*)
VX_TEXT_WRITER(WriteCAJUrl, kCAJUrl, const char*)
VX_TEXT_WRITER(WriteCAJNetUrl, kCAJNetUrl, const char*)
VX_WRITER(WriteJDBCPool, kJDBCPool)
VX_WRITER(WriteMLMacroPath, kMLMacroPath)
VX_WRITER(WriteMLIncPath, kMLIncPath)

#undef VX_WRITER
#undef VX_TEXT_WRITER
#undef VX_NUMBER_WRITER

int MSInfo::WriteDirective(FILE* fp, const char* directive, ParmList<NameValue>& list,
                           const char* trailer) {
    for (const auto* node = list.GetHeadNode(); node; node = node->next) {
        PadTo(fp, directive, kDirectiveWidth);
        PadTo(fp, node->data->name, kNameWidth);
        fputs(node->data->value, fp);
        if (trailer)
            fprintf(fp, " %s", trailer);
        fputc('\n', fp);
    }
    return 1;
}

int MSInfo::WriteISPass(FILE* fp) {
    return WriteDirective(fp, "Pass", ISPass, ISHost);
}
int MSInfo::WriteISCommonPass(FILE* fp) {
    return WriteDirective(fp, "Pass", ISCommonPass, nullptr);
}
int MSInfo::WriteISCommonExec(FILE* fp) {
    return WriteDirective(fp, "Exec", ISCommonExec, nullptr);
}
int MSInfo::WriteISCommonAddType(FILE* fp) {
    return WriteDirective(fp, "AddType", ISCommonAddType, nullptr);
}
int MSInfo::WriteISNESCommonPass(FILE* fp) {
    return WriteDirective(fp, "NameTrans fn=\"pfx2dir\"", ISNESCommonPass, nullptr);
}
