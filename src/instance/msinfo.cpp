// The instance record: defaults, validating setters and the port and service helpers.
#include <cstring>
#include <unistd.h>

#include "instance/fields.h"
#include "vxconfig/fileio.h"
#include "vxconfig/msinfo.h"
#include "vxconfig/portplan.h"
#include "vxconfig/safevalue.h"
#include "vxconfig/services.h"
#include "vxconfig/sysutil.h"

namespace {

enum {
    kMaxNameLen = 8,
    kMaxPathLen = 1024,
    kMaxHostLen = 64,
    kMinPort = 1024,
    kMaxPort = 65535,
};

int LengthWithin(const char* text, size_t lo, size_t hi) {
    if (!text)
        return 0;
    size_t n = strlen(text);
    return n >= lo && n <= hi ? 1 : 0;
}

// Every text the record hands to commands and scripts is a safe value of its kind.
int SafeWithin(const char* text, size_t lo, size_t hi, SysValueKind kind) {
    return LengthWithin(text, lo, hi) && SysIsSafeValue(text, kind) ? 1 : 0;
}

int Within(int value, int lo, int hi) {
    return value >= lo && value <= hi ? 1 : 0;
}

// Stores text in field when check accepts it.
int SetChecked(ICString& field, const char* text, int (*check)(const char*)) {
    if (!check(text))
        return 0;
    field = text;
    return 1;
}

int SetCheckedPath(ICString& field, const char* text) {
    if (!MSInfo::CheckPath(text))
        return 0;
    field = text;
    MSInfo::PurifyPathStr(field);
    return 1;
}

int SetRanged(int& field, int value, int lo, int hi) {
    if (!Within(value, lo, hi))
        return 0;
    field = value;
    return 1;
}

// Pass directives carry Unix paths even when typed with backslashes.
ICString QuotedSlashes(const char* prefix, const char* text) {
    ICString out = ICString(prefix) + "\"" + (text ? text : "") + "\"";
    for (int i = 0; i < out.GetLength(); ++i) {
        if (out.GetAt(i) == '\\')
            out.SetAt(i, '/');
    }
    return out;
}

} // namespace

MSInfo::MSInfo() {
    fields::FillInitial(*this);
}

MSInfo::~MSInfo() {}

int MSInfo::CheckName(const char* name) {
    return SafeWithin(name, 1, kMaxNameLen, SYS_VALUE_NAME);
}
int MSInfo::CheckPath(const char* path) {
    return SafeWithin(path, 1, kMaxPathLen, SYS_VALUE_INSTANCE_PATH);
}
int MSInfo::CheckHost(const char* host) {
    return SafeWithin(host, 1, kMaxHostLen, SYS_VALUE_NAME);
}
int MSInfo::CheckDBNodeName(const char* node) {
    return SafeWithin(node, 1, kMaxHostLen, SYS_VALUE_NAME);
}
int MSInfo::CheckDBName(const char* name) {
    return SafeWithin(name, 1, kMaxNameLen, SYS_VALUE_NAME);
}
int MSInfo::CheckDBUser(const char* user) {
    return SafeWithin(user, 1, kMaxNameLen, SYS_VALUE_NAME);
}
int MSInfo::CheckDBOwner(const char* owner) {
    return SafeWithin(owner, 1, kMaxPathLen, SYS_VALUE_NAME) && SysIsUserExist(owner) ? 1 : 0;
}

// Every text the record hands to commands and scripts is a safe value of its kind; the
// instance's directories, which files are written under, keep the instance path rule.
int MSInfo::CheckValues() const {
    for (const MSField* f = g_msFields; f->name; ++f) {
        if (!(f->flags & MS_FIELD_CHECKED))
            continue;
        const ICString& value = this->*f->text;
        if (SysIsSafeValue(value, f->safe) || (f->unsetWord && strcmp(value, f->unsetWord) == 0))
            continue;
        // The name and the value are shown only when they are harmless to print.
        const char* name =
            SysIsSafeValue(Name, SYS_VALUE_NAME) ? static_cast<const char*>(Name) : "?";
        if (f->safe == SYS_VALUE_INSTANCE_PATH && SysIsSafeValue(value, SYS_VALUE_PATH))
            SysSetLastReason("instance %s: %s '%s' is refused: %s", name, f->name,
                             static_cast<const char*>(value), SYS_INSTANCE_PATH_RULE);
        else
            SysSetLastReason("instance %s: %s holds characters that may not stand in a command "
                             "(letters, digits%s and %s only)",
                             name, f->name, f->safe != SYS_VALUE_NAME ? ", /" : "",
                             SYS_SAFE_PUNCTUATION);
        return 0;
    }
    return 1;
}

int MSInfo::CheckNESServer(const char* dir) {
    if (!SafeWithin(dir, 1, kMaxPathLen, SYS_VALUE_INSTANCE_PATH))
        return 0;
    ICString objConf = ICString(dir) ^ "obj.conf";
    return SysAccess(objConf, F_OK) == 0 ? 1 : 0;
}

// Four dot-separated decimal pieces of at most 255; an empty inner piece counts as 0, but the
// text may not end in a dot.
int MSInfo::CheckIPAddr(const char* addr) {
    if (!addr || !*addr)
        return 0;
    int dots = 0;
    int piece = 0;
    const char* p = addr;
    for (; *p; ++p) {
        if (*p == '.') {
            ++dots;
            piece = 0;
            continue;
        }
        if (*p < '0' || *p > '9')
            return 0;
        piece = piece * 10 + (*p - '0');
        if (piece > 255)
            return 0;
    }
    return dots == 3 && p[-1] != '.' ? 1 : 0;
}

