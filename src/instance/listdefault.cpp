// The default record a new instance starts from: directories under the product, the web
// server found on this machine, the local host, the database users of the installation, and
// the first free blocks of ports.
#include <cstring>
#include <string>

#include "instance/fields.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/mslist.h"
#include "vxconfig/portplan.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/webpaths.h"

namespace {

enum { kFirstCandidate = 16570, kLastPort = 65535, kBlock = 10, kCandidateStep = 20 };

// The next multiple of ten above the end of a block.
int NextTenAbove(int end) {
    return (end + 11) / 10 * 10;
}

// The name of the default record, and its database's too when the database product is found;
// without it the database is left to the global defaults.
const char kDefaultName[] = "mser";
const char kNoDatabaseName[] = "default";

// The variable of the product profile that names the database instance its shells use.
const char kInstanceVariable[] = "RELDAINSTANCE=";

// The database instance user that the product profile below root names (its last
// assignment); empty when it names none or cannot be read.
std::string ProfileInstanceUser(const char* root) {
    std::string user;
    ICString profile = ICString(root) ^ "server" ^ "bin" ^ "vndxprofile";
    SysLineReader in(profile);
    size_t prefix = strlen(kInstanceVariable);
    while (const char* line = in.Next()) {
        line += strspn(line, " \t");
        if (strncmp(line, kInstanceVariable, prefix) == 0)
            user.assign(line + prefix, strcspn(line + prefix, " \t\r\n;"));
    }
    return user;
}

} // namespace

// First candidate from start whose block of ten ports lies beyond every record's block (the
// record's base port field up to MSProc + 9 above it) and is free; -1 when none is left.
int MSList::SearchPort(int start, int MSInfo::*base) const {
    int candidate = start;
    while (candidate < kLastPort) {
        for (Node* p = m_pHead; p; p = p->next) {
            // One past the record's block, counted from the base port field.
            int end = VXPortPlan(p->info->*base, p->info->MSProc).BlockEnd() + 1;
            if (candidate <= end)
                candidate = NextTenAbove(end);
        }
        if (m_default.TestPort(candidate, kBlock))
            return candidate;
        candidate += kCandidateStep;
    }
    return -1;
}

int MSList::SetDefault(const char* root, const char* webRoot) {
    MSInfo& d = m_default;
    ICString reldaPath;
    int relda = SysGetDBOrvellPath(reldaPath);
    d.Name = kDefaultName;
    d.DBName = relda ? kDefaultName : kNoDatabaseName;
    if (!root)
        return 0;

    ICString instanceDir = ICString(root) ^ "instance";
    d.RootPath = instanceDir;
    d.CachePath = instanceDir;
    d.VXLogPath = instanceDir;
    d.HtmlPath = instanceDir;
    d.DefsDir = ICString(root) ^ "globals";
    d.MacroPath = ICString(root) ^ "macro" ^ "en_US";

    ISPath paths;
    if (webRoot && *webRoot) {
        d.ISType = IS_WHARF;
        d.CgiPath = ICString(webRoot) ^ "CGI-Bin";
        d.DocRoot = ICString(webRoot) ^ "HTML";
    } else if (SysGetISOrvellInfo(paths) && !paths[ISPATH_ORVELL_CONFIG].IsEmpty()) {
        d.ISType = IS_WHARF;
        d.CgiPath = paths[ISPATH_ORVELL_CGI];
        d.DocRoot = paths[ISPATH_DOCS];
    } else {
        SysGetISNESInfo(paths, d);
        d.ISType = IS_NETSCAPE;
        d.CgiPath = ICString(root) ^ "cgi-bin";
        d.DocRoot = paths[ISPATH_DOCS];
        d.NESSecure = paths[ISPATH_NES_SECURE];
        d.NESNonsecure = paths[ISPATH_NES_NONSECURE];
    }

    ICString text;
    if (ISGetHostName(text))
        d.ISHost = text;
    if (ISGetIPAddr(text))
        d.IPAddr = text;

    int port = SearchPort(kFirstCandidate, &MSInfo::MSPort);
    if (port > 0)
        d.MSPort = port;
    port = SearchPort(d.MSPort + kBlock, &MSInfo::AuxPort);
    if (port > 0)
        d.AuxPort = port;

    fields::FillFresh(d);
    // The database instance the installation uses is the one its product profile names,
    // else the first one the database lists; that instance's user owns it by default.
    ICString listed;
    if (relda && SysGetUserName(listed))
        d.DBOwner = listed;
    if (relda && !d.SetDBUser(ProfileInstanceUser(root).c_str()) && !listed.IsEmpty())
        d.SetDBUser(listed);
    d.DBType = relda ? DB_RELDA : DB_ORACLE;
    d.SetMSOption(MS_OPT_CACHE_OFF, MS_OPT_CACHE_OFF);
    if (SysIsPayvaneInstalled())
        d.SetMSOption(MS_OPT_PAYVANE, MS_OPT_PAYVANE);
    if (SysIsHWLInstalled())
        d.SetMSOption(MS_OPT_HOSTING, MS_OPT_HOSTING);
    return 1;
}

int MSList::GetDefault(MSInfo& out, const char* name) const {
    MSInfo info = m_default;
    if (!info.SetName(name))
        return 0;
    // Each instance gets a directory of its own under the product's instance directory.
    info.RootPath = info.RootPath ^ name;
    info.HtmlPath = info.HtmlPath ^ name;
    out = info;
    return 1;
}
