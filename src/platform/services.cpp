// The instances' TCP services in the system's services file.
#include "vxconfig/services.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netdb.h>

#include "vxconfig/messages.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/sysutil.h"

enum { kLineSize = 1024 };

static const char kSeparators[] = " \t\r\n";

int SysGetSvcFile(ICString& out) {
    out = SysRootPath("/etc/services");
    return 1;
}

// The backup generation of the services file, by the backup naming rule.
static ICString ServicesBackup() {
    return SysRootPath("/etc/services.old");
}

// 1 when the line's first token is name, letter case aside.
static int IsEntryOf(const char* line, const char* name) {
    if (!name)
        return 0;
    size_t skip = strspn(line, kSeparators);
    size_t length = strcspn(line + skip, kSeparators);
    if (length == 0 || length != strlen(name))
        return 0;
    char token[kLineSize];
    memcpy(token, line + skip, length);
    token[length] = 0;
    return stricmp(token, name) == 0;
}

// Builds the new content of the services file in memory, line by line, and replaces the file
// with it safely. filter decides for each line: copy it, drop it, or put the entry in its place.
enum LineAction { kCopy, kDrop, kReplace };
typedef LineAction (*LineFilter)(const char* line, const char* name, int& replaced);

static int RewriteServices(const char* name, const char* entry, LineFilter filter, mode_t mode,
                           int& dropped) {
    dropped = 0;
    ICString path;
    SysGetSvcFile(path);
    FILE* in = fopen(path, "r");
    if (!in)
        return 0;
    char* content = nullptr;
    size_t length = 0;
    FILE* out = open_memstream(&content, &length);
    if (!out) {
        fclose(in);
        return 0;
    }
    char line[kLineSize];
    int replaced = 0;
    int unterminated = 0; // the last line copied has no newline
    while (fgets(line, sizeof line, in)) {
        switch (filter(line, name, replaced)) {
        case kCopy:
            fputs(line, out);
            unterminated = line[strlen(line) - 1] != '\n';
            break;
        case kDrop:
            ++dropped;
            break;
        case kReplace:
            fputs(entry, out);
            unterminated = 0;
            ++dropped;
            break;
        }
    }
    int readOk = !ferror(in);
    fclose(in);
    if (entry && !replaced) {
        // A file whose last line lacks its newline must not have the entry glued onto it.
        if (unterminated)
            fputc('\n', out);
        fputs(entry, out);
    }
    int ok = fclose(out) == 0 && readOk;
    ok = ok && SysReplaceFile(path, content, length, ServicesBackup(), mode);
    free(content);
    return ok;
}

// Registration: the first entry of the name gives way to the new one, the rest is copied.
static LineAction ReplaceFirst(const char* line, const char* name, int& replaced) {
    if (replaced || !IsEntryOf(line, name))
        return kCopy;
    replaced = 1;
    return kReplace;
}

static LineAction DropAll(const char* line, const char* name, int&) {
    return IsEntryOf(line, name) ? kDrop : kCopy;
}

int ICRegTcpService(const char* name, int port, const char* comment) {
    if (!name || !*name)
        return 0;
    // Names shorter than a tab stop get a second tab so that the port column lines up.
    char entry[kLineSize * 2];
    snprintf(entry, sizeof entry, "%s%s%d/tcp\t# %s\n", name, strlen(name) >= 8 ? "\t" : "\t\t",
             port, comment ? comment : "");
    int dropped;
    return RewriteServices(name, entry, ReplaceFirst, 0444, dropped);
}

int ICUnregTcpService(const char* name) {
    if (!name || !*name)
        return 0;
    int dropped;
    if (!RewriteServices(name, nullptr, DropAll, SYS_NEW_FILE_MODE, dropped))
        return 0;
    return dropped > 0 ? 1 : 0;
}

int ICGetTcpServicePort(const char* name) {
    ICString path;
    SysGetSvcFile(path);
    FILE* in = fopen(path, "r");
    if (!in)
        return 0;
    char line[kLineSize];
    int port = -1;
    while (fgets(line, sizeof line, in)) {
        if (!IsEntryOf(line, name))
            continue;
        const char* second = line + strspn(line, kSeparators);
        second += strcspn(second, kSeparators);
        second += strspn(second, kSeparators);
        port = atoi(second); // the digits before "/"
        break;
    }
    fclose(in);
    return port;
}

// The rooted services file as the services database: any line whose port column is port.
static int IsPortInServicesFile(const char* path, int port) {
    FILE* in = fopen(path, "r");
    if (!in)
        return 0;
    char line[kLineSize];
    int found = 0;
    while (!found && fgets(line, sizeof line, in)) {
        line[strcspn(line, "#")] = 0;
        char* save = nullptr;
        char* service = strtok_r(line, kSeparators, &save);
        char* number = service ? strtok_r(nullptr, kSeparators, &save) : nullptr;
        if (!number)
            continue;
        char* end = nullptr;
        long value = strtol(number, &end, 10);
        found = end != number && *end == '/' && value == port;
    }
    fclose(in);
    return found;
}

int SysIsPortRegistered(int port) {
    ICString root = SysGetRoot();
    if (!root.IsEmpty()) {
        ICString path;
        SysGetSvcFile(path);
        return IsPortInServicesFile(path, port);
    }
    if (port < 0 || port > 65535)
        return 0;
    return getservbyport(htons(static_cast<uint16_t>(port)), nullptr) ? 1 : 0;
}
