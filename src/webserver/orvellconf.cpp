// The Orvell HTTP server's configuration: the product block at the top of httpd.conf (the
// product's services, the protection of its configuration files, the instances' Pass rules,
// the common maps, programs, documents and content types), the password block in front of the
// catch-all rule, the server's host name, the cache module's own files and the restart.
#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>

#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/svcctl.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/webconf.h"
#include "vxconfig/webpaths.h"
#include "vxconfig/writers.h"
#include "webserver/blocks.h"
#include "webserver/markers.h"
#include "webserver/package.h"
#include "webserver/rewrite.h"
#include "writers/writerframe.h"

namespace {

const char kProfile[] = "/etc/profile";
const char kInstanceVariable[] = "RELDAINSTANCE";
const char kCgiModule[] = "libvx_cgi_icapi.so";

// The product's services: the URL pattern and the module function serving it.
struct ServiceRow {
    const char* literal;
    const char* function;
};
const ServiceRow kServices[] = {
    {"Service /cgi-bin/nph-msrvr/* ", ":vx_cache\n"},
    {"Service /cgi-bin/vxtrade/* ", ":vx_cache\n"},
    {"Service /cgi-bin/vxtrade3/* ", ":vx_cache\n"},
    {"Service /msprotect/nph-msrvr/* ", ":vx_auth\n"},
    {"Service /msprotect/vxtrade/* ", ":vx_auth\n"},
    {"Service /msprotect/vxtrade3/* ", ":vx_auth\n"},
};

const char* const kProtectBody[] = {
    "ServerId        Private_Authorization\n",
    "Authtype        Basic\n",
    "GetMask         All@(*)\n",
    "PutMask         All@(*)\n",
    "PostMask        All@(*)\n",
    "Mask            All@(*)\n",
    "}\n\n",
};

// Where a common document area lives: under I/html/en_US, under I, or under the server root.
enum Base { kHtml, kInstall, kServerRoot };
// When it is published.
enum Condition { kAlways, kHosting, kPro, kProWithServer };

struct PassRow {
    const char* name;
    Base base;
    const char* dir;
    Condition condition;
};

const PassRow kCommonPass[] = {
    {"/storemgr/*", kHtml, "vxadmin/storemgr/*", kAlways},
    {"/sitemgr/*", kHtml, "vxadmin/sitemgr/*", kAlways},
    {"/vxacom/*", kHtml, "vxadmin/common/*", kAlways},
    {"/vxagif/*", kHtml, "vxadmin/gif/*", kAlways},
    {"/butnbars/*", kHtml, "vxadmin/butnbars/*", kAlways},
    {"/vxadmin/*", kHtml, "vxadmin/*", kAlways},
    {"/vxhelp/*", kHtml, "vxhelp/*", kAlways},
    {"/vxerror/*", kHtml, "vxerror/*", kAlways},
    {"/vxbooks/*", kHtml, "vxbooks/*", kAlways},
    {"/vxsample/*", kHtml, "vxsample/*", kAlways},
    {"/gpgifs/*", kHtml, "vxadmin/Shopsmith/gpgifs/*", kAlways},
    {"/demomall/*", kHtml, "demomall/*", kAlways},
    {"/euromall/*", kInstall, "adt/samples/euromall/html/euromall/*", kAlways},
    {"/grocery/*", kHtml, "grocery/*", kAlways},
    {"/bus2bus2/*", kHtml, "bus2bus2/*", kAlways},
    {"/tutorial/*", kHtml, "tutorial/*", kAlways},
    {"/nextgeneration/*", kHtml, "nextgeneration/*", kAlways},
    {"/QBX/*", kInstall, "QBX/public/*", kHosting},
    {"/reports/*", kInstall, "QBX/*", kHosting},
    {"/hwlsite/*", kInstall, "html/en_US/hwlsite/*", kHosting},
    {"/hwlmall/*", kInstall, "html/en_US/hwlmall/*", kHosting},
    {"/hwlstore/*", kInstall, "html/en_US/hwlstore/*", kHosting},
    {"/QBX_JS/*", kInstall, "QBX/javascript/*", kHosting},
    {"/VXTools/*", kInstall, "Tools/public/*", kHosting},
    {"/merchanthelp/*", kHtml, "merchanthelp/*", kHosting},
    {"/vxqbxhelp/*", kHtml, "vxqbxhelp/*", kHosting},
    {"/vxqbxsample/*", kInstall, "Tools/samples/en_US/vxqbx/catalog_import/*", kHosting},
    {"/yourGallery/*", kInstall, "Tools/public/gallery/*", kHosting},
    {"/ca_icons/*", kHtml, "ca_icons/*", kPro},
    {"/Flickmedia/*", kInstall, "fm/*", kPro},
    {"/ca_widgets/*", kServerRoot, "servlets/public/*", kProWithServer},
};

struct NameValueRow {
    const char* name;
    const char* value;
};
const NameValueRow kAddTypes[] = {
    {".js", "application/x-javascript binary 1.0 #Vendrix java"},
    {".cacert", "application/x-x509-ca-cert"},
};

void WriteProtect(FILE* out, const char* key) {
    for (const char* pattern : {"Protect /*.conf ", "Protect /*.ini "}) {
        fprintf(out, "%s%s {\n", pattern, key);
        for (const char* line : kProtectBody)
            fputs(line, out);
    }
}

// The Protect blocks of an instance: by each address of its host, then by the host name.
void WriteInstanceProtect(FILE* out, const MSInfo& info) {
    const hostent* entry = gethostbyname(info.ISHost);
    if (entry && entry->h_addrtype == AF_INET && entry->h_addr_list[0]) {
        for (char** address = entry->h_addr_list; *address; ++address) {
            in_addr in;
            memcpy(&in, *address, sizeof in);
            WriteProtect(out, inet_ntoa(in));
        }
    } else {
        ICUpdateStatus(IC_MSG_NO_IP_ADDRESS, info.ISHost);
    }
    WriteProtect(out, info.ISHost);
}

bool Published(Condition condition, bool hosting, bool pro, bool serverFound) {
    switch (condition) {
    case kAlways:
        return true;
    case kHosting:
        return hosting;
    case kPro:
        return pro;
    case kProWithServer:
        return pro && serverFound;
    }
    return false;
}

// Makes /etc/profile name the Relda instance of the first instance that finds it unnamed.
bool NameReldaInstance(const MSInfo& info) {
    ICString profile = SysRootPath(kProfile);
    SysFileLock lock(profile);
    ICString content;
    if (!lock.Held() || !SysReadFile(profile, content))
        return false;
    if (strstr(content, kInstanceVariable))
        return true;
    std::string text(content, static_cast<size_t>(content.GetLength()));
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    text += std::string(kInstanceVariable) + "=" + static_cast<const char*>(info.DBUser) + "\n";
    text += std::string("export ") + kInstanceVariable + "\n";
    SysWriteOptions options;
    options.keepMode = true;
    return SysWriteFile(profile, text.data(), text.size(), options) == 1;
}

// What the walk over the instances finds.
struct OrvellScan {
    int orvell = 0;
    ICString host;
    bool relda = false;
    bool migrated = false;
};

bool ScanInstances(MSList& list, const char* instPath, OrvellScan& scan) {
    for (int i = 0; i < list.GetCount(); ++i) {
        MSInfo info;
        list.SetIndex(i);
        list.GetCurrent(info);
        if (info.ISType == IS_WHARF && scan.orvell++ == 0)
            scan.host = info.ISHost;
        if (info.DBType == DB_RELDA)
            scan.relda = true;
        if (!NameReldaInstance(info))
            return false;
        if (info.MSOption & MS_OPT_MIGRATED)
            scan.migrated = true;
        if (webserver::ReadPackaging(instPath) == webserver::kPackagingUnreadable)
            return false;
    }
    return true;
}

// The httpd.conf rewrite: the product block before the first line of the user's, the host
// name after its comment, the password block before the catch-all rule, the Loomwork JSP
// lines outside the block removed.
struct HttpdRewrite {
    MSList& list;
    const char* instPath;
    const OrvellScan& scan;
    ICString loomwork;
    FILE* out;
    bool firstPassed = false;
    bool hostPending = false;
    bool hostReplaced = false;
    bool passWritten = false;
    bool jspFound = false;

