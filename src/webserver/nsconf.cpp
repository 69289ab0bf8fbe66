// The Netscape server's configuration for all instances: in both obj.conf files the product's
// plug-in, its URL prefixes, its cache service and authorisation object and, on the secure
// server, the servlet engine's plug-in; in mime.types the product's unknown types.
#include <cstring>
#include <unistd.h>

#include "conffile/blocks.h"
#include "conffile/markers.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/webconf.h"
#include "vxconfig/webpaths.h"
#include "webserver/package.h"
#include "webserver/rewrite.h"
#include "webserver/urlrows.h"

namespace {

using webserver::kBaseHtml;
using webserver::kBaseInstall;
using webserver::kBaseInstance;
using webserver::kGateAlways;
using webserver::kGateHosting;
using webserver::kGatePro;

// The URL prefixes of the Netscape block, in the order they are written.
const webserver::UrlRow kPrefixes[] = {
    {"/bus2bus2", kBaseHtml, "bus2bus2", kGateAlways},
    {"/butnbars", kBaseHtml, "vxadmin/butnbars", kGateAlways},
    {"/demomall", kBaseHtml, "demomall", kGateAlways},
    {"/grocery", kBaseHtml, "grocery", kGateAlways},
    {"/vxacom", kBaseHtml, "vxadmin/common", kGateAlways},
    {"/vxadmin", kBaseHtml, "vxadmin", kGateAlways},
    {"/vxagif", kBaseHtml, "vxadmin/gif", kGateAlways},
    {"/vxbooks", kBaseHtml, "vxbooks", kGateAlways},
    {"/vxerror", kBaseHtml, "vxerror", kGateAlways},
    {"/vxhelp", kBaseHtml, "vxhelp", kGateAlways},
    {"/vxsample", kBaseHtml, "vxsample", kGateAlways},
    {"/gpgifs", kBaseHtml, "vxadmin/Shopsmith/gpgifs", kGateAlways},
    {"/sitemgr", kBaseHtml, "vxadmin/sitemgr", kGateAlways},
    {"/storemgr", kBaseHtml, "vxadmin/storemgr", kGateAlways},
    {"/te_html", kBaseInstance, "teditor/te_html", kGateAlways},
    {"/ca_html", kBaseInstall, "pasample/ca_html", kGatePro},
    {"/tutorial", kBaseHtml, "tutorial", kGateAlways},
    {"/QBX_JS", kBaseInstall, "QBX/javascript", kGateHosting},
    {"/QBX", kBaseInstall, "QBX/public", kGateHosting},
    {"/reports", kBaseInstall, "QBX", kGateHosting},
    {"/hwlsite", kBaseHtml, "hwlsite", kGateHosting},
    {"/hwlmall", kBaseHtml, "hwlmall", kGateHosting},
    {"/hwlstore", kBaseHtml, "hwlstore", kGateHosting},
    {"/VXTools", kBaseInstall, "Tools/public", kGateHosting},
    {"/merchanthelp", kBaseHtml, "merchanthelp", kGateHosting},
    {"/vxqbxhelp", kBaseHtml, "vxqbxhelp", kGateHosting},
    {"/vxqbxsample", kBaseInstall, "Tools/samples/en_US/vxqbx/catalog_import", kGateHosting},
    {"/yourGallery", kBaseInstall, "Tools/public/gallery", kGateHosting},
    {"/ca_icons", kBaseHtml, "ca_icons", kGatePro},
    {"/Flickmedia", kBaseInstall, "fm", kGatePro},
    {"/ca_widgets", kBaseInstall, "servlets/public", kGatePro},
    {"/nextgeneration", kBaseHtml, "nextgeneration", kGatePro},
    {"/ictmgr", kBaseHtml, "vxadmin/ictmgr", kGatePro},
    {"/pasample", kBaseInstall, "pasample", kGatePro},
};

// The secure server's redirects to the help panels, the content manager and the servlets
// (the last only without the hosting edition).
const char* const kRedirects[] = {"vxhelp/catalog/panelinf", "vxadmin/ictmgr", "servlet"};

bool Readable(const char* path) {
    return SysAccess(path, R_OK) == 0;
}

// The secure server's servlet engine and its files.
struct SecureEngine {
    ICString dir, bootstrap, plugin;
    explicit SecureEngine() {
        ICString loomwork;
        if (SysGetLoomworkPath(loomwork))
            dir = loomwork + "-443";
        bootstrap = dir ^ "properties" ^ "bootstrap.properties";
        plugin = dir ^ "plugins" ^ "sun" ^ "libns36.so";
    }
    bool Usable() const { return !dir.IsEmpty() && Readable(bootstrap) && Readable(plugin); }
    bool Exists() const { return !dir.IsEmpty() && SysAccess(dir, F_OK) == 0; }
};

bool Begins(const char* line, const char* text) {
    return strncmp(line, text, strlen(text)) == 0;
}

// One pass over an obj.conf: the rules in their order, with the flags they keep.
struct ObjConfRewrite {
    MSList& list;
    const char* instPath;
    bool secure;
    bool anyNetscape;
    ICString docRoot;
    const SecureEngine& engine;
    FILE* out;
    bool cgiSeen = false;
    bool prefixesWritten = false;
    bool pluginWritten = false;
    bool ns36Seen = false;
    bool initInserted = false;
    bool exitWritten = false;
    bool dropNext = false;

