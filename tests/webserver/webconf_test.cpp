// The web servers' files as the editors must leave them, written out by hand: httpd.conf of
// the Orvell server with one and two instances, the Netscape servers' obj.conf and mime.types;
// a second run changes nothing (apart from the empty line after the Netscape plug-in block),
// the user's own lines stay, and files that cannot be read are reported and kept.

#include "sandbox_fixture.h"

namespace {

// A directive line: the word padded to 8 columns, the name to 16, each by at least one blank.
std::string Directive(const std::string& word, const std::string& name, const std::string& value) {
    std::string line = word + std::string(word.size() < 8 ? 8 - word.size() : 1, ' ');
    line += name + std::string(name.size() < 16 ? 16 - name.size() : 1, ' ');
    return line + value;
}

const char kStart[] = "###### Orvell Vendrix ###### (Do not edit this section)";
const char kEnd[] = "###### End of Orvell Vendrix ######";

class WebConfTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        P = Rooted("/opt/Orvellvndx/Vendrix3");
        L = Rooted("/opt/OrvellLoomAS");
        W = Rooted("/opt/WharfServer/usr/internet/server_root");
    }
    // The error lines so far, each ended by a newline.
    std::string Errors() const { return Text(errors.Lines()); }
    // A Relda instance (no restart of the web server) of host on the web server type.
    void Add(MSList& list, const char* name, const char* host, eISType type = IS_WHARF) {
        MSInfo m = Instance(name);
        m.ISHost = host;
        m.ISType = type;
        ASSERT_EQ(list.Add(m, 0), 0);
    }

    std::vector<std::string> Protect(const std::string& key) {
        std::vector<std::string> lines;
        for (const char* pattern : {"Protect /*.conf ", "Protect /*.ini "}) {
            lines.push_back(pattern + key + " {");
            for (const char* body :
                 {"ServerId        Private_Authorization", "Authtype        Basic",
                  "GetMask         All@(*)", "PutMask         All@(*)", "PostMask        All@(*)",
                  "Mask            All@(*)", "}", ""})
                lines.push_back(body);
        }
        return lines;
    }
    // The product block of httpd.conf for Orvell instances named by (name, host) pairs.
    std::string OrvellBlock(const std::vector<std::pair<std::string, std::string>>& instances) {
        std::vector<std::string> l = {kStart};
        const std::string module = P + "/bin/libvx_cgi_icapi.so";
        for (const char* service :
             {"/cgi-bin/nph-msrvr/*", "/cgi-bin/vxtrade/*", "/cgi-bin/vxtrade3/*"})
            l.push_back("Service " + std::string(service) + " " + module + ":vx_cache");
        for (const char* service :
             {"/msprotect/nph-msrvr/*", "/msprotect/vxtrade/*", "/msprotect/vxtrade3/*"})
            l.push_back("Service " + std::string(service) + " " + module + ":vx_auth");
        l.push_back("Service /*.jsp " + L + "/plugins/sun/libwharf46.so:service_exit");
        l.push_back("");
        for (const auto& instance : instances) {
            for (const std::string& line : Protect(instance.second)) // the address
                l.push_back(line);
            for (const std::string& line : Protect(instance.second)) // the host name
                l.push_back(line);
            l.push_back("ServerInit " + module + ":vx_init_cache");
            l.push_back(Directive("Pass", "/te_html/*",
                                  Rooted("/inst/" + instance.first) + "/teditor/te_html/* " +
                                      instance.second));
            l.push_back("");
        }
        l.push_back(""); // no compatibility maps for the current release
        l.push_back(Directive("Exec", "/msprotect/*", P + "/cgi-bin/*"));
        l.push_back("");
        const std::string H = P + "/html/en_US";
        const std::pair<const char*, std::string> pass[] = {
            {"/storemgr/*", H + "/vxadmin/storemgr/*"},
            {"/sitemgr/*", H + "/vxadmin/sitemgr/*"},
            {"/vxacom/*", H + "/vxadmin/common/*"},
            {"/vxagif/*", H + "/vxadmin/gif/*"},
            {"/butnbars/*", H + "/vxadmin/butnbars/*"},
            {"/vxadmin/*", H + "/vxadmin/*"},
            {"/vxhelp/*", H + "/vxhelp/*"},
            {"/vxerror/*", H + "/vxerror/*"},
            {"/vxbooks/*", H + "/vxbooks/*"},
            {"/vxsample/*", H + "/vxsample/*"},
            {"/gpgifs/*", H + "/vxadmin/Shopsmith/gpgifs/*"},
            {"/demomall/*", H + "/demomall/*"},
            {"/euromall/*", P + "/adt/samples/euromall/html/euromall/*"},
            {"/grocery/*", H + "/grocery/*"},
            {"/bus2bus2/*", H + "/bus2bus2/*"},
            {"/tutorial/*", H + "/tutorial/*"},
            {"/nextgeneration/*", H + "/nextgeneration/*"},
            {"/ca_icons/*", H + "/ca_icons/*"},
            {"/Flickmedia/*", P + "/fm/*"},
            {"/ca_widgets/*", W + "/servlets/public/*"}};
        for (const auto& row : pass)
            l.push_back(Directive("Pass", row.first, row.second));
        l.push_back("");
        l.push_back(
            Directive("AddType", ".js", "application/x-javascript binary 1.0 #Vendrix java"));
        l.push_back(Directive("AddType", ".cacert", "application/x-x509-ca-cert"));
        l.push_back("");
        l.push_back(kEnd);
        return Text(l);
    }
    std::string PassBlock(const std::vector<std::pair<std::string, std::string>>& instances) {
        std::string text = Text({"###### Orvell Vendrix (Pass) ###### (Do not edit this section)",
                                 "Pass\t/ca_html/*\t" + P + "/pasample/ca_html/*",
                                 "Pass\t/pasample/*\t" + P + "/pasample/*"});
        for (const auto& instance : instances) {
            std::string line = "Pass   /*  " + Rooted("/docs/" + instance.first) + "/* ";
            text += line + instance.second + "\n" + line + instance.second + "\n";
        }
        return text + "###### End of Orvell Vendrix (Pass) ######\n";
    }
    // The sandbox's httpd.conf as the editor leaves it around the two blocks.
    std::string Httpd(const std::string& block, const std::string& pass, const std::string& host) {
        return block +
               Text({"# httpd.conf - configuration of the Orvell HTTP server", "#",
                     "# The Hostname directive names the server in the URLs it returns.", "#",
                     "Hostname " + host, "", "ServerRoot " + W, "Port 80", "UserId nobody",
                     "GroupId nobody", "",
                     "# Mapping rules: the first that matches a request wins.",
                     "Map /docs/* /pub/*", "Exec /cgi-bin/* " + W + "/cgi-bin/*",
                     "Pass /icons/* " + W + "/icons/*", "",
                     "# Everything else comes from the document root."}) +
               pass + Text({"Pass /* " + W + "/pub/*", "", "AddType .txt text/plain 8bit 1.0"});
    }

    ErrorLines errors;
    std::string P, L, W;
};

