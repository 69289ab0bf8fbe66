// The process-wide keyword table, the capture record and the five parameter tables that
// map configuration keys onto fields of the capture record.
#include "vxconfig/keywords.h"

// Zero-filled at load: no slot matches anything until a keyword set has been chosen.
VXKeyword s_keyword;
MSInfo s_msInfo;

namespace {

// A slot holding the empty text turns a row into a catch-all.
const char* s_pszCatchAll = "";

} // namespace

#define SLOT(n) (&s_keyword.m_pszKeyword[n])
#define TO(field) (static_cast<void*>(&s_msInfo.field))
#define LIST_SEP(c) (static_cast<unsigned int>(c))

ParmEntry s_tblMSCfg[] = {
    {SLOT(KW_SERVICE_NAME_PREFIX), PARM_STRING, TO(SvcPfx), 0},  // SERVICE_NAME_PREFIX
    {SLOT(KW_DBNAME), PARM_STRING, TO(DBName), 0},               // DBNAME
    {SLOT(KW_DBINST), PARM_STRING, TO(DBUser), 0},               // DBINST
    {SLOT(KW_DBOWNER), PARM_STRING, TO(DBOwner), 0},             // DBOWNER
    {SLOT(KW_DBPASS), PARM_STRING, TO(DBPswd), 0},               // DBPASS
    {SLOT(KW_DB_HOST), PARM_STRING, TO(DBHost), 0},              // DB_HOST
    {SLOT(KW_DB_NODE), PARM_STRING, TO(DBNode), 0},              // DB_NODE
    {SLOT(KW_DB_REMOTE), PARM_STRING, TO(DBRemote), 0},          // DB_REMOTE
    {SLOT(KW_PROCESSES), PARM_INT, TO(MSProc), 0},               // PROCESSES
    {SLOT(KW_MS_PORT), PARM_INT, TO(MSPort), 0},                 // MS_PORT of the older releases
    {SLOT(KW_MERCHANT_KEY), PARM_STRING, TO(MerKey), 0},         // MERCHANT_KEY
    {SLOT(KW_CACHE_ENABLED), PARM_STRING, TO(CacheEnabled), 0},  // CACHE_ENABLED
    {SLOT(KW_MAX_CACHED_FILES), PARM_INT, TO(MaxCacheFiles), 0}, // MAX_CACHED_FILES
    {SLOT(KW_MS_HTADMIN), PARM_STRING, TO(PswdAdm), 0},          // MS_HTADMIN
    {SLOT(KW_MS_HOSTNAME), PARM_STRING, TO(ISHost), 0},          // MS_HOSTNAME
    {SLOT(KW_MS_TRANS_COUNT), PARM_INT, TO(TransCnt), 0},        // MS_TRANS_COUNT
    {SLOT(KW_MS_HTPASS), PARM_STRING, TO(PswdFile), 0},          // MS_HTPASS
    {SLOT(KW_MS_HTML_MAX), PARM_INT, TO(HtmlMax), 0},            // MS_HTML_MAX
    {SLOT(KW_MS_LOGPATH), PARM_STRING, TO(VXLogPath), 0},        // MS_LOGPATH
    {SLOT(KW_MS_LOGLEVEL), PARM_INT, TO(LogLevel), 0},           // MS_LOGLEVEL
    {SLOT(KW_DB_RETRY_LIMIT), PARM_INT, TO(DBRetryLimit), 0},    // DB_RETRY_LIMIT
    {SLOT(KW_DB_RETRY_INTERVAL), PARM_INT, TO(DBRetryIntvl), 0}, // DB_RETRY_INTERVAL
    {SLOT(KW_VX_DMN_CACHE), PARM_INT, TO(VXDmnCache), 0},        // VX_DMN_CACHE
    {SLOT(KW_VX_DMN_SYNCH), PARM_INT, TO(VXDmnSynch), 0},        // VX_DMN_SYNCH
    {SLOT(KW_VX_DMN_SLP_SEC), PARM_INT, TO(VXDmnSleep), 0},      // VX_DMN_SLP_SEC
    {SLOT(KW_MACRO_PATH), PARM_STRING, TO(MacroPath), 0},        // MACRO_PATH
    {SLOT(KW_HTML_PATH), PARM_STRING, TO(DocRoot), 0},           // HTML_PATH
    {SLOT(KW_NES_SECURE), PARM_STRING, TO(NESSecure), 0},        // NES_SECURE
    {SLOT(KW_NES_NONSECURE), PARM_STRING, TO(NESNonsecure), 0},  // NES_NONSECURE
    {SLOT(KW_MS_CGIBIN_PATH), PARM_STRING, TO(CgiPath), 0},      // MS_CGIBIN_PATH
    {SLOT(KW_GP_PATH), PARM_STRING, TO(GPPath), 0},              // GP_PATH
    {SLOT(KW_VX_TEDITOR_PATH), PARM_STRLIST, TO(TEditorPath), LIST_SEP(';')}, // VX_TEDITOR_PATH
    {SLOT(KW_VX_LANG), PARM_STRING, TO(VXLang), 0},                           // VX_LANG
    {SLOT(KW_PAYVANE_HOSTNAME), PARM_STRING, TO(PVHost), 0},                  // PAYVANE_HOSTNAME
    {SLOT(KW_PAY_STATE_TIMEOUT), PARM_INT, TO(PVTmout), 0},                   // PAY_STATE_TIMEOUT
    {SLOT(KW_PAYSYS_CONTROLLER), PARM_BOOL, TO(PVCtrl), 0},                   // PAYSYS_CONTROLLER
    {SLOT(KW_VX_WEBSERVER), PARM_STRING, TO(ISTypeName), 0},                  // VX_WEBSERVER
    {SLOT(KW_VX_ENABLE_STAGING), PARM_BOOL, TO(Staging), 0},                  // VX_ENABLE_STAGING
    {SLOT(KW_CACHE_FILE_PATH), PARM_STRING, TO(CachePath), 0},                // CACHE_FILE_PATH
    {SLOT(KW_DEFAULTS), PARM_STRING, TO(DefsDir), 0},                         // DEFAULTS
    {SLOT(KW_INST_PATH), PARM_STRING, TO(RootPath), 0},                       // INST_PATH
    {SLOT(KW_CONFIG_PATH), PARM_STRING, TO(HtmlPath), 0},                     // CONFIG_PATH
    {SLOT(KW_IC_JDBC_PORT), PARM_INT, TO(CAPort), 0},                         // IC_JDBC_PORT
    {SLOT(KW_IC_DBMS), PARM_STRING, TO(DBTypeName), 0},                       // IC_DBMS
    {SLOT(KW_IC_JDBC_DRIVER), PARM_STRING, TO(CAJAppDrv), 0},                 // IC_JDBC_DRIVER
    {SLOT(KW_IC_JDBC_NETDRIVER), PARM_STRING, TO(CAJNetDrv), 0},              // IC_JDBC_NETDRIVER
    {SLOT(KW_IC_JDBC_URL), PARM_STRING, TO(CAJUrl), 0},                       // IC_JDBC_URL
    {SLOT(KW_IC_JDBC_NETURL), PARM_STRING, TO(CAJNetUrl), 0},                 // IC_JDBC_NETURL
    {SLOT(KW_IC_JDBC_PROTOCOL), PARM_STRING, TO(CAJProtocol), 0},             // IC_JDBC_PROTOCOL
    {nullptr, 0, nullptr, 0},
};

