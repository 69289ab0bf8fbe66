// The runner under every database step: a generated script run in a login shell of the
// database owner, the private command files of the queries, where they are written, and the
// turns the runs take at the directories they share.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "database/dbfiles.h"
#include "sys/process/spawn.h"
#include "sys/sysdb/passwd.h"
#include "vxconfig/changes.h"
#include "vxconfig/database.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/sysutil.h"

namespace database {

const char kDefaultAdministrator[] = "vxadmin";
const char kRunnerScript[] = "dbmaster.sh";

namespace {

// The hosting edition's script, in the product's server/admin.
const char kHostingScript[] = "reldaconfig";
// A check run's query place: root's directory, searchable by the database owner, and the
// owner's directory for the answers inside it.
const char kPlacePrefix[] = "/vxquery-XXXXXX";
const char kAnswersDir[] = "answers";
constexpr mode_t kPlaceMode = 0711;
constexpr mode_t kAnswersMode = 0700;
// Deeper than the commands of a query ever make; what lies deeper is left.
constexpr int kMaxRemoveDepth = 16;

// The query place of the QueryPlace alive now; empty when there is none.
std::string s_placeDir;

// Removes name in the directory at, with everything below it, never following a link: the
// database owner may have put anything there.
void RemoveBelow(int at, const char* name, int depth) {
    if (unlinkat(at, name, 0) == 0 || errno == ENOENT || depth > kMaxRemoveDepth)
        return;
    int fd = openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return;
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    }
    for (const std::string& entry : names)
        RemoveBelow(dirfd(dir), entry.c_str(), depth + 1);
    closedir(dir);
    unlinkat(at, name, AT_REMOVEDIR);
}

} // namespace

DBFiles::DBFiles(const MSInfo& info) : logDir(info.VXLogPath), workDir(info.VXLogPath) {
    ICString out = logDir;
    if (!s_placeDir.empty()) {
        workDir = s_placeDir.c_str();
        out = workDir ^ kAnswersDir;
    }
    command = workDir ^ (info.DBName + ".cmd");
    connect = workDir ^ (info.DBName + ".connect");
    listing = out ^ (info.DBName + ".tmp");
    query = out ^ (info.DBName + "QBX.tmp");
    marker = out ^ ("~" + info.DBName + ".tmp");
}

QueryPlace::QueryPlace(const MSInfo& info) : m_ready(1) {
    if (SysGetChangeMode() != SYS_CHANGES_CHECK || !s_placeDir.empty())
        return;
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + kPlacePrefix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        SysSetFileReason(pattern.c_str(), errno);
        m_ready = 0;
        return;
    }
    m_dir = name.data();
    std::string answers = m_dir + "/" + kAnswersDir;
    SysPasswdEntry owner;
    bool ok = chmod(m_dir.c_str(), kPlaceMode) == 0 && mkdir(answers.c_str(), kAnswersMode) == 0;
    // Unprivileged, the commands run as the caller, who keeps the directory.
    if (ok && SysLookupUser(info.DBOwner, owner))
        ok = chown(answers.c_str(), owner.uid, owner.gid) == 0 || errno == EPERM;
    if (!ok) {
        SysSetFileReason(answers.c_str(), errno);
        RemoveBelow(AT_FDCWD, m_dir.c_str(), 0);
        m_dir.clear();
        m_ready = 0;
        return;
    }
    s_placeDir = m_dir;
}

QueryPlace::~QueryPlace() {
    if (m_dir.empty())
        return;
    s_placeDir.clear();
    RemoveBelow(AT_FDCWD, m_dir.c_str(), 0);
}

