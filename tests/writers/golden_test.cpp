// Whole files as the writers must leave them, written out by hand line by line: the main
// file of the main kinds of instance, the controller's file, the member daemons' files, the
// host map and the web macro file from both template shapes.

#include "sandbox_fixture.h"

namespace {

class GoldenTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        P = Rooted("/opt/Orvellvndx/Vendrix3");
        D = Rooted("/conf/shop1");
        R = Rooted("/inst/shop1");
        docs = Rooted("/docs/shop1");
        for (const char* dir : {"/conf", "/conf/shop1", "/docs", "/docs/shop1"})
            ASSERT_EQ(mkdir(Rooted(dir).c_str(), 0755), 0);
        m = Instance("shop1");
        m.DefsDir = "default";
        m.MerKey = "default";
        m.ISHost = "shop1host";
        m.DBName = "shopdb";
        m.DBPswd = "a1b2c3d4";
        m.DBHost = "dbhost";
        m.DBNode = "dbnode";
        m.MSProc = 4;
        m.MSPort = 4000;
        m.MaxCacheFiles = 1000;
        m.PVTmout = -5;
    }
    std::string Main() { return ReadWholeFile(D + "/vxtrade.conf"); }
    // An expected file written with $P, $R, $D, $docs, $cgi, $jre and $relda for the paths.
    std::string Fill(std::string text) {
        const std::pair<const char*, std::string> paths[] = {
            {"$docs", docs},
            {"$relda", Rooted("/opt/Orvellrelda/V6.1")},
            {"$cgi", Rooted("/cgi/shop1")},
            {"$jre", Rooted("/usr/java")},
            {"$P", P},
            {"$R", R},
            {"$D", D}};
        for (const auto& path : paths)
            for (size_t at; (at = text.find(path.first)) != std::string::npos;)
                text.replace(at, strlen(path.first), path.second);
        return text;
    }

    std::string P, D, R, docs;
    MSInfo m;
};

TEST_F(GoldenTest, MainFileOfAReldaInstanceOnTheOrvellServer) {
    ASSERT_EQ(CreateMSInit(m, P.c_str()), 1);
    EXPECT_EQ(Main(),
              Fill("SERVICE_NAME_PREFIX vxshop1\nEXEC $P/bin/server\nMS_HOSTNAME shop1host\n"
                   "DBNAME shopdb\nDBINST reldinst\nDBOWNER vxowner\nDBPASS a1b2c3d4\n"
                   "DB_HOST dbhost\nDB_NODE dbnode\nDB_REMOTE OFF\nPROCESSES 4\nPDI_ENCRYPT OFF\n"
                   "ERR_NOTIFICATION ON\nORDER_NOTIFICATION ON\n"
                   "ADMIN_ERR_MSG_TEMPLATE errmsgadmin.tpl\nTEMPLATE_PATH $P/templates/en_US\n"
                   "USERTRAFFIC_LOG 0\nMS_TRANS_COUNT 1000\nMS_HTML_MAX 1000000\n"
                   "MS_LOGPATH $R/logs\nMS_LOGLEVEL 0\nDB_RETRY_LIMIT 5\nDB_RETRY_INTERVAL 20\n"
                   "MACRO_PATH $P/macro/en_US\nHTML_PATH $docs\nMS_CGIBIN_PATH $cgi\n"
                   "GP_PATH $P/Guidepath\nVX_TEDITOR_PATH $R/teditor;$R/teditor/ca_html\n"
                   "VX_LANG en_US\nVX_WEBSERVER Wharf\nVX_ENABLE_STAGING 0\nCACHE_ENABLED OFF\n"
                   "MAX_CACHED_FILES 1000\nCACHE_FILE_PATH $R/cache\nINST_PATH $R\n"
                   "CONFIG_PATH $D\nPERFORMANCE_HOST shop1host\nIC_DBMS RELDA\n"
                   "PAYVANE_HOSTNAME shop1host\nPAY_STATE_TIMEOUT 3600\nPAYSYS_CONTROLLER 1\n"
                   "PAYVANE_ADMIN_PORT 4007\nPAYVANE_PAY_PORT 4008\n"
                   "SECURE_NVPS password, shlpswd, shlpswdver, ccnum, ccxyear, ccxmonth, name, "
                   "shlogid, sanick\n"
                   "IC_JDBC_POOL JdbcRelda\nIC_JDBC_DRIVER COM.orvell.relda.jdbc.app.RELDADriver\n"
                   "IC_JDBC_NETDRIVER COM.orvell.relda.jdbc.net.RELDADriver\n"
                   "IC_JDBC_URL jdbc:relda:shopdb\n"
                   "IC_JDBC_NETURL jdbc:relda://shop1host:16560/shopdb\n"));
    EXPECT_EQ(m.PVTmout, 3600);
    // It holds the stored database password: the owner's and its group's only.
    EXPECT_EQ(ModeOf(D + "/vxtrade.conf"), 0640u);

    // Omitted lines: a default database name, processes and time-out of -2. A user's own
    // line comes back at the end, an edited written key does not override.
    ASSERT_TRUE(WriteWholeFile(D + "/vxtrade.conf", Main() + "MY_KEY 1\nMS_LOGLEVEL 9\n"));
    m.DBName = "default";
    m.MSProc = -2;
    m.PVTmout = -2;
    ASSERT_EQ(CreateMSInit(m, P.c_str()), 1);
    std::string text = Main();
    for (const char* gone : {"\nDBNAME", "\nPROCESSES", "\nPAY_STATE_TIMEOUT", "MS_LOGLEVEL 9"})
        EXPECT_FALSE(Has(text, gone)) << gone;
    EXPECT_EQ(text.substr(text.size() - 9), "MY_KEY 1\n");
    EXPECT_TRUE(Has(text, "\nDB_REMOTE OFF\nPDI_ENCRYPT OFF\n"));
    // With -2 processes the ports follow from the base port and -2.
    EXPECT_TRUE(Has(text, "PAYVANE_ADMIN_PORT 4001\nPAYVANE_PAY_PORT 4002\n"));
}