TEST_F(WebConfTest, OneOrvellInstanceAndASecondRunThatChangesNothing) {
    MSList list;
    Add(list, "shop1", "127.0.0.2");
    std::string httpd = Rooted("/etc/httpd.conf");
    std::string original = ReadWholeFile(httpd);
    ASSERT_EQ(ISSetOrvellConf(list, P.c_str()), 1) << Errors();
    const std::vector<std::pair<std::string, std::string>> one = {{"shop1", "127.0.0.2"}};
    std::string expected = Httpd(OrvellBlock(one), PassBlock(one), "127.0.0.2");
    EXPECT_EQ(ReadWholeFile(httpd), expected);
    EXPECT_EQ(ReadWholeFile(httpd + ".old"), original);
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/magnus.conf")),
              Text({"LoadObjects obj.conf",
                    "Init fn=load-modules shlib=\"" + P +
                        "/cgi-bin/libvx_cache_icapi.so\" func=\"vx_init_cache, vx_cache\"",
                    "Init fn=vx_init_cache"}));
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/obj.conf")),
              Text({"<Object name=\"default\">", "Service fn=\"vx_cache\"", "</Object>"}));
    const std::string profile = "# System-wide login settings.\numask 022\n"
                                "RELDAINSTANCE=" SANDBOX_INSTANCE_USER "\nexport RELDAINSTANCE\n";
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/profile")), profile);

    ASSERT_EQ(ISSetOrvellConf(list, P.c_str()), 1) << Errors();
    EXPECT_EQ(ReadWholeFile(httpd), expected);
    EXPECT_EQ(ReadWholeFile(httpd + ".old"), expected);
    EXPECT_EQ(ReadWholeFile(Rooted("/etc/profile")), profile);
    EXPECT_EQ(Errors(), "");
}

