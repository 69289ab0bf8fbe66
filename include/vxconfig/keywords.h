// The keyword table, the parameter tables and the reader of keyword/value configuration files
// and of the product block in the Orvell HTTP server configuration.
#ifndef VXCONFIG_KEYWORDS_H
#define VXCONFIG_KEYWORDS_H

#include "vxconfig/msinfo.h"

// Slots of the keyword table by what the current release keeps in them (slot 10 holds the
// server port key only in the older releases; slot 64 is the web macro file's MACRO_PATH,
// slots 83 to 86 the web server's directives).
enum VXKeywordSlot {
    KW_SERVICE_NAME_PREFIX = 0,
    KW_EXEC = 1,
    KW_DBNAME = 2,
    KW_DBINST = 3,
    KW_DBOWNER = 4,
    KW_DBPASS = 5,
    KW_DB_HOST = 6,
    KW_DB_NODE = 7,
    KW_DB_REMOTE = 8,
    KW_PROCESSES = 9,
    KW_MS_PORT = 10,
    KW_MERCHANT_KEY = 11,
    KW_CACHE_FILE_PATH = 12,
    KW_CACHE_ENABLED = 13,
    KW_MAX_CACHED_FILES = 14,
    KW_TEMPLATE_PATH = 15,
    KW_OUTBOUND_PATH = 16,
    KW_MS_HTADMIN = 17,
    KW_MS_HOSTNAME = 18,
    KW_MS_TRANS_COUNT = 19,
    KW_MS_HTPASS = 20,
    KW_MS_HTML_MAX = 21,
    KW_MS_LOGPATH = 22,
    KW_MS_LOGLEVEL = 23,
    KW_DB_RETRY_LIMIT = 24,
    KW_DB_RETRY_INTERVAL = 25,
    KW_VX_DMN_CACHE = 26,
    KW_VX_DMN_SYNCH = 27,
    KW_VX_DMN_SLP_SEC = 28,
    KW_MACRO_PATH = 29,
    KW_HTML_PATH = 30,
    KW_MS_CGIBIN_PATH = 31,
    KW_NES_SECURE = 32,
    KW_NES_NONSECURE = 33,
    KW_GP_PATH = 34,
    KW_VX_TEDITOR_PATH = 35,
    KW_VX_LANG = 36,
    KW_PAYVANE_HOSTNAME = 37,
    KW_PAY_STATE_TIMEOUT = 38,
    KW_PAYSYS_CONTROLLER = 39,
    KW_VX_WEBSERVER = 40,
    KW_VX_ENABLE_STAGING = 41,
    KW_VX_ENABLE_CACHE = 42,
    KW_IC_JDBC_PORT = 43,
    KW_IC_DBMS = 44,
    KW_CONFIG_PATH = 45,
    KW_DEFAULTS = 46,
    KW_INST_PATH = 47,
    KW_LOG_PATH = 48,
    KW_IC_JDBC_DRIVER = 49,
    KW_IC_JDBC_NETDRIVER = 50,
    KW_IC_JDBC_URL = 51,
    KW_IC_JDBC_NETURL = 52,
    KW_IC_JDBC_PROTOCOL = 53,
    KW_IC_JDBC_POOL = 54,
    KW_VX_QX_INBOUND = 55,
    KW_VX_QX_OUTBOUND = 56,
    KW_VX_QX_INERROR = 57,
    KW_VX_QX_QMANAGER = 58,
    KW_VX_QX_BRIDGE_USERID = 59,
    KW_DEFAULT_MSG_SIZE = 60,
    KW_MAX_MSG_SIZE = 61,
    KW_ENVIRONMENT = 62,
    KW_BIND_FILE = 63,
    KW_ML_MACRO_PATH = 64,
    KW_INCLUDE_PATH = 65,
    KW_EXEC_PATH = 66,
    KW_RELDAINSTANCE = 67,
    KW_RELDAPATH = 68,
    KW_BACKGROUND_CYCLE_TIME = 69,
    KW_BACKGROUND_INTER_JOB_TIME = 70,
    KW_USEREXIT_HOSTNAME = 71,
    KW_USEREXIT_SERVICE_NAME_PREFIX = 72,
    KW_PAYVANE_EXEC = 73,
    KW_PAYVANE_ADMIN_PORT = 74,
    KW_PAYVANE_PAY_PORT = 75,
    KW_PAYVANE_ERROR_PORT = 76,
    KW_PAYVANE_SET_PAY_PORT = 77,
    KW_PAYVANE_SET_INQUIRY_PORT = 78,
    KW_PAYVANE_LOG_PATH = 79,
    KW_PAYVANE_CERT_PATH = 80,
    KW_PAYVANE_ENABLE_TRACE = 81,
    KW_CMSPASS = 82,
    KW_IS_EXEC = 83,
    KW_IS_MAP = 84,
    KW_IS_PASS = 85,
    KW_IS_ADDTYPE = 86,
    VX_KEYWORD_SLOTS
};

