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
    {SLOT(0), PARM_STRING, TO(SvcPfx), 0},                    // SERVICE_NAME_PREFIX
    {SLOT(2), PARM_STRING, TO(DBName), 0},                    // DBNAME
    {SLOT(3), PARM_STRING, TO(DBUser), 0},                    // DBINST
    {SLOT(4), PARM_STRING, TO(DBOwner), 0},                   // DBOWNER
    {SLOT(5), PARM_STRING, TO(DBPswd), 0},                    // DBPASS
    {SLOT(6), PARM_STRING, TO(DBHost), 0},                    // DB_HOST
    {SLOT(7), PARM_STRING, TO(DBNode), 0},                    // DB_NODE
    {SLOT(8), PARM_STRING, TO(DBRemote), 0},                  // DB_REMOTE
    {SLOT(9), PARM_INT, TO(MSProc), 0},                       // PROCESSES
    {SLOT(10), PARM_INT, TO(MSPort), 0},                      // MS_PORT of the older releases
    {SLOT(11), PARM_STRING, TO(MerKey), 0},                   // MERCHANT_KEY
    {SLOT(13), PARM_STRING, TO(CacheEnabled), 0},             // CACHE_ENABLED
    {SLOT(14), PARM_INT, TO(MaxCacheFiles), 0},               // MAX_CACHED_FILES
    {SLOT(17), PARM_STRING, TO(PswdAdm), 0},                  // MS_HTADMIN
    {SLOT(18), PARM_STRING, TO(ISHost), 0},                   // MS_HOSTNAME
    {SLOT(19), PARM_INT, TO(TransCnt), 0},                    // MS_TRANS_COUNT
    {SLOT(20), PARM_STRING, TO(PswdFile), 0},                 // MS_HTPASS
    {SLOT(21), PARM_INT, TO(HtmlMax), 0},                     // MS_HTML_MAX
    {SLOT(22), PARM_STRING, TO(VXLogPath), 0},                // MS_LOGPATH
    {SLOT(23), PARM_INT, TO(LogLevel), 0},                    // MS_LOGLEVEL
    {SLOT(24), PARM_INT, TO(DBRetryLimit), 0},                // DB_RETRY_LIMIT
    {SLOT(25), PARM_INT, TO(DBRetryIntvl), 0},                // DB_RETRY_INTERVAL
    {SLOT(26), PARM_INT, TO(VXDmnCache), 0},                  // VX_DMN_CACHE
    {SLOT(27), PARM_INT, TO(VXDmnSynch), 0},                  // VX_DMN_SYNCH
    {SLOT(28), PARM_INT, TO(VXDmnSleep), 0},                  // VX_DMN_SLP_SEC
    {SLOT(29), PARM_STRING, TO(MacroPath), 0},                // MACRO_PATH
    {SLOT(30), PARM_STRING, TO(DocRoot), 0},                  // HTML_PATH
    {SLOT(32), PARM_STRING, TO(NESSecure), 0},                // NES_SECURE
    {SLOT(33), PARM_STRING, TO(NESNonsecure), 0},             // NES_NONSECURE
    {SLOT(31), PARM_STRING, TO(CgiPath), 0},                  // MS_CGIBIN_PATH
    {SLOT(34), PARM_STRING, TO(GPPath), 0},                   // GP_PATH
    {SLOT(35), PARM_STRLIST, TO(TEditorPath), LIST_SEP(';')}, // VX_TEDITOR_PATH
    {SLOT(36), PARM_STRING, TO(VXLang), 0},                   // VX_LANG
    {SLOT(37), PARM_STRING, TO(PVHost), 0},                   // PAYVANE_HOSTNAME
    {SLOT(38), PARM_INT, TO(PVTmout), 0},                     // PAY_STATE_TIMEOUT
    {SLOT(39), PARM_BOOL, TO(PVCtrl), 0},                     // PAYSYS_CONTROLLER
    {SLOT(40), PARM_STRING, TO(ISTypeName), 0},               // VX_WEBSERVER
    {SLOT(41), PARM_BOOL, TO(Staging), 0},                    // VX_ENABLE_STAGING
    {SLOT(12), PARM_STRING, TO(CachePath), 0},                // CACHE_FILE_PATH
    {SLOT(46), PARM_STRING, TO(DefsDir), 0},                  // DEFAULTS
    {SLOT(47), PARM_STRING, TO(RootPath), 0},                 // INST_PATH
    {SLOT(45), PARM_STRING, TO(HtmlPath), 0},                 // CONFIG_PATH
    {SLOT(43), PARM_INT, TO(CAPort), 0},                      // IC_JDBC_PORT
    {SLOT(44), PARM_STRING, TO(DBTypeName), 0},               // IC_DBMS
    {SLOT(49), PARM_STRING, TO(CAJAppDrv), 0},                // IC_JDBC_DRIVER
    {SLOT(50), PARM_STRING, TO(CAJNetDrv), 0},                // IC_JDBC_NETDRIVER
    {SLOT(51), PARM_STRING, TO(CAJUrl), 0},                   // IC_JDBC_URL
    {SLOT(52), PARM_STRING, TO(CAJNetUrl), 0},                // IC_JDBC_NETURL
    {SLOT(53), PARM_STRING, TO(CAJProtocol), 0},              // IC_JDBC_PROTOCOL
    {nullptr, 0, nullptr, 0},
};