    void Line(const std::string& text) {
        const char* line = text.c_str();
        if (cgiSeen && Begins(line, "Service fn=send-cgi")) {
            webserver::WriteStartMarker(out, webserver::kProductMark);
            fprintf(out, "Service root=\"%s\" fn=\"vx_cache\"\n",
                    static_cast<const char*>(docRoot));
            webserver::WriteEndMarker(out, webserver::kProductEnd);
            webserver::CopyLine(out, text);
            cgiSeen = false;
        } else if (Begins(line, "<Object name=cgi>")) {
            webserver::CopyLine(out, text);
            cgiSeen = true;
        } else if (Begins(line, "NameTrans")) {
            if (!prefixesWritten && anyNetscape)
                WriteVXBlockNES(out, list, instPath, secure ? 1 : 0);
            prefixesWritten = true;
            webserver::CopyLine(out, text);
        } else if (!pluginWritten && Begins(line, "Init fn=")) {
            WriteVXPassNES(out, list, instPath);
            webserver::CopyLine(out, text);
            pluginWritten = true;
            // The engine's own Init line may be the first one: it still counts as the engine
            // configured, or the next run would insert the engine's lines a second time.
            if (strstr(line, "libns36.so"))
                ns36Seen = true;
        } else if (secure && !ns36Seen && initInserted && !exitWritten &&
                   Begins(line, "Service method=")) {
            if (engine.Exists())
                fputs("service fn=\"service_exit\"\n", out);
            webserver::CopyLine(out, text);
            exitWritten = true;
        } else if (strstr(line, "libns36.so")) {
            webserver::CopyLine(out, text);
            ns36Seen = true;
        } else if (secure && strstr(line, "libns35.so")) {
            // The earlier engine's plug-in gives way to the current one.
            if (engine.Usable()) {
                dropNext = true;
                exitWritten = true;
            } else {
                webserver::CopyLine(out, text);
            }
        } else if (dropNext) {
            dropNext = false;
        } else if (!ns36Seen && !initInserted && Begins(line, "<Object name=default>")) {
            if (secure && engine.Usable()) {
                // The engine's lines are Init lines too: in a file that had none before, the
                // plug-in block goes in front of them, where the next run would put it.
                if (!pluginWritten) {
                    WriteVXPassNES(out, list, instPath);
                    pluginWritten = true;
                }
                fprintf(out,
                        "Init fn=\"load-modules\" funcs=\"init_exit,service_exit,term_exit\" "
                        "shlib=\"%s\"\n",
                        static_cast<const char*>(webserver::Slashed(engine.plugin)));
                fprintf(out, "Init fn=\"init_exit\" bootstrap.properties=\"%s\"\n",
                        static_cast<const char*>(webserver::Slashed(engine.bootstrap)));
                initInserted = true;
            }
            webserver::CopyLine(out, text);
        } else {
            webserver::CopyLine(out, text);
        }
    }

    // The authorisation object at the end of the file.
    void Finish() {
        webserver::WriteStartMarker(out, webserver::kProductMark);
        fputs("<Object name=\"vxauth\">\n", out);
        fputs("ObjectType fn=\"force-type\" type=\"magnus-internal/cgi\"\n", out);
        fprintf(out, "Service root=\"%s\" fn=\"vx_auth\"\n", static_cast<const char*>(docRoot));
        fputs("</Object>\n", out);
        webserver::WriteEndMarker(out, webserver::kProductEnd);
    }
};

// mime.types: the product's unknown types after the server's own magnus types.
void RewriteMimeTypes(const webserver::Lines& lines, FILE* out) {
    bool magnusSeen = false;
    bool written = false;
    webserver::ScanBlocks(lines, webserver::ProductMarks(),
                          [&](const std::string& line, webserver::LinePlace place) {
                              if (place == webserver::kInsideBlock)
                                  return;
                              bool magnus = Begins(line.c_str(), "type=magnus");
                              if (magnusSeen && !written && !magnus) {
                                  webserver::WriteStartMarker(out, webserver::kProductMark);
                                  fputs("type=~magnus-internal/unknown    exts=in\n", out);
                                  fputs("type=~magnus-internal/unknown    exts=exe\n", out);
                                  webserver::WriteEndMarker(out, webserver::kProductEnd);
                                  written = true;
                              }
                              if (magnus)
                                  magnusSeen = true;
                              webserver::CopyLine(out, line);
                          });
}

} // namespace