TEST_F(WebConfTest, KilledRewritesLeaveEveryFileWhole) {
    MSList list;
    Add(list, "shop1", "127.0.0.2");
    const std::string httpd = Rooted("/etc/httpd.conf");
    const std::string magnus = Rooted("/etc/magnus.conf");
    const std::string original = ReadWholeFile(httpd);
    ASSERT_EQ(ISSetOrvellConf(list, P.c_str()), 1) << Errors();
    const std::string edited = ReadWholeFile(httpd);
    const std::string cache = ReadWholeFile(magnus);
    // The child edits the file and puts the user's file back, over and over.
    KillAtRandom(
        100, 20261207, 20000,
        [&] {
            for (;;) {
                ISSetOrvellConf(list, P.c_str());
                SysWriteFile(httpd.c_str(), original.data(), original.size());
            }
        },
        [&](int round) {
            for (const std::string& file : {httpd, httpd + ".old"}) {
                std::string now = ReadWholeFile(file);
                ASSERT_TRUE(now == original || now == edited) << "round " << round << ": " << now;
            }
            ASSERT_EQ(ReadWholeFile(magnus), cache) << "round " << round;
        });
    ASSERT_FALSE(HasFatalFailure());
    // The next run clears what the killed ones left beside the files.
    ASSERT_EQ(ISSetOrvellConf(list, P.c_str()), 1) << Errors();
    EXPECT_EQ(ReadWholeFile(httpd), edited);
    EXPECT_EQ(Temporaries(Rooted("/etc")), std::vector<std::string>());
}

TEST_F(WebConfTest, TwoOrvellInstancesOnTwoHostsAndTheOldEndMarker) {
    MSList list;
    Add(list, "shop1", "127.0.0.2");
    Add(list, "shop2", "127.0.0.3");
    std::string httpd = Rooted("/etc/httpd.conf");
    // A block of an earlier release at the top, a user's line in front of the catch-all rule
    // and a CRLF line: the block goes, the user's lines stay byte for byte.
    std::string original = ReadWholeFile(httpd);
    std::string user = "Pass /extra/* /srv/extra/*\r\n";
    size_t catchAll = original.find("Pass /* ");
    ASSERT_NE(catchAll, std::string::npos);
    original.insert(catchAll, user);
    ASSERT_TRUE(WriteWholeFile(httpd, "###### Orvell Vendrix ######\nService /old/* x\n"
                                      "ServerInit " +
                                          L +
                                          "/bootstrap.properties:init\n"
                                          "###### END OF VENDRIX ######\n" +
                                          original));
    ASSERT_EQ(ISSetOrvellConf(list, P.c_str()), 1) << Errors();
    const std::vector<std::pair<std::string, std::string>> two = {{"shop1", "127.0.0.2"},
                                                                  {"shop2", "127.0.0.3"}};
    // The servlet engine's start line of the old block is kept; the first host names the
    // server.
    std::string expected = "ServerInit " + L + "/bootstrap.properties:init\n" +
                           Httpd(OrvellBlock(two), user + PassBlock(two), "127.0.0.2");
    EXPECT_EQ(ReadWholeFile(httpd), expected);
    EXPECT_EQ(Errors(), "");
}