ParmEntry s_tblMLCfg[] = {
    {SLOT(KW_ENVIRONMENT), PARM_NVLIST, TO(MLEnv), PARM_NV_REST},           // ENVIRONMENT
    {SLOT(KW_ML_MACRO_PATH), PARM_STRLIST, TO(MLMacroPath), LIST_SEP(';')}, // MACRO_PATH
    {SLOT(KW_INCLUDE_PATH), PARM_STRLIST, TO(MLIncPath), LIST_SEP(';')},    // INCLUDE_PATH
    {SLOT(KW_BIND_FILE), PARM_STRING, nullptr, 0},                          // BIND_FILE
    {SLOT(KW_EXEC_PATH), PARM_STRING, nullptr, 0},                          // EXEC_PATH
    {SLOT(KW_RELDAINSTANCE), PARM_STRING, nullptr, 0},                      // RELDAINSTANCE
    {SLOT(KW_RELDAPATH), PARM_STRING, nullptr, 0},                          // RELDAPATH
    {&s_pszCatchAll, PARM_STRLIST, TO(MLMisc), 0},                          // every other line
    {nullptr, 0, nullptr, 0},
};

ParmEntry s_tblPBCfg[] = {
    {SLOT(KW_BACKGROUND_CYCLE_TIME), PARM_INT, TO(PVCycle), 0},     // BACKGROUND_CYCLE_TIME
    {SLOT(KW_BACKGROUND_INTER_JOB_TIME), PARM_INT, TO(PVIntvl), 0}, // BACKGROUND_INTER_JOB_TIME
    {SLOT(KW_PROCESSES), PARM_INT, TO(PBProc), 0}, // PROCESSES of the background daemon
    {nullptr, 0, nullptr, 0},
};

