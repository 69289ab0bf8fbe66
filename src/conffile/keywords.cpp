// The keyword texts and the three keyword sets of the product releases.
#include "vxconfig/keywords.h"

const char s_pszSvcPfx[] = "SERVICE_NAME_PREFIX";
const char s_pszExec[] = "EXEC";
const char s_pszDBName[] = "DBNAME";
const char s_pszDBInst[] = "DBINST";
const char s_pszDBOwner[] = "DBOWNER";
const char s_pszDBPass[] = "DBPASS";
const char s_pszDBHost[] = "DB_HOST";
const char s_pszDBNode[] = "DB_NODE";
const char s_pszDBRemote[] = "DB_REMOTE";
const char s_pszProcesses[] = "PROCESSES";
const char s_pszMerKey[] = "MERCHANT_KEY";
const char s_pszCacheFilePath[] = "CACHE_FILE_PATH";
const char s_pszCacheEnabled[] = "CACHE_ENABLED";
const char s_pszMaxCachedFiles[] = "MAX_CACHED_FILES";
const char s_pszTemplatePath[] = "TEMPLATE_PATH";
const char s_pszOutboundPath[] = "OUTBOUND_PATH";
const char s_pszHtAdmin[] = "MS_HTADMIN";
const char s_pszMSHostName[] = "MS_HOSTNAME";
const char s_pszTransCount[] = "MS_TRANS_COUNT";
const char s_pszHtPass[] = "MS_HTPASS";
const char s_pszHtmlMax[] = "MS_HTML_MAX";
const char s_pszMSLogPath[] = "MS_LOGPATH";
const char s_pszLogLevel[] = "MS_LOGLEVEL";
const char s_pszDBRetryLimit[] = "DB_RETRY_LIMIT";
const char s_pszDBRetryIntvl[] = "DB_RETRY_INTERVAL";
const char s_pszDmnCache[] = "VX_DMN_CACHE";
const char s_pszDmnSynch[] = "VX_DMN_SYNCH";
const char s_pszDmnSleep[] = "VX_DMN_SLP_SEC";
const char s_pszMacroPath[] = "MACRO_PATH";
const char s_pszHtmlPath[] = "HTML_PATH";
const char s_pszCgiBinPath[] = "MS_CGIBIN_PATH";
const char s_pszNESSecure[] = "NES_SECURE";
const char s_pszNESNonsecure[] = "NES_NONSECURE";
const char s_pszGPPath[] = "GP_PATH";
const char s_pszTEditorPath[] = "VX_TEDITOR_PATH";
const char s_pszVXLang[] = "VX_LANG";
const char s_pszPVHostName[] = "PAYVANE_HOSTNAME";
const char s_pszPayStateTmout[] = "PAY_STATE_TIMEOUT";
const char s_pszPaysysCtrl[] = "PAYSYS_CONTROLLER";
const char s_pszWebServer[] = "VX_WEBSERVER";
const char s_pszEnableStaging[] = "VX_ENABLE_STAGING";
const char s_pszEnableCache[] = "VX_ENABLE_CACHE";
const char s_pszJdbcPort[] = "IC_JDBC_PORT";
const char s_pszDBMS[] = "IC_DBMS";
const char s_pszConfigPath[] = "CONFIG_PATH";
const char s_pszDefaults[] = "DEFAULTS";
const char s_pszInstPath[] = "INST_PATH";
const char s_pszLogPath[] = "LOG_PATH";
const char s_pszJdbcDriver[] = "IC_JDBC_DRIVER";
const char s_pszJdbcNetDriver[] = "IC_JDBC_NETDRIVER";
const char s_pszJdbcUrl[] = "IC_JDBC_URL";
const char s_pszJdbcNetUrl[] = "IC_JDBC_NETURL";
const char s_pszJdbcProtocol[] = "IC_JDBC_PROTOCOL";
const char s_pszJdbcPool[] = "IC_JDBC_POOL";
const char s_pszQXInbound[] = "VX_QX_INBOUND";
const char s_pszQXOutbound[] = "VX_QX_OUTBOUND";
const char s_pszQXInError[] = "VX_QX_INERROR";
const char s_pszQXQManager[] = "VX_QX_QMANAGER";
const char s_pszQXBridgeUserId[] = "VX_QX_BRIDGE_USERID";
const char s_pszDefMsgSize[] = "DEFAULT_MSG_SIZE";
const char s_pszMaxMsgSize[] = "MAX_MSG_SIZE";
const char s_pszEnvironment[] = "ENVIRONMENT";
const char s_pszBindFile[] = "BIND_FILE";
const char s_pszIncludePath[] = "INCLUDE_PATH";
const char s_pszExecPath[] = "EXEC_PATH";
const char s_pszReldaInstance[] = "RELDAINSTANCE";
const char s_pszReldaPath[] = "RELDAPATH";
const char s_pszBckCycleTime[] = "BACKGROUND_CYCLE_TIME";
const char s_pszBckInterJobTime[] = "BACKGROUND_INTER_JOB_TIME";
const char s_pszUserExitHostName[] = "USEREXIT_HOSTNAME";
const char s_pszUserExitSvcPfx[] = "USEREXIT_SERVICE_NAME_PREFIX";
const char s_pszPVExec[] = "PAYVANE_EXEC";
const char s_pszPVAdminPort[] = "PAYVANE_ADMIN_PORT";
const char s_pszPVPayPort[] = "PAYVANE_PAY_PORT";
const char s_pszPVErrorPort[] = "PAYVANE_ERROR_PORT";
const char s_pszPVSetPayPort[] = "PAYVANE_SET_PAY_PORT";
const char s_pszPVSetInqPort[] = "PAYVANE_SET_INQUIRY_PORT";
const char s_pszPVLogPath[] = "PAYVANE_LOG_PATH";
const char s_pszPVCertPath[] = "PAYVANE_CERT_PATH";
const char s_pszPVEnableTrace[] = "PAYVANE_ENABLE_TRACE";
const char s_pszCMSPass[] = "CMSPASS";
const char s_pszISExec[] = "Exec";
const char s_pszISMap[] = "Map";
const char s_pszISPass[] = "Pass";
const char s_pszISAddType[] = "AddType";
const char s_pszMSDBName[] = "MS_DBNAME";
const char s_pszMSDBInst[] = "MS_DBINST";
const char s_pszMSDBPass[] = "MS_DBPASS";
const char s_pszMSNumChild[] = "MS_NUM_CHILD";
const char s_pszMSPort[] = "MS_PORT";
const char s_pszWWWHtmlPath[] = "WWW_HTML_PATH";
const char s_pszWWWCgiBinPath[] = "WWW_CGIBIN_PATH";