TEST_F(GoldenTest, MainFileOfTheHostingEditionWithACache) {
    m.MSOption = MS_OPT_HOSTING | MS_OPT_CACHE_WS;
    m.DBName = "mallstore";
    m.MerKey = "0f1e2d3c";
    ASSERT_EQ(CreateMSInit(m, P.c_str()), 1);
    std::string text = Main();
    EXPECT_TRUE(
        Has(text, Fill("MERCHANT_KEY 0f1e2d3c\nPDI_ENCRYPT OFF\nOUTBOUND_PATH $P/outbound/en_US\n"
                       "MPG_PATH $P/QBX/mpg_templates\nMTOOL_BASE $P/QBX\n"
                       "MTOOL_LOCKED $P/QBX/locked\nMTOOL_AFFILIATE QBX\n"
                       "MTOOL_MSOURCE $P/QBX/source\nMTOOL_ERROR_LOG $P/QBX/qbxlog.log\n"
                       "MTOOL_GALLERY $P/Tools/public/gallery\nMTOOL_NUM_CON 5\n"
                       "MTOOL_MAX_WAIT 10\nVX_JRE_PATH $jre/bin\n"
                       "VX_CLASSPATH $jre/lib/classes.zip:$relda/java/reldajava.zip:"
                       "$P/QBX/QBX.jar:$P/QBX/Vx_qbx.jar\nERR_NOTIFICATION ON\n")));
    EXPECT_TRUE(Has(text, "USERTRAFFIC_LOG 1\n"));
    EXPECT_TRUE(Has(text, Text({"DB_RETRY_INTERVAL 20", "VX_DMN_CACHE 1", "VX_DMN_SYNCH 1",
                                "VX_DMN_SLP_SEC 15", "MACRO_PATH " + P + "/macro/en_US"})));
    EXPECT_TRUE(Has(text, "CACHE_ENABLED WS\n"));
    EXPECT_TRUE(Has(text, Fill("IC_JDBC_DRIVER COM.orvell.relda.jdbc.app.RELDADriver\n"
                               "IC_JDBC_NETDRIVER COM.orvell.relda.jdbc.net.RELDADriver\n"
                               "IC_JDBC_URL jdbc:relda:rmallst\n"
                               "IC_JDBC_NETURL jdbc:relda://shop1host:16560/mallstore\n")));
    // A name of seven characters is kept whole.
    m.DBName = "mall7ch";
    ASSERT_EQ(CreateMSInit(m, P.c_str()), 1);
    EXPECT_TRUE(Has(Main(), "IC_JDBC_URL jdbc:relda:rmall7ch\n"));
}