    void Line(const std::string& line, webserver::LinePlace place) {
        const char* text = line.c_str();
        if (place == webserver::kInsideBlock) {
            // A servlet engine start line the product block once held stays in use.
            if (strstr(text, "ServerInit") && strstr(text, "bootstrap.properties"))
                webserver::CopyLine(out, line);
            return;
        }
        if (!firstPassed) {
            firstPassed = true;
            if (scan.orvell)
                WriteVXBlockOrvell(out, list, instPath);
            webserver::CopyLine(out, line);
        } else if (!hostReplaced && strstr(text, "Hostname directive")) {
            webserver::CopyLine(out, line);
            hostPending = true;
        } else if (hostPending && text[0] != '#') {
            fprintf(out, "%s %s\n", "Hostname", static_cast<const char*>(scan.host));
            hostPending = false;
            hostReplaced = true;
        } else if (!passWritten && CheckHomePass(text)) {
            // The block only; the line itself is copied whole below.
            passWritten = WriteVXPassOrvell(nullptr, list, out, nullptr, scan.orvell) != 0;
            webserver::CopyLine(out, line);
        } else if (!jspFound && strstr(text, "/*.jsp")) {
            if (!loomwork.IsEmpty() && strstr(text, loomwork))
                jspFound = true;
        } else {
            webserver::CopyLine(out, line);
        }
    }
};

} // namespace

