// The servlet engine's configuration for the product: the class and library paths of its
// virtual machine (bootstrap.properties), the servlets it loads (servlets.properties), the
// tools' config.xml, and the hosting edition's sample pages in the web server's documents.
#include <cstring>

#include "vxconfig/discovery.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/webconf.h"
#include "vxconfig/webpaths.h"
#include "vxconfig/writers.h"
#include "webserver/rewrite.h"
#include "webserver/servlets.h"
#include "writers/instancevalues.h"

namespace {

const char kEngineFilesOwner[] = "bin";
const mode_t kSampleDirMode = 0755;

bool Hosting(const MSInfo& info) {
    return (info.MSOption & MS_OPT_HOSTING) != 0;
}

ICString InstallDir() {
    ICString dir;
    ICGetInstPath(dir);
    return dir;
}

std::string WithoutNewline(const std::string& line) {
    return !line.empty() && line.back() == '\n' ? line.substr(0, line.size() - 1) : line;
}

typedef std::function<void(const std::string& line, FILE* out)> EachLine;

// An editor that hands each line to each and then writes what after adds at the end.
webserver::LineEditor LineByLine(const EachLine& each, const std::function<void(FILE*)>& after) {
    return [each, after](const webserver::Lines& lines, FILE* out) {
        for (const std::string& line : lines)
            each(line, out);
        if (after)
            after(out);
    };
}

// An engine file edited by each of edits in turn and written once; it and its ".old" copy then
// belong to the program owner.
int EditEngineFile(const char* path, const std::vector<webserver::LineEditor>& edits,
                   bool chownToBin) {
    webserver::EditedFile file;
    file.path = path ? path : "";
    file.report = false;
    int edited = webserver::RewriteWithCopy(file, edits);
    if (edited && chownToBin) {
        SysChown(file.path, kEngineFilesOwner, 0);
        SysChown(file.path + ".old", kEngineFilesOwner, 0);
    }
    return edited;
}

// The hosting edition's archives the class path must hold, each appended as ":" + entry.
std::vector<std::string> HostingArchives(const ICString& inst) {
    ICString tools = inst ^ "Tools";
    return {static_cast<const char*>(tools ^ "lib" ^ "jsafe.zip"),
            static_cast<const char*>(inst ^ "QBX" ^ "QBX.jar"),
            static_cast<const char*>(tools ^ "lib" ^ "xml4j.jar"),
            std::string(tools) + ":",
            static_cast<const char*>(tools ^ "lib" ^ "sslite1.jar"),
            static_cast<const char*>(tools ^ "lib" ^ "vxqbx.jar"),
            static_cast<const char*>(tools ^ "lib" ^ "vxtools.jar")};
}

// The servlets of the hosting server, each replaced by its own line.
struct ServletRow {
    const char* key;
    const char* format;
};
const ServletRow kHostingServlets[] = {
    {"servlet.MerchantAdmin.code",
     "%s=com.orvell.commerce.tools.request_management.RequestManager\n"},
    {"servlet.MerchantAdmin.description", "%s=\n"},
    {"servlet.MerchantAdmin.initArgs", "%s=configfile=%s\n"},
    {"servlet.ProductDisplay.code",
     "%s=com.orvell.commerce.tools.vxqbx.urlProxy.ProductDisplayProxy\n"},
    {"servlet.ShoppingCart.code",
     "%s=com.orvell.commerce.tools.vxqbx.urlProxy.ShoppingCartProxy\n"},
    {"servlet.Order.code", "%s=com.orvell.commerce.tools.vxqbx.urlProxy.OrderProxy\n"},
    {"servlet.Register.code", "%s=com.orvell.commerce.tools.vxqbx.urlProxy.RegisterProxy\n"},
    {"servlet.Logon.code", "%s=com.orvell.commerce.tools.vxqbx.urlProxy.LogonProxy\n"},
    {"servlet.CustomerService.code",
     "%s=com.orvell.commerce.tools.vxqbx.urlProxy.CustomerServiceProxy\n"},
    {"servlet.ViewShoppingCart.code",
     "%s=com.orvell.commerce.tools.vxqbx.urlProxy.ViewShoppingCartProxy\n"},
    {"servlet.Search.code", "%s=com.orvell.commerce.tools.vxqbx.urlProxy.SearchProxy\n"},
    {"servlet.Home.code", "%s=com.orvell.commerce.tools.vxqbx.urlProxy.HomeProxy\n"},
    {"servlet.Logoff.code", "%s=com.orvell.commerce.tools.vxqbx.urlProxy.LogoffProxy\n"},
    {"servlet.Catalog.code", "%s=com.orvell.commerce.tools.vxqbx.urlProxy.CatalogProxy\n"},
    {"servlet.StoreSearch.code", "%s=com.orvell.commerce.tools.vxqbx.urlProxy.StoreSearchProxy\n"},
    {"servlet.ExtendedPaymentFinish.code", "%s=custom.vxqbx.payment.ExtendedPaymentFinish\n"},
    {"servlet.ExtendedChangeStatus.code", "%s=custom.vxqbx.order_mgmt.ExtendedChangeStatus\n"},
    {"servlet.ExtendedAddComments.code", "%s=custom.vxqbx.order_mgmt.ExtendedAddComments\n"},
    {"servlet.GetAuthorizationStatus.code", "%s=custom.vxqbx.order_mgmt.GetAuthorizationStatus\n"},
    {"servlet.ExtendedPaymentInitialize.code",
     "%s=custom.vxqbx.payment.ExtendedPaymentInitialize\n"},
};

// The commerce server's servlets, whose lines are replaced by the product's.
const char* const kServerServlets[] = {"servlet.icmserver", "servlet.icviewer", "servlet.icstfile",
                                       "servlet.vxtrade3"};

bool Mentions(const std::string& line, const char* text) {
    return line.find(text) != std::string::npos;
}

// The edit of a bootstrap.properties for info.
webserver::LineEditor BootstrapEditor(const MSInfo& info) {
    ICString inst = InstallDir();
    ICString archive = writers::DatabaseArchive(info), relda;
    SysGetDBOrvellPath(relda);
    bool hosting = Hosting(info), reldaDb = info.DBType == DB_RELDA;
    return LineByLine(
        [inst, archive, relda, hosting, reldaDb](const std::string& line, FILE* out) {
            if (Mentions(line, "java.classpath")) {
                std::string text = line;
                if (!Mentions(text, archive))
                    text = WithoutNewline(text) + ":" + static_cast<const char*>(archive) + "\n";
                size_t equals = text.find('=');
                if (hosting && equals != std::string::npos) {
                    std::string value = WithoutNewline(text.substr(equals + 1));
                    for (const std::string& entry : HostingArchives(inst)) {
                        if (value.find(entry) == std::string::npos)
                            value += ":" + entry;
                    }
                    text = "java.classpath=" + value + "\n";
                }
                fputs(text.c_str(), out);
            } else if (Mentions(line, "java.libpath") && hosting) {
                std::string text = WithoutNewline(line);
                ICString bin = inst ^ "bin";
                ICString lib = relda ^ "lib";
                if (!Mentions(line, bin))
                    text += ":" + std::string(bin);
                if (reldaDb && !Mentions(line, lib))
                    text += ":" + std::string(lib);
                fprintf(out, "%s\n", text.c_str());
            } else {
                webserver::CopyLine(out, line);
            }
        },
        nullptr);
}

// The edit of a servlets.properties for info; found is cleared when the installation
// directory is not found for its last lines.
webserver::LineEditor ServletsEditor(const MSInfo& info, int& found) {
    ICString inst = InstallDir();
    bool hosting = Hosting(info);
    ICString context = info.ISHost + "=" + info.HtmlPath;
    found = 1;
    return LineByLine(
        [hosting](const std::string& line, FILE* out) {
            bool drop = false;
            if (hosting) {
                for (const ServletRow& row : kHostingServlets)
                    drop = drop || Mentions(line, row.key);
            } else {
                for (const char* key : kServerServlets)
                    drop = drop || Mentions(line, key);
            }
            if (drop)
                return;
            if (Mentions(line, "servlets.startup"))
                fputs(hosting ? "servlets.startup=invoker MerchantAdmin\n"
                              : "servlets.startup=invoker    vxtrade3\n",
                      out);
            else
                webserver::CopyLine(out, line);
        },
        [inst, hosting, context, &found](FILE* out) {
            if (hosting) {
                ICString config = inst ^ "Tools" ^ "config" ^ "config.xml";
                for (const ServletRow& row : kHostingServlets)
                    fprintf(out, row.format, row.key, static_cast<const char*>(config));
                return;
            }
            const char* conf = "vxtrade.conf";
            fputs("servlet.icmserver.code=com.orvell.ict.runtime.icmserver\n", out);
            fputs("servlet.icmserver.description=\n", out);
            fprintf(out, "servlet.icmserver.initArgs=configfile=%s\n", conf);
            fputs("servlet.icviewer.code=com.orvell.ict.runtime.icviewer\n", out);
            fprintf(out, "servlet.icviewer.initArgs=configfile=%s,", conf);
            fprintf(out, "context=text/x-ssi-html,%s\n", static_cast<const char*>(context));
            fputs("servlet.icviewer.description=\n", out);
            fputs("servlet.icstfile.code=com.orvell.ict.runtime.icstfile\n", out);
            fputs("servlet.vxtrade3.code=com.orvell.commerce.server.BaseServer\n", out);
            ICString dir;
            if (!ICGetInstPath(dir)) {
                found = 0;
                return;
            }
            fprintf(out, "servlet.vxtrade3.initArgs=configfile=%s\n",
                    static_cast<const char*>(dir ^ "bin" ^ "icsrvctl.properties"));
            fputs("servlet.vxtrade3.description=Vendrix Java Server\n", out);
        });
}

} // namespace

