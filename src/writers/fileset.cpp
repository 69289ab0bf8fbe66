// The file set of an instance: its directory tree with owners and modes, the template-editor
// and catalogue macros it edits, the CGI programs, the web password file, and the small edits
// of an existing configuration file (a missing keyword line, the personalization variant).
#include <cstring>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "conffile/conftext.h"
#include "sys/sysdb/passwd.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/outcome.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/webpaths.h"
#include "vxconfig/writers.h"
#include "writers/creation.h"
#include "writers/writerframe.h"

extern "C" {
const char* const catmacros[] = {
    "cat_bas1.d2w", "cat_bas2.d2w", "cat_clo1.d2w", "cat_clo2.d2w", "cat_clo3.d2w",
    "cat_com1.d2w", "cat_com2.d2w", "cat_com3.d2w", "cat_har1.d2w", "cat_har2.d2w",
    "cat_har3.d2w", "cat_stor.d2w", "catgry1.d2w",  "catgry2.d2w",  nullptr,
};
const char* const prodmacros[] = {
    "temphard.d2w", "product1.d2w", "product2.d2w", "tempbas1.d2w", "tempclo2.d2w", "tempclo3.d2w",
    "tempclot.d2w", "tempite2.d2w", "tempitem.d2w", "tempcomp.d2w", nullptr,
};
const char* const cahtml[] = {
    "pc1_te.html", "pc2_te.html",   "pc3_te.html", "pe_te.html", "sa_te.html",
    "pc.html",     "pe.html",       "sa.html",     "ngpc.html",  "ngpe.html",
    "ngsa.html",   "ngsa_ans.html", "sa_ans.html", nullptr,
};
}

