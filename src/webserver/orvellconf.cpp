// The Orvell HTTP server's configuration: the product block at the top of httpd.conf (the
// product's services, the protection of its configuration files, the instances' Pass rules,
// the common maps, programs, documents and content types), the password block in front of the
// catch-all rule, the server's host name, the cache module's own files and the restart.
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "conffile/blocks.h"
#include "conffile/markers.h"
#include "sys/hostcache.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/outcome.h"
#include "vxconfig/svcctl.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/webconf.h"
#include "vxconfig/webpaths.h"
#include "vxconfig/writers.h"
#include "webserver/package.h"
#include "webserver/rewrite.h"
#include "webserver/urlrows.h"
#include "writers/writerframe.h"

namespace {

const char kProfile[] = "/etc/profile";
// The system profile's mode where it does not keep its own, whatever the creation mask.
const mode_t kProfileMode = 0644;
const char kInstanceVariable[] = "RELDAINSTANCE";
const char kCgiModule[] = "libvx_cgi_icapi.so";

// Two texts of a table row.
struct TextPair {
    const char* first;
    const char* second;
};

// The product's services: the URL pattern and the module function serving it.
const TextPair kServices[] = {
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

using webserver::kBaseHtml;
using webserver::kBaseInstall;
using webserver::kBaseServerRoot;
using webserver::kGateAlways;
using webserver::kGateHosting;
using webserver::kGatePro;
using webserver::kGateProWithServer;

// The common Pass rules of the product block, in the order they are written.
const webserver::UrlRow kCommonPass[] = {
    {"/storemgr/*", kBaseHtml, "vxadmin/storemgr/*", kGateAlways},
    {"/sitemgr/*", kBaseHtml, "vxadmin/sitemgr/*", kGateAlways},
    {"/vxacom/*", kBaseHtml, "vxadmin/common/*", kGateAlways},
    {"/vxagif/*", kBaseHtml, "vxadmin/gif/*", kGateAlways},
    {"/butnbars/*", kBaseHtml, "vxadmin/butnbars/*", kGateAlways},
    {"/vxadmin/*", kBaseHtml, "vxadmin/*", kGateAlways},
    {"/vxhelp/*", kBaseHtml, "vxhelp/*", kGateAlways},
    {"/vxerror/*", kBaseHtml, "vxerror/*", kGateAlways},
    {"/vxbooks/*", kBaseHtml, "vxbooks/*", kGateAlways},
    {"/vxsample/*", kBaseHtml, "vxsample/*", kGateAlways},
    {"/gpgifs/*", kBaseHtml, "vxadmin/Shopsmith/gpgifs/*", kGateAlways},
    {"/demomall/*", kBaseHtml, "demomall/*", kGateAlways},
    {"/euromall/*", kBaseInstall, "adt/samples/euromall/html/euromall/*", kGateAlways},
    {"/grocery/*", kBaseHtml, "grocery/*", kGateAlways},
    {"/bus2bus2/*", kBaseHtml, "bus2bus2/*", kGateAlways},
    {"/tutorial/*", kBaseHtml, "tutorial/*", kGateAlways},
    {"/nextgeneration/*", kBaseHtml, "nextgeneration/*", kGateAlways},
    {"/QBX/*", kBaseInstall, "QBX/public/*", kGateHosting},
    {"/reports/*", kBaseInstall, "QBX/*", kGateHosting},
    {"/hwlsite/*", kBaseInstall, "html/en_US/hwlsite/*", kGateHosting},
    {"/hwlmall/*", kBaseInstall, "html/en_US/hwlmall/*", kGateHosting},
    {"/hwlstore/*", kBaseInstall, "html/en_US/hwlstore/*", kGateHosting},
    {"/QBX_JS/*", kBaseInstall, "QBX/javascript/*", kGateHosting},
    {"/VXTools/*", kBaseInstall, "Tools/public/*", kGateHosting},
    {"/merchanthelp/*", kBaseHtml, "merchanthelp/*", kGateHosting},
    {"/vxqbxhelp/*", kBaseHtml, "vxqbxhelp/*", kGateHosting},
    {"/vxqbxsample/*", kBaseInstall, "Tools/samples/en_US/vxqbx/catalog_import/*", kGateHosting},
    {"/yourGallery/*", kBaseInstall, "Tools/public/gallery/*", kGateHosting},
    {"/ca_icons/*", kBaseHtml, "ca_icons/*", kGatePro},
    {"/Flickmedia/*", kBaseInstall, "fm/*", kGatePro},
    {"/ca_widgets/*", kBaseServerRoot, "servlets/public/*", kGateProWithServer},
};

// The content types the product adds: the extension and its type.
const TextPair kAddTypes[] = {
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
    std::vector<std::string> addresses = platform::HostAddresses(info.ISHost);
    if (!addresses.empty()) {
        for (const std::string& address : addresses)
            WriteProtect(out, address.c_str());
    } else {
        ICUpdateStatus(IC_MSG_NO_IP_ADDRESS, info.ISHost);
    }
    WriteProtect(out, info.ISHost);
}

// Makes /etc/profile name the Relda instance of the first instance that finds it unnamed.
bool NameReldaInstance(const MSInfo& info) {
    ICString profile = SysRootPath(kProfile);
    SysFileLock lock(profile);
    ICString content;
    if (!lock.Held() || !SysReadFile(profile, content)) {
        SysSetFileReason(profile, errno);
        VXStepFailed("read", profile);
        return false;
    }
    if (strstr(content, kInstanceVariable))
        return true;
    std::string text(content, static_cast<size_t>(content.GetLength()));
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    text += std::string(kInstanceVariable) + "=" + static_cast<const char*>(info.DBUser) + "\n";
    text += std::string("export ") + kInstanceVariable + "\n";
    SysWriteOptions options;
    options.mode = kProfileMode;
    options.keepMode = true;
    if (SysWriteFile(profile, text.data(), text.size(), options) != 1) {
        VXStepFailed("write", profile);
        return false;
    }
    VXStepDone("write", profile);
    return true;
}

// What the walk over the instances finds.
struct OrvellScan {
    int orvell = 0;
    ICString host;
    // The Orvell instances' host names, which the product block resolves.
    std::vector<std::string> hosts;
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
        if (info.ISType == IS_WHARF)
            scan.hosts.push_back(static_cast<const char*>(info.ISHost));
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
    for (const TextPair& row : kServices)
        fprintf(out, "%s%s%s", row.first, static_cast<const char*>(module), row.second);
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
    webserver::UrlContext urls;
    urls.serverFound = SysGetISOrvellInfo(web) != 0;
    urls.html = inst ^ "html" ^ "en_US";
    urls.install = inst;
    urls.serverRoot = web[ISPATH_SERVER_ROOT];
    urls.pro = pro;
    urls.hosting = (info.MSOption & MS_OPT_HOSTING) != 0;
    webserver::WalkUrlRows(kCommonPass, urls, [&](const char* url, const ICString& dir) {
        info.ISCommonPass.AddTailUnique(NameValue(url, dir));
    });
    info.WriteISCommonPass(out);
    fputs("\n", out);

    for (const TextPair& row : kAddTypes)
        info.ISCommonAddType.AddTailUnique(NameValue(row.first, row.second));
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
    // Every host name at once, before the block asks for them one by one.
    platform::ResolveHosts(scan.hosts);
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