TEST_F(WebConfTest, BadHttpdConfIsReportedAndKept) {
    MSList list;
    Add(list, "shop1", "127.0.0.2");
    std::string httpd = Rooted("/etc/httpd.conf");
    ASSERT_EQ(unlink(httpd.c_str()), 0);
    EXPECT_EQ(ISSetOrvellConf(list, P.c_str()), 0);
    EXPECT_EQ(Errors(), "Cannot access file " + httpd + ".\n");
    EXPECT_FALSE(FileExists(httpd));

    // A start marker without an end: nothing after it is lost; a line of 5000 characters
    // stays whole.
    errors.Clear();
    std::string longLine = "# " + std::string(5000, 'x') + "\n";
    std::string text = "###### Orvell Vendrix ###### (Do not edit this section)\n" + longLine +
                       "Pass /* /srv/pub/*\n";
    ASSERT_TRUE(WriteWholeFile(httpd, text));
    ASSERT_EQ(ISSetOrvellConf(list, P.c_str()), 1) << Errors();
    std::string result = ReadWholeFile(httpd);
    EXPECT_TRUE(
        Has(result, longLine + PassBlock({{"shop1", "127.0.0.2"}}) + "Pass /* /srv/pub/*\n"));
    // The new product block opens the file; the unterminated marker line alone is gone.
    EXPECT_EQ(result.find(kStart), 0u);
    EXPECT_EQ(result.find(kStart, 1), std::string::npos);
    EXPECT_EQ(ReadWholeFile(httpd + ".old"), text);
}

class NetscapeTest : public WebConfTest {
protected:
    NetscapeTest() { sandboxOptions.netscape = true; }
    std::string Conf(const char* server, const char* file) {
        return Rooted("/usr/netscape/suitespot/") + server + "/config/" + file;
    }
};