TEST_F(GoldenTest, MainFileOfOracleAndNetscapeInstances) {
    m.DBType = DB_ORACLE;
    m.ISType = IS_NETSCAPE;
    m.MSOption = MS_OPT_DB_REMOTE | MS_OPT_CACHE_ON | MS_OPT_STAGING;
    m.NESSecure = "/ns/https-443/config";
    m.NESNonsecure = "/ns/https-80/config";
    ASSERT_EQ(CreateMSInit(m, P.c_str()), 1);
    std::string text = Main();
    EXPECT_TRUE(Has(text, "DB_REMOTE ON\n"));
    EXPECT_TRUE(
        Has(text, Text({"VX_WEBSERVER Netscape", "VX_ENABLE_STAGING 1", "CACHE_ENABLED ON"})));
    EXPECT_TRUE(Has(text, "IC_DBMS Oracle\n"));
    std::string ending = text.substr(text.find("SECURE_NVPS"));
    EXPECT_EQ(ending,
              Fill("SECURE_NVPS password, shlpswd, shlpswdver, ccnum, ccxyear, ccxmonth, name, "
                   "shlogid, sanick\n"
                   "NES_SECURE /ns/https-443/config\nNES_NONSECURE /ns/https-80/config\n"
                   "IC_JDBC_POOL JdbcOracle\nIC_JDBC_DRIVER oracle.jdbc.driver.OracleDriver\n"
                   "IC_JDBC_NETDRIVER oracle.jdbc.driver.OracleDriver\n"
                   "IC_JDBC_URL jdbc:oracle:thin:@shop1host:1521:shopdb\n"
                   "IC_JDBC_NETURL jdbc:oracle:thin:@dbhost:1521:shopdb\n"));

    // Relda behind Netscape without the hosting edition reaches its database over the
    // network; the Start package has no pool line and no catalogue-assistant pages.
    // (A fresh file: the merge would carry the earlier pool line over.)
    ASSERT_EQ(unlink((D + "/vxtrade.conf").c_str()), 0);
    m.DBType = DB_RELDA;
    m.MSOption = MS_OPT_START_PKG;
    m.TEditorPath.Empty();
    ASSERT_EQ(CreateMSInit(m, P.c_str()), 1);
    text = Main();
    EXPECT_TRUE(Has(text, "VX_TEDITOR_PATH " + R + "/teditor\n"));
    EXPECT_FALSE(Has(text, "IC_JDBC_POOL"));
    EXPECT_TRUE(Has(text, Fill("NES_NONSECURE /ns/https-80/config\n"
                               "IC_JDBC_DRIVER COM.orvell.relda.jdbc.net.RELDADriver\n"
                               "IC_JDBC_NETDRIVER COM.orvell.relda.jdbc.net.RELDADriver\n"
                               "IC_JDBC_URL jdbc:relda://shop1host:16560/shopdb\n"
                               "IC_JDBC_NETURL jdbc:relda://shop1host:16560/shopdb\n")));
}

