// list and show: the instances of the data file, passwords never in clear; under --json
// their data goes into the report's document.
#include <cstdio>
#include <string>

#include "commands/instance_args.h"

namespace {

// A type's name as list and show print it; "?" for a value without one.
const char* TypeName(const MSTypeName* names, int value) {
    const MSTypeName* type = MSTypeOf(names, value);
    return type ? type->name : "?";
}

// What show says about a field: the value, or only whether a secret is set.
std::string ShownValue(const MSField& field, const MSInfo& info) {
    ICString key;
    switch (field.kind) {
    case MS_FIELD_NUMBER:
    case MS_FIELD_PORT:
        return std::to_string(field.Number(info));
    case MS_FIELD_ENUM:
        return TypeName(field.names, field.Number(info));
    case MS_FIELD_PASSWORD:
        return (info.*field.text).IsEmpty() ? "(empty)" : "(set)";
    case MS_FIELD_KEY:
        info.GetMerKey(key);
        return key.IsEmpty() ? "(none)" : "(set)";
    case MS_FIELD_TEXT:
    case MS_FIELD_PATH:
        return static_cast<const char*>(info.*field.text);
    case MS_FIELD_LIST:
        break;
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
        const char* web = TypeName(g_msWebServerTypes, info.ISType);
        const char* database = TypeName(g_msDatabaseTypes, info.DBType);
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

// The fields of the stored record, in its order.
int CmdShow(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    MSInfo info;
    if (int rc = data.OpenNamed(args, false, &info))
        return rc;
    VxJsonObject fields;
    for (const MSField* const* line = MSRecordLines(); *line; ++line) {
        const MSField& field = **line;
        std::string value = ShownValue(field, info);
        bool number = field.kind == MS_FIELD_NUMBER || field.kind == MS_FIELD_PORT;
        if (ReportsJson() && number)
            fields.Number(field.name, field.Number(info));
        else if (ReportsJson())
            fields.Text(field.name, value);
        else if (value.empty()) // an empty value leaves no trailing blanks
            printf("%s\n", field.name);
        else
            printf("%-14s %s\n", field.name, value.c_str());
    }
    if (ReportsJson())
        ReportData(fields);
    return VX_EXIT_OK;
}