void MSInfo::PurifyPathStr(ICString& path) {
    int n = path.GetLength();
    if (n > 0 && path.GetAt(n - 1) == '/')
        path.Truncate(n - 1);
}

int MSInfo::SetName(const char* name) {
    return SetChecked(Name, name, CheckName);
}
int MSInfo::SetRootPath(const char* path) {
    return SetChecked(RootPath, path, CheckPath);
}
int MSInfo::SetConfigPath(const char* path) {
    return SetChecked(ConfigPath, path, CheckPath);
}
int MSInfo::SetCachePath(const char* path) {
    return SetChecked(CachePath, path, CheckPath);
}
int MSInfo::SetVXLogPath(const char* path) {
    return SetChecked(VXLogPath, path, CheckPath);
}
int MSInfo::SetDefsDir(const char* path) {
    return SetChecked(DefsDir, path, CheckPath);
}
int MSInfo::SetMacroPath(const char* path) {
    return SetCheckedPath(MacroPath, path);
}
int MSInfo::SetCgiPath(const char* path) {
    return SetCheckedPath(CgiPath, path);
}
int MSInfo::SetHtmlPath(const char* path) {
    return SetCheckedPath(HtmlPath, path);
}
int MSInfo::SetDocRoot(const char* path) {
    return SetCheckedPath(DocRoot, path);
}
int MSInfo::SetNESSecure(const char* dir) {
    return SetChecked(NESSecure, dir, CheckNESServer);
}
int MSInfo::SetNESNonsecure(const char* dir) {
    return SetChecked(NESNonsecure, dir, CheckNESServer);
}
int MSInfo::SetIPAddr(const char* addr) {
    return SetChecked(IPAddr, addr, CheckIPAddr);
}
int MSInfo::SetISHost(const char* host) {
    return SetChecked(ISHost, host, CheckHost);
}
int MSInfo::SetDBHost(const char* host) {
    return SetChecked(DBHost, host, CheckHost);
}
int MSInfo::SetPVHost(const char* host) {
    return SetChecked(PVHost, host, CheckHost);
}
int MSInfo::SetDBNode(const char* node) {
    return SetChecked(DBNode, node, CheckDBNodeName);
}
int MSInfo::SetDBName(const char* name) {
    return SetChecked(DBName, name, CheckDBName);
}
int MSInfo::SetDBUser(const char* user) {
    return SetChecked(DBUser, user, CheckDBUser);
}
int MSInfo::SetDBOwner(const char* owner) {
    return SetChecked(DBOwner, owner, CheckDBOwner);
}

int MSInfo::SetISType(eISType type) {
    if (!Within(type, IS_WHARF, IS_BRINDLE))
        return 0;
    ISType = type;
    return 1;
}

int MSInfo::SetDBType(eDBType type) {
    if (!Within(type, DB_RELDA, DB_ORACLE))
        return 0;
    DBType = type;
    return 1;
}

int MSInfo::SetMSProc(int count) {
    return SetRanged(MSProc, count, 2, 99);
}

int MSInfo::SetMSPort(int port) {
    if (port == MS_RESERVED_PORT)
        return 0;
    return SetRanged(MSPort, port, kMinPort, kMaxPort);
}

int MSInfo::SetPVCycle(int seconds) {
    return SetRanged(PVCycle, seconds, 1, 65535);
}
int MSInfo::SetPVIntvl(int seconds) {
    return SetRanged(PVIntvl, seconds, 1, 65535);
}
int MSInfo::SetPVTmout(int seconds) {
    return SetRanged(PVTmout, seconds, 60, 65535);
}

int MSInfo::SetMaxCacheFiles(int count) {
    MaxCacheFiles = count;
    return 1;
}

int MSInfo::SetMSOption(int mask, int bits) {
    MSOption = (bits & mask) | (MSOption & ~mask);
    return 1;
}

int MSInfo::SetTotalProcesses(int count) {
    TotalProcesses = count < 1 ? 0 : count;
    return 1;
}

int MSInfo::TestPort(int first, int count) const {
    for (int port = first; port < first + count; ++port) {
        if (!Within(port, kMinPort, kMaxPort) || port == MS_RESERVED_PORT)
            return 0;
        if (SysIsPortRegistered(port))
            return 0;
    }
    return 1;
}

MSInfo& MSInfo::SetISNESCommonPass(const char* from, const char* dir) {
    NameValue pass;
    pass.name = QuotedSlashes("from=", from);
    pass.value = QuotedSlashes("dir=", dir);
    ISNESCommonPass.AddTailUnique(pass);
    return *this;
}

// Every service line of the instance except the controller's own is one server process.
int MSInfo::GetTotalProcesses() const {
    ICString pattern;
    GetVXServicePfx(Name, pattern);
    pattern += "_";
    ICString path;
    SysGetSvcFile(path);
    SysLineReader in(path);
    int count = 0;
    while (char* line = in.Next()) {
        if (strstr(line, pattern) && !strstr(line, "Server Controller"))
            ++count;
    }
    return count;
}
