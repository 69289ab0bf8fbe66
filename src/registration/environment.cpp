// The login environment of the product's shells: root's profile and the web server's boot
// scripts source the product profile, which keeps the Relda instance name; the database user's
// profile receives the variables of the payment server and the database client; the queue
// bridge's client variable and the application server's JVM paths. Every file is changed by
// reading it whole under its lock and writing it back through the one write path.
#include "vxconfig/environment.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "sys/files/lineedit.h"
#include "sys/process/runprogram.h"
#include "sys/sysdb/passwd.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/msinfo.h"
#include "vxconfig/safevalue.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/sysutil.h"

namespace {

const char kProfileName[] = "vndxprofile";
const char kBackupSuffix[] = ".old";
const char kRootProfile[] = "/.profile";
const char kUserProfile[] = "/.profile";
const char kReldaInstance[] = "RELDAINSTANCE";
const char kHomeVariable[] = "HOME";
const char kClassPathKey[] = "lwf.jvm.classpath";
const char kLibPathKey[] = "lwf.jvm.libpath";
const char kJvmFilesOwner[] = "bin";
// The web server's boot scripts, sourcing the product profile like root's login shell.
const char* const kWharfScripts[] = {"/etc/rc0.d/K54wharf_httpd", "/etc/rc1.d/K54wharf_httpd",
                                     "/etc/rc2.d/S88wharf_httpd"};
// A profile or script made anew for a login shell: readable by all, written by its owner
// only, whatever the creation mask of the caller.
const mode_t kNewProfileMode = 0644;
// The home directory is the fifth non-empty field of a passwd line.
enum { kPasswdHomeField = 5 };
// The queue bridge's arguments: server name, mode, channel, port; a vector of kPortArgc
// arguments carries the port.
enum { kArgServer = 3, kArgMode = 9, kArgChannel = 10, kArgPort = 11, kPortArgc = 12 };

// Edits a profile or script under its lock through the line-edit engine: one being replaced
// keeps its mode, a new one gets kNewProfileMode; with keepOld the previous content stays
// beside it as path + ".old". A missing file is edited as an empty one when missingIsEmpty,
// else it is a failure.
int EditProfile(const char* path, bool missingIsEmpty, bool keepOld,
                const platform::LineEditor& edit) {
    ICString backup = ICString(path) + kBackupSuffix;
    platform::LineEditOptions options;
    options.mode = kNewProfileMode;
    options.keepMode = true;
    options.backup = keepOld ? static_cast<const char*>(backup) : nullptr;
    options.missingIsEmpty = missingIsEmpty;
    return platform::EditLineFile(path, options, edit);
}

// Appends text to path, creating it when missing. 1 / 0.
int AppendText(const char* path, const std::string& text) {
    return EditProfile(path, true, false, [&](platform::TextLines& lines, bool) {
        platform::EndLastLine(lines);
        lines.push_back(text);
        return platform::kEditWrite;
    });
}

// The product's "server/bin" directory, where the product profile lies.
int ProductBinDir(ICString& out) {
    ICString inst;
    if (!ICGetInstPath(inst))
        return 0;
    out = (inst ^ "server") ^ "bin";
    return 1;
}

// A home directory read from a file or a program: an absolute path that is a safe value.
bool IsUsableHome(const std::string& home) {
    return !home.empty() && home[0] == '/' && SysIsSafeValue(home.c_str(), SYS_VALUE_PATH);
}

// The user the database environment belongs to: the owner for Oracle, the instance user for
// Relda.
const char* DatabaseUser(const MSInfo& instance) {
    return instance.DBType == DB_ORACLE ? instance.DBOwner : instance.DBUser;
}

// The home directory a login shell of user sees: the first line of its environment that
// begins with "HOME", the text after "=" up to the first separator.
int AskLoginHome(const char* user, std::string& home) {
    const char* argv[] = {"su", "-", user, "-c", "env | grep HOME", nullptr};
    std::string printed;
    if (!platform::ReadProgramOutput(argv, printed))
        return 0;
    size_t at = 0;
    while (at < printed.size()) {
        size_t end = printed.find('\n', at);
        std::string line = printed.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? printed.size() : end + 1;
        size_t equals = line.find('=');
        if (line.compare(0, strlen(kHomeVariable), kHomeVariable) != 0 ||
            equals == std::string::npos)
            continue;
        std::string value = line.substr(equals + 1);
        home = value.substr(0, value.find_first_of(SYS_SEPARATORS));
        return 1;
    }
    return 0;
}

// AskLoginHome, with the answer kept for the rest of the run: the instances of a machine mostly
// share their database user, and a login shell per instance costs more than all else it does.
// Kept by system root and user; a failed question is asked again.
int LoginHome(const char* user, std::string& home) {
    static std::mutex lock;
    static std::map<std::pair<std::string, std::string>, std::string> known;
    std::pair<std::string, std::string> key(static_cast<const char*>(SysGetRoot()), user);
    {
        std::lock_guard<std::mutex> held(lock);
        auto found = known.find(key);
        if (found != known.end()) {
            home = found->second;
            return 1;
        }
    }
    if (!AskLoginHome(user, home))
        return 0;
    std::lock_guard<std::mutex> held(lock);
    known[key] = home;
    return 1;
}

// What a row of the database user's profile fills in after its fixed text.
enum RowFill { kFillNone, kFillHome, kFillUser, kFillHostingLib };

// One variable of the database user's profile: it counts as present when some line contains
// marker (null: the row's line itself; for kFillHostingLib: the fixed text).
struct ProfileRow {
    const char* marker;
    const char* text;
    RowFill fill;
    const char* exported;
};

const ProfileRow kProfileRows[] = {
    {"NLSPATH", "NLSPATH=/usr/lib/locale/%L/%N:/usr/lib/locale/%L/%N.cat", kFillNone, "NLSPATH"},
    {nullptr, "LC_ALL=C", kFillNone, "LC_ALL"},
    {nullptr, "PAYVANE_HOME=/opt/Orvell_Payment_Server", kFillNone, "PAYVANE_HOME"},
    {nullptr, "JRE_TOP=$PAYVANE_HOME/jre", kFillNone, "JRE_TOP"},
    {nullptr, "THREADS_TYPE=native_threads", kFillNone, "THREADS_TYPE"},
    {nullptr, "INSTHOME=", kFillHome, "INSTHOME"},
    {nullptr, "RELDACOMM=TCPIP", kFillNone, "RELDACOMM"},
    {kReldaInstance, "RELDAINSTANCE=", kFillUser, "RELDAINSTANCE"},
    {nullptr, "LANG=en_US", kFillNone, "LANG"},
    {nullptr, "VXJAVA_HOME=$PAYVANE_HOME/jre", kFillNone, "JAVA_HOME"},
    {nullptr,
     "CLASSPATH=$CLASSPATH:$VXJAVA_HOME/lib:$VXJAVA_HOME/lib/classes.zip:$PAYVANE_HOME:"
     "$PAYVANE_HOME/PayvaneClasses.zip:$HOME/sqllib/java/reldajava.zip",
     kFillNone, "CLASSPATH"},
    {nullptr,
     "LIBPATH=$PAYVANE_HOME/lib:$JRE_TOP/lib/sparc/native_threads:$LIBPATH:/$INSTHOME/sqllib/"
     "odbclib.lib:/usr/java/lib/sparc/green_threads",
     kFillNone, "LIBPATH"},
    {nullptr,
     "LD_LIBRARY_PATH=$PAYVANE_HOME/lib:$JRE_TOP/lib/sparc/native_threads:$LD_LIBRARY_PATH:"
     "$INSTHOME/sqllib/lib:$INSTHOME/sqllib/odbclib/lib:/opt/Orvellvndx/Vendrix3/bin:"
     "/opt/OrvellMacrolin/lib",
     kFillHostingLib, "LD_LIBRARY_PATH"},
    {nullptr,
     "PATH=/opt/Orvellvndx/Vendrix3/bin:$JRE_TOP/bin/sparc/native_threads:$PATH:$INSTHOME/"
     "sqllib/bin:$INSTHOME/sqllib/adm:$INSTHOME/sqllib/misc",
     kFillNone, "PATH"},
};

// The rows of the database user's profile that no line of lines contains, in table order.
int MissingRows(const MSInfo& instance, const std::string& home, const char* user,
                const platform::TextLines& lines, std::string& out) {
    out.clear();
    for (const ProfileRow& row : kProfileRows) {
        std::string line = row.text;
        if (row.fill == kFillHome)
            line += home;
        else if (row.fill == kFillUser)
            line += user;
        std::string marker = row.marker ? row.marker : line;
        bool present = false;
        for (const std::string& have : lines)
            present = present || have.find(marker) != std::string::npos;
        if (present)
            continue;
        if (row.fill == kFillHostingLib && (instance.MSOption & MS_OPT_HOSTING)) {
            ICString jre;
            if (!SysGetJREPath(jre))
                return 0;
            line += std::string(":") + static_cast<const char*>(jre ^ "lib");
        }
        out += line + "\nexport " + row.exported + "\n";
    }
    return 1;
}

// The home directory of user as the queue bridge has always found it: the fifth non-empty
// field of the user's passwd entry, which is the home directory when the comment is empty.
int PasswdHome(const char* user, std::string& home) {
    SysPasswdEntry entry;
    if (!SysLookupUser(user, entry))
        return 0;
    // The numeric ids are never empty, and never the fifth field.
    const char* const fields[] = {entry.name,  entry.passwd, "uid",      "gid",
                                  entry.gecos, entry.home,   entry.shell};
    int field = 0;
    for (const char* part : fields) {
        if (*part && ++field == kPasswdHomeField) {
            home = part;
            return 1;
        }
    }
    return 0;
}

// Adds item to the ":"-separated path list value of line unless one of its parts is item.
void AddToPathList(std::string& line, size_t valueAt, const std::string& item) {
    const char* separators = ": \n";
    size_t at = line.find_first_not_of(separators, valueAt);
    while (at != std::string::npos) {
        size_t end = line.find_first_of(separators, at);
        if (line.compare(at, end == std::string::npos ? end : end - at, item) == 0)
            return;
        at = line.find_first_not_of(separators, end);
    }
    if (line.empty() || line.back() != ':')
        line += ':';
    line += item;
}

} // namespace

