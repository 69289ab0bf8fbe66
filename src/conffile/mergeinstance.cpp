// Filling the unset fields of an instance record from the global defaults.
#include <cstring>

#include "vxconfig/capture.h"
#include "vxconfig/msfields.h"

namespace {

const char kDefault[] = "default";

bool UnsetText(const ICString& text) {
    return text.IsEmpty() || strcmp(text, kDefault) == 0;
}

// Texts that are unset when empty or "default", taken when the global one is not empty.
struct TextRule {
    ICString MSInfo::*field;
    int (MSInfo::*set)(const char*);
};

const TextRule kTextRules[] = {
    {&MSInfo::CgiPath, &MSInfo::SetCgiPath},
    {&MSInfo::MacroPath, &MSInfo::SetMacroPath},
};

// Numbers that are unset at either of two values, taken when the global one is not -1.
struct NumberRule {
    int MSInfo::*field;
    int unsetA;
    int unsetB;
    int (MSInfo::*set)(int);
};

const NumberRule kNumberRules[] = {
    {&MSInfo::MSProc, -1, -2, &MSInfo::SetMSProc},
    {&MSInfo::PVCycle, 30, -2, &MSInfo::SetPVCycle},
    {&MSInfo::PVIntvl, 30, -2, &MSInfo::SetPVIntvl},
    {&MSInfo::PVTmout, 3600, -2, &MSInfo::SetPVTmout},
};

void MergeText(MSInfo& info, MSInfo& global, const TextRule& rule) {
    if (UnsetText(info.*rule.field) && !(global.*rule.field).IsEmpty())
        (info.*rule.set)(global.*rule.field);
}

void MergeNumber(MSInfo& info, MSInfo& global, const NumberRule& rule) {
    int value = info.*rule.field;
    if ((value == rule.unsetA || value == rule.unsetB) && global.*rule.field != -1)
        (info.*rule.set)(global.*rule.field);
}

} // namespace

int ICMergeInstance(MSInfo& info, MSInfo& global) {
    for (const TextRule& rule : kTextRules)
        MergeText(info, global, rule);
    MergeNumber(info, global, kNumberRules[0]);
    if ((info.DBType == 0 || info.DBType == -1) && global.DBType != -1) {
        if (!global.DBTypeName.IsEmpty())
            global.DBType = MSTypeValue(g_msDatabaseTypes, global.DBTypeName) == DB_ORACLE
                                ? DB_ORACLE
                                : DB_RELDA;
        info.SetDBType(global.DBType);
    }
    MergeText(info, global, {&MSInfo::DBName, &MSInfo::SetDBName});
    for (size_t i = 1; i < sizeof kNumberRules / sizeof kNumberRules[0]; ++i)
        MergeNumber(info, global, kNumberRules[i]);
    return 1;
}