int WriteVXBlockOrvell(FILE* out, MSList& list, const char* instPath) {
    ICString inst = instPath ? instPath : "";
    ICString module = inst ^ "bin" ^ kCgiModule;
    ICString loomwork;
    SysGetLoomworkPath(loomwork);
    webserver::WriteStartMarker(out, webserver::kProductMark);
    for (const ServiceRow& row : kServices)
        fprintf(out, "%s%s%s", row.literal, static_cast<const char*>(module), row.function);
    fprintf(out, "Service /*.jsp %s:service_exit\n",
            static_cast<const char*>(loomwork ^ "plugins" ^ "sun" ^ "libwharf46.so"));
    fputs("\n", out);

    // The instances' own parts; the record last loaded (the list's last) carries the lists
    // of the common parts.
    MSInfo info;
    bool pro = false;
    webserver::Packaging packaging = webserver::ReadPackaging(inst);
    for (int i = 0; i < list.GetCount(); ++i) {
        list.SetIndex(i);
        list.GetCurrent(info);
        if (info.ISType != IS_WHARF)
            continue;
        webserver::ApplyPackaging(packaging, info.MSOption);
        if (!(info.MSOption & MS_OPT_START_PKG))
            pro = true;
        WriteInstanceProtect(out, info);
        fprintf(out, "ServerInit %s:vx_init_cache\n", static_cast<const char*>(module));
        info.ISPass.AddTailUnique(
            NameValue("/te_html/*", info.RootPath ^ "teditor" ^ "te_html" ^ "*"));
        info.WriteISPass(out);
        fputs("\n", out);
    }
    if (SysCheckVersion(1)) {
        fputs("Map  /msprotect/nph-msrvr/*  /msprotect/vxtrade3/* \n", out);
        fputs("Map  /cgi-bin/nph-msrvr/*\t/cgi-bin/vxtrade3/* \n", out);
    } else if (SysCheckVersion(2)) {
        fputs("Map /msprotect/vxtrade/*\t/msprotect/vxtrade3/* \n", out);
        fputs("Map /cgi-bin/vxtrade/*\t\t/cgi-bin/vxtrade3/* \n", out);
    }
    fputs("\n", out);

    info.ISCommonExec.AddTailUnique(NameValue("/msprotect/*", inst ^ "cgi-bin" ^ "*"));
    info.WriteISCommonExec(out);
    fputs("\n", out);

    ISPath web;
    bool serverFound = SysGetISOrvellInfo(web) != 0;
    bool hosting = (info.MSOption & MS_OPT_HOSTING) != 0;
    ICString html = inst ^ "html" ^ "en_US";
    for (const PassRow& row : kCommonPass) {
        if (!Published(row.condition, hosting, pro, serverFound))
            continue;
        const ICString& base = row.base == kHtml      ? html
                               : row.base == kInstall ? inst
                                                      : web[ISPATH_SERVER_ROOT];
        info.ISCommonPass.AddTailUnique(NameValue(row.name, base ^ row.dir));
    }
    info.WriteISCommonPass(out);
    fputs("\n", out);

    for (const NameValueRow& row : kAddTypes)
        info.ISCommonAddType.AddTailUnique(NameValue(row.name, row.value));
    info.WriteISCommonAddType(out);
    fputs("\n", out);
    webserver::WriteEndMarker(out, webserver::kProductEnd);
    return 1;
}