ParmEntry s_tblPVCfg[] = {
    {SLOT(KW_USEREXIT_HOSTNAME), PARM_STRING, TO(PVExitHost), 0}, // USEREXIT_HOSTNAME
    {SLOT(KW_USEREXIT_SERVICE_NAME_PREFIX), PARM_STRING, TO(PVExitSvcPfx),
     0},                                                             // USEREXIT_SERVICE_NAME_PREFIX
    {SLOT(KW_PAYVANE_EXEC), PARM_STRING, TO(PVExec), 0},             // PAYVANE_EXEC
    {SLOT(KW_PAYVANE_ADMIN_PORT), PARM_INT, TO(PVAdminPort), 0},     // PAYVANE_ADMIN_PORT
    {SLOT(KW_PAYVANE_PAY_PORT), PARM_INT, TO(PVPayPort), 0},         // PAYVANE_PAY_PORT
    {SLOT(KW_PAYVANE_ERROR_PORT), PARM_INT, TO(PVErrorPort), 0},     // PAYVANE_ERROR_PORT
    {SLOT(KW_PAYVANE_SET_PAY_PORT), PARM_INT, TO(PVSetPort), 0},     // PAYVANE_SET_PAY_PORT
    {SLOT(KW_PAYVANE_SET_INQUIRY_PORT), PARM_INT, TO(PVInqPort), 0}, // PAYVANE_SET_INQUIRY_PORT
    {SLOT(KW_PAYVANE_LOG_PATH), PARM_STRING, TO(PVLogPath), 0},      // PAYVANE_LOG_PATH
    {SLOT(KW_PAYVANE_CERT_PATH), PARM_STRING, TO(PVCertPath), 0},    // PAYVANE_CERT_PATH
    {SLOT(KW_PAYVANE_ENABLE_TRACE), PARM_BOOL, TO(PVTrace), 0},      // PAYVANE_ENABLE_TRACE
    {SLOT(KW_CMSPASS), PARM_STRING, TO(CMSPswd), 0},                 // CMSPASS
    {nullptr, 0, nullptr, 0},
};

// Host-specific rows first: a directive naming the instance's host goes to its own list,
// one without a third token to the common list, one naming another host nowhere.
ParmEntry s_tblISCfg[] = {
    {SLOT(KW_IS_PASS), PARM_NVLIST, TO(ISPass), PARM_NV_MATCH},            // Pass
    {SLOT(KW_IS_MAP), PARM_NVLIST, TO(ISMap), PARM_NV_MATCH},              // Map
    {SLOT(KW_IS_EXEC), PARM_NVLIST, TO(ISExec), PARM_NV_MATCH},            // Exec
    {SLOT(KW_IS_PASS), PARM_NVLIST, TO(ISCommonPass), PARM_NV_NOTHIRD},    // Pass
    {SLOT(KW_IS_MAP), PARM_NVLIST, TO(ISCommonMap), PARM_NV_NOTHIRD},      // Map
    {SLOT(KW_IS_EXEC), PARM_NVLIST, TO(ISCommonExec), PARM_NV_NOTHIRD},    // Exec
    {SLOT(KW_IS_ADDTYPE), PARM_NVLIST, TO(ISCommonAddType), PARM_NV_REST}, // AddType
    {nullptr, 0, nullptr, 0},
};
