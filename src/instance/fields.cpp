// The instance record's field table and the type names (see msfields.h), and the two places
// that fill a record's defaults from it: its initial values and a new instance's.
#include "instance/fields.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

constexpr MSTypeName g_msWebServerTypes[] = {
    {"Wharf", "wharf", "Wharf"},
    {"Netscape", "netscape", "Netscape"},
    {"Brindle", "brindle", "Brindle"},
    {nullptr, nullptr, nullptr},
};
constexpr MSTypeName g_msDatabaseTypes[] = {
    {"Relda", "relda", "RELDA"},
    {"Oracle", "oracle", "Oracle"},
    {nullptr, nullptr, nullptr},
};

namespace {

typedef int (*TextSetter)(MSInfo& info, const char* value);

// A whole decimal number and nothing else, within int.
bool ParseNumber(const char* text, int& value) {
    if (!text || !*text)
        return false;
    errno = 0;
    char* end = nullptr;
    long n = strtol(text, &end, 10);
    if (errno || *end || n < INT_MIN || n > INT_MAX)
        return false;
    value = static_cast<int>(n);
    return true;
}

template <int (MSInfo::*Set)(const char*)> int SetText(MSInfo& info, const char* value) {
    return (info.*Set)(value);
}

template <int (MSInfo::*Set)(int)> int SetNumber(MSInfo& info, const char* value) {
    int n;
    return ParseNumber(value, n) ? (info.*Set)(n) : 0;
}

template <class Type, Type MSInfo::*Field> int GetType(const MSInfo& info) {
    return info.*Field;
}
template <class Type, Type MSInfo::*Field> void PutType(MSInfo& info, int value) {
    info.*Field = static_cast<Type>(value);
}

int SetWebServer(MSInfo& info, const char* value) {
    int type = MSTypeValue(g_msWebServerTypes, value);
    return type >= 0 && info.SetISType(static_cast<eISType>(type));
}
int SetDatabase(MSInfo& info, const char* value) {
    int type = MSTypeValue(g_msDatabaseTypes, value);
    return type >= 0 && info.SetDBType(static_cast<eDBType>(type));
}

// The record has no setter for the service of a remote database; it takes a node-like name.
int SetDBService(MSInfo& info, const char* value) {
    if (!MSInfo::CheckDBNodeName(value))
        return 0;
    info.DBService = value;
    return 1;
}

enum {
    kEditable = MS_FIELD_EDITABLE,
    kChecked = MS_FIELD_CHECKED,
    kFresh = MS_FIELD_FRESH,
    kEdited = MS_FIELD_EDITABLE | MS_FIELD_CHECKED,
};
// The kind of safe value of a directory the instance's files are written under, of a path
// written into files as a value, and of a name.
constexpr SysValueKind kDir = SYS_VALUE_INSTANCE_PATH;
constexpr SysValueKind kPath = SYS_VALUE_PATH;
constexpr SysValueKind kName = SYS_VALUE_NAME;

// The row of a field; what a builder does not set stays null or 0.
constexpr MSField Row(const char* name, MSFieldKind kind, int flags, int line, const char* option,
                      TextSetter set) {
    MSField row{};
    row.name = name;
    row.kind = kind;
    row.flags = flags;
    row.line = line;
    row.option = option;
    row.safe = kName;
    row.set = set;
    return row;
}
constexpr MSField Text(const char* name, ICString MSInfo::*field, MSFieldKind kind, int flags,
                       int line, SysValueKind safe, const char* option = nullptr,
                       TextSetter set = nullptr, const char* unsetWord = nullptr) {
    MSField row = Row(name, kind, flags, line, option, set);
    row.text = field;
    row.safe = safe;
    row.unsetWord = unsetWord;
    return row;
}
constexpr MSField Number(const char* name, int MSInfo::*field, MSFieldKind kind, int flags,
                         int line, int initial, const char* option = nullptr,
                         TextSetter set = nullptr, int fresh = 0) {
    MSField row = Row(name, kind, flags, line, option, set);
    row.number = field;
    row.initial = initial;
    row.fresh = fresh;
    return row;
}
constexpr MSField Type(const char* name, const MSTypeName* names, int (*get)(const MSInfo&),
                       void (*put)(MSInfo&, int), int line, int initial, const char* option,
                       TextSetter set) {
    MSField row = Row(name, MS_FIELD_ENUM, kEditable, line, option, set);
    row.names = names;
    row.getType = get;
    row.putType = put;
    row.initial = initial;
    return row;
}
constexpr MSField List(const char* name) {
    return Row(name, MS_FIELD_LIST, 0, 0, nullptr, nullptr);
}

#define TEXT(f, ...) Text(#f, &MSInfo::f, MS_FIELD_TEXT, __VA_ARGS__)
#define PATH(f, ...) Text(#f, &MSInfo::f, MS_FIELD_PATH, __VA_ARGS__)
#define SECRET(f, kind, ...) Text(#f, &MSInfo::f, kind, __VA_ARGS__)
#define NUMBER(f, ...) Number(#f, &MSInfo::f, MS_FIELD_NUMBER, __VA_ARGS__)
#define PORT(f, ...) Number(#f, &MSInfo::f, MS_FIELD_PORT, __VA_ARGS__)
#define TYPE(f, type, names, ...)                                                                  \
    Type(#f, names, GetType<type, &MSInfo::f>, PutType<type, &MSInfo::f>, __VA_ARGS__)
#define LIST(f) List(#f)

} // namespace

// Columns: the field, its flags, its line in the data file's record, then by kind the safe
// kind (texts) or the initial value (numbers), the option and its setter. A constant, so that
// records constructed before main (the library's own statics among them) find it filled.
constexpr MSField g_msFields[] = {
    TEXT(Name, kEdited, 1, kName),
    SECRET(MerKey, MS_FIELD_KEY, kEditable, 2, kName, "--merchant-key",
           SetText<&MSInfo::SetMerKey>),
    PATH(RootPath, kEdited, 3, kDir, "--rootpath", SetText<&MSInfo::SetRootPath>),
    PATH(VXLogPath, kEdited, 5, kDir, "--logpath", SetText<&MSInfo::SetVXLogPath>),
    PATH(ConfigPath, kEdited, 0, kDir),
    // The word "default" leaves the directory to the global defaults.
    PATH(DefsDir, kEdited, 0, kDir, "--defsdir", SetText<&MSInfo::SetDefsDir>, "default"),
    PATH(MacroPath, kEdited, 7, kDir, "--macropath", SetText<&MSInfo::SetMacroPath>),
    PATH(CgiPath, kEdited, 8, kDir, "--cgi", SetText<&MSInfo::SetCgiPath>),
    PATH(HtmlPath, kEdited, 4, kDir, "--htmlpath", SetText<&MSInfo::SetHtmlPath>),
    PATH(DocRoot, kEdited, 9, kDir, "--docroot", SetText<&MSInfo::SetDocRoot>),
    PATH(NESSecure, kEdited, 10, kDir, "--nes-secure", SetText<&MSInfo::SetNESSecure>),
    PATH(NESNonsecure, kEdited, 11, kDir, "--nes-nonsecure", SetText<&MSInfo::SetNESNonsecure>),
    TEXT(IPAddr, kEdited, 12, kName, "--ip", SetText<&MSInfo::SetIPAddr>),
    TEXT(ISHost, kEdited, 13, kName, "--host", SetText<&MSInfo::SetISHost>),
    TEXT(DBName, kEdited, 14, kName, "--db", SetText<&MSInfo::SetDBName>),
    TEXT(DBUser, kEdited, 15, kName, "--dbuser", SetText<&MSInfo::SetDBUser>),
    TEXT(DBOwner, kEdited, 27, kName, "--dbowner", SetText<&MSInfo::SetDBOwner>),
    SECRET(DBPswd, MS_FIELD_PASSWORD, kEditable, 16, kName, "--dbpass",
           SetText<&MSInfo::SetDBPswd>),
    TEXT(DBHost, kEdited, 17, kName, "--dbhost", SetText<&MSInfo::SetDBHost>),
    TEXT(DBRemote, kEditable, 0, kName),
    TEXT(DBNode, kEdited, 18, kName, "--dbnode", SetText<&MSInfo::SetDBNode>),
    TEXT(DBService, kEdited, 19, kName, "--dbservice", SetDBService),
    TEXT(PVHost, kEdited, 29, kName, "--pvhost", SetText<&MSInfo::SetPVHost>),
    SECRET(CMSPswd, MS_FIELD_PASSWORD, kEditable, 28, kName, "--adminpass",
           SetText<&MSInfo::SetCMSPswd>),
    TYPE(ISType, eISType, g_msWebServerTypes, 20, IS_WHARF, "--webserver", SetWebServer),
    TYPE(DBType, eDBType, g_msDatabaseTypes, 21, DB_RELDA, "--dbtype", SetDatabase),
    NUMBER(MSProc, kEditable | kFresh, 22, -1, "--procs", SetNumber<&MSInfo::SetMSProc>, 2),
    PORT(MSPort, kEditable, 23, -1, "--port", SetNumber<&MSInfo::SetMSPort>),
    PORT(AuxPort, kEditable, 24, -1),
    NUMBER(MSOption, kEditable, 26, 0),
    NUMBER(PVCycle, kEditable | kFresh, 30, 30, "--pvcycle", SetNumber<&MSInfo::SetPVCycle>, 30),
    NUMBER(PVIntvl, kEditable | kFresh, 31, 30, "--pvintvl", SetNumber<&MSInfo::SetPVIntvl>, 30),
    NUMBER(PVTmout, kEditable | kFresh, 32, 3600, "--pvtmout", SetNumber<&MSInfo::SetPVTmout>,
           3600),
    PATH(PswdAdm, kChecked, 0, kPath),
    PATH(PswdFile, kChecked, 0, kPath),
    TEXT(SvcPfx, kChecked, 0, kName),
    PATH(CachePath, kEdited, 6, kDir, "--cachepath", SetText<&MSInfo::SetCachePath>),
    TEXT(CacheEnabled, 0, 0, kName),
    NUMBER(MaxCacheFiles, kEditable | kFresh, 25, 0, "--maxcache",
           SetNumber<&MSInfo::SetMaxCacheFiles>, 1000),
    PORT(PVAdminPort, 0, 0, -1),
    PORT(PVPayPort, 0, 0, -1),
    PORT(PVErrorPort, 0, 0, -1),
    PORT(PVSetPort, 0, 0, -1),
    PORT(PVInqPort, 0, 0, -1),
    PORT(CAPort, 0, 0, -1),
    NUMBER(TransCnt, 0, 0, -1),
    NUMBER(HtmlMax, 0, 0, -1),
    NUMBER(LogLevel, 0, 0, -1),
    NUMBER(DBRetryLimit, 0, 0, -1),
    NUMBER(DBRetryIntvl, 0, 0, -1),
    NUMBER(BckCycleTime, 0, 0, -1),
    NUMBER(BckInterJobTime, 0, 0, -1),
    NUMBER(VXDmnCache, 0, 0, -1),
    NUMBER(VXDmnSynch, 0, 0, -1),
    NUMBER(VXDmnSleep, 0, 0, -1),
    NUMBER(TotalProcesses, 0, 0, -1),
    NUMBER(PVCtrl, 0, 0, 1),
    TEXT(ISTypeName, 0, 0, kName),
    NUMBER(Staging, 0, 0, 0),
    PATH(GPPath, kChecked, 0, kPath),
    LIST(TEditorPath),
    TEXT(VXLang, kChecked, 0, kName),
    TEXT(DBTypeName, 0, 0, kName),
    TEXT(CAJAppDrv, 0, 0, kName),
    TEXT(CAJNetDrv, 0, 0, kName),
    TEXT(CAJUrl, 0, 0, kName),
    TEXT(CAJNetUrl, 0, 0, kName),
    TEXT(CAJProtocol, 0, 0, kName),
    LIST(ISPass),
    LIST(ISMap),
    LIST(ISExec),
    LIST(ISCommonPass),
    LIST(ISNESCommonPass),
    LIST(ISCommonMap),
    LIST(ISCommonExec),
    LIST(ISCommonAddType),
    LIST(MLEnv),
    LIST(MLIncPath),
    LIST(MLMacroPath),
    LIST(MLMisc),
    TEXT(PVExitHost, kChecked, 0, kName),
    TEXT(PVExitSvcPfx, kChecked, 0, kName),
    PATH(PVExec, kChecked, 0, kPath),
    PATH(PVLogPath, kChecked, 0, kPath),
    PATH(PVCertPath, kChecked, 0, kPath),
    NUMBER(PBProc, 0, 0, -1),
    NUMBER(PVTrace, 0, 0, 0),
    {},
};

#undef TEXT
#undef PATH
#undef SECRET
#undef NUMBER
#undef PORT
#undef TYPE
#undef LIST

const MSTypeName* MSTypeOf(const MSTypeName* names, int value) {
    for (int i = 0; names && names[i].name; ++i) {
        if (i == value)
            return &names[i];
    }
    return nullptr;
}

int MSTypeValue(const MSTypeName* names, const char* text) {
    for (int i = 0; names && text && names[i].name; ++i) {
        if (stricmp(names[i].name, text) == 0)
            return i;
    }
    return -1;
}

const MSField* const* MSRecordLines() {
    static const std::vector<const MSField*> lines = [] {
        std::vector<const MSField*> ordered;
        for (const MSField* f = g_msFields; f->name; ++f) {
            if (f->line <= 0)
                continue;
            if (ordered.size() < static_cast<size_t>(f->line))
                ordered.resize(f->line);
            ordered[f->line - 1] = f;
        }
        ordered.push_back(nullptr);
        return ordered;
    }();
    return lines.data();
}

const MSField* MSFindField(const char* name) {
    for (const MSField* f = g_msFields; name && f->name; ++f) {
        if (strcmp(f->name, name) == 0)
            return f;
    }
    return nullptr;
}

namespace fields {

void FillInitial(MSInfo& info) {
    for (const MSField* f = g_msFields; f->name; ++f) {
        if (f->IsNumber())
            f->SetNumber(info, f->initial);
    }
}

void FillFresh(MSInfo& info) {
    for (const MSField* f = g_msFields; f->name; ++f) {
        if (f->flags & MS_FIELD_FRESH)
            f->SetNumber(info, f->fresh);
    }
}

void CopyEditable(MSInfo& to, const MSInfo& from) {
    for (const MSField* f = g_msFields; f->name; ++f) {
        if (!(f->flags & MS_FIELD_EDITABLE))
            continue;
        if (f->IsText())
            to.*f->text = from.*f->text;
        else
            f->SetNumber(to, f->Number(from));
    }
}

} // namespace fields