TEST_F(GoldenTest, ControllerFileWithAndWithoutThePaymentServerAndHosting) {
    m.LogLevel = 3;
    ASSERT_EQ(CreateCtrlInit(m), 1);
    auto expected = [&](const std::string& pool, bool hosting) {
        std::vector<std::string> lines = {
            "MS_HOSTNAME shop1host",   "CONTROL_DBNAME shopdb",    "CONTROL_DBINST reldinst",
            "CONTROL_DBPASS a1b2c3d4", "CONTROL_DB_RETRY_LIMIT 5", "CONTROL_DB_RETRY_INTERVAL 20",
            "CONTROL_ERR_TOLERANCE 1", "CONTROL_SERVICE vxshop1",  "CONTROL_POOL_CONFIG " + pool};
        if (hosting)
            lines.push_back("CURRENCY_MERCHANTS -1");
        lines.insert(lines.end(), {"PERFORMANCE_SERVER_BIN " + P + "/bin/vxperfserver",
                                   "PERFORMANCE_SERVER_AUTOSTART NO", "MS_LOGPATH " + R + "/logs",
                                   "MS_LOGLEVEL 3"});
        return Text(lines);
    };
    EXPECT_EQ(ReadWholeFile(D + "/srvrctrl.conf"),
              expected(D + "/vxtrade," + D + "/pay_back," + D + "/pay_payvane," + D +
                           "/scheduler," + D + "/pay_cyber",
                       true));
    // A user's line does not survive the controller's file.
    const std::string full = ReadWholeFile(D + "/srvrctrl.conf");
    ASSERT_TRUE(WriteWholeFile(D + "/srvrctrl.conf", full + "MY_LINE gone\n"));
    ASSERT_EQ(CreateCtrlInit(m), 1);
    EXPECT_EQ(ReadWholeFile(D + "/srvrctrl.conf"), full);
    // Without both products the pool is the main server and the scheduler.
    ASSERT_EQ(unlink(Rooted("/var/sadm/pkg/OrvellPS/pkginfo").c_str()), 0);
    ASSERT_EQ(unlink(Rooted("/var/sadm/pkg/OrvellQBX/pkginfo").c_str()), 0);
    m.MerKey = "0f1e2d3c";
    ASSERT_EQ(CreateCtrlInit(m), 1);
    std::string without = expected(D + "/vxtrade," + D + "/scheduler", false);
    without.insert(without.find("CONTROL_ERR_TOLERANCE"), "MERCHANT_KEY 0f1e2d3c\n");
    EXPECT_EQ(ReadWholeFile(D + "/srvrctrl.conf"), without);
}