DirectoryTurn::DirectoryTurn(const char* dir) {
    struct stat st;
    if (!dir || !*dir || SysStat(dir, &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    m_lock.reset(new SysFileLock(TurnLockName(dir), kTurnSeconds));
    if (m_lock->Held())
        return;
    // The directory, and how long another run has held it.
    ICString text;
    ICLoadMessage(text, IC_MSG_CANNOT_ACCESS_DIRECTORY, dir);
    OutputError(text + " " + SysGetLastReason());
}

ICString TurnLockName(const char* dir) {
    // SysFileLock locks the directory holding the file it is given.
    return ICString(dir) ^ ".";
}

int WriteRunFile(const char* path, const char* content, size_t length, mode_t mode,
                 const char* owner) {
    if (SysRemove(path) != 0 && errno != ENOENT) {
        SysSetFileReason(path, errno);
        return 0;
    }
    SysWriteOptions options;
    options.mode = mode;
    options.owner = owner && *owner ? owner : nullptr;
    options.noFollow = true;
    return SysWriteFile(path, content, length, options);
}

int WritePrivateScript(const char* path, const std::string& text, const char* owner) {
    return WriteRunFile(path, text.data(), text.size(), 0700, owner);
}

int RunCommandFile(MSInfo& info, const DBFiles& files, const std::string& text) {
    if (!WritePrivateScript(files.command, text, info.DBOwner))
        return kNotWritten;
    int result = SysExecDBScript(files.command, info, files.workDir, 0);
    SysRemove(files.command);
    return result;
}

void RemoveLeftovers(const MSInfo& info) {
    DBFiles files(info);
    {
        DirectoryTurn turn(files.logDir);
        if (turn.Held()) {
            for (const ICString& path : {files.command, files.connect, files.listing, files.query,
                                         files.marker, files.logDir ^ kRunnerScript})
                SysRemove(path);
        }
    }
    ICString product;
    if (!SysGetInstPath(product, 3))
        return;
    struct Leftover {
        ICString dir;
        const char* name;
    };
    for (const Leftover& left : {Leftover{product ^ "vx_schema" ^ "relda", kRunnerScript},
                                 Leftover{product ^ "server" ^ "admin", kHostingScript}}) {
        DirectoryTurn turn(left.dir);
        if (turn.Held())
            SysRemove(left.dir ^ left.name);
    }
}

std::string SourcedCall(const std::string& script, const std::vector<std::string>& args) {
    std::string line = "( set --";
    for (const std::string& arg : args)
        line += " " + platform::ShellQuote(arg);
    return line + "; . " + platform::ShellQuote(script) + " )";
}

} // namespace database

int CreateDBScript(const char* path, const char* script, const char* marker, const char* owner) {
    std::string text = std::string(script ? script : "") + "\n";
    text += std::string("mkdir ") + (marker ? marker : "") + "\n";
    return database::WritePrivateScript(path, text, owner);
}

int SysExecDBScript(const char* script, MSInfo& info, const char* dir, int) {
    SysPasswdEntry user;
    if (!SysLookupUser(info.DBUser, user)) {
        SysSetLastReason("the database instance user %s is not a user of this system",
                         static_cast<const char*>(info.DBUser));
        ICShowError(IC_MSG_BAD_DATABASE_USER, info.DBUser);
        return 0;
    }
    // The database functions and the client library in the instance user's sqllib, that
    // user's own from the first byte.
    ICString product, relda;
    struct Copy {
        ICString from, to;
    };
    std::vector<Copy> copies;
    if (SysGetInstPath(product, 3))
        copies.push_back({product ^ "bin" ^ "vndxpswd", user.home ^ "sqllib/function/vndxpswd"});
    if (SysGetDBOrvellPath(relda))
        copies.push_back({relda ^ "lib" ^ "relda.o", user.home ^ "sqllib/lib/relda.o"});
    {
        // The copies stay: a query asked in a check run does not make them.
        SysProbePause lasting;
        for (const Copy& copy : copies) {
            mode_t mode = 0;
            ICString content;
            if (SysReadCopySource(copy.from, content, &mode))
                database::WriteRunFile(copy.to, content, static_cast<size_t>(content.GetLength()),
                                       mode & 07777, info.DBUser);
        }
    }

    // One runner at a time in a directory: the runner's name is fixed.
    database::DirectoryTurn turn(dir);
    if (!turn.Held())
        return 0;
    database::DBFiles files(info);
    ICString wrapper = ICString(dir ? dir : "") ^ database::kRunnerScript;
    if (!CreateDBScript(wrapper, script, files.marker, info.DBOwner)) {
        ICShowError(IC_MSG_CANNOT_CREATE_DB_SCRIPT);
        return 0;
    }
    // A marker a killed earlier run left would pass for this run's.
    SysRemove(files.marker);
    int result = SysExecCmd(wrapper, dir, info.DBOwner);
    SysRemove(files.marker);
    SysRemove(wrapper);
    return result;
}
