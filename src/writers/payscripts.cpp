// The payment server's scripts of an instance, made from the product's templates: the start
// script with its password file, and the migration script of the payment server's database.
// Only the lines the templates are known to hold are rewritten; every other line is copied.
#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <strings.h>

#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/msfields.h"
#include "vxconfig/webpaths.h"
#include "vxconfig/writers.h"
#include "writers/secrets.h"
#include "writers/writerframe.h"

namespace {

// Where "jre" stands in the start template's Java command line.
constexpr size_t kJavaLineOffset = 15;
const char kOracleDriver[] = "oracle.jdbc.driver.OracleDriver";
const char kOraclePort[] = "1521";
// The password file is its owner's alone.
const mode_t kPasswordFileMode = 0700;

std::string Text(const ICString& value) {
    return static_cast<const char*>(value);
}

bool Begins(const std::string& line, const char* prefix) {
    return line.compare(0, strlen(prefix), prefix) == 0;
}

// The template's variables and their values; names compare without letter case.
struct Caseless {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};
typedef std::map<std::string, std::string, Caseless> Variables;

// line with every "<name>" replaced by its value; an unknown name goes with its brackets.
std::string Substitute(const std::string& line, const Variables& values) {
    std::string out, piece;
    bool variable = false;
    auto flush = [&] {
        if (!variable) {
            out += piece;
        } else {
            auto found = values.find(piece);
            if (found != values.end())
                out += found->second;
        }
        piece.clear();
    };
    for (char c : line) {
        if (c != '<' && c != '>') {
            piece += c;
            continue;
        }
        flush();
        variable = !variable;
    }
    flush();
    return out;
}

// Copies template to file.path through the writer frame, each line rewritten by edit.
template <typename Edit>
int FromTemplate(const writers::ConfigFile& file, const ICString& source, Edit edit) {
    SysLineReader in(source);
    if (!in.IsOpen()) {
        SysSetFileReason(source, errno);
        return 0;
    }
    return writers::WriteConfigFile(file, [&](FILE* out, ICString& failed) {
        while (char* line = in.Next())
            edit(std::string(line, in.Length()), out);
        failed = source;
        return in.Failed() ? 0 : 1;
    });
}

void Copy(const std::string& line, FILE* out) {
    fwrite(line.data(), 1, line.size(), out);
}

ICString Product() {
    ICString product;
    ICGetInstPath(product);
    return product;
}

} // namespace

int CreatePayVaneCmd(const MSInfo& info) {
    ICString bin = info.RootPath ^ "bin";
    ICString password;
    info.GetDBPswd(password);
    writers::ConfigFile secret;
    secret.path = bin ^ ".payment";
    secret.owner = info.DBOwner;
    secret.mode = kPasswordFileMode;
    secret.record = &info;
    if (!writers::WriteConfigFile(secret, [&](FILE* out, ICString&) {
            fprintf(out, "%s=%s", writers::kPaymentPasswordKey, static_cast<const char*>(password));
            return 1;
        }))
        return 0;

    ICString relda, oracle, payvane, sid;
    SysGetDBOrvellPath(relda);
    SysGetOraPath(oracle, 0);
    SysGetPayvanePath(payvane);
    SysGetOraSid(sid);
    bool isOracle = info.DBType == DB_ORACLE;
    const Variables values = {
        {"database_java_driver", Text(isOracle ? oracle ^ "jdbc" ^ "lib" ^ "classes111.zip"
                                               : relda ^ "java" ^ "reldajava.zip")},
        {"JDBC_driver_name", isOracle ? kOracleDriver : "COM.orvell.relda.jdbc.app.RELDADriver"},
        {"JDBC_URL",
         isOracle ? "jdbc:oracle:thin:@" + Text(info.ISHost) + ":" + kOraclePort + ":" + Text(sid)
                  : "jdbc:relda:" + Text(info.DBName)},
        {"Database_owner", Text(info.DBUser)},
        {"Database_userid", Text(info.DBUser)},
        {"domain_qualified_hostname", Text(info.PVHost)},
        {"PAYVANE_Path", Text(payvane)},
        {"Certificate_Database_Type", "flatfile"},
        {"SET_Database_Type", "flatfile"},
    };
    writers::ConfigFile script;
    script.path = bin ^ "PayVane";
    script.owner = info.DBOwner;
    script.mode = 0755;
    return FromTemplate(script, Product() ^ "server" ^ "admin" ^ "PayVane",
                        [&](const std::string& line, FILE* out) {
                            if (line.find("jre") == kJavaLineOffset)
                                fprintf(out, "cd %s; %s", static_cast<const char*>(bin),
                                        Substitute(line, values).c_str());
                            else
                                Copy(line, out);
                        });
}