// Keyword texts, shared by the readers and the writers of the configuration files so that a
// key is spelled the same on both sides.
extern VX_API const char s_pszSvcPfx[];           // SERVICE_NAME_PREFIX
extern VX_API const char s_pszExec[];             // EXEC
extern VX_API const char s_pszDBName[];           // DBNAME
extern VX_API const char s_pszDBInst[];           // DBINST
extern VX_API const char s_pszDBOwner[];          // DBOWNER
extern VX_API const char s_pszDBPass[];           // DBPASS
extern VX_API const char s_pszDBHost[];           // DB_HOST
extern VX_API const char s_pszDBNode[];           // DB_NODE
extern VX_API const char s_pszDBRemote[];         // DB_REMOTE
extern VX_API const char s_pszProcesses[];        // PROCESSES
extern VX_API const char s_pszMerKey[];           // MERCHANT_KEY
extern VX_API const char s_pszCacheFilePath[];    // CACHE_FILE_PATH
extern VX_API const char s_pszCacheEnabled[];     // CACHE_ENABLED
extern VX_API const char s_pszMaxCachedFiles[];   // MAX_CACHED_FILES
extern VX_API const char s_pszTemplatePath[];     // TEMPLATE_PATH
extern VX_API const char s_pszOutboundPath[];     // OUTBOUND_PATH
extern VX_API const char s_pszHtAdmin[];          // MS_HTADMIN
extern VX_API const char s_pszMSHostName[];       // MS_HOSTNAME
extern VX_API const char s_pszTransCount[];       // MS_TRANS_COUNT
extern VX_API const char s_pszHtPass[];           // MS_HTPASS
extern VX_API const char s_pszHtmlMax[];          // MS_HTML_MAX
extern VX_API const char s_pszMSLogPath[];        // MS_LOGPATH
extern VX_API const char s_pszLogLevel[];         // MS_LOGLEVEL
extern VX_API const char s_pszDBRetryLimit[];     // DB_RETRY_LIMIT
extern VX_API const char s_pszDBRetryIntvl[];     // DB_RETRY_INTERVAL
extern VX_API const char s_pszDmnCache[];         // VX_DMN_CACHE
extern VX_API const char s_pszDmnSynch[];         // VX_DMN_SYNCH
extern VX_API const char s_pszDmnSleep[];         // VX_DMN_SLP_SEC
extern VX_API const char s_pszMacroPath[];        // MACRO_PATH
extern VX_API const char s_pszHtmlPath[];         // HTML_PATH
extern VX_API const char s_pszCgiBinPath[];       // MS_CGIBIN_PATH
extern VX_API const char s_pszNESSecure[];        // NES_SECURE
extern VX_API const char s_pszNESNonsecure[];     // NES_NONSECURE
extern VX_API const char s_pszGPPath[];           // GP_PATH
extern VX_API const char s_pszTEditorPath[];      // VX_TEDITOR_PATH
extern VX_API const char s_pszVXLang[];           // VX_LANG
extern VX_API const char s_pszPVHostName[];       // PAYVANE_HOSTNAME
extern VX_API const char s_pszPayStateTmout[];    // PAY_STATE_TIMEOUT
extern VX_API const char s_pszPaysysCtrl[];       // PAYSYS_CONTROLLER
extern VX_API const char s_pszWebServer[];        // VX_WEBSERVER
extern VX_API const char s_pszEnableStaging[];    // VX_ENABLE_STAGING
extern VX_API const char s_pszEnableCache[];      // VX_ENABLE_CACHE
extern VX_API const char s_pszJdbcPort[];         // IC_JDBC_PORT
extern VX_API const char s_pszDBMS[];             // IC_DBMS
extern VX_API const char s_pszConfigPath[];       // CONFIG_PATH
extern VX_API const char s_pszDefaults[];         // DEFAULTS
extern VX_API const char s_pszInstPath[];         // INST_PATH
extern VX_API const char s_pszLogPath[];          // LOG_PATH
extern VX_API const char s_pszJdbcDriver[];       // IC_JDBC_DRIVER
extern VX_API const char s_pszJdbcNetDriver[];    // IC_JDBC_NETDRIVER
extern VX_API const char s_pszJdbcUrl[];          // IC_JDBC_URL
extern VX_API const char s_pszJdbcNetUrl[];       // IC_JDBC_NETURL
extern VX_API const char s_pszJdbcProtocol[];     // IC_JDBC_PROTOCOL
extern VX_API const char s_pszJdbcPool[];         // IC_JDBC_POOL
extern VX_API const char s_pszQXInbound[];        // VX_QX_INBOUND
extern VX_API const char s_pszQXOutbound[];       // VX_QX_OUTBOUND
extern VX_API const char s_pszQXInError[];        // VX_QX_INERROR
extern VX_API const char s_pszQXQManager[];       // VX_QX_QMANAGER
extern VX_API const char s_pszQXBridgeUserId[];   // VX_QX_BRIDGE_USERID
extern VX_API const char s_pszDefMsgSize[];       // DEFAULT_MSG_SIZE
extern VX_API const char s_pszMaxMsgSize[];       // MAX_MSG_SIZE
extern VX_API const char s_pszEnvironment[];      // ENVIRONMENT
extern VX_API const char s_pszBindFile[];         // BIND_FILE
extern VX_API const char s_pszIncludePath[];      // INCLUDE_PATH
extern VX_API const char s_pszExecPath[];         // EXEC_PATH
extern VX_API const char s_pszReldaInstance[];    // RELDAINSTANCE
extern VX_API const char s_pszReldaPath[];        // RELDAPATH
extern VX_API const char s_pszBckCycleTime[];     // BACKGROUND_CYCLE_TIME
extern VX_API const char s_pszBckInterJobTime[];  // BACKGROUND_INTER_JOB_TIME
extern VX_API const char s_pszUserExitHostName[]; // USEREXIT_HOSTNAME
extern VX_API const char s_pszUserExitSvcPfx[];   // USEREXIT_SERVICE_NAME_PREFIX
extern VX_API const char s_pszPVExec[];           // PAYVANE_EXEC
extern VX_API const char s_pszPVAdminPort[];      // PAYVANE_ADMIN_PORT
extern VX_API const char s_pszPVPayPort[];        // PAYVANE_PAY_PORT
extern VX_API const char s_pszPVErrorPort[];      // PAYVANE_ERROR_PORT
extern VX_API const char s_pszPVSetPayPort[];     // PAYVANE_SET_PAY_PORT
extern VX_API const char s_pszPVSetInqPort[];     // PAYVANE_SET_INQUIRY_PORT
extern VX_API const char s_pszPVLogPath[];        // PAYVANE_LOG_PATH
extern VX_API const char s_pszPVCertPath[];       // PAYVANE_CERT_PATH
extern VX_API const char s_pszPVEnableTrace[];    // PAYVANE_ENABLE_TRACE
extern VX_API const char s_pszCMSPass[];          // CMSPASS
extern VX_API const char s_pszISExec[];           // Exec
extern VX_API const char s_pszISMap[];            // Map
extern VX_API const char s_pszISPass[];           // Pass
extern VX_API const char s_pszISAddType[];        // AddType
// Spellings of the earlier releases.
extern VX_API const char s_pszMSDBName[];      // MS_DBNAME
extern VX_API const char s_pszMSDBInst[];      // MS_DBINST
extern VX_API const char s_pszMSDBPass[];      // MS_DBPASS
extern VX_API const char s_pszMSNumChild[];    // MS_NUM_CHILD
extern VX_API const char s_pszMSPort[];        // MS_PORT
extern VX_API const char s_pszWWWHtmlPath[];   // WWW_HTML_PATH
extern VX_API const char s_pszWWWCgiBinPath[]; // WWW_CGIBIN_PATH

