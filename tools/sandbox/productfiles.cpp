// The product files an instance's writers read: the administration pages' package marker, the
// template editor's pages, the catalogue and product macros, the CGI program, the libraries
// the instance creation copies into place, the hosting edition's merchant configuration, the
// web macro processor's template, the web server's administration password file and the
// system profile.
#include <string>

#include "sandbox_parts.h"
#include "vxconfig/writers.h"

namespace sandbox {

namespace {

const char kProduct[] = "/opt/Orvellvndx/Vendrix3";

std::string Product(const char* rest) {
    return std::string(kProduct) + rest;
}

// One small file per name of a null-ended table, its text naming the file.
bool LayNamed(Builder& b, const std::string& dir, const char* const* names, const char* kind) {
    if (!b.MakeDirs(dir.c_str()))
        return false;
    for (const char* const* name = names; *name; ++name) {
        std::string text = std::string(kind) + " " + *name + "\n";
        if (!b.WriteText((dir + "/" + *name).c_str(), text))
            return false;
    }
    return true;
}

std::string ConfigJs(bool start) {
    return std::string("// Vendrix administration settings\n"
                       "var kStrStart = \"Start\";\n"
                       "var kStrPro = \"Pro\";\n"
                       "var gVXPackaging = ") +
           (start ? "kStrStart" : "kStrPro") + ";\nvar gVXVersion = \"3.0\";\n";
}

std::string MacroTemplate(const Builder& b, bool scope) {
    std::string docs = b.root + "/opt/OrvellMacrolin";
    std::string text = "; Macrolin initialization file\n"
                       "MACRO_PATH " +
                       docs +
                       "/macro\n"
                       "INCLUDE_PATH " +
                       docs +
                       "/include\n"
                       "HTML_PATH " +
                       docs +
                       "/docs\n"
                       "BIND_FILE " +
                       docs +
                       "/bnd/reldawww.bnd\n"
                       "ENVIRONMENT (QLW_ODBC) " +
                       docs + "/lib/libqlwodbc.so ( )\n";
    if (scope)
        text += "QLW_VARIABLE_SCOPE LOCAL\n";
    text += "EXEC_PATH " + docs + "/exec\n";
    return text;
}

const char kCgiProgram[] = "#!/bin/sh\n"
                           "# The product's CGI program.\n"
                           "echo 'Content-type: text/html'\n"
                           "echo\n"
                           "echo '<html><body>Vendrix</body></html>'\n";

} // namespace

// The payment server's script templates, written for Relda: the start script's Java line
// (with "jre" at its 16th character) and the migration script's class path, schema and
// argument lines are the ones the writers rewrite.
const char kPayVaneTemplate[] =
    "#!/bin/sh\n"
    "# Starts the payment server of an instance.\n"
    "nohup   $PVDIR/jre/bin/java -classpath <PAYVANE_Path>/PayvaneClasses.zip:"
    "<database_java_driver> -Ddriver=<JDBC_driver_name> -Durl=<JDBC_URL> "
    "-Downer=<Database_owner> -Duser=<Database_userid> -Dhost=<domain_qualified_hostname> "
    "-Dcert=<Certificate_Database_Type> -Dset=<SET_Database_Type> com.orvell.payvane.Server &\n";

const char kMigrateTemplate[] =
    "#!/bin/sh\n"
    "# Creates the payment server's tables in the commerce database.\n"
    "if [ $# != 3 ]; then\n"
    "    echo \"Usage: migratePayvane.sh database user password\"\n"
    "    exit 1\n"
    "fi\n"
    "CLASSPATH=<PAYVANE_Path>/jre/lib/rt.jar\n"
    "x0=\n"
    "x1=COM.orvell.relda.jdbc.app.RELDADriver\n"
    "x2=jdbc:relda:$1\n"
    "x5=jdbc:relda:$1\n"
    "$JAVA_HOME/bin/java -classpath $vxclasspath com.orvell.payvane.Migrate $x0 $x1 $x2 $2 $3 "
    "$x5\n";

bool LayProductFiles(Builder& b, const SandboxOptions& options) {
    std::string admin = Product("/html/en_US/vxadmin");
    std::string macros = Product("/macro/en_US");
    bool ok =
        b.MakeDirs((admin + "/common").c_str()) &&
        b.WriteText((admin + "/common/config.js").c_str(), ConfigJs(options.startPackage)) &&
        b.MakeDirs((admin + "/teditor/te_html").c_str()) &&
        b.WriteText((admin + "/teditor/te_html/teditor.txt").c_str(),
                    "Template editor: the templates an instance may edit.\n") &&
        LayNamed(b, admin + "/teditor/ca_html", cahtml, "<!-- catalogue assistant page -->") &&
        LayNamed(b, macros + "/category", catmacros, "%{ category macro %}") &&
        LayNamed(b, macros + "/product", prodmacros, "%{ product macro %}") &&
        b.WriteText(Product("/bin/vxtrade3").c_str(), kCgiProgram, 0755) &&
        b.WriteText(Product("/bin/libmassimpt_relda.so").c_str(), "mass import library (Relda)\n",
                    0755) &&
        b.WriteText(Product("/bin/libmassimpt_odbc.so").c_str(), "mass import library (ODBC)\n",
                    0755) &&
        b.WriteText(Product("/bin/libvx3_ececommons.so").c_str(), "queue bridge library (server)\n",
                    0755) &&
        b.WriteText(Product("/bin/libvx3_ececommonc.so").c_str(), "queue bridge library (client)\n",
                    0755) &&
        b.MakeDirs(Product("/adt/vxcyber").c_str()) &&
        b.WriteText(Product("/adt/vxcyber/merchant_conf").c_str(),
                    "MERCHANT_ID 1001\nCURRENCY USD\nGATEWAY_HOST localhost\n") &&
        b.WriteText("/etc/profile", "# System-wide login settings.\numask 022\n");
    if (ok && options.payment)
        ok =
            b.MakeDirs(Product("/server/admin").c_str()) &&
            b.WriteText(Product("/server/admin/PayVane").c_str(), kPayVaneTemplate, 0755) &&
            b.WriteText(Product("/server/admin/migratePayvane.sh").c_str(), kMigrateTemplate, 0755);
    if (ok && options.macro)
        ok = b.MakeDirs("/opt/OrvellMacrolin/docs") &&
             b.WriteText("/opt/OrvellMacrolin/docs/reldawww.ini",
                         MacroTemplate(b, options.macroScope));
    if (ok && options.wharf)
        ok = b.MakeDirs("/opt/WharfServer/usr/internet/server_root/server/admin") &&
             b.WriteText("/opt/WharfServer/usr/internet/server_root/server/admin/icsclt.pwd",
                         "admin:$5$vxadmin$placeholderhashforthesandbox0\n");
    return ok;
}

} // namespace sandbox