TEST_F(GoldenTest, MemberDaemonFiles) {
    m.PVTmout = 900;
    m.PBProc = -1;
    ASSERT_EQ(CreateSchedInit(m, P.c_str()), 1);
    EXPECT_EQ(
        ReadWholeFile(D + "/scheduler.conf"),
        Fill("SERVICE_NAME_PREFIX vxshop1_sched\nEXEC $P/bin/scheduler\n"
             "MS_HOSTNAME shop1host\nDBNAME shopdb\nDBINST reldinst\nDBOWNER vxowner\n"
             "DBPASS a1b2c3d4\nPROCESSES 1\nSCHEDULER_INTER_JOB_TIME 600\n"
             "MS_TRANS_COUNT 1000\nMS_HTML_MAX 1000000\nMS_LOGPATH $R/logs\nMS_LOGLEVEL 0\n"
             "DB_RETRY_LIMIT 5\nDB_RETRY_INTERVAL 20\nMTOOL_MSOURCE $P/QBX/source\n"
             "VX_JRE_PATH $jre/bin\n"
             "VX_CLASSPATH "
             "$jre/lib/classes.zip:$relda/java/reldajava.zip:$P/QBX/QBX.jar:$P/QBX/Vx_qbx.jar\n"
             "MACRO_PATH $P/macro/en_US\nHTML_PATH $docs\nMS_CGIBIN_PATH $cgi\n"
             "GP_PATH $P/Guidepath\nVX_TEDITOR_PATH $R/teditor/ca_html;$R/teditor\n"
             "VX_LANG en_US\nVX_WEBSERVER Wharf\nIC_DBMS RELDA\n"
             "IC_JDBC_DRIVER COM.orvell.relda.jdbc.app.RELDADriver\n"
             "IC_JDBC_NETDRIVER COM.orvell.relda.jdbc.net.RELDADriver\n"
             "IC_JDBC_URL jdbc:relda:shopdb\n"
             "IC_JDBC_NETURL jdbc:relda://shop1host:16560/shopdb\n"
             "TEMPLATE_PATH $P/templates/en_US\n"));

    ASSERT_EQ(CreatePaybkInit(m, P.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(D + "/pay_back.conf"),
              Fill("SERVICE_NAME_PREFIX vxshop1_pb\nEXEC $P/bin/back_server\nDBNAME shopdb\n"
                   "DBINST reldinst\nDBPASS a1b2c3d4\nPROCESSES 1\nMS_HOSTNAME shop1host\n"
                   "DB_RETRY_LIMIT 5\nDB_RETRY_INTERVAL 20\nPAYVANE_HOSTNAME shop1host\n"
                   "BACKGROUND_CYCLE_TIME 30\nPAY_STATE_TIMEOUT 900\nPAYVANE_ADMIN_PORT 4007\n"
                   "PAYVANE_PAY_PORT 4008\nBACKGROUND_INTER_JOB_TIME 30\nMS_LOGPATH $R/logs\n"
                   "MS_LOGLEVEL 0\nPAYSYS_CONTROLLER 0\n"));

    m.PVExitHost = "exit.host";
    m.CMSPswd = "99aa";
    ASSERT_EQ(CreatePayetInit(m, P.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(D + "/pay_payvane.conf"),
              Fill("SERVICE_NAME_PREFIX vxshop1_pe\nEXEC $P/bin/pay_server\nDBNAME shopdb\n"
                   "DBINST reldinst\nDBPASS a1b2c3d4\nPROCESSES 1\nMS_HOSTNAME shop1host\n"
                   "DB_RETRY_LIMIT 5\nDB_RETRY_INTERVAL 20\nUSEREXIT_HOSTNAME exit.host\n"
                   "CMSPASS 99aa\nUSEREXIT_SERVICE_NAME_PREFIX vxshop1\n"
                   "PAYVANE_HOSTNAME shop1host\nPAYVANE_EXEC $R/bin/PayVane\n"
                   "PAYVANE_ADMIN_PORT 4007\nPAYVANE_PAY_PORT 4008\nPAYVANE_ERROR_PORT 4009\n"
                   "PAYVANE_SET_PAY_PORT 4010\nPAYVANE_SET_INQUIRY_PORT 4011\n"
                   "PAYVANE_LOG_PATH $R/logs\nPAYVANE_CERT_PATH $R/data\nPAYVANE_ENABLE_TRACE 0\n"
                   "MS_LOGPATH $R/logs\nMS_LOGLEVEL 0\nPAYSYS_CONTROLLER 0\n"));

    // A user's line survives in the payment server's file and not in the background daemon's
    // or the scheduler's.
    for (const char* name : {"/pay_payvane.conf", "/pay_back.conf", "/scheduler.conf"})
        ASSERT_TRUE(WriteWholeFile(D + name, ReadWholeFile(D + name) + "MY_LINE kept\n"));
    ASSERT_EQ(CreatePayetInit(m, P.c_str()), 1);
    ASSERT_EQ(CreatePaybkInit(m, P.c_str()), 1);
    ASSERT_EQ(CreateSchedInit(m, P.c_str()), 1);
    EXPECT_TRUE(Has(ReadWholeFile(D + "/pay_payvane.conf"), "PAYSYS_CONTROLLER 0\nMY_LINE kept\n"));
    EXPECT_FALSE(Has(ReadWholeFile(D + "/pay_back.conf"), "MY_LINE"));
    EXPECT_FALSE(Has(ReadWholeFile(D + "/scheduler.conf"), "MY_LINE"));

    ASSERT_TRUE(WriteWholeFile(D + "/merchant_conf", "MERCHANT_ID 7\n"));
    ASSERT_EQ(CreatePaycyInit(m, P.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(D + "/pay_cyber.conf"),
              Fill("SERVICE_NAME_PREFIX vxshop1_cy\nEXEC $P/bin/cyb_server\nDBNAME shopdb\n"
                   "DBINST reldinst\nDBPASS a1b2c3d4\nPROCESSES 1\nMS_HOSTNAME shop1host\n"
                   "DB_RETRY_LIMIT 5\nDB_RETRY_INTERVAL 20\nPAYVANE_HOSTNAME shop1host\n"
                   "ORDER_NOTIFICATION OFF\nPDI_ENCRYPT OFF\nTEMPLATE_PATH $P/templates/en_US\n"
                   "BACKGROUND_CYCLE_TIME 30\nBACKGROUND_INTER_JOB_TIME 30\nMS_LOGPATH $R/logs\n"
                   "MS_LOGLEVEL 0\n"));
    EXPECT_EQ(ReadWholeFile(D + "/merchant_conf.old"), "MERCHANT_ID 7\n");
    EXPECT_EQ(ReadWholeFile(D + "/merchant_conf"), ReadWholeFile(P + "/adt/vxcyber/merchant_conf"));

    char a0[] = "vxqxbridge", name[] = "shop1", port[] = "4300", server[] = "qsrv", in[] = "VX.IN",
         out[] = "VX.OUT", err[] = "VX.ERR", mgr[] = "QM.1", user[] = "qbridge", kind[] = "server";
    char* args[] = {a0, name, port, server, in, out, err, mgr, user, kind, nullptr};
    ASSERT_EQ(ICCreateFixpackQXInit(m, args, 10), 1);
    EXPECT_EQ(ReadWholeFile(D + "/vxei_ece.conf"),
              Fill("SERVICE_NAME_PREFIX vxshop1_ece\nEXEC $P/bin/back_server\n"
                   "MS_HOSTNAME shop1host\nDBNAME shopdb\nDBINST reldinst\nDBOWNER vxowner\n"
                   "DBPASS a1b2c3d4\nDB_RETRY_LIMIT 5\nDB_RETRY_INTERVAL 20\nPROCESSES 1\n"
                   "VX_LANG en_US\nBACKGROUND_CYCLE_TIME 30\nBACKGROUND_INTER_JOB_TIME 30\n"
                   "MS_LOGPATH $R/logs\nMS_LOGLEVEL 0\nVX_QX_INBOUND VX.IN\n"
                   "VX_QX_OUTBOUND VX.OUT\nVX_QX_INERROR VX.ERR\nVX_QX_QMANAGER QM.1\n"
                   "VX_QX_BRIDGE_USERID qbridge\nDEFAULT_MSG_SIZE 2000\nMAX_MSG_SIZE 1000000\n"
                   "HTML_PATH $docs\n"));
    EXPECT_EQ(ICGetTcpServicePort("vxshop1_ece_1"), 4300);
    EXPECT_EQ(ReadWholeFile(P + "/bin/libvx3_ececommon.so"),
              ReadWholeFile(P + "/bin/libvx3_ececommons.so"));
    // A vector too short for the positions read, or a queue name that would add a line.
    EXPECT_EQ(ICCreateFixpackQXInit(m, args, 9), 0);
    char twoLines[] = "VX.IN\nDBPASS x";
    args[4] = twoLines;
    EXPECT_EQ(ICCreateFixpackQXInit(m, args, 10), 0);
    EXPECT_FALSE(Has(ReadWholeFile(D + "/vxei_ece.conf"), "DBPASS x"));
}

TEST_F(GoldenTest, HostMapHoldsOneLinePerInstance) {
    std::string map = P + "/bin/icsrvctl.properties";
    MSInfo other = m;
    other.ISHost = "shop2host";
    other.HtmlPath = Rooted("/conf/shop2").c_str();
    ASSERT_EQ(CreatePAProperties(m, P.c_str(), 0), 1);
    ASSERT_EQ(CreatePAProperties(other, P.c_str(), 0), 1);
    std::string both =
        "shop1host=" + D + "/vxtrade.conf\nshop2host=" + Rooted("/conf/shop2") + "/vxtrade.conf\n";
    EXPECT_EQ(ReadWholeFile(map), both);
    // Re-creating one replaces its line; removing one keeps the other's.
    ASSERT_EQ(CreatePAProperties(m, P.c_str(), 0), 1);
    EXPECT_EQ(ReadWholeFile(map), "shop2host=" + Rooted("/conf/shop2") +
                                      "/vxtrade.conf\nshop1host=" + D + "/vxtrade.conf\n");
    EXPECT_EQ(ReadWholeFile(map + ".old"), both);
    ASSERT_EQ(CreatePAProperties(other, P.c_str(), 1), 1);
    EXPECT_EQ(ReadWholeFile(map), "shop1host=" + D + "/vxtrade.conf\n");
    EXPECT_EQ(ModeOf(map), 0444u);
}

TEST_F(GoldenTest, MacroFileFromBothTemplateShapes) {
    std::string proc = Rooted("/opt/OrvellMacrolin");
    std::string templ = proc + "/docs/reldawww.ini";
    ASSERT_TRUE(WriteWholeFile(
        templ,
        Text({"; processor settings", "MACRO_PATH " + proc + "/macro",
              "INCLUDE_PATH " + proc + "/include " + proc + "/inc2", "HTML_PATH " + proc + "/docs",
              "QLW_VARIABLE_SCOPE LOCAL", "ENVIRONMENT (QLW_ODBC) /usr/lib/libx.so ( ) extra",
              "EXEC_PATH " + proc + "/exec"})));
    std::string A = P + "/macro/en_US", B = R + "/teditor";
    ASSERT_EQ(CreateMLInit(m, P.c_str()), 1);
    std::string expected = Text(
        {"; processor settings",
         "MACRO_PATH " + B + ";" + A + ";" + A + "/demomall;" + A + "/vxsample;" + proc + "/macro",
         "INCLUDE_PATH " + P + "/html/en_US;" + B + ";" + A + ";" + A + "/vxsample;" + proc +
             "/include;" + proc + "/inc2",
         "HTML_PATH\t" + docs, "QLW_VARIABLE_SCOPE GLOBAL",
         "ENVIRONMENT (QLW_ODBC) /usr/lib/libqlwsql.so ( ) extra ", "EXEC_PATH " + proc + "/exec"});
    EXPECT_EQ(ReadWholeFile(docs + "/reldawww.ini"), expected);
    // Again: no element twice, one backup.
    ASSERT_EQ(CreateMLInit(m, P.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(docs + "/reldawww.ini"), expected);
    EXPECT_EQ(ReadWholeFile(docs + "/reldawww.old.ini"), expected);

    // No scope line: it is added last. Oracle's library; the hosting edition's macro trees
    // lead the lists; a macro directory outside A is added (up to its first comma).
    ASSERT_TRUE(WriteWholeFile(templ, Text({"MACRO_PATH /tmpl/m", "INCLUDE_PATH /tmpl/i",
                                            "ENVIRONMENT (QLW_ODBC) /opt/db/lib/libx.so"})));
    MSInfo h;
    h.RootPath = R.c_str();
    h.DocRoot = docs.c_str();
    h.DBOwner = SANDBOX_OWNER_USER;
    h.DBType = DB_ORACLE;
    h.MSOption = MS_OPT_HOSTING;
    h.MacroPath = "/srv/macros,/other";
    std::string K = P + "/macro/common", H = K + "/HWLstoremodel";
    ASSERT_EQ(CreateMLInit(h, P.c_str()), 1);
    EXPECT_EQ(
        ReadWholeFile(docs + "/reldawww.ini"),
        Text({"MACRO_PATH " + K + ";" + H + ";" + B + ";" + A + ";" + A + "/demomall;" + A +
                  "/vxsample;/srv/macros;" + A + "/QBX;/tmpl/m",
              "INCLUDE_PATH " + K + ";" + H + ";" + P + "/html/en_US;" + B + ";" + A + ";" + A +
                  "/vxsample;/tmpl/i",
              "ENVIRONMENT (QLW_ODBC) /opt/db/lib/libqlwodbc.so ", "QLW_VARIABLE_SCOPE GLOBAL"}));
}

} // namespace