int WriteVXPassNES(FILE* out, MSList&, const char* instPath) {
    ICString module = ICString(instPath ? instPath : "") ^ "bin" ^ "libvx_cgi_nsapi.so";
    webserver::WriteStartMarker(out, webserver::kProductMark);
    fprintf(out, "Init fn=\"load-modules\" shlib=\"%s\" ",
            static_cast<const char*>(webserver::Slashed(module)));
    fputs("funcs=\"vx_init_cache,vx_cache,vx_auth\"\n", out);
    fputs("Init fn=\"vx_init_cache\"\n", out);
    fprintf(out, "###### %s ######\n\n", webserver::kProductEnd);
    return 1;
}

int WriteVXBlockNES(FILE* out, MSList& list, const char* instPath, int secure) {
    ICString inst = instPath ? instPath : "";
    webserver::WriteStartMarker(out, webserver::kProductMark);
    // The package as the Netscape instances' administration pages name it; the record of the
    // list's last instance carries the prefixes.
    MSInfo last;
    bool pro = false;
    bool scanning = true;
    for (int i = 0; i < list.GetCount(); ++i) {
        list.SetIndex(i);
        list.GetCurrent(last);
        if (last.ISType != IS_NETSCAPE || !scanning)
            continue;
        webserver::Packaging packaging = webserver::ReadPackaging(inst);
        if (packaging == webserver::kPackagingUnreadable) {
            scanning = false;
            continue;
        }
        webserver::ApplyPackaging(packaging, last.MSOption);
        if (!(last.MSOption & MS_OPT_START_PKG))
            pro = true;
    }
    ICString cgi = webserver::Slashed(last.CgiPath);
    fprintf(out, "NameTrans fn=\"pfx2dir\" from=\"/msprotect\" dir=\"%s\" name=\"vxauth\"\n",
            static_cast<const char*>(cgi));
    bool hosting = (last.MSOption & MS_OPT_HOSTING) != 0;
    webserver::UrlContext urls;
    urls.html = inst ^ "html" ^ "en_US";
    urls.install = inst;
    urls.instance = last.RootPath;
    urls.pro = pro;
    urls.hosting = hosting;
    webserver::WalkUrlRows(kPrefixes, urls, [&](const char* url, const ICString& dir) {
        last.SetISNESCommonPass(url, dir);
    });
    last.WriteISNESCommonPass(out);
    fprintf(out, "NameTrans fn=\"pfx2dir\" from=\"/cgi-bin\" dir=\"%s\" name=\"cgi\"\n",
            static_cast<const char*>(cgi));
    if (secure && pro) {
        for (const char* path : kRedirects) {
            if (hosting && strcmp(path, "servlet") == 0)
                continue;
            fprintf(out, "NameTrans fn=\"redirect\" from=\"/%s\" ", path);
            fprintf(out, "url-prefix=\"%s\"\n",
                    static_cast<const char*>(
                        webserver::Slashed((ICString("http://") + last.ISHost) ^ path)));
        }
    }
    webserver::WriteEndMarker(out, webserver::kProductEnd);
    return 1;
}

int ISSetNSConf(MSList& list, const char* instPath) {
    MSInfo last;
    int netscape = 0;
    for (int i = 0; i < list.GetCount(); ++i) {
        list.SetIndex(i);
        list.GetCurrent(last);
        if (last.ISType == IS_NETSCAPE)
            ++netscape;
    }
    ISPath paths;
    if (!SysGetISNESInfo(paths, last)) {
        ICShowError(IC_MSG_NO_NETSCAPE_SERVER);
        return 0;
    }
    if (!last.NESSecure.IsEmpty())
        paths[ISPATH_NES_SECURE] = last.NESSecure;
    if (!last.NESNonsecure.IsEmpty())
        paths[ISPATH_NES_NONSECURE] = last.NESNonsecure;
    SecureEngine engine;
    ICString docRoot = webserver::Slashed(last.DocRoot);
    for (int secure = 1; secure >= 0; --secure) {
        webserver::EditedFile file;
        file.path = paths[secure ? ISPATH_NES_SECURE : ISPATH_NES_NONSECURE] ^ "obj.conf";
        file.editFailed = IC_MSG_NETSCAPE_EDIT_FAILED;
        int edited = webserver::RewriteWithCopy(file, [&](const webserver::Lines& lines,
                                                          FILE* out) {
            ObjConfRewrite rewrite{list, instPath, secure != 0, netscape > 0, docRoot, engine, out};
            webserver::ScanBlocks(lines, webserver::ProductMarks(),
                                  [&](const std::string& line, webserver::LinePlace place) {
                                      if (place == webserver::kOutsideBlock)
                                          rewrite.Line(line);
                                  });
            rewrite.Finish();
        });
        if (!edited)
            return 0;
    }
    webserver::EditedFile mime;
    mime.path = paths[ISPATH_NES_NONSECURE] ^ "mime.types";
    mime.editFailed = IC_MSG_NETSCAPE_EDIT_FAILED;
    return webserver::RewriteWithCopy(mime, RewriteMimeTypes);
}
