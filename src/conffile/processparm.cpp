// Normalisation of a freshly captured record: captured texts become typed fields and option
// bits, missing directories get the installation's defaults, old paths are moved over.
#include <cstring>

#include "vxconfig/capture.h"
#include "vxconfig/cipher.h"
#include "vxconfig/discovery.h"
#include "vxconfig/msfields.h"
#include "vxconfig/services.h"

namespace {

// The base port of an instance whose port was neither captured nor registered.
const int kFallbackPort = 16570;

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

// A captured type text, or the first type (the Orvell server, Relda) for one not known.
int TypeOf(const MSTypeName* names, const char* text) {
    int type = MSTypeValue(names, text);
    return type < 0 ? 0 : type;
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
        info.ISType = static_cast<eISType>(TypeOf(g_msWebServerTypes, info.ISTypeName));
    if (!info.DBTypeName.IsEmpty())
        info.DBType = static_cast<eDBType>(TypeOf(g_msDatabaseTypes, info.DBTypeName));

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
