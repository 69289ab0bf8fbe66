// Instance records of an existing installation, as the capture tests lay them out.
#include "records.h"

MSInfo FullRecord(MSInfo m, const char* host, int port) {
    ICString product;
    ICGetInstPath(product);
    const std::string name = std::string(m.Name), dir = std::string(m.RootPath),
                      inst = std::string(product);
    m.MerKey = "0123456789abcdef0123456789abcdef";
    m.ConfigPath = (inst + "/instance").c_str();
    m.DefsDir = (dir + "/globals").c_str();
    m.ISHost = host;
    m.DBName = (name + "db").c_str();
    m.DBPswd = "a1b2c3d4e5f6a7b8";
    m.DBHost = "dbhost";
    m.DBNode = "dbnode";
    m.CMSPswd = "feedfacefeedface";
    m.MSProc = 4;
    m.MSPort = port;
    m.MSOption = MS_OPT_STAGING | MS_OPT_CACHE_ON | MS_OPT_PV_TRACE | MS_OPT_DB_REMOTE;
    m.PVCycle = 45;
    m.PVIntvl = 50;
    m.PVTmout = 1800;
    m.MaxCacheFiles = 1000;
    m.TransCnt = 500;
    m.HtmlMax = 200000;
    m.LogLevel = 2;
    m.DBRetryLimit = 6;
    m.DBRetryIntvl = 25;
    m.VXDmnCache = 1;
    m.VXDmnSynch = 0;
    m.VXDmnSleep = 15;
    m.GPPath = (inst + "/Guidepath").c_str();
    m.TEditorPath.AddTail((dir + "/teditor").c_str());
    m.TEditorPath.AddTail((dir + "/teditor/ca_html").c_str());
    m.VXLang = "en_US";
    m.CAJAppDrv = "COM.orvell.relda.jdbc.app.RELDADriver";
    m.CAJNetDrv = "COM.orvell.relda.jdbc.net.RELDADriver";
    m.CAJUrl = ("jdbc:relda:" + name + "db").c_str();
    m.CAJNetUrl = ("jdbc:relda://" + std::string(host) + ":16560/" + name + "db").c_str();
    m.PVHost = host;
    m.PBProc = 2;
    m.PVExitHost = host;
    m.PVExitSvcPfx = ("vx" + name).c_str();
    m.PVExec = (dir + "/bin/PayVane").c_str();
    m.PVLogPath = m.VXLogPath;
    m.PVCertPath = (dir + "/data").c_str();
    m.ISPass.AddTail(NameValue("/te_html/*", (dir + "/teditor/te_html/*").c_str()));
    m.ISCommonPass.AddTail(NameValue("/vxadmin/*", (inst + "/html/en_US/vxadmin/*").c_str()));
    m.ISCommonExec.AddTail(NameValue("/msprotect/*", (inst + "/cgi-bin/*").c_str()));
    m.ISCommonAddType.AddTail(NameValue(".cacert", "application/x-x509-ca-cert"));
    m.MLEnv.AddTail(NameValue("(QLW_ODBC)", "/usr/lib/libqlwsql.so PORT=0"));
    m.MLMacroPath.AddTail((dir + "/teditor").c_str());
    m.MLMacroPath.AddTail((inst + "/macro/en_US").c_str());
    m.MLIncPath.AddTail((inst + "/html/en_US").c_str());
    m.MLMisc.AddTail("DEFINE_TRACE NO");
    return m;
}

std::vector<std::string> Strings(const ParmList<ICString>& list) {
    std::vector<std::string> out;
    for (auto* n = list.GetHeadNode(); n; n = n->next)
        out.push_back(static_cast<const char*>(*n->data));
    return out;
}

std::vector<std::string> Pairs(const ParmList<NameValue>& list) {
    std::vector<std::string> out;
    for (auto* n = list.GetHeadNode(); n; n = n->next)
        out.push_back(std::string(n->data->name) + "=" + static_cast<const char*>(n->data->value));
    return out;
}

std::vector<std::string> Names(MSList& list) {
    std::vector<std::string> out;
    MSInfo m;
    for (int i = 0; list.SetIndex(i) && list.GetCurrent(m); ++i)
        out.push_back(static_cast<const char*>(m.Name));
    return out;
}