ParmEntry s_tblMLCfg[] = {
    {SLOT(62), PARM_NVLIST, TO(MLEnv), PARM_NV_REST},         // ENVIRONMENT
    {SLOT(64), PARM_STRLIST, TO(MLMacroPath), LIST_SEP(';')}, // MACRO_PATH
    {SLOT(65), PARM_STRLIST, TO(MLIncPath), LIST_SEP(';')},   // INCLUDE_PATH
    {SLOT(63), PARM_STRING, nullptr, 0},                      // BIND_FILE
    {SLOT(66), PARM_STRING, nullptr, 0},                      // EXEC_PATH
    {SLOT(67), PARM_STRING, nullptr, 0},                      // RELDAINSTANCE
    {SLOT(68), PARM_STRING, nullptr, 0},                      // RELDAPATH
    {&s_pszCatchAll, PARM_STRLIST, TO(MLMisc), 0},            // every other line
    {nullptr, 0, nullptr, 0},
};

ParmEntry s_tblPBCfg[] = {
    {SLOT(69), PARM_INT, TO(PVCycle), 0}, // BACKGROUND_CYCLE_TIME
    {SLOT(70), PARM_INT, TO(PVIntvl), 0}, // BACKGROUND_INTER_JOB_TIME
    {SLOT(9), PARM_INT, TO(PBProc), 0},   // PROCESSES of the background daemon
    {nullptr, 0, nullptr, 0},
};

ParmEntry s_tblPVCfg[] = {
    {SLOT(71), PARM_STRING, TO(PVExitHost), 0},   // USEREXIT_HOSTNAME
    {SLOT(72), PARM_STRING, TO(PVExitSvcPfx), 0}, // USEREXIT_SERVICE_NAME_PREFIX
    {SLOT(73), PARM_STRING, TO(PVExec), 0},       // PAYVANE_EXEC
    {SLOT(74), PARM_INT, TO(PVAdminPort), 0},     // PAYVANE_ADMIN_PORT
    {SLOT(75), PARM_INT, TO(PVPayPort), 0},       // PAYVANE_PAY_PORT
    {SLOT(76), PARM_INT, TO(PVErrorPort), 0},     // PAYVANE_ERROR_PORT
    {SLOT(77), PARM_INT, TO(PVSetPort), 0},       // PAYVANE_SET_PAY_PORT
    {SLOT(78), PARM_INT, TO(PVInqPort), 0},       // PAYVANE_SET_INQUIRY_PORT
    {SLOT(79), PARM_STRING, TO(PVLogPath), 0},    // PAYVANE_LOG_PATH
    {SLOT(80), PARM_STRING, TO(PVCertPath), 0},   // PAYVANE_CERT_PATH
    {SLOT(81), PARM_BOOL, TO(PVTrace), 0},        // PAYVANE_ENABLE_TRACE
    {SLOT(82), PARM_STRING, TO(CMSPswd), 0},      // CMSPASS
    {nullptr, 0, nullptr, 0},
};

// Host-specific rows first: a directive naming the instance's host goes to its own list,
// one without a third token to the common list, one naming another host nowhere.
ParmEntry s_tblISCfg[] = {
    {SLOT(85), PARM_NVLIST, TO(ISPass), PARM_NV_MATCH},         // Pass
    {SLOT(84), PARM_NVLIST, TO(ISMap), PARM_NV_MATCH},          // Map
    {SLOT(83), PARM_NVLIST, TO(ISExec), PARM_NV_MATCH},         // Exec
    {SLOT(85), PARM_NVLIST, TO(ISCommonPass), PARM_NV_NOTHIRD}, // Pass
    {SLOT(84), PARM_NVLIST, TO(ISCommonMap), PARM_NV_NOTHIRD},  // Map
    {SLOT(83), PARM_NVLIST, TO(ISCommonExec), PARM_NV_NOTHIRD}, // Exec
    {SLOT(86), PARM_NVLIST, TO(ISCommonAddType), PARM_NV_REST}, // AddType
    {nullptr, 0, nullptr, 0},
};
