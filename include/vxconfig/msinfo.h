// MSInfo: the record of one server instance, with its validating setters. Every field has its
// row in the field table (msfields.h), which gives its initial value.
#ifndef VXCONFIG_MSINFO_H
#define VXCONFIG_MSINFO_H

#include <cstdio>

#include "vxconfig/parmlist.h"

// Web server type, stored as its integer value.
enum eISType : int { IS_WHARF = 0, IS_NETSCAPE = 1, IS_BRINDLE = 2 };
// Database type, stored as its integer value.
enum eDBType : int { DB_RELDA = 0, DB_ORACLE = 1 };

// MSOption bits.
enum {
    MS_OPT_STAGING = 0x1,
    MS_OPT_START_PKG = 0x2,
    MS_OPT_DB_CLIENT = 0x4,
    MS_OPT_CACHE_WS = 0x8,
    MS_OPT_PV_TRACE = 0x10,
    MS_OPT_MIGRATED = 0x20,
    MS_OPT_PAYVANE = 0x40,
    MS_OPT_HOSTING = 0x80,
    MS_OPT_CACHE_ON = 0x100,
    MS_OPT_CACHE_OFF = 0x200,
    MS_OPT_DB_REMOTE = 0x400,
};

// The port no instance may use.
#define MS_RESERVED_PORT 16560

class VX_API MSInfo {
public:
    MSInfo();
    MSInfo(const MSInfo& other) = default;
    ~MSInfo();
    MSInfo& operator=(const MSInfo& other) = default;

    // Setters: 1 when the value was accepted and stored, 0 with the field unchanged.
    int SetName(const char* name);
    int SetMerKey(const char* key);
    int SetRootPath(const char* path);
    int SetConfigPath(const char* path);
    int SetCachePath(const char* path);
    int SetVXLogPath(const char* path);
    int SetDefsDir(const char* path);
    int SetMacroPath(const char* path);
    int SetCgiPath(const char* path);
    int SetHtmlPath(const char* path);
    int SetDocRoot(const char* path);
    int SetNESSecure(const char* dir);
    int SetNESNonsecure(const char* dir);
    int SetIPAddr(const char* addr);
    int SetISHost(const char* host);
    int SetDBHost(const char* host);
    int SetPVHost(const char* host);
    int SetDBNode(const char* node);
    int SetDBName(const char* name);
    int SetDBUser(const char* user);
    int SetDBOwner(const char* owner);
    int SetISType(eISType type);
    int SetDBType(eDBType type);
    int SetMSProc(int count);
    int SetMSPort(int port);
    int SetPVCycle(int seconds);
    int SetPVIntvl(int seconds);
    int SetPVTmout(int seconds);
    int SetMaxCacheFiles(int count);
    int SetMSOption(int mask, int bits);
    int SetTotalProcesses(int count);

    // Passwords are held only in their stored form.
    int SetDBPswd(const char* password) { return SetDBPswdInternal(DBPswd, password); }
    int GetDBPswd(ICString& out) const { return GetPswdInternal(DBPswd, out); }
    int SetCMSPswd(const char* password) { return SetPswdInternal(CMSPswd, password); }
    int GetCMSPswd(ICString& out) const { return GetPswdInternal(CMSPswd, out); }

    int CheckMerKey(const char* key) const;
    int GetMerKey(ICString& out) const;
    int SetPswdInternal(ICString& field, const char* password);
    int SetDBPswdInternal(ICString& field, const char* password);
    int CheckDBPswd(const char* password, ICString& owner);
    int GetPswdInternal(const ICString& field, ICString& out) const;

    static int CheckName(const char* name);
    static int CheckPath(const char* path);
    static int CheckNESServer(const char* dir);
    static int CheckIPAddr(const char* addr);
    static int CheckHost(const char* host);
    static int CheckDBNodeName(const char* node);
    static int CheckDBName(const char* name);
    static int CheckDBUser(const char* user);
    static int CheckDBOwner(const char* owner);
    static void PurifyPathStr(ICString& path);
    // 1 when every text of the record that reaches commands, scripts or file names is a safe
    // value of its kind (see safevalue.h); else 0 with the field named in SysGetLastReason.
    // For records that did not pass the setters: loaded from the data file or captured.
    int CheckValues() const;

    // Server services of this instance registered in the services file.
    int GetTotalProcesses() const;
    // 1 when every port of first .. first + count - 1 is usable and not registered.
    int TestPort(int first, int count) const;
    MSInfo& SetISNESCommonPass(const char* from, const char* dir);