TEST_F(NetscapeTest, BothObjConfFilesAndMimeTypes) {
    MSList list;
    Add(list, "shop1", "127.0.0.2", IS_NETSCAPE);
    std::string insecure = Conf("https-80", "obj.conf");
    std::string original = ReadWholeFile(insecure);
    ASSERT_EQ(ISSetNSConf(list, P.c_str()), 1) << Errors();

    const std::string N = Rooted("/usr/netscape/suitespot");
    const std::string H = P + "/html/en_US";
    const std::string docs = Rooted("/docs/shop1");
    const std::string cgi = Rooted("/cgi/shop1");
    std::string plugin = Text({kStart,
                               "Init fn=\"load-modules\" shlib=\"" + P +
                                   "/bin/libvx_cgi_nsapi.so\" "
                                   "funcs=\"vx_init_cache,vx_cache,vx_auth\"",
                               "Init fn=\"vx_init_cache\"", kEnd, ""});
    auto prefix = [](const std::string& from, const std::string& dir) {
        std::string name = "from=\"" + from + "\"";
        return "NameTrans fn=\"pfx2dir\" " + name +
               std::string(name.size() < 16 ? 16 - name.size() : 1, ' ') + "dir=\"" + dir + "\"";
    };
    std::string prefixes =
        Text({kStart,
              "NameTrans fn=\"pfx2dir\" from=\"/msprotect\" dir=\"" + cgi + "\" name=\"vxauth\"",
              prefix("/bus2bus2", H + "/bus2bus2"),
              prefix("/butnbars", H + "/vxadmin/butnbars"),
              prefix("/demomall", H + "/demomall"),
              prefix("/grocery", H + "/grocery"),
              prefix("/vxacom", H + "/vxadmin/common"),
              prefix("/vxadmin", H + "/vxadmin"),
              prefix("/vxagif", H + "/vxadmin/gif"),
              prefix("/vxbooks", H + "/vxbooks"),
              prefix("/vxerror", H + "/vxerror"),
              prefix("/vxhelp", H + "/vxhelp"),
              prefix("/vxsample", H + "/vxsample"),
              prefix("/gpgifs", H + "/vxadmin/Shopsmith/gpgifs"),
              prefix("/sitemgr", H + "/vxadmin/sitemgr"),
              prefix("/storemgr", H + "/vxadmin/storemgr"),
              prefix("/te_html", Rooted("/inst/shop1") + "/teditor/te_html"),
              prefix("/ca_html", P + "/pasample/ca_html"),
              prefix("/tutorial", H + "/tutorial"),
              prefix("/ca_icons", H + "/ca_icons"),
              prefix("/Flickmedia", P + "/fm"),
              prefix("/ca_widgets", P + "/servlets/public"),
              prefix("/nextgeneration", H + "/nextgeneration"),
              prefix("/ictmgr", H + "/vxadmin/ictmgr"),
              prefix("/pasample", P + "/pasample"),
              "NameTrans fn=\"pfx2dir\" from=\"/cgi-bin\" dir=\"" + cgi + "\" name=\"cgi\""});
    std::string auth = Text({kStart, "<Object name=\"vxauth\">",
                             "ObjectType fn=\"force-type\" type=\"magnus-internal/cgi\"",
                             "Service root=\"" + docs + "\" fn=\"vx_auth\"", "</Object>", kEnd});
    std::string cache = Text({kStart, "Service root=\"" + docs + "\" fn=\"vx_cache\"", kEnd});
    auto nonSecure = [&](const std::string& emptyLines) {
        return Text({"# Netscape Enterprise Server object configuration"}) + emptyLines + plugin +
               Text({"Init fn=\"flex-init\" access=\"" + N +
                         "/https-80/logs/access\" format.access=\"%Ses->client.ip% - "
                         "%Req->vars.auth-user% [%SYSDATE%]\"",
                     "Init fn=\"load-types\" mime-types=\"mime.types\"", "",
                     "<Object name=default>"}) +
               prefixes +
               Text({kEnd,
                     "NameTrans fn=\"pfx2dir\" from=\"/mc-icons\" dir=\"" + N +
                         "/ns-icons\" name=\"es-internal\"",
                     "NameTrans fn=\"document-root\" root=\"" + N + "/docs\"",
                     "PathCheck fn=\"unix-uri-clean\"", "ObjectType fn=\"type-by-extension\"",
                     "Service method=\"(GET|HEAD)\" type=\"magnus-internal/directory\" "
                     "fn=\"index-common\"",
                     "Service method=\"(GET|HEAD|POST)\" type=\"*~magnus-internal/*\" "
                     "fn=\"send-file\"",
                     "AddLog fn=\"flex-log\" name=\"access\"", "</Object>", "", "<Object name=cgi>",
                     "ObjectType fn=\"force-type\" type=\"magnus-internal/cgi\""}) +
               cache + Text({"Service fn=send-cgi", "</Object>"}) + auth;
    };
    EXPECT_EQ(ReadWholeFile(insecure), nonSecure(""));
    EXPECT_EQ(ReadWholeFile(insecure + ".old"), original);

    // The secure server also loads the servlet engine, exits to it before its first service
    // and redirects to the help panels, the content manager and the servlets.
    std::string secure = ReadWholeFile(Conf("https-443", "obj.conf"));
    std::string engine = L + "-443";
    EXPECT_TRUE(Has(secure, "Init fn=\"load-types\" mime-types=\"mime.types\"\n\n"
                            "Init fn=\"load-modules\" funcs=\"init_exit,service_exit,term_exit\" "
                            "shlib=\"" +
                                engine +
                                "/plugins/sun/libns36.so\"\n"
                                "Init fn=\"init_exit\" bootstrap.properties=\"" +
                                engine +
                                "/properties/bootstrap.properties\"\n<Object name=default>\n"));
    EXPECT_TRUE(Has(secure, "\"index-common\"\n"));
    EXPECT_TRUE(Has(secure, "PathCheck fn=\"unix-uri-clean\"\n"
                            "ObjectType fn=\"type-by-extension\"\n"
                            "service fn=\"service_exit\"\nService method=\"(GET|HEAD)\""));
    EXPECT_TRUE(Has(secure, "NameTrans fn=\"pfx2dir\" from=\"/cgi-bin\" dir=\"" + cgi +
                                "\" name=\"cgi\"\n"
                                "NameTrans fn=\"redirect\" from=\"/vxhelp/catalog/panelinf\" "
                                "url-prefix=\"http://127.0.0.2/vxhelp/catalog/panelinf\"\n"
                                "NameTrans fn=\"redirect\" from=\"/vxadmin/ictmgr\" "
                                "url-prefix=\"http://127.0.0.2/vxadmin/ictmgr\"\n"
                                "NameTrans fn=\"redirect\" from=\"/servlet\" "
                                "url-prefix=\"http://127.0.0.2/servlet\"\n" +
                                std::string(kEnd) + "\n"));
    EXPECT_FALSE(Has(ReadWholeFile(insecure), "redirect"));

    std::string mime = Conf("https-80", "mime.types");
    EXPECT_EQ(ReadWholeFile(mime),
              Text({"#--Netscape Communications Corporation MIME Information",
                    "# Do not delete the above line. It is used to identify the file type.",
                    "type=application/octet-stream    exts=bin",
                    "type=magnus-internal/imagemap    exts=map",
                    "type=magnus-internal/parsed-html exts=shtml",
                    "type=magnus-internal/cgi         exts=cgi,bat", kStart,
                    "type=~magnus-internal/unknown    exts=in",
                    "type=~magnus-internal/unknown    exts=exe", kEnd,
                    "type=text/html                   exts=htm,html",
                    "type=image/gif                   exts=gif"}));

    // A second run: the same files, with one more empty line by the plug-in block (the one
    // written after the old block stays where it was and the new block follows it).
    std::string secureFirst = secure;
    std::string mimeFirst = ReadWholeFile(mime);
    ASSERT_EQ(ISSetNSConf(list, P.c_str()), 1) << Errors();
    EXPECT_EQ(ReadWholeFile(insecure), nonSecure("\n"));
    std::string secureSecond = ReadWholeFile(Conf("https-443", "obj.conf"));
    size_t atPlugin = secureFirst.find(plugin);
    ASSERT_NE(atPlugin, std::string::npos);
    EXPECT_EQ(secureSecond, secureFirst.substr(0, atPlugin) + "\n" + secureFirst.substr(atPlugin));
    EXPECT_EQ(ReadWholeFile(mime), mimeFirst);
    EXPECT_EQ(Errors(), "");
}

