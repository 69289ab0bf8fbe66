// list and show: the instances of the data file, passwords never in clear.
#include <cstdio>

#include "instance_args.h"

namespace {

const char* const kWebServerNames[] = {"Wharf", "Netscape", "Brindle"};
const char* const kDatabaseNames[] = {"Relda", "Oracle"};

template <size_t N> const char* NameOf(const char* const (&names)[N], int value) {
    return value >= 0 && static_cast<size_t>(value) < N ? names[value] : "?";
}

// One line of `show`, in the order of the stored record.
enum ShowKind { kText, kNumber, kSecret, kMerKey, kWebType, kDBType };
struct ShowLine {
    const char* label;
    ShowKind kind;
    ICString MSInfo::*text;
    int MSInfo::*number;
};

#define TEXT(f)                                                                                    \
    { #f, kText, &MSInfo::f, nullptr }
#define SECRET(f)                                                                                  \
    { #f, kSecret, &MSInfo::f, nullptr }
#define NUMBER(f)                                                                                  \
    { #f, kNumber, nullptr, &MSInfo::f }

const ShowLine kShowLines[] = {
    TEXT(Name),
    {"MerKey", kMerKey, nullptr, nullptr},
    TEXT(RootPath),
    TEXT(HtmlPath),
    TEXT(VXLogPath),
    TEXT(CachePath),
    TEXT(MacroPath),
    TEXT(CgiPath),
    TEXT(DocRoot),
    TEXT(NESSecure),
    TEXT(NESNonsecure),
    TEXT(IPAddr),
    TEXT(ISHost),
    TEXT(DBName),
    TEXT(DBUser),
    SECRET(DBPswd),
    TEXT(DBHost),
    TEXT(DBNode),
    TEXT(DBService),
    {"ISType", kWebType, nullptr, nullptr},
    {"DBType", kDBType, nullptr, nullptr},
    NUMBER(MSProc),
    NUMBER(MSPort),
    NUMBER(AuxPort),
    NUMBER(MaxCacheFiles),
    NUMBER(MSOption),
    TEXT(DBOwner),
    SECRET(CMSPswd),
    TEXT(PVHost),
    NUMBER(PVCycle),
    NUMBER(PVIntvl),
    NUMBER(PVTmout),
};

#undef TEXT
#undef SECRET
#undef NUMBER

void ShowField(const ShowLine& line, const MSInfo& info) {
    ICString key;
    switch (line.kind) {
    case kText:
        // An empty value leaves no trailing blanks.
        if ((info.*line.text).IsEmpty())
            printf("%s\n", line.label);
        else
            printf("%-14s %s\n", line.label, static_cast<const char*>(info.*line.text));
        break;
    case kNumber:
        printf("%-14s %d\n", line.label, info.*line.number);
        break;
    case kSecret:
        printf("%-14s %s\n", line.label, (info.*line.text).IsEmpty() ? "(empty)" : "(set)");
        break;
    case kMerKey:
        info.GetMerKey(key);
        printf("%-14s %s\n", line.label, key.IsEmpty() ? "(none)" : "(set)");
        break;
    case kWebType:
        printf("%-14s %s\n", line.label, NameOf(kWebServerNames, info.ISType));
        break;
    case kDBType:
        printf("%-14s %s\n", line.label, NameOf(kDatabaseNames, info.DBType));
        break;
    }
}

} // namespace

int CmdList(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    if (int rc = data.Open(args, false))
        return rc;
    MSList& list = data.list;
    MSInfo info;
    for (int i = 0; i < list.GetCount(); ++i) {
        list.SetIndex(i);
        list.GetCurrent(info);
        // The whole block: the servers, the payment ports and the database access port.
        printf("%-8s %d-%d %s %s %s\n", static_cast<const char*>(info.Name), info.MSPort,
               VXPortPlan(info).BlockEnd(), NameOf(kWebServerNames, info.ISType),
               NameOf(kDatabaseNames, info.DBType), static_cast<const char*>(info.DBName));
    }
    return VX_EXIT_OK;
}

int CmdShow(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    MSInfo info;
    if (int rc = data.OpenNamed(args, false, &info))
        return rc;
    for (const ShowLine& line : kShowLines)
        ShowField(line, info);
    return VX_EXIT_OK;
}