// The keyword table: slot k holds the text that the parameter rows naming slot k match, or
// null (a null slot matches no line). Aggregate, so the process-wide table is zero-filled
// before any code runs.
class VX_API VXKeyword {
public:
    // The current release's keywords.
    void SetKeyword();
    // The second release: the current set with six slots spelled the old way.
    void SetKeywordV2();
    // The first release: the second release's set with its own CGI directory key.
    void SetKeywordV1();

    const char* m_pszKeyword[VX_KEYWORD_SLOTS];
};

// Value types of a parameter row.
enum {
    PARM_INT = 0,
    PARM_BOOL = 1,
    PARM_STRING = 2,
    PARM_STRLIST = 3,
    PARM_NVLIST = 4,
};

// Flags of a name/value row.
enum {
    PARM_NV_REST = 1,    // the value is the whole rest of the line
    PARM_NV_MATCH = 2,   // a third token must be present and equal the match text
    PARM_NV_NOTHIRD = 4, // a third token must not be present
};

// One row of a parameter table. The keyword is looked up through its slot when a line is
// read, so one table serves every release's keyword set. A null keyword ends a table.
struct ParmEntry {
    const char** keyword;
    int type;
    // int (types 0 and 1), ICString (2), ParmList<ICString> (3), ParmList<NameValue> (4);
    // null: the line is recognised and dropped.
    void* target;
    // Type 3: the low byte is the list separator (0: nothing is stored). Type 4: PARM_NV_*.
    unsigned int flags;
};