TEST_F(NetscapeTest, MissingFilesStopTheEditWithTheirMessage) {
    MSList list;
    Add(list, "shop1", "127.0.0.2", IS_NETSCAPE);
    std::string mime = Conf("https-80", "mime.types");
    ASSERT_EQ(unlink(mime.c_str()), 0);
    EXPECT_EQ(ISSetNSConf(list, P.c_str()), 0);
    EXPECT_EQ(Errors(), "Cannot access file " + mime + ".\n");
    // The obj.conf files were edited before.
    EXPECT_TRUE(Has(ReadWholeFile(Conf("https-80", "obj.conf")), kStart));
    EXPECT_FALSE(FileExists(mime));

    errors.Clear();
    std::string secure = Conf("https-443", "obj.conf");
    std::string before = ReadWholeFile(Conf("https-80", "obj.conf"));
    ASSERT_EQ(unlink(secure.c_str()), 0);
    EXPECT_EQ(ISSetNSConf(list, P.c_str()), 0);
    EXPECT_EQ(Errors(), "Cannot access file " + secure + ".\n");
    EXPECT_EQ(ReadWholeFile(Conf("https-80", "obj.conf")), before);
}

TEST_F(NetscapeTest, UnusualFilesSettleAfterOneRun) {
    MSList list;
    Add(list, "shop1", "127.0.0.2", IS_NETSCAPE);
    // The authorisation block is written after the last line; it must not join it, or the
    // next run would take the user's line for a marker line and drop it.
    std::string file = Conf("https-80", "obj.conf");
    ASSERT_TRUE(WriteWholeFile(file, "<Object name=default>\n</Object>"));
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(ISSetNSConf(list, P.c_str()), 1) << Errors();
        std::string text = ReadWholeFile(file);
        EXPECT_EQ(text.find("<Object name=default>\n</Object>\n" + std::string(kStart) + "\n"), 0u)
            << text;
    }
    // A secure file without Init lines of the server's own: the engine's Init lines come
    // after the plug-in block, so the next run puts the block back at the same place (with
    // the one more empty line every run leaves).
    std::string secure = Conf("https-443", "obj.conf");
    ASSERT_TRUE(
        WriteWholeFile(secure, "<Object name=default>\nService method=x fn=y\n</Object>\n"));
    ASSERT_EQ(ISSetNSConf(list, P.c_str()), 1) << Errors();
    std::string first = ReadWholeFile(secure);
    size_t plugin = first.find(std::string(kStart) + "\nInit fn=\"load-modules\" shlib=");
    size_t engine = first.find("Init fn=\"load-modules\" funcs=\"init_exit");
    ASSERT_NE(plugin, std::string::npos) << first;
    EXPECT_LT(plugin, engine) << first;
    ASSERT_EQ(ISSetNSConf(list, P.c_str()), 1) << Errors();
    EXPECT_EQ(ReadWholeFile(secure), first.substr(0, plugin) + "\n" + first.substr(plugin));
}