int SysModFile(const char* path, MSInfo&) {
    ICString binDir;
    if (!ProductBinDir(binDir)) {
        ICShowError(IC_MSG_NO_INSTALL_PARAMETERS);
        return 0;
    }
    if (!path || !*path)
        return 0;
    // Root's profile may not exist yet; any other script must.
    bool rootProfile = strcmp(path, SysRootPath(kRootProfile)) == 0;
    return EditProfile(path, rootProfile, true, [&](platform::TextLines& lines, bool) {
        for (const std::string& line : lines) {
            if (line.find(kProfileName) != std::string::npos)
                return platform::kEditKeep;
        }
        lines.insert(lines.begin(), std::string(". ") + static_cast<const char*>(binDir) + "/" +
                                        kProfileName + "\n\n");
        return platform::kEditWrite;
    });
}

int SysSetEnvironment(MSInfo& instance, int removing) {
    if (instance.ISType == IS_WHARF) {
        for (const char* script : kWharfScripts)
            SysModFile(SysRootPath(script), instance);
    }
    SysModFile(SysRootPath(kRootProfile), instance);

    ICString binDir;
    if (!ProductBinDir(binDir) || !SysIsSafeValue(instance.DBUser, SYS_VALUE_NAME))
        return 0;
    ICString profile = binDir ^ kProfileName;
    return EditProfile(profile, true, true, [&](platform::TextLines& lines, bool) {
        // The pair is kept once: every line of it goes, and registering writes it anew.
        platform::TextLines kept;
        for (std::string& line : lines) {
            if (line.find(kReldaInstance) == std::string::npos)
                kept.push_back(std::move(line));
        }
        platform::EndLastLine(kept);
        if (!removing)
            kept.push_back(std::string(kReldaInstance) + "=" +
                           static_cast<const char*>(instance.DBUser) + "\nexport " +
                           kReldaInstance + "\n");
        lines.swap(kept);
        return platform::kEditWrite;
    });
}

