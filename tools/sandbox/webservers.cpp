// The web servers and the servlet engine as a user's installation has them: the Orvell HTTP
// server's httpd.conf with its own rules and comments, the Netscape servers' obj.conf,
// magnus.conf and mime.types (secure and non-secure), the servlet engine's properties and
// plug-ins with its registry entry, and the tools' config.xml.
#include <string>

#include "sandbox_parts.h"

namespace sandbox {

namespace {

const char kWharfRoot[] = "/opt/WharfServer/usr/internet/server_root";
const char kNetscapeRoot[] = "/usr/netscape/suitespot";
const char kLoomwork[] = "/opt/OrvellLoomAS";

std::string HttpdConf(const Builder& b) {
    std::string root = b.root + kWharfRoot;
    return "# httpd.conf - configuration of the Orvell HTTP server\n"
           "#\n"
           "# The Hostname directive names the server in the URLs it returns.\n"
           "#\n"
           "Hostname www.example.com\n"
           "\n"
           "ServerRoot " +
           root +
           "\n"
           "Port 80\n"
           "UserId nobody\n"
           "GroupId nobody\n"
           "\n"
           "# Mapping rules: the first that matches a request wins.\n"
           "Map /docs/* /pub/*\n"
           "Exec /cgi-bin/* " +
           root +
           "/cgi-bin/*\n"
           "Pass /icons/* " +
           root +
           "/icons/*\n"
           "Service /*.jsp " +
           root +
           "/plugins/libjsp.so:jsp_service\n"
           "\n"
           "# Everything else comes from the document root.\n"
           "Pass /* " +
           root +
           "/pub/*\n"
           "\n"
           "AddType .txt text/plain 8bit 1.0\n";
}

std::string ObjConf(const Builder& b, const std::string& server, bool oldPlugin) {
    std::string root = b.root + kNetscapeRoot;
    std::string text = "# Netscape Enterprise Server object configuration\n"
                       "Init fn=\"flex-init\" access=\"" +
                       root + "/" + server +
                       "/logs/access\" "
                       "format.access=\"%Ses->client.ip% - %Req->vars.auth-user% [%SYSDATE%]\"\n"
                       "Init fn=\"load-types\" mime-types=\"mime.types\"\n";
    if (oldPlugin)
        text += "Init fn=\"load-modules\" funcs=\"init_exit,service_exit,term_exit\" shlib=\"" +
                b.root + kLoomwork +
                "-443/plugins/sun/libns35.so\"\n"
                "Init fn=\"init_exit\" bootstrap.properties=\"" +
                b.root + kLoomwork + "-443/properties/bootstrap.properties\"\n";
    text += "\n"
            "<Object name=default>\n"
            "NameTrans fn=\"pfx2dir\" from=\"/mc-icons\" dir=\"" +
            root +
            "/ns-icons\" "
            "name=\"es-internal\"\n"
            "NameTrans fn=\"document-root\" root=\"" +
            root +
            "/docs\"\n"
            "PathCheck fn=\"unix-uri-clean\"\n"
            "ObjectType fn=\"type-by-extension\"\n"
            "Service method=\"(GET|HEAD)\" type=\"magnus-internal/directory\" "
            "fn=\"index-common\"\n"
            "Service method=\"(GET|HEAD|POST)\" type=\"*~magnus-internal/*\" fn=\"send-file\"\n"
            "AddLog fn=\"flex-log\" name=\"access\"\n"
            "</Object>\n"
            "\n"
            "<Object name=cgi>\n"
            "ObjectType fn=\"force-type\" type=\"magnus-internal/cgi\"\n"
            "Service fn=send-cgi\n"
            "</Object>\n";
    return text;
}

const char kMimeTypes[] = "#--Netscape Communications Corporation MIME Information\n"
                          "# Do not delete the above line. It is used to identify the file type.\n"
                          "type=application/octet-stream    exts=bin\n"
                          "type=magnus-internal/imagemap    exts=map\n"
                          "type=magnus-internal/parsed-html exts=shtml\n"
                          "type=magnus-internal/cgi         exts=cgi,bat\n"
                          "type=text/html                   exts=htm,html\n"
                          "type=image/gif                   exts=gif\n";

std::string MagnusConf(const std::string& server) {
    return "ServerName localhost\nPort " + std::string(server == "https-443" ? "443" : "80") +
           "\nLoadObjects obj.conf\nRootObject default\n";
}

// One servlet engine directory with its properties and plug-ins.
bool LayEngine(Builder& b, const std::string& dir) {
    std::string lib = b.root + dir + "/lib";
    return b.MakeDirs((dir + "/properties/server/servlet/servletservice").c_str()) &&
           b.MakeDirs((dir + "/plugins/sun").c_str()) && b.MakeDirs((dir + "/logs/base").c_str()) &&
           b.WriteText((dir + "/properties/bootstrap.properties").c_str(),
                       "# Servlet engine bootstrap\n"
                       "java.classpath=" +
                           lib + "/ejs.jar:" + b.root +
                           "/usr/java/lib/classes.zip\n"
                           "java.libpath=" +
                           lib +
                           "\n"
                           "java.compiler=jit\n") &&
           b.WriteText(
               (dir + "/properties/server/servlet/servletservice/servlets.properties").c_str(),
               "# Servlets the engine loads\n"
               "servlets.startup=invoker\n"
               "servlet.invoker.code=com.loom.servlet.Invoker\n"
               "servlet.snoop.code=SnoopServlet\n") &&
           b.WriteText((dir + "/plugins/sun/libwharf46.so").c_str(), "engine plug-in\n", 0755) &&
           b.WriteText((dir + "/plugins/sun/libns36.so").c_str(), "engine plug-in\n", 0755);
}

} // namespace

bool LayWebServers(Builder& b, const SandboxOptions& options) {
    if (options.wharf && !b.WriteText("/etc/httpd.conf", HttpdConf(b)))
        return false;
    if (options.netscape) {
        for (const std::string server : {"https-443", "https-80"}) {
            std::string config = std::string(kNetscapeRoot) + "/" + server + "/config";
            bool secure = server == "https-443";
            if (!b.MakeDirs(config.c_str()) ||
                !b.WriteText((config + "/obj.conf").c_str(),
                             ObjConf(b, server, secure && options.oldServletPlugin)) ||
                !b.WriteText((config + "/magnus.conf").c_str(), MagnusConf(server)) ||
                !b.WriteText((config + "/mime.types").c_str(), kMimeTypes))
                return false;
        }
        if (!b.MakeDirs((std::string(kNetscapeRoot) + "/docs").c_str()))
            return false;
    }
    if (options.loomwork) {
        if (!LayEngine(b, kLoomwork) ||
            (options.netscape && !LayEngine(b, std::string(kLoomwork) + "-443")))
            return false;
        // The engine's registry names its log directory, two levels below the engine.
        if (!b.MakeDirs("/usr/bin") ||
            !b.WriteText("/usr/bin/jitk.db", "OrvellLoomAS.base.LogDir=" + b.root + kLoomwork +
                                                 "/logs/base\nOrvellLoomAS.base.Port=9080\n"))
            return false;
    }
    return b.MakeDirs("/opt/Orvellvndx/Vendrix3/Tools/config") &&
           b.WriteText("/opt/Orvellvndx/Vendrix3/Tools/config/config.xml",
                       "<?xml version=\"1.0\"?>\n"
                       "<config baseDirectory=\"/opt/old/Tools\"\n"
                       "        VXQBXBaseDirectory=\"/opt/old/QBX\"\n"
                       "        vendrixConfig=\"/opt/old/vxtrade.conf\"\n"
                       "        logLevel=\"1\">\n"
                       "</config>\n");
}

} // namespace sandbox
