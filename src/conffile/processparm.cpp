// Normalisation of a freshly captured record: captured texts become typed fields and option
// bits, missing directories get the installation's defaults, old paths are moved over.
#include <cstring>

#include "vxconfig/capture.h"
#include "vxconfig/cipher.h"
#include "vxconfig/discovery.h"
#include "vxconfig/services.h"

namespace {

// The base port of an instance whose port was neither captured nor registered.
const int kFallbackPort = 16570;

struct TypeName {
    const char* text;
    int value;
};

const TypeName kWebServers[] = {{"Netscape", IS_NETSCAPE}, {"Brindle", IS_BRINDLE}};

// Captured switch texts and the option bit each one adds (exact, case-sensitive texts).
struct SwitchBit {
    ICString MSInfo::*field;
    const char* text;
    int bit;
};

const SwitchBit kSwitchBits[] = {
    {&MSInfo::CacheEnabled, "ON", MS_OPT_CACHE_ON},
    {&MSInfo::CacheEnabled, "WS", MS_OPT_CACHE_WS},
    {&MSInfo::CacheEnabled, "OFF", MS_OPT_CACHE_OFF},
    {&MSInfo::DBRemote, "ON", MS_OPT_DB_REMOTE},
};

// Pass, Map and Exec rules of the web server that may name the old installation.
ParmList<NameValue> MSInfo::*const kRuleLists[] = {
    &MSInfo::ISPass,       &MSInfo::ISMap,       &MSInfo::ISExec,
    &MSInfo::ISCommonPass, &MSInfo::ISCommonMap, &MSInfo::ISCommonExec,
};

int WebServerType(const char* text) {
    for (const TypeName& t : kWebServers) {
        if (stricmp(text, t.text) == 0)
            return t.value;
    }
    return IS_WHARF;
}

void FillEmpty(ICString& field, const ICString& value) {
    if (field.IsEmpty())
        field = value;
}

void MoveOffOldRelease(MSInfo& info, int version, const ICString& inst) {
    info.MSOption |= MS_OPT_MIGRATED;
    ICString old;
    SysGetInstPath(old, version);
    info.MacroPath = inst ^ "macro" ^ "en_US";
    DeletePathNVList(info.MLMacroPath, old, nullptr);
    DeletePathNVList(info.MLIncPath, old, nullptr);
    for (ParmList<NameValue> MSInfo::*list : kRuleLists)
        ReplacePathNVList(info.*list, old, inst);
}

} // namespace

int ProcessParm(MSInfo& info, int version) {
    if (info.Name.IsEmpty())
        info.Name = "mser";
    if (version == 3 && !info.ISTypeName.IsEmpty())
        info.ISType = static_cast<eISType>(WebServerType(info.ISTypeName));
    if (!info.DBTypeName.IsEmpty())
        info.DBType = stricmp(info.DBTypeName, "Oracle") == 0 ? DB_ORACLE : DB_RELDA;

    ICString inst;
    ICGetInstPath(inst);
    FillEmpty(info.RootPath, inst ^ "instance" ^ info.Name);
    ICString instanceDir = inst ^ "instance";
    FillEmpty(info.CachePath, instanceDir);
    FillEmpty(info.VXLogPath, instanceDir);
    FillEmpty(info.ConfigPath, instanceDir);

    if (version == 1 || version == 2) {
        ICConvertCipher(info.MerKey);
        ICConvertCipher(info.DBPswd);
    }
    FillEmpty(info.DBOwner, info.DBUser);
    if (info.MSPort < 0) {
        int port = ICGetTcpServicePort(info.SvcPfx);
        info.MSPort = port > 0 ? port : kFallbackPort;
    }

    for (const SwitchBit& s : kSwitchBits) {
        if (strcmp(info.*s.field, s.text) == 0)
            info.MSOption |= s.bit;
    }
    if (info.Staging)
        info.MSOption |= MS_OPT_STAGING;
    if (info.PVTrace)
        info.MSOption |= MS_OPT_PV_TRACE;
    if (SysIsPayvaneInstalled())
        info.MSOption |= MS_OPT_PAYVANE;
    if (SysIsHWLInstalled())
        info.MSOption |= MS_OPT_HOSTING;

    if (version == 1 || version == 2)
        MoveOffOldRelease(info, version, inst);
    return 1;
}