namespace {

// The current release's set in slot order. Slot 10 (the server port) has no key of its own
// any more; slots 29 and 64 both read MACRO_PATH, in different files.
const char* const kCurrentSet[VX_KEYWORD_SLOTS] = {
    s_pszSvcPfx,
    s_pszExec,
    s_pszDBName,
    s_pszDBInst,
    s_pszDBOwner,
    s_pszDBPass,
    s_pszDBHost,
    s_pszDBNode,
    s_pszDBRemote,
    s_pszProcesses,
    nullptr,
    s_pszMerKey,
    s_pszCacheFilePath,
    s_pszCacheEnabled,
    s_pszMaxCachedFiles,
    s_pszTemplatePath,
    s_pszOutboundPath,
    s_pszHtAdmin,
    s_pszMSHostName,
    s_pszTransCount,
    s_pszHtPass,
    s_pszHtmlMax,
    s_pszMSLogPath,
    s_pszLogLevel,
    s_pszDBRetryLimit,
    s_pszDBRetryIntvl,
    s_pszDmnCache,
    s_pszDmnSynch,
    s_pszDmnSleep,
    s_pszMacroPath,
    s_pszHtmlPath,
    s_pszCgiBinPath,
    s_pszNESSecure,
    s_pszNESNonsecure,
    s_pszGPPath,
    s_pszTEditorPath,
    s_pszVXLang,
    s_pszPVHostName,
    s_pszPayStateTmout,
    s_pszPaysysCtrl,
    s_pszWebServer,
    s_pszEnableStaging,
    s_pszEnableCache,
    s_pszJdbcPort,
    s_pszDBMS,
    s_pszConfigPath,
    s_pszDefaults,
    s_pszInstPath,
    s_pszLogPath,
    s_pszJdbcDriver,
    s_pszJdbcNetDriver,
    s_pszJdbcUrl,
    s_pszJdbcNetUrl,
    s_pszJdbcProtocol,
    s_pszJdbcPool,
    s_pszQXInbound,
    s_pszQXOutbound,
    s_pszQXInError,
    s_pszQXQManager,
    s_pszQXBridgeUserId,
    s_pszDefMsgSize,
    s_pszMaxMsgSize,
    s_pszEnvironment,
    s_pszBindFile,
    s_pszMacroPath,
    s_pszIncludePath,
    s_pszExecPath,
    s_pszReldaInstance,
    s_pszReldaPath,
    s_pszBckCycleTime,
    s_pszBckInterJobTime,
    s_pszUserExitHostName,
    s_pszUserExitSvcPfx,
    s_pszPVExec,
    s_pszPVAdminPort,
    s_pszPVPayPort,
    s_pszPVErrorPort,
    s_pszPVSetPayPort,
    s_pszPVSetInqPort,
    s_pszPVLogPath,
    s_pszPVCertPath,
    s_pszPVEnableTrace,
    s_pszCMSPass,
    s_pszISExec,
    s_pszISMap,
    s_pszISPass,
    s_pszISAddType,
};

struct SlotText {
    int slot;
    const char* text;
};

// What the second release spelled differently.
const SlotText kRelease2[] = {
    {KW_DBNAME, s_pszMSDBName},      {KW_DBINST, s_pszMSDBInst}, {KW_DBPASS, s_pszMSDBPass},
    {KW_PROCESSES, s_pszMSNumChild}, {KW_MS_PORT, s_pszMSPort},  {KW_HTML_PATH, s_pszWWWHtmlPath},
};

// What the first release spelled differently from the second.
const SlotText kRelease1[] = {
    {KW_MS_CGIBIN_PATH, s_pszWWWCgiBinPath},
};

template <size_t N> void Override(VXKeyword& table, const SlotText (&changes)[N]) {
    for (const SlotText& change : changes)
        table.m_pszKeyword[change.slot] = change.text;
}

} // namespace

void VXKeyword::SetKeyword() {
    for (int slot = 0; slot < VX_KEYWORD_SLOTS; ++slot)
        m_pszKeyword[slot] = kCurrentSet[slot];
}

void VXKeyword::SetKeywordV2() {
    SetKeyword();
    Override(*this, kRelease2);
}

void VXKeyword::SetKeywordV1() {
    SetKeywordV2();
    Override(*this, kRelease1);
}