    // The writers of the configuration files' keyword lines: each writes one "KEY value" line
    // to fp (or nothing where its key is omitted) and returns 1. "Field" means this record's
    // own field; where a writer takes a value, it is written when the field is unset (or
    // always, for keys that have no field).
    static ICString StrListToString(const ParmList<ICString>& list);
    int WriteSvcPfx(FILE* fp, const char* value);
    int WriteExecPath(FILE* fp, const char* value);
    int WriteISHost(FILE* fp);
    int WriteDBName(FILE* fp);
    int WriteDBUser(FILE* fp);
    int WriteDBOwner(FILE* fp);
    int WriteDBPswd(FILE* fp);
    int WriteDBHost(FILE* fp);
    int WriteDBNode(FILE* fp);
    int WriteDBRemote(FILE* fp);
    int WriteMSProc(FILE* fp);
    int WritePVProc(FILE* fp);
    int WritePBProc(FILE* fp, int value);
    int WriteMerKey(FILE* fp);
    int WritePDIEncrypt(FILE* fp, const char* value);
    int WriteOutboundPath(FILE* fp, const char* value);
    int WriteMpgPath(FILE* fp, const char* value);
    int WriteMToolBase(FILE* fp, const char* value);
    int WriteMToolLocked(FILE* fp, const char* value);
    int WriteMToolAffiliate(FILE* fp, const char* value);
    int WriteMerchantSource(FILE* fp, const char* value);
    int WriteMToolErrorLog(FILE* fp, const char* value);
    int WriteMToolGallery(FILE* fp, const char* value);
    int WriteJREPath(FILE* fp, const char* value);
    int WriteVXClsPath(FILE* fp, const char* value);
    int WriteErrNotification(FILE* fp, const char* value);
    int WriteOrderNotification(FILE* fp, const char* value);
    int WriteAdminErrMsgTemplate(FILE* fp, const char* value);
    int WriteTemplatePath(FILE* fp, const char* value);
    int WriteLogPath(FILE* fp, const char* value);
    int WriteCacheFilePath(FILE* fp, const char* value);
    int WriteRootPath(FILE* fp, const char* value);
    int WritePerfHost(FILE* fp, const char* value);
    int WritePerfServerBin(FILE* fp, const char* value);
    int WriteMToolNumCon(FILE* fp, int value);
    int WriteMToolMaxWait(FILE* fp, int value);
    int WriteUserTrafficLog(FILE* fp, int value);
    int WriteTransCnt(FILE* fp, int value);
    int WriteHtmlMax(FILE* fp, int value);
    int WriteLogLevel(FILE* fp, int value);
    int WriteDBRetryLimit(FILE* fp, int value);
    int WriteDBRetryIntvl(FILE* fp, int value);
    int WriteVXDmnCache(FILE* fp, int value);
    int WriteVXDmnSynch(FILE* fp, int value);
    int WriteVXDmnSleep(FILE* fp, int value);
    int WriteBckCycleTime(FILE* fp, int value);
    int WriteBckInterJobTime(FILE* fp, int value);
    int WriteMacroPath(FILE* fp);
    int WriteCgiPath(FILE* fp);
    int WriteDefsDir(FILE* fp);
    int WriteHtmlPath(FILE* fp);
    int WriteConfigPath(FILE* fp);
    int WriteGPPath(FILE* fp, const char* value);
    int WriteVXLang(FILE* fp, const char* value);
    int WritePVHost(FILE* fp, const char* value);
    int WritePVExitHost(FILE* fp, const char* value);
    int WritePVExitSvcPfx(FILE* fp, const char* value);
    int WritePVExec(FILE* fp, const char* value);
    int WritePVLogPath(FILE* fp, const char* value);
    int WritePVCertPath(FILE* fp, const char* value);
    int WriteTEditorPath(FILE* fp);
    int WriteISType(FILE* fp);
    int WriteStaging(FILE* fp);
    int WriteVXCache(FILE* fp);
    int WriteMaxCachedFiles(FILE* fp);
    int WriteDBType(FILE* fp);
    // The three payment times: a negative value other than -2 (omitted) is first replaced by
    // its default in the record.
    int WritePVTmout(FILE* fp);
    int WritePVCycle(FILE* fp);
    int WritePVIntvl(FILE* fp);
    int WritePVCtrl(FILE* fp);
    int WritePVAdminPort(FILE* fp);
    int WritePVPayPort(FILE* fp);
    int WritePVErrorPort(FILE* fp);
    int WritePVSetPort(FILE* fp);
    int WritePVInqPort(FILE* fp);
    int WritePVTrace(FILE* fp);
    int WriteCMSPswd(FILE* fp);
    int WriteQXInBound(FILE* fp, char* value);
    int WriteQXOutBound(FILE* fp, char* value);
    int WriteQXError(FILE* fp, char* value);
    int WriteQXManager(FILE* fp, char* value);
    int WriteQXBridgeID(FILE* fp, char* value);
    int WriteDefMSGSize(FILE* fp);
    int WriteMaxMSGSize(FILE* fp);
    int WriteSchedInterJobTime(FILE* fp);
    int WritePerfServerAuto(FILE* fp);
    int WriteCAJAppDrv(FILE* fp, const char* value);
    int WriteCAJNetDrv(FILE* fp, const char* value);
    int WriteCAJUrl(FILE* fp, const char* value);
    int WriteCAJNetUrl(FILE* fp, const char* value);
    int WriteJDBCPool(FILE* fp);
    int WriteMLMacroPath(FILE* fp);
    int WriteMLIncPath(FILE* fp);
    // Web server directives: per pair one line, the directive padded with blanks to column 8
    // (at least one), the name padded to 16 characters (at least one), the value, and " " and
    // the trailer when it is not null. Returns 1.
    int WriteDirective(FILE* fp, const char* directive, ParmList<NameValue>& list,
                       const char* trailer);
    int WriteISPass(FILE* fp);
    int WriteISCommonPass(FILE* fp);
    int WriteISCommonExec(FILE* fp);
    int WriteISCommonAddType(FILE* fp);
    int WriteISNESCommonPass(FILE* fp);

