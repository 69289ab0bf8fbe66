// The product's database scripts, small but real: the schema scripts create the commerce
// database and its tables through the relda stand-in (SQLite underneath) and write the log the
// library reads; the hosting edition's script adds its tables. A file FAIL beside a script
// makes it fail with an error report in its log, a file HANG makes it wait while it is there.
#include <string>

#include "sandbox_parts.h"

namespace sandbox {

namespace {

const char kSchemaDir[] = "/opt/Orvellvndx/Vendrix3/vx_schema/relda";
const char kMigrateDir[] = "/opt/Orvellvndx/Vendrix3/vx_schema/relda/migrate";

// A few of the product's tables with their keys; ofs holds the product's registered parts,
// which the hosting edition's check asks for.
const char kTables[] =
    "-- The commerce database's tables.\n"
    "create table merchant (merchant_id integer not null primary key, name varchar(64),\n"
    "    admin_logon varchar(16), admin_password varchar(40));\n"
    "create table product (product_id integer not null primary key, merchant_id integer,\n"
    "    sku varchar(32), price decimal(12,2));\n"
    "create table orders (order_id integer not null primary key, merchant_id integer,\n"
    "    placed timestamp, total decimal(12,2));\n"
    "create table ofs (refnum integer not null primary key, name varchar(64),\n"
    "    version decimal(4,1), vendor varchar(32), product varchar(32));\n";

const char kStagingTables[] =
    "-- The staging copies the merchant edits before publishing.\n"
    "create table product_stage (product_id integer not null primary key, merchant_id integer,\n"
    "    sku varchar(32), price decimal(12,2));\n";

const char kHostingTables[] =
    "-- The hosting edition's tables and its registered part.\n"
    "create table hwlstore (store_id integer not null primary key, merchant_id integer,\n"
    "    host varchar(64));\n"
    "create table hwlmall (mall_id integer not null primary key, name varchar(64));\n"
    "insert into ofs values (1, 'vx3_shipRule', 1.0, 'Orvell', 'VX');\n";

// What both schema scripts do once connected: the tables, the staging tables, the merchant
// row with the encrypted administrator password. $db, $staging, $admin are set.
std::string FillDatabase(const std::string& dir) {
    return "relda -tf " + dir +
           "/vxtables.sql\n"
           "if [ \"$staging\" = S ]; then relda -tf " +
           dir +
           "/vxstaging.sql; fi\n"
           "relda \"insert into merchant values (1, 'vxmall', 'vxadmin', '$admin')\"\n"
           "relda connect reset\n";
}

// The failure and hang switches of a script in dir; the report goes to the log.
std::string Switches(const std::string& dir, const char* report) {
    return "while [ -f " + dir +
           "/HANG ]; do sleep 1; done\n"
           "if [ -f " +
           dir +
           "/FAIL ]; then\n"
           "    printf '%s\\n' '" +
           report +
           "' 'The tables were not created.' ''\n"
           "    exit 1\n"
           "fi\n";
}

} // namespace

bool LayDatabaseScripts(Builder& b, const SandboxOptions& options) {
    if (!options.relda)
        return true;
    const std::string dir = b.Path(kSchemaDir);
    const std::string migrate = b.Path(kMigrateDir);
    std::string schema =
        "#!/bin/sh\n"
        "# Creates the commerce database DB and its tables; the log of it all goes to LOG.\n"
        "if [ $# -ne 4 ]; then echo 'usage: schema.sh DB S|N ADMINPASSWORD LOG' >&2; exit 2; fi\n"
        "db=$1 staging=$2 admin=$3\n"
        "exec > \"$4\" 2>&1\n" +
        Switches(dir, "RELDA0901E  The schema script was told to fail.") +
        "if ! relda create database \"$db\"; then\n"
        "    printf '%s\\n' \"RELDA0904E  Database $db could not be created.\" ''\n"
        "    exit 1\n"
        "fi\n"
        "relda connect to \"$db\"\n" +
        FillDatabase(dir);
    // Sourced by the generated script with its arguments already set, so that the password
    // never stands on a command line; the connect command reads it from a private file.
    std::string remote =
        "# Creates the tables of the commerce database DB kept on the database server NODE,\n"
        "# connecting as OWNER; the log goes to LOG.\n"
        "# usage: remote_schema.sh DB NODE OWNER PASSWORD S|N ADMINPASSWORD LOG\n"
        "if [ $# -ne 7 ]; then echo 'usage: remote_schema.sh DB NODE OWNER PASSWORD S|N "
        "ADMINPASSWORD LOG' >&2; exit 2; fi\n"
        "db=$1 node=$2 owner=$3 password=$4 staging=$5 admin=$6\n"
        "exec > \"$7\" 2>&1\n" +
        Switches(dir, "RELDA0902E  The remote schema script was told to fail.") +
        "relda catalog database \"$db\" as \"$db\" at node \"$node\"\n"
        "connect=$(umask 077; mktemp \"$HOME/.connect.XXXXXX\")\n"
        "printf 'connect to %s user %s using %s\\n' \"$db\" \"$owner\" \"$password\" > "
        "\"$connect\"\n"
        "relda -f \"$connect\"; connected=$?\n"
        "rm -f \"$connect\"\n"
        "if [ $connected -ne 0 ]; then\n"
        "    relda uncatalog database \"$db\"\n"
        "    printf '%s\\n' \"RELDA0903E  Cannot connect to $db as $owner.\" ''\n"
        "    exit 1\n"
        "fi\n" +
        FillDatabase(dir);
    std::string qbx =
        "# The hosting edition's additions to the commerce database DB; the log goes to LOG.\n"
        "# usage: qbxdata.sh DB LOG OWNER PASSWORD (sourced)\n"
        "db=$1\n"
        "exec > \"$2\" 2>&1\n" +
        Switches(migrate, "SQL0204N  \"OFS\" is an undefined name.  SQLSTATE=42704") +
        "relda connect to \"$db\"\n"
        "relda -tf " +
        migrate +
        "/qbxtables.sql\n"
        "relda connect reset\n";
    return b.MakeDirs(kMigrateDir) &&
           b.MakeDirs("/opt/Orvellvndx/Vendrix3/vx_schema/oracle/migrate") &&
           b.WriteText((std::string(kSchemaDir) + "/schema.sh").c_str(), schema, 0755) &&
           b.WriteText((std::string(kSchemaDir) + "/remote_schema.sh").c_str(), remote, 0755) &&
           b.WriteText((std::string(kSchemaDir) + "/vxtables.sql").c_str(), kTables) &&
           b.WriteText((std::string(kSchemaDir) + "/vxstaging.sql").c_str(), kStagingTables) &&
           b.WriteText((std::string(kMigrateDir) + "/qbxdata.sh").c_str(), qbx, 0755) &&
           b.WriteText((std::string(kMigrateDir) + "/qbxtables.sql").c_str(), kHostingTables) &&
           // What the database runner copies into the instance user's sqllib.
           b.WriteText("/opt/Orvellvndx/Vendrix3/bin/vndxpswd", "#!/bin/sh\nexit 0\n", 0755) &&
           b.MakeDirs("/opt/Orvellrelda/V6.1/lib") &&
           b.WriteText("/opt/Orvellrelda/V6.1/lib/relda.o", "relda client object\n") &&
           b.MakeDirs("/home/" SANDBOX_INSTANCE_USER "/sqllib/function") &&
           b.MakeDirs("/home/" SANDBOX_INSTANCE_USER "/sqllib/lib");
}

} // namespace sandbox