// One block for all instances is the road test's part; the driver also registers the Pro
// package's servlets with the engine.
TEST_F(WebConfTest, TheDriverRegistersTheServlets) {
    MSList list;
    Add(list, "shop1", "127.0.0.2");
    ASSERT_EQ(ICSetISConf(list), 1) << Errors();
    std::string servlets =
        ReadWholeFile(L + "/properties/server/servlet/servletservice/servlets.properties");
    EXPECT_TRUE(Has(servlets, "servlets.startup=invoker    vxtrade3\n"));
    EXPECT_TRUE(
        Has(servlets, "servlet.vxtrade3.initArgs=configfile=" + P + "/bin/icsrvctl.properties\n"));
    EXPECT_EQ(Errors(), "");
}

TEST_F(WebConfTest, TheServletEnginesPropertiesAndToolsConfigAreEditedOnce) {
    MSInfo m = Instance("shop1");
    m.ISHost = "127.0.0.2";
    m.MSOption |= MS_OPT_HOSTING;
    std::string bootstrap = L + "/properties/bootstrap.properties";
    ICString relda;
    ASSERT_EQ(SysGetDBOrvellPath(relda), 1);
    const std::string T = P + "/Tools";
    std::string classpath = "java.classpath=" + L + "/lib/ejs.jar:" + Rooted("/usr/java") +
                            "/lib/classes.zip:" + std::string(relda) + "/java/reldajava.zip:" + T +
                            "/lib/jsafe.zip:" + P + "/QBX/QBX.jar:" + T + "/lib/xml4j.jar:" + T +
                            ":" + ":" + T + "/lib/sslite1.jar:" + T + "/lib/vxqbx.jar:" + T +
                            "/lib/vxtools.jar\n";
    std::string expected = "# Servlet engine bootstrap\n" + classpath + "java.libpath=" + L +
                           "/lib:" + P + "/bin:" + std::string(relda) + "/lib\n" +
                           "java.compiler=jit\n";
    ASSERT_EQ(SetBootStrapProperties(m, bootstrap.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(bootstrap), expected);
    // A second run finds every entry and adds none.
    ASSERT_EQ(SetBootStrapProperties(m, bootstrap.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(bootstrap), expected);

    // The hosting servlets replace the commerce server's lines, once however often.
    std::string servlets = L + "/properties/server/servlet/servletservice/servlets.properties";
    ASSERT_EQ(SetServletProperties(m, servlets.c_str()), 1);
    std::string once = ReadWholeFile(servlets);
    ASSERT_EQ(SetServletProperties(m, servlets.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(servlets), once);
    EXPECT_EQ(once.rfind("# Servlets the engine loads\nservlets.startup=invoker MerchantAdmin\n"
                         "servlet.invoker.code=com.loom.servlet.Invoker\n"
                         "servlet.snoop.code=SnoopServlet\n"
                         "servlet.MerchantAdmin.code=com.orvell.commerce.tools.request_management."
                         "RequestManager\nservlet.MerchantAdmin.description=\n"
                         "servlet.MerchantAdmin.initArgs=configfile=" +
                             T + "/config/config.xml\n",
                         0),
              0u);

    // config.xml: each key line replaced, the rest copied.
    std::string xml = T + "/config/config.xml";
    ASSERT_EQ(SetConfigXML(m, xml.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(xml), "<?xml version=\"1.0\"?>\n"
                                  "<config baseDirectory=\"" +
                                      T +
                                      "\"\n"
                                      "        VXQBXBaseDirectory=\"" +
                                      P +
                                      "/QBX\"\n"
                                      "        vendrixConfig=\"" +
                                      Rooted("/conf/shop1") +
                                      "/vxtrade.conf\"\n"
                                      "        logLevel=\"1\">\n"
                                      "</config>\n");
    // A missing file is not created.
    EXPECT_EQ(SetConfigXML(m, (T + "/config/none.xml").c_str()), 0);
    EXPECT_FALSE(FileExists(T + "/config/none.xml"));
}

} // namespace