int webserver::EditBootstrapFor(const std::vector<MSInfo>& infos, const char* path) {
    std::vector<LineEditor> edits;
    for (const MSInfo& info : infos)
        edits.push_back(BootstrapEditor(info));
    return EditEngineFile(path, edits, true);
}

int webserver::EditServletsFor(const std::vector<MSInfo>& infos, const char* path) {
    std::vector<int> found(infos.size(), 1);
    std::vector<LineEditor> edits;
    for (size_t i = 0; i < infos.size(); ++i)
        edits.push_back(ServletsEditor(infos[i], found[i]));
    int edited = EditEngineFile(path, edits, true);
    if (!edited)
        return 0;
    for (int one : found) {
        if (!one) {
            ICShowError(IC_MSG_NO_INSTALL_PARAMETERS);
            edited = 0;
        }
    }
    return edited;
}

int SetBootStrapProperties(MSInfo& info, const char* path) {
    return webserver::EditBootstrapFor({info}, path);
}

int SetServletProperties(MSInfo& info, const char* path) {
    return webserver::EditServletsFor({info}, path);
}

int SetConfigXML(MSInfo& info, const char* path) {
    ICString inst = InstallDir();
    struct Rule {
        const char* key;
        ICString value;
    } const rules[] = {
        {"<config baseDirectory", webserver::Slashed(inst ^ "Tools")},
        {"        VXQBXBaseDirectory", webserver::Slashed(inst ^ "QBX")},
        {"        vendrixConfig", webserver::Slashed(info.HtmlPath ^ VX_MAIN_CONF)},
    };
    EachLine each = [&](const std::string& line, FILE* out) {
        for (const Rule& rule : rules) {
            if (Mentions(line, (std::string(rule.key) + "=").c_str())) {
                fprintf(out, "%s=\"%s\"\n", rule.key, static_cast<const char*>(rule.value));
                return;
            }
        }
        webserver::CopyLine(out, line);
    };
    return EditEngineFile(path, {LineByLine(each, nullptr)}, false);
}

int CopyJSPFiles(MSInfo& info) {
    ISPath web;
    if (info.ISType == IS_WHARF)
        SysGetISOrvellInfo(web);
    else if (info.ISType == IS_NETSCAPE)
        SysGetISNESInfo(web, info);
    ICString docs = web[ISPATH_DOCS];
    ICString html = InstallDir() ^ "html" ^ "en_US";
    int copied = 1;
    for (const char* area : {"hwlmall", "hwlstore"}) {
        ICString target = docs ^ (area == std::string("hwlmall") ? "hwlsamplemall" : area);
        if (!MakeDir(target, info.DBOwner, kSampleDirMode))
            return 0;
        copied = SysCopyJSPFiles(html ^ area ^ "*.jsp", target) && copied;
    }
    return copied;
}