int SysSetDBUserProfile(MSInfo& instance) {
    const char* user = DatabaseUser(instance);
    if (!*user || !SysIsSafeValue(user, SYS_VALUE_NAME))
        return 0;
    std::string home;
    if (!LoginHome(user, home) || !IsUsableHome(home))
        return 0;
    std::string profile = home + kUserProfile;
    int edited = EditProfile(profile.c_str(), true, false, [&](platform::TextLines& lines, bool) {
        std::string added;
        if (!MissingRows(instance, home, user, lines, added))
            return platform::kEditFailed;
        if (added.empty())
            return platform::kEditKeep;
        platform::EndLastLine(lines);
        lines.push_back(added);
        return platform::kEditWrite;
    });
    if (!edited)
        return 0;
    SysChown(profile.c_str(), user, 0);
    return 1;
}

int SysSetEnvQXSERVER(MSInfo& instance, char** argv, int argc) {
    if (!argv || argc <= kArgMode || !argv[kArgServer] || !argv[kArgMode])
        return 0;
    std::string home;
    if (!PasswdHome(instance.DBOwner, home) || !IsUsableHome(home))
        return 0;
    std::string value;
    if (strcmp(argv[kArgMode], "client") == 0) {
        // The value goes into a profile that login shells read: only safe words.
        if (argc <= kArgChannel || !SysIsSafeValue(argv[kArgServer], SYS_VALUE_NAME) ||
            !SysIsSafeValue(argv[kArgChannel], SYS_VALUE_NAME))
            return 0;
        value = std::string(argv[kArgChannel]) + "/TCP/";
        if (argc != kPortArgc) {
            value += argv[kArgServer];
        } else {
            if (!SysIsSafeValue(argv[kArgPort], SYS_VALUE_NAME))
                return 0;
            value += std::string("'") + argv[kArgServer] + "(" + argv[kArgPort] + ")'";
        }
    }
    return AppendText((home + kUserProfile).c_str(), "export QXSERVER=" + value + "\n");
}