    // The instance data file's record (see datafile.h).
    int StoreISType(eISType type, FILE* fp) const;
    int StoreDBType(eDBType type, FILE* fp) const;
    int LoadISType(eISType& type, FILE* fp);
    int LoadDBType(eDBType& type, FILE* fp);
    int Store(FILE* fp) const;
    int Load(FILE* fp, int version);
    int Store(const char* path) const;
    int Load(const char* path);

    ICString Name;
    ICString MerKey;
    ICString RootPath;
    ICString VXLogPath;
    ICString ConfigPath;
    ICString DefsDir;
    ICString MacroPath;
    ICString CgiPath;
    ICString HtmlPath;
    ICString DocRoot;
    ICString NESSecure;
    ICString NESNonsecure;
    ICString IPAddr;
    ICString ISHost;
    ICString DBName;
    ICString DBUser;
    ICString DBOwner;
    ICString DBPswd;
    ICString DBHost;
    ICString DBRemote;
    ICString DBNode;
    ICString DBService;
    ICString PVHost;
    ICString CMSPswd;
    eISType ISType;
    eDBType DBType;
    int MSProc;
    int MSPort;
    int AuxPort;
    int MSOption;
    int PVCycle;
    int PVIntvl;
    int PVTmout;
    ICString PswdAdm;
    ICString PswdFile;
    ICString SvcPfx;
    ICString CachePath;
    ICString CacheEnabled;
    int MaxCacheFiles;
    int PVAdminPort;
    int PVPayPort;
    int PVErrorPort;
    int PVSetPort;
    int PVInqPort;
    int CAPort;
    int TransCnt;
    int HtmlMax;
    int LogLevel;
    int DBRetryLimit;
    int DBRetryIntvl;
    int BckCycleTime;
    int BckInterJobTime;
    int VXDmnCache;
    int VXDmnSynch;
    int VXDmnSleep;
    int TotalProcesses;
    int PVCtrl;
    ICString ISTypeName;
    int Staging;
    ICString GPPath;
    ParmList<ICString> TEditorPath;
    ICString VXLang;
    ICString DBTypeName;
    ICString CAJAppDrv;
    ICString CAJNetDrv;
    ICString CAJUrl;
    ICString CAJNetUrl;
    ICString CAJProtocol;
    ParmList<NameValue> ISPass;
    ParmList<NameValue> ISMap;
    ParmList<NameValue> ISExec;
    ParmList<NameValue> ISCommonPass;
    ParmList<NameValue> ISNESCommonPass;
    ParmList<NameValue> ISCommonMap;
    ParmList<NameValue> ISCommonExec;
    ParmList<NameValue> ISCommonAddType;
    ParmList<NameValue> MLEnv;
    ParmList<ICString> MLIncPath;
    ParmList<ICString> MLMacroPath;
    ParmList<ICString> MLMisc;
    ICString PVExitHost;
    ICString PVExitSvcPfx;
    ICString PVExec;
    ICString PVLogPath;
    ICString PVCertPath;
    int PBProc;
    int PVTrace;
};

#endif
