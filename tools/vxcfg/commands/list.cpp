// list and show: the instances of the data file, passwords never in clear; under --json
// their data goes into the report's document.
#include <cstdio>
#include <string>

#include "commands/instance_args.h"

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

// What a line of show says about its field: the value, or only whether a secret is set.
std::string ShownValue(const ShowLine& line, const MSInfo& info) {
    ICString key;
    switch (line.kind) {
    case kText:
        return static_cast<const char*>(info.*line.text);
    case kNumber:
        return std::to_string(info.*line.number);
    case kSecret:
        return (info.*line.text).IsEmpty() ? "(empty)" : "(set)";
    case kMerKey:
        info.GetMerKey(key);
        return key.IsEmpty() ? "(none)" : "(set)";
    case kWebType:
        return NameOf(kWebServerNames, info.ISType);
    case kDBType:
        return NameOf(kDatabaseNames, info.DBType);
    }
    return std::string();
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
        int last = VXPortPlan(info).BlockEnd();
        const char* web = NameOf(kWebServerNames, info.ISType);
        const char* database = NameOf(kDatabaseNames, info.DBType);
        if (ReportsJson()) {
            ReportData(VxJsonObject()
                           .Text("name", static_cast<const char*>(info.Name))
                           .Number("first_port", info.MSPort)
                           .Number("last_port", last)
                           .Text("web_server", web)
                           .Text("database_type", database)
                           .Text("database", static_cast<const char*>(info.DBName)));
            continue;
        }
        printf("%-8s %d-%d %s %s %s\n", static_cast<const char*>(info.Name), info.MSPort, last, web,
               database, static_cast<const char*>(info.DBName));
    }
    return VX_EXIT_OK;
}

int CmdShow(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    MSInfo info;
    if (int rc = data.OpenNamed(args, false, &info))
        return rc;
    VxJsonObject fields;
    for (const ShowLine& line : kShowLines) {
        std::string value = ShownValue(line, info);
        if (ReportsJson() && line.kind == kNumber)
            fields.Number(line.label, info.*line.number);
        else if (ReportsJson())
            fields.Text(line.label, value);
        else if (value.empty()) // an empty value leaves no trailing blanks
            printf("%s\n", line.label);
        else
            printf("%-14s %s\n", line.label, value.c_str());
    }
    if (ReportsJson())
        ReportData(fields);
    return VX_EXIT_OK;
}
