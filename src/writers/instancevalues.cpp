// Values several configuration files of an instance share (see instancevalues.h).
#include "writers/instancevalues.h"

#include <cstring>

#include "vxconfig/discovery.h"
#include "vxconfig/portplan.h"

namespace writers {

namespace {

const char kOracleDriver[] = "oracle.jdbc.driver.OracleDriver";
const char kReldaAppDriver[] = "COM.orvell.relda.jdbc.app.RELDADriver";
const char kReldaNetDriver[] = "COM.orvell.relda.jdbc.net.RELDADriver";
const char kOracleUrl[] = "jdbc:oracle:thin:@";
const char kReldaUrl[] = "jdbc:relda:";
const char kOraclePort[] = "1521";
// The hosting edition names its database by a prefix letter and at most 7 characters; a
// longer name is cut to 6.
enum { kHostingNameMax = 7, kHostingNameCut = 6 };

bool Bit(const MSInfo& info, int bit) {
    return (info.MSOption & bit) != 0;
}

ICString OracleUrl(const MSInfo& info, const char* host) {
    return ICString(kOracleUrl) + host + ":" + kOraclePort + ":" + info.DBName;
}

// The Relda network URL: the database reached through the web server host's access port.
ICString ReldaNetUrl(const MSInfo& info) {
    char port[16];
    snprintf(port, sizeof port, "%d", MS_RESERVED_PORT);
    return ICString(kReldaUrl) + "//" + info.ISHost + ":" + port + "/" + info.DBName;
}

ICString HostingDatabaseName(const MSInfo& info) {
    ICString name = info.DBName;
    if (name.GetLength() > kHostingNameMax)
        name.Truncate(kHostingNameCut);
    return name;
}

} // namespace

ICString ServicePrefix(const MSInfo& info, const char* tag) {
    ICString prefix;
    GetVXServicePfx(info.Name, prefix);
    if (tag)
        prefix += ICString("_") + tag;
    return prefix;
}

ICString JreBin() {
    ICString jre;
    SysGetJREPath(jre);
    return jre ^ "bin";
}

ICString DatabaseArchive(const MSInfo& info) {
    ICString home;
    if (info.DBType != DB_RELDA) {
        SysGetOraPath(home, 1);
        return home ^ "jdbc" ^ "lib" ^ "classes111.zip";
    }
    SysGetDBOrvellPath(home);
    return home ^ "java" ^ "reldajava.zip";
}

ICString HostingClassPath(const MSInfo& info) {
    ICString jre, database = DatabaseArchive(info), hosting;
    SysGetJREPath(jre);
    SysGetHWLPath(hosting);
    return (jre ^ "lib" ^ "classes.zip") + ":" + database + ":" + (hosting ^ "QBX" ^ "QBX.jar") +
           ":" + (hosting ^ "QBX" ^ "Vx_qbx.jar");
}

void WriteJdbcLines(MSInfo& info, FILE* out) {
    bool oracle = info.DBType != DB_RELDA;
    bool netscape = info.ISType == IS_NETSCAPE;
    bool hosting = Bit(info, MS_OPT_HOSTING);
    bool remote = Bit(info, MS_OPT_DB_REMOTE);

    const char* driver = oracle                 ? kOracleDriver
                         : !netscape || hosting ? kReldaAppDriver
                                                : kReldaNetDriver;
    info.WriteCAJAppDrv(out, driver);
    info.WriteCAJNetDrv(out, oracle ? kOracleDriver : kReldaNetDriver);

    ICString url;
    if (oracle)
        url = OracleUrl(info, hosting && remote ? info.DBHost : info.ISHost);
    else if (hosting)
        url = ICString(kReldaUrl) + "r" + HostingDatabaseName(info);
    else if (!netscape)
        url = ICString(kReldaUrl) + info.DBName;
    else
        url = ReldaNetUrl(info);
    info.WriteCAJUrl(out, url);
    info.WriteCAJNetUrl(out, oracle ? OracleUrl(info, remote ? info.DBHost : info.ISHost)
                                    : ReldaNetUrl(info));
}

void AddEditorPaths(MSInfo& info, bool caHtmlFirst) {
    ICString editor = info.RootPath ^ "teditor";
    bool pro = !Bit(info, MS_OPT_START_PKG);
    if (caHtmlFirst && pro)
        info.TEditorPath.AddHeadUnique(editor ^ "ca_html");
    info.TEditorPath.AddHeadUnique(editor);
    if (!caHtmlFirst && pro)
        info.TEditorPath.AddHeadUnique(editor ^ "ca_html");
}

} // namespace writers