int CreatePayVaneMigCmd(const MSInfo& info) {
    ICString product = Product();
    ICString relda, oracle, payvane;
    SysGetDBOrvellPath(relda);
    SysGetOraPath(oracle, 0);
    SysGetPayvanePath(payvane);
    bool isOracle = info.DBType == DB_ORACLE;
    ICString schemaDir =
        product ^ "vx_schema" ^ g_msDatabaseTypes[isOracle ? DB_ORACLE : DB_RELDA].word;
    std::string schema =
        Text(schemaDir ^ (isOracle ? "payvane12_schema.ora.sql" : "payvane12_schema.relda.sql"));
    const Variables values = {{"PAYVANE_Path", Text(payvane)}};

    std::string classes = Text(payvane ^ "PayvaneClasses.zip");
    std::string tail;
    if (!isOracle) {
        tail = Text(relda ^ "java" ^ "reldajava.zip") + ":" + classes;
    } else {
        ISPath web;
        if (info.ISType == IS_WHARF && SysGetISOrvellInfo(web))
            tail = Text(web[ISPATH_SERVER_ROOT] ^ "java" ^ "lib" ^ "classes.zip") + ":";
        tail += classes + ":" + Text(oracle ^ "jdbc" ^ "lib" ^ "classes111.zip");
    }
    auto oracleLine = [&](std::string line, FILE* out) {
        static const char* const urls[] = {"x2=", "x5="};
        if (Begins(line, "x1=") || Begins(line, "set x1=")) {
            fprintf(out, "%s%s\n", Begins(line, "x1=") ? "x1=" : "set x1=", kOracleDriver);
            return true;
        }
        for (const char* url : urls) {
            if (Begins(line, url)) {
                fprintf(out, "%sjdbc:oracle:thin:@$4:%s:$1\n", url, kOraclePort);
                return true;
            }
            if (Begins(line, (std::string("set ") + url).c_str())) {
                fprintf(out, "set %sjdbc:oracle:thin:@%%4:%s:%%1\n", url, kOraclePort);
                return true;
            }
        }
        // The argument count of the checks, the rest of the line kept.
        const char kCountCheck[] = "if \"%3\"==\"\" goto error";
        size_t at = line.find(kCountCheck);
        if (at != std::string::npos) {
            Copy(line.replace(at, strlen(kCountCheck), "if \"%4\"==\"\" goto error"), out);
            return true;
        }
        if (Begins(line, "if [ $# != 3 ]")) {
            Copy(line.replace(0, strlen("if [ $# != 3 ]"), "if [ $# != 4 ]"), out);
            return true;
        }
        if (line.find("Usage") != std::string::npos) {
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                line.pop_back();
            bool quoted = !line.empty() && line.back() == '"';
            if (quoted)
                line.pop_back();
            fprintf(out, "%s <servicename>%s\n", line.c_str(), quoted ? "\"" : "");
            return true;
        }
        return false;
    };

    writers::ConfigFile script;
    script.path = schemaDir ^ "migrate" ^ "migratePayvane.sh";
    script.owner = "bin";
    script.mode = 0755;
    return FromTemplate(
        script, product ^ "server" ^ "admin" ^ "migratePayvane.sh",
        [&](const std::string& line, FILE* out) {
            if (line.find("jre") != std::string::npos) {
                std::string substituted = Substitute(line, values);
                std::string path;
                if (substituted.find("jre") != std::string::npos)
                    path = Text(payvane ^ "jre" ^ "lib" ^ "rt.jar") + ":" +
                           Text(payvane ^ "jre" ^ "lib" ^ "i18n.jar") + ":";
                fprintf(out, "export vxclasspath=%s%c%s\n\n", (path + tail).c_str(), ':',
                        Text(ICString("$JAVA_HOME") ^ "lib" ^ "classes.zip").c_str());
                Copy(substituted, out);
            } else if (Begins(line, "x0=") || Begins(line, "set x0=")) {
                fprintf(out, "%s%s\n", Begins(line, "x0=") ? "x0=" : "set x0=", schema.c_str());
            } else if (!isOracle || !oracleLine(line, out)) {
                Copy(line, out);
            }
        });
}