int SysSetJvmProperties(MSInfo&, const char* file) {
    ICString inst, relda;
    if (!file || !*file || !ICGetInstPath(inst) || !SysGetDBOrvellPath(relda))
        return 0;
    struct PathAdditions {
        const char* key;
        ICString first, second;
    };
    const PathAdditions additions[] = {
        {kClassPathKey, (relda ^ "java") ^ "reldajava.zip", (inst ^ "QBX") ^ "QBX.jar"},
        {kLibPathKey, inst ^ "bin", relda ^ "lib"},
    };
    int edited = EditProfile(file, false, true, [&](platform::TextLines& lines, bool) {
        for (std::string& line : lines) {
            line = line.substr(0, line.find('\n'));
            size_t equals = line.find('=');
            std::string key = line.substr(0, equals);
            for (const PathAdditions& a : additions) {
                if (equals != std::string::npos && key == a.key) {
                    AddToPathList(line, equals + 1, static_cast<const char*>(a.first));
                    AddToPathList(line, equals + 1, static_cast<const char*>(a.second));
                }
            }
            line += "\n";
        }
        return platform::kEditWrite;
    });
    if (!edited)
        return 0;
    SysChown(file, kJvmFilesOwner, 0);
    SysChown(ICString(file) + kBackupSuffix, kJvmFilesOwner, 0);
    return 1;
}