int ISSetOrvellConf(MSList& list, const char* instPath) {
    OrvellScan scan;
    if (!ScanInstances(list, instPath, scan))
        return 0;
    ISPath web;
    if (!SysGetISOrvellInfo(web)) {
        ICShowError(IC_MSG_NO_ORVELL_SERVER);
        return 0;
    }
    ICString file = web[ISPATH_ORVELL_CONFIG] ^ "httpd.conf";
    webserver::EditedFile edit;
    edit.path = file;
    edit.editFailed = IC_MSG_ORVELL_EDIT_FAILED;
    int edited = webserver::RewriteWithCopy(edit, [&](const webserver::Lines& lines, FILE* out) {
        HttpdRewrite rewrite{list, instPath, scan, ICString(), out};
        SysGetLoomworkPath(rewrite.loomwork);
        webserver::ScanBlocks(lines, webserver::ProductMarks(),
                              [&](const std::string& line, webserver::LinePlace place) {
                                  rewrite.Line(line, place);
                              });
    });
    if (!edited)
        return 0;
    if (!SetNSAPI(web[ISPATH_ORVELL_CONFIG], instPath)) {
        ICShowError(IC_MSG_NSAPI_FAILED);
        return 0;
    }
    if (!scan.relda && !scan.migrated && !ICRestartHWLWebServer()) {
        ICShowError(IC_MSG_RESTART_FAILED);
        return 0;
    }
    return 1;
}

int SetNSAPI(const char* confDir, const char* instPath) {
    ICString dir = confDir ? confDir : "";
    ICString library =
        webserver::Slashed(ICString(instPath ? instPath : "") ^ "cgi-bin" ^ "libvx_cache_icapi.so");
    writers::ConfigFile magnus;
    magnus.path = dir ^ "magnus.conf";
    if (!writers::WriteConfigFile(magnus, [&](FILE* out, ICString&) {
            fprintf(out, "LoadObjects %s\n", "obj.conf");
            fprintf(out, "Init fn=load-modules shlib=\"%s\" func=\"vx_init_cache, vx_cache\"\n",
                    static_cast<const char*>(library));
            fputs("Init fn=vx_init_cache\n", out);
            return 1;
        }))
        return 0;
    writers::ConfigFile objects;
    objects.path = dir ^ "obj.conf";
    return writers::WriteConfigFile(objects, [](FILE* out, ICString&) {
        fputs("<Object name=\"default\">\n", out);
        fputs("Service fn=\"vx_cache\"\n", out);
        fputs("</Object>\n", out);
        return 1;
    });
}