// The process-wide keyword table and capture record every parameter table points into.
extern VX_API VXKeyword s_keyword;
extern VX_API MSInfo s_msInfo;

// The parameter tables, each ended by an all-zero row: the main instance configuration file,
// the web macro processor file, the payment background daemon's file, the payment server
// daemon's file and the product block of the Orvell HTTP server configuration.
extern VX_API ParmEntry s_tblMSCfg[];
extern VX_API ParmEntry s_tblMLCfg[];
extern VX_API ParmEntry s_tblPBCfg[];
extern VX_API ParmEntry s_tblPVCfg[];
extern VX_API ParmEntry s_tblISCfg[];

// 1 when row consumed line (the caller then stops offering it), 0 when it did not.
VX_API int GetParm(ParmEntry& row, const char* line, const char* match);
// Adds the pieces of value to the row's string list; returns row.
VX_API ParmEntry& GetStrList(ParmEntry& row, char* value);
// 1 when the directive in value was accepted and stored, 0 when rejected.
VX_API int GetNVList(ParmEntry& row, char* value, const char* match);
// 1 when the file was read, 0 when path is null or the file cannot be opened. The match text
// is the capture record's web server host name.
VX_API int ParseFile(const char* path, ParmEntry* table);
// Reads only the product block of a web server configuration file.
VX_API int ParseISFile(const char* path, ParmEntry* table, const char* match);

#endif