namespace {

const char kProgramOwner[] = "bin";
const char kCacheOwner[] = "nobody";
const mode_t kDirMode = 0755;
// The directories everybody writes into (the web server's and the macro processor's): the
// sticky bit keeps anyone from removing or replacing a file that is not their own.
const mode_t kOpenDirMode = 01777;
// The CGI directory every installation before release 3 serves the product from.
const char kEarlyCgiDir[] = "/opt/WharfServer/usr/internet/server_root/cgi-bin";
const char kGroupLensPort[] = "9000";

bool Exists(const char* path) {
    return SysAccess(path, F_OK) == 0;
}

bool IsDirectory(const char* path) {
    struct stat st;
    return SysStat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// The directories MakeDir made in this process: this run's own, in a check run too.
std::set<std::string>& MadeHere() {
    static std::set<std::string> made;
    return made;
}

// path without trailing slashes.
std::string Trimmed(const char* path) {
    std::string text = path;
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

// Whether path is tree or lies below it.
bool Within(const char* path, const char* tree) {
    std::string p = Trimmed(path), t = Trimmed(tree);
    return !t.empty() && p.compare(0, t.size(), t) == 0 &&
           (p.size() == t.size() || p[t.size()] == '/');
}

// The instance's own trees, inside which an existing directory of root or of a user the
// instance gives its directories to is the instance's to set up; outside them only what this
// run made is.
struct OwnTrees {
    const char* root;
    const char* config;
    const char* users[3];
};

bool BelongsTo(const struct stat& st, const char* user) {
    SysPasswdEntry entry;
    return user && SysLookupUser(user, entry) && entry.uid == st.st_uid;
}

// Whether MakeDir may give an existing directory its owner and mode. Never a system directory
// (SysIsSystemDirectory); always one this run made. Otherwise, with the instance's trees, one
// of them or inside them that belongs to root, this process's user, owner or the instance's
// users; without them (a bare MakeDir) any that belongs to root, this process's user or owner.
bool IsOwnDirectory(const char* path, const char* owner, const OwnTrees* trees) {
    if (MadeHere().count(Trimmed(path)))
        return true;
    struct stat st;
    if (SysIsSystemDirectory(path) || SysStat(path, &st) != 0)
        return false;
    if (trees && !Within(path, trees->root) && !Within(path, trees->config))
        return false;
    if (st.st_uid == 0 || st.st_uid == geteuid() || BelongsTo(st, owner))
        return true;
    if (!trees)
        return false;
    for (const char* user : trees->users) {
        if (BelongsTo(st, user))
            return true;
    }
    return false;
}

// Gives an existing directory its owner and mode when it is the instance's own; else leaves it
// as it is and says so where that differs from what was asked.
void SetUpExisting(const char* path, const char* owner, mode_t mode, const OwnTrees* trees) {
    if (IsOwnDirectory(path, owner, trees)) {
        SysChown(path, owner, 0);
        SysChmod(path, mode);
        return;
    }
    struct stat st;
    SysPasswdEntry entry;
    bool sameOwner = !owner || (SysLookupUser(owner, entry) && SysStat(path, &st) == 0 &&
                                st.st_uid == entry.uid);
    if (SysStat(path, &st) == 0 && (!sameOwner || (st.st_mode & 07777) != mode))
        SysNotice("%s: not the instance's own directory; its owner and mode %04o are left as "
                  "they are",
                  path, static_cast<unsigned>(st.st_mode & 07777));
}

// Creates path (each missing directory with mode, given to owner), or sets up the existing
// one; then sets final as its mode where it is the instance's own. 1, or 0 (no directory).
int MakeDirIn(const char* path, const char* owner, mode_t mode, mode_t final,
              const OwnTrees* trees) {
    if (!path)
        return 0;
    SysTrustedPath trusted;
    if (Exists(path)) {
        // A file standing where the directory should be is no directory, and it keeps its
        // own owner and mode; nor is a link somebody else could have planted.
        if (!IsDirectory(path) || !SysResolveTrusted(path, trusted))
            return 0;
        if (trusted.untrustedLink) {
            SysSetLastReason("%s: a symbolic link that is not followed: %s", path,
                             static_cast<const char*>(trusted.why));
            return 0;
        }
        SetUpExisting(path, owner, final, trees);
        return 1;
    }
    if (!SysCheckRoot(path))
        return 0;
    // Every missing prefix, at each "/" after the first and at the end.
    ICString prefix;
    for (const char* at = path + 1;; ++at) {
        if (*at != '/' && *at != '\0')
            continue;
        prefix.CopyStr(path, static_cast<int>(at - path));
        if (!IsDirectory(prefix)) {
            if (!SysMkdir(prefix, owner, mode))
                return 0;
            MadeHere().insert(Trimmed(prefix));
            // The mode exactly as asked, whatever the creation mask took away.
            SysChmod(prefix, *at == '\0' ? final : mode);
        }
        if (*at == '\0')
            return 1;
    }
}

// MakeDirIn with message 1 on failure.
bool MakeReported(const char* path, const char* owner, mode_t mode, const OwnTrees& trees,
                  mode_t final = 0) {
    if (MakeDirIn(path, owner, mode, final ? final : mode, &trees)) {
        VXStepDone("mkdir", path);
        return true;
    }
    VXStepFailed("mkdir", path);
    ICShowError(IC_MSG_CANNOT_CREATE_DIRECTORY, path);
    return false;
}

// Copies each file of names from one directory into another, best effort.
void CopyNamed(const char* const* names, const ICString& from, const ICString& to,
               const char* owner, mode_t mode) {
    for (const char* const* name = names; *name; ++name)
        writers::CopyWithOwner(from ^ *name, to ^ *name, owner, mode);
}

// The template-editor tree: its pages, the catalogue and product macros (unless another step
// copies those) and, for the Pro package, the catalogue assistant's pages.
bool MakeEditorTree(const MSInfo& info, const ICString& product, const OwnTrees& trees,
                    bool productMacros) {
    const char* owner = info.DBOwner;
    ICString editor = info.RootPath ^ "teditor";
    ICString pages = product ^ "html" ^ "en_US" ^ "vxadmin" ^ "teditor";
    writers::CopyWithOwner(pages ^ "te_html" ^ "teditor.txt", editor ^ "te_html" ^ "teditor.txt",
                           owner, writers::kProgramMode);
    if (!MakeReported(editor ^ "category", owner, kDirMode, trees))
        return false;
    CopyNamed(catmacros, info.MacroPath ^ "category", editor ^ "category", owner,
              writers::kProgramMode);
    if (!MakeReported(editor ^ "product", owner, kDirMode, trees))
        return false;
    if (productMacros)
        CopyNamed(prodmacros, info.MacroPath ^ "product", editor ^ "product", owner,
                  writers::kProgramMode);
    if (!MakeReported(editor ^ "general", owner, kDirMode, trees))
        return false;
    if (info.MSOption & MS_OPT_START_PKG)
        return true;
    if (!MakeReported(editor ^ "ca_html", owner, kDirMode, trees))
        return false;
    CopyNamed(cahtml, pages ^ "ca_html", editor ^ "ca_html", owner, writers::kProgramMode);
    return true;
}

// The directories of the instance, in the order they are made, with owner and mode (missing
// directories above them are made kDirMode).
bool MakeInstanceDirs(const MSInfo& info, const OwnTrees& trees) {
    const char* owner = info.DBOwner;
    const ICString& root = info.RootPath;
    struct Dir {
        ICString path;
        const char* owner;
        mode_t mode;
    } const dirs[] = {
        {root, kProgramOwner, kDirMode},
        {info.CachePath, kCacheOwner, kOpenDirMode},
        {root ^ "password", owner, kDirMode},
        {info.VXLogPath, owner, kDirMode},
        {root ^ "data", owner, kDirMode},
        {root ^ "bin", owner, kDirMode},
        {root ^ "teditor" ^ "te_html", owner, kDirMode},
    };
    for (const Dir& dir : dirs) {
        if (!MakeReported(dir.path, dir.owner, kDirMode, trees, dir.mode))
            return false;
    }
    return true;
}

// The directories the web server and the macro processor read from: opened to everyone.
bool MakeServedDirs(const MSInfo& info, const OwnTrees& trees) {
    const char* owner = info.DBOwner;
    return MakeReported(info.MacroPath, owner, kDirMode, trees, kOpenDirMode) &&
           MakeReported(info.HtmlPath, owner, kDirMode, trees, kOpenDirMode) &&
           MakeReported(info.DocRoot, owner, kDirMode, trees, kOpenDirMode);
}

// The product's CGI program in the web server's CGI directory, under both its names.
bool InstallCgiProgram(MSInfo& info, const ICString& product, const OwnTrees& trees) {
    ICString early = SysRootPath(kEarlyCgiDir);
    if ((SysCheckVersion(1) || SysCheckVersion(2)) && strcmp(info.CgiPath, early) != 0)
        info.SetCgiPath(early);
    if (!MakeReported(info.CgiPath, info.DBOwner, kDirMode, trees))
        return false;
    ICString program = product ^ "bin" ^ "vxtrade3";
    for (const char* name : {"vxtrade3", "vxtrade"})
        writers::CopyWithOwner(program, info.CgiPath ^ name, info.DBOwner, writers::kProgramMode);
    return true;
}

} // namespace

int MakeDir(const char* path, const char* owner, unsigned long mode) {
    mode_t bits = static_cast<mode_t>(mode);
    return MakeDirIn(path, owner, bits, bits, nullptr);
}

int writers::CreateFileSet(const MSInfo& instance, const ICString& productDir,
                           bool personalizedLater) {
    // Fields left unset take the global values, and an early release its CGI directory, for
    // the file set only.
    MSInfo info = instance;
    writers::MergeGlobalDefaults(info);
    // The personalization step copies the product macros from the record's own directories;
    // where the defaults do not move them, copying them here first would only be undone.
    bool productMacros = !personalizedLater || strcmp(info.RootPath, instance.RootPath) != 0 ||
                         strcmp(info.MacroPath, instance.MacroPath) != 0;
    const OwnTrees trees = {
        info.RootPath, info.HtmlPath, {info.DBOwner, kProgramOwner, kCacheOwner}};
    if (!MakeInstanceDirs(info, trees) || !MakeEditorTree(info, productDir, trees, productMacros) ||
        !MakeServedDirs(info, trees) || !InstallCgiProgram(info, productDir, trees))
        return 0;
    ISPath web;
    SysGetISOrvellInfo(web);
    if (!ISCreatePswdFile(info.RootPath ^ "password", info.ISType, web[ISPATH_SERVER_ROOT],
                          info.DBOwner)) {
        VXStepFailed("write", info.RootPath ^ "password");
        ICShowError(IC_MSG_CANNOT_CREATE_PASSWORD, info.Name);
        return 0;
    }
    if (!Exists(info.HtmlPath)) {
        VXStepFailed("mkdir", info.HtmlPath, "the configuration directory does not exist");
        ICShowError(IC_MSG_CANNOT_ACCESS_DIRECTORY, info.HtmlPath);
        return 0;
    }
    return 1;
}

int CreateVXFiles(const MSInfo& info, const ICString& productDir) {
    return writers::CreateFileSet(info, productDir, false);
}

void writers::EnsureKeyLine(std::string& content, const char* keyword, const char* separators,
                            const char* value) {
    // Each line as the line reader hands it: with its newline, read up to a NUL inside it.
    for (size_t at = 0; at < content.size();) {
        size_t end = content.find('\n', at);
        end = end == std::string::npos ? content.size() : end + 1;
        std::string line = content.substr(at, end - at);
        if (strcmp(conffile::FirstToken(line.c_str(), separators), keyword) == 0)
            return;
        at = end;
    }
    content += std::string("\n") + keyword + " " + value + "\n";
}

int ICIsParamInFile(const char* keyword, const char* file, const char* separators,
                    const char* value) {
    if (!keyword || !file)
        return 0;
    SysLineReader in(file);
    if (!in.IsOpen())
        return 0;
    writers::ConfigFile target;
    target.path = file;
    target.report = false;
    return writers::WriteConfigFile(target, [&](FILE* out, ICString&) {
        std::string content;
        while (char* line = in.Next())
            content.append(line, in.Length());
        if (in.Failed())
            return 0;
        writers::EnsureKeyLine(content, keyword, separators ? separators : "", value ? value : "");
        fwrite(content.data(), 1, content.size(), out);
        return 1;
    });
}

std::vector<writers::KeyLine> writers::PersonalizationKeys(const MSInfo& info) {
    return {{"PERS_ENABLED", "NO"}, {"GL_HOST", info.ISHost}, {"GL_PORT", kGroupLensPort}};
}

int writers::PersonalizeInstance(const MSInfo& info, bool keysWritten) {
    ICString conf = info.HtmlPath ^ VX_MAIN_CONF;
    if (!keysWritten) {
        for (const KeyLine& key : PersonalizationKeys(info)) {
            ICIsParamInFile(key.keyword, conf, " ", key.value);
            SysChown(conf, info.DBOwner, 0);
            SysChmod(conf, FileModeFor(conf, kConfigMode));
        }
    }
    ICString ours = info.RootPath ^ "teditor" ^ "product";
    for (const char* const* name = prodmacros; *name; ++name) {
        ICString target = ours ^ *name;
        CopyWithOwner(info.MacroPath ^ "product" ^ *name, target, info.DBOwner, kConfigMode,
                      SysGetBackupName(target));
    }
    return 1;
}

int ICNetPerceptionConfig(const MSInfo& info) {
    ICString product;
    if (!SysGetInstPath(product, 3)) {
        ICShowError(IC_MSG_NO_INSTALL_PARAMETERS);
        return 0;
    }
    return writers::PersonalizeInstance(info, false);
}
