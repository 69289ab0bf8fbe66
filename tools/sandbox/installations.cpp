// Existing installations in a sandbox, written the way the product's writers write them.
#include "installations.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "sandbox_parts.h"
#include "vxconfig/fileio.h"
#include "vxconfig/mslist.h"
#include "vxconfig/portplan.h"

namespace {

using sandbox::Builder;

std::string Str(const ICString& s) {
    return std::string(static_cast<const char*>(s));
}

// Keys whose spelling changed between the releases (the rest are spelled alike).
struct Spelling {
    const char* dbName;
    const char* dbInst;
    const char* dbPass;
    const char* processes;
    const char* htmlPath;
    const char* cgiPath;
};

const Spelling kSpellings[] = {
    {"MS_DBNAME", "MS_DBINST", "MS_DBPASS", "MS_NUM_CHILD", "WWW_HTML_PATH", "WWW_CGIBIN_PATH"},
    {"MS_DBNAME", "MS_DBINST", "MS_DBPASS", "MS_NUM_CHILD", "WWW_HTML_PATH", "MS_CGIBIN_PATH"},
    {"DBNAME", "DBINST", "DBPASS", "PROCESSES", "HTML_PATH", "MS_CGIBIN_PATH"},
};

const char* ProductDir(int release) {
    static const char* const dirs[] = {"/opt/Orvellvndx/Vendrix", "/opt/Orvellvndx/Vendrix2",
                                       "/opt/Orvellvndx/Vendrix3"};
    return dirs[release - 1];
}

// The lines of one keyword/value file.
class ConfText {
public:
    void Str(const char* key, const std::string& value) { m_text += key + (" " + value) + "\n"; }
    void Str(const char* key, const ICString& value) { Str(key, ::Str(value)); }
    void Str(const char* key, const char* value) { Str(key, std::string(value)); }
    void Int(const char* key, int value) { Str(key, std::to_string(value)); }
    void Bare(const char* line) { m_text += std::string(line) + "\n"; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// The instance's service name prefix.
std::string Prefix(const MSInfo& m) {
    ICString prefix;
    GetVXServicePfx(m.Name, prefix);
    return Str(prefix);
}

std::string Joined(const ParmList<ICString>& list) {
    std::string out;
    for (auto* n = list.GetHeadNode(); n; n = n->next)
        out += (n == list.GetHeadNode() ? "" : ";") + ::Str(*n->data);
    return out;
}

int Or(int value, int fallback) {
    return value >= 0 ? value : fallback;
}
std::string Or(const ICString& value, const std::string& fallback) {
    return value.IsEmpty() ? fallback : ::Str(value);
}

const char* CacheText(int option) {
    if (option & MS_OPT_CACHE_WS)
        return "WS";
    return (option & MS_OPT_CACHE_ON) ? "ON" : "OFF";
}

std::string MainFile(const std::string& root, int release, const MSInfo& m) {
    const Spelling& k = kSpellings[release - 1];
    std::string product = root + ProductDir(release);
    std::string host = Str(m.ISHost);
    ConfText t;
    t.Str("SERVICE_NAME_PREFIX", Prefix(m));
    t.Str("EXEC", product + "/bin/server");
    t.Str("MS_HOSTNAME", host);
    if (strcmp(m.DBName, "default") != 0)
        t.Str(k.dbName, m.DBName);
    t.Str(k.dbInst, m.DBUser);
    t.Str("DBOWNER", m.DBOwner);
    t.Str(k.dbPass, m.DBPswd);
    t.Str("DB_HOST", m.DBHost);
    t.Str("DB_NODE", m.DBNode);
    t.Str("DB_REMOTE", (m.MSOption & MS_OPT_DB_REMOTE) ? "ON" : "OFF");
    if (m.MSProc != -2)
        t.Int(k.processes, m.MSProc);
    if (release < 3)
        t.Int("MS_PORT", m.MSPort);
    if (strcmp(m.MerKey, "default") != 0)
        t.Str("MERCHANT_KEY", m.MerKey);
    t.Str("PDI_ENCRYPT", "OFF");
    t.Str("ERR_NOTIFICATION", "ON");
    t.Str("ORDER_NOTIFICATION", "ON");
    t.Str("ADMIN_ERR_MSG_TEMPLATE", "errmsgadmin.tpl");
    t.Str("TEMPLATE_PATH", product + "/templates/en_US");
    t.Int("USERTRAFFIC_LOG", (m.MSOption & MS_OPT_HOSTING) ? 1 : 0);
    t.Int("MS_TRANS_COUNT", Or(m.TransCnt, 1000));
    t.Int("MS_HTML_MAX", Or(m.HtmlMax, 1000000));
    t.Str("MS_LOGPATH", m.VXLogPath);
    t.Int("MS_LOGLEVEL", Or(m.LogLevel, 0));
    t.Int("DB_RETRY_LIMIT", Or(m.DBRetryLimit, 5));
    t.Int("DB_RETRY_INTERVAL", Or(m.DBRetryIntvl, 20));
    if (m.MSOption & (MS_OPT_CACHE_WS | MS_OPT_CACHE_ON)) {
        t.Int("VX_DMN_CACHE", Or(m.VXDmnCache, 1));
        t.Int("VX_DMN_SYNCH", Or(m.VXDmnSynch, 1));
        t.Int("VX_DMN_SLP_SEC", Or(m.VXDmnSleep, 15));
    }
    if (strcmp(m.MacroPath, "default") != 0)
        t.Str("MACRO_PATH", m.MacroPath);
    t.Str(k.htmlPath, m.DocRoot);
    if (strcmp(m.CgiPath, "default") != 0)
        t.Str(k.cgiPath, m.CgiPath);
    t.Str("GP_PATH", Or(m.GPPath, product + "/Guidepath"));
    t.Str("VX_TEDITOR_PATH", Joined(m.TEditorPath));
    t.Str("VX_LANG", Or(m.VXLang, "en_US"));
    static const char* const webServers[] = {"Wharf", "Netscape", "Brindle"};
    t.Str("VX_WEBSERVER", webServers[m.ISType >= 0 && m.ISType <= 2 ? m.ISType : 0]);
    t.Int("VX_ENABLE_STAGING", (m.MSOption & MS_OPT_STAGING) ? 1 : 0);
    t.Str("CACHE_ENABLED", CacheText(m.MSOption));
    if (strcmp(m.DefsDir, "default") != 0 && !m.DefsDir.IsEmpty())
        t.Str("DEFAULTS", m.DefsDir);
    t.Int("MAX_CACHED_FILES", m.MaxCacheFiles);
    t.Str("CACHE_FILE_PATH", m.CachePath);
    t.Str("INST_PATH", m.RootPath);
    t.Str("CONFIG_PATH", m.HtmlPath);
    t.Str("PERFORMANCE_HOST", host);
    t.Str("IC_DBMS", m.DBType == DB_ORACLE ? "Oracle" : "RELDA");
    t.Str("PAYVANE_HOSTNAME", Or(m.PVHost, host));
    t.Int("PAY_STATE_TIMEOUT", m.PVTmout);
    // The writer asks the system whether the payment server is installed.
    std::string pkg = root + "/var/sadm/pkg/OrvellPS/pkginfo";
    t.Int("PAYSYS_CONTROLLER", access(pkg.c_str(), R_OK) == 0 ? 1 : 0);
    t.Int("PAYVANE_ADMIN_PORT", VXPortPlan(m).Pay(VXPortPlan::kPayAdmin));
    t.Int("PAYVANE_PAY_PORT", VXPortPlan(m).Pay(VXPortPlan::kPayPay));
    t.Bare("SECURE_NVPS password, shlpswd, shlpswdver, ccnum, ccxyear, ccxmonth, name, "
           "shlogid, sanick");
    if (m.ISType == IS_NETSCAPE) {
        t.Str("NES_SECURE", m.NESSecure);
        t.Str("NES_NONSECURE", m.NESNonsecure);
    }
    if (!(m.MSOption & MS_OPT_START_PKG))
        t.Str("IC_JDBC_POOL", m.DBType == DB_ORACLE ? "JdbcOracle" : "JdbcRelda");
    t.Str("IC_JDBC_DRIVER", m.CAJAppDrv);
    t.Str("IC_JDBC_NETDRIVER", m.CAJNetDrv);
    t.Str("IC_JDBC_URL", m.CAJUrl);
    t.Str("IC_JDBC_NETURL", m.CAJNetUrl);
    return t.Text();
}

std::string PayBackFile(int release, const std::string& product, const MSInfo& m) {
    const Spelling& k = kSpellings[release - 1];
    std::string host = Str(m.ISHost);
    ConfText t;
    t.Str("SERVICE_NAME_PREFIX", Prefix(m) + "_pb");
    t.Str("EXEC", product + "/bin/back_server");
    t.Str(k.dbName, m.DBName);
    t.Str(k.dbInst, m.DBUser);
    t.Str(k.dbPass, m.DBPswd);
    t.Int(k.processes, Or(m.PBProc, 1));
    t.Str("MERCHANT_KEY", m.MerKey);
    t.Str("MS_HOSTNAME", host);
    t.Int("DB_RETRY_LIMIT", 5);
    t.Int("DB_RETRY_INTERVAL", 20);
    t.Str("PAYVANE_HOSTNAME", Or(m.PVHost, host));
    t.Int("BACKGROUND_CYCLE_TIME", m.PVCycle);
    t.Int("PAY_STATE_TIMEOUT", m.PVTmout);
    t.Int("PAYVANE_ADMIN_PORT", VXPortPlan(m).Pay(VXPortPlan::kPayAdmin));
    t.Int("PAYVANE_PAY_PORT", VXPortPlan(m).Pay(VXPortPlan::kPayPay));
    t.Int("BACKGROUND_INTER_JOB_TIME", m.PVIntvl);
    t.Str("MS_LOGPATH", m.VXLogPath);
    t.Int("MS_LOGLEVEL", 0);
    t.Int("PAYSYS_CONTROLLER", 0);
    return t.Text();
}

std::string PayServerFile(int release, const std::string& product, const MSInfo& m) {
    const Spelling& k = kSpellings[release - 1];
    std::string host = Str(m.ISHost);
    std::string root = Str(m.RootPath);
    VXPortPlan ports(m);
    ConfText t;
    t.Str("SERVICE_NAME_PREFIX", Prefix(m) + "_pe");
    t.Str("EXEC", product + "/bin/pay_server");
    t.Str(k.dbName, m.DBName);
    t.Str(k.dbInst, m.DBUser);
    t.Str(k.dbPass, m.DBPswd);
    t.Int(k.processes, 1);
    t.Str("MERCHANT_KEY", m.MerKey);
    t.Str("MS_HOSTNAME", host);
    t.Int("DB_RETRY_LIMIT", 5);
    t.Int("DB_RETRY_INTERVAL", 20);
    t.Str("USEREXIT_HOSTNAME", Or(m.PVExitHost, host));
    t.Str("CMSPASS", m.CMSPswd);
    t.Str("USEREXIT_SERVICE_NAME_PREFIX", Or(m.PVExitSvcPfx, Prefix(m)));
    t.Str("PAYVANE_HOSTNAME", Or(m.PVHost, host));
    t.Str("PAYVANE_EXEC", Or(m.PVExec, root + "/bin/PayVane"));
    t.Int("PAYVANE_ADMIN_PORT", ports.Pay(VXPortPlan::kPayAdmin));
    t.Int("PAYVANE_PAY_PORT", ports.Pay(VXPortPlan::kPayPay));
    t.Int("PAYVANE_ERROR_PORT", ports.Pay(VXPortPlan::kPayError));
    t.Int("PAYVANE_SET_PAY_PORT", ports.Pay(VXPortPlan::kPaySetPay));
    t.Int("PAYVANE_SET_INQUIRY_PORT", ports.Pay(VXPortPlan::kPaySetInquiry));
    t.Str("PAYVANE_LOG_PATH", Or(m.PVLogPath, Str(m.VXLogPath)));
    t.Str("PAYVANE_CERT_PATH", Or(m.PVCertPath, root + "/data"));
    t.Int("PAYVANE_ENABLE_TRACE", (m.MSOption & MS_OPT_PV_TRACE) ? 1 : 0);
    t.Str("MS_LOGPATH", m.VXLogPath);
    t.Int("MS_LOGLEVEL", 0);
    t.Int("PAYSYS_CONTROLLER", 0);
    return t.Text();
}

// reldawww.ini as the web macro writer leaves it: the processor's template with the paths,
// the document root and the variable scope rewritten, the user's other lines in place.
std::string MacroFile(const MSInfo& m) {
    std::string text = "; Macrolin initialization file\n";
    text += "MACRO_PATH " + Joined(m.MLMacroPath) + "\n";
    text += "INCLUDE_PATH " + Joined(m.MLIncPath) + "\n";
    text += "HTML_PATH\t" + Str(m.DocRoot) + "\n";
    text += "BIND_FILE /opt/OrvellMacrolin/bnd/reldawww.bnd\n";
    text += "EXEC_PATH /opt/OrvellMacrolin/exec\n";
    for (auto* n = m.MLEnv.GetHeadNode(); n; n = n->next)
        text += "ENVIRONMENT " + Str(n->data->name) + " " + Str(n->data->value) + "\n";
    for (auto* n = m.MLMisc.GetHeadNode(); n; n = n->next)
        text += Str(*n->data) + "\n";
    text += "QLW_VARIABLE_SCOPE GLOBAL\n";
    return text;
}

// One directive line: the word padded to 8 columns, the name to 16, the value, the trailer.
std::string Directive(const char* word, const NameValue& nv, const char* trailer) {
    std::string line = word;
    line += std::string(line.size() < 8 ? 8 - line.size() : 1, ' ');
    std::string name = Str(nv.name);
    line += name + std::string(name.size() < 16 ? 16 - name.size() : 1, ' ');
    line += Str(nv.value);
    if (trailer)
        line += std::string(" ") + trailer;
    return line;
}

void AddDirectives(std::vector<std::string>& body, const char* word,
                   const ParmList<NameValue>& list, const char* trailer) {
    for (auto* n = list.GetHeadNode(); n; n = n->next) {
        std::string line = Directive(word, *n->data, trailer);
        bool present = false;
        for (const std::string& old : body)
            present = present || old == line;
        if (!present)
            body.push_back(line);
    }
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos)
            nl = text.size();
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

bool ReadText(const std::string& path, std::string& text) {
    ICString content;
    if (!SysReadFile(path.c_str(), content))
        return false;
    text.append(content, static_cast<size_t>(content.GetLength()));
    return true;
}

const char kBlockStart[] = "###### Orvell Vendrix ###### (Do not edit this section)";
const char kBlockEnd[] = "###### End of Orvell Vendrix ######";

// Puts the instance's rules into the product block of the web server file, making the block
// (at the top) and the file when missing.
bool AddToWebServerFile(Builder& b, const char* absolute, const MSInfo& m) {
    std::string text;
    if (!ReadText(b.Path(absolute), text))
        text = "# Orvell HTTP server configuration\n"
               "# Hostname directive: the name the server answers to\n"
               "Hostname oldhost\n"
               "Pass /* /opt/WharfServer/usr/internet/server_root/pub/*\n";
    std::vector<std::string> before, body, after;
    int part = 0; // 0 before the block, 1 inside, 2 after
    bool hadBlock = false;
    for (const std::string& line : SplitLines(text)) {
        if (part == 0 && line.find("Orvell Vendrix") != std::string::npos) {
            part = 1;
            hadBlock = true;
        } else if (part == 1 && line.find("End of Orvell Vendrix") != std::string::npos) {
            part = 2;
        } else if (part == 1) {
            if (!line.empty())
                body.push_back(line);
        } else {
            (part == 0 ? before : after).push_back(line);
        }
    }
    if (!hadBlock)
        std::swap(before, after);
    const char* host = m.ISHost;
    AddDirectives(body, "Pass", m.ISPass, host);
    AddDirectives(body, "Map", m.ISMap, host);
    AddDirectives(body, "Exec", m.ISExec, host);
    AddDirectives(body, "Pass", m.ISCommonPass, nullptr);
    AddDirectives(body, "Map", m.ISCommonMap, nullptr);
    AddDirectives(body, "Exec", m.ISCommonExec, nullptr);
    AddDirectives(body, "AddType", m.ISCommonAddType, nullptr);

    std::string out;
    for (const std::string& line : before)
        out += line + "\n";
    out += std::string(kBlockStart) + "\n";
    for (const std::string& line : body)
        out += line + "\n";
    out += std::string("\n") + kBlockEnd + "\n";
    for (const std::string& line : after)
        out += line + "\n";
    return b.WriteText(absolute, out);
}

// The boot registry entry and the controller's TCP service of a current-release instance.
bool Register(Builder& b, const MSInfo& m) {
    std::string rc;
    if (!ReadText(b.Path("/etc/rc.vndx"), rc))
        rc = "#! /bin/ksh\n# rc.vndx - Orvell Vendrix initialization file.\n#\n";
    std::string controller = b.root + ProductDir(3) + "/bin/srvrctrl";
    std::string conf = Str(m.HtmlPath) + "/srvrctrl.conf";
    rc += "#Vendrix Instance - " + Str(m.Name) + "\n";
    if (m.DBType == DB_ORACLE)
        rc += "su - " + Str(m.DBOwner) + " -c \"" + controller + " -i " + conf + "&\"\n";
    else
        rc += "su - " + Str(m.DBUser) + " -c \"reldastart; " + controller + " -i " + conf + "&\"\n";
    // The controller's entry as the services file registration writes it.
    std::string services, name = Prefix(m);
    ReadText(b.Path("/etc/services"), services);
    services += name + (name.size() >= 8 ? "\t" : "\t\t") + std::to_string(m.MSPort) +
                "/tcp\t# Vendrix - Server Controller\n";
    return b.WriteText("/etc/rc.vndx", rc, 0754) && b.WriteText("/etc/services", services);
}

bool AddToDataFile(Builder& b, const MSInfo& m) {
    std::string dir = std::string(ProductDir(2)) + "/server/admin";
    if (!b.MakeDirs(dir.c_str()))
        return false;
    std::string path = b.Path((dir + "/vxconfig.dat").c_str());
    MSList list;
    list.Load(path.c_str());
    MSInfo entry;
    entry.SetName(m.Name);
    entry.SetHtmlPath(m.HtmlPath);
    list.Add(entry, 0);
    return list.Store(path.c_str()) ? true : b.Fail("cannot write " + path);
}

// Absolute paths of the record are already rooted; the builder wants them below its root.
std::string Unrooted(const Builder& b, const ICString& path) {
    std::string p = Str(path);
    if (p.compare(0, b.root.size(), b.root) == 0)
        return p.substr(b.root.size());
    return p;
}

// A builder for one of the releases there are.
// They add to an installation that is there already.
bool StartRelease(Builder& b, const char* root, int release, ICString& error) {
    if (!b.Start(root, true, error))
        return false;
    if (release < 1 || release > 3) {
        error = "there are releases 1, 2 and 3 only";
        return false;
    }
    return true;
}

} // namespace

int SandboxAddRelease(const char* root, int release, ICString& error) {
    error.Empty();
    Builder b;
    if (!StartRelease(b, root, release, error))
        return 0;
    if (release == 3)
        return 1;
    std::string product = ProductDir(release);
    std::string pkginfo = "PKG=Orvellvndx\nNAME=Vendrix Commerce Server\nARCH=sparc\nVERSION=" +
                          std::to_string(release) +
                          ".0.0,REV=1999.06.01\nCATEGORY=application\n"
                          "VENDOR=Orvell Corporation\nBASEDIR=/opt\n";
    bool ok =
        b.MakeDirs((product + "/bin").c_str()) && b.MakeDirs((product + "/server/admin").c_str()) &&
        b.MakeDirs((product + "/macro/en_US").c_str()) &&
        b.MakeDirs((product + "/html/en_US").c_str()) && b.MakeDirs("/var/sadm/pkg/Orvellvndx") &&
        b.WriteText("/var/sadm/pkg/Orvellvndx/pkginfo", pkginfo);
    return b.Finish(ok, error) ? 1 : 0;
}

int SandboxAddInstance(const char* root, int release, const MSInfo& info, ICString& error) {
    error.Empty();
    Builder b;
    if (!StartRelease(b, root, release, error))
        return 0;
    std::string config = Unrooted(b, info.HtmlPath);
    std::string docRoot = Unrooted(b, info.DocRoot);
    std::string product = b.root + ProductDir(release);
    std::string mainFile = release == 1
                               ? "/etc/mserver.conf"
                               : config + "/" + (release == 2 ? "mserver.conf" : "vxtrade.conf");
    // The first release kept its daemons' files in the document root.
    std::string payDir = release == 1 ? docRoot : config;
    bool ok =
        b.MakeDirs(config.c_str()) && b.MakeDirs(docRoot.c_str()) &&
        b.WriteText(mainFile.c_str(), MainFile(b.root, release, info)) &&
        b.WriteText((payDir + "/pay_back.conf").c_str(), PayBackFile(release, product, info)) &&
        b.WriteText((payDir + "/pay_payvane.conf").c_str(),
                    PayServerFile(release, product, info)) &&
        b.WriteText((docRoot + "/reldawww.ini").c_str(), MacroFile(info)) &&
        AddToWebServerFile(b, release == 3 ? "/etc/httpd.conf" : "/etc/httpd.vndx", info);
    if (ok && release == 3)
        ok = Register(b, info);
    if (ok && release == 2)
        ok = AddToDataFile(b, info);
    return b.Finish(ok, error) ? 1 : 0;
}
