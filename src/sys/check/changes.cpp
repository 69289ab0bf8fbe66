// The change notes and the check run's overlay. The first time the seam is about to change a
// path, its state is noted; in a check run the change then lands in a scratch tree (the
// overlay) that every read looks at first. The report compares what was noted with what
// stands there now, so it tells the net effect however often a file was rewritten.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "sys/check/overlay.h"
#include "sys/files/pathparts.h"
#include "sys/sysdb/servicesdb.h"
#include "vxconfig/changes.h"
#include "vxconfig/fileio.h"
#include "vxconfig/services.h"

namespace {

// A path's state as noted or as found.
struct State {
    bool exists = false;
    bool directory = false;
    bool link = false;
    mode_t mode = 0;
    std::string content; // of a plain file; a link's target
};

enum Kind { kFile, kDirectory, kLink, kGone };

struct Notes {
    SysChangeMode mode = SYS_CHANGES_OFF;
    int probes = 0;      // probe scopes open
    std::string scratch; // a check run's scratch directory
    std::vector<std::string> order;
    std::map<std::string, State> before;
    std::map<std::string, Kind> overlay;
    std::map<std::string, std::string> renamed;
    // The files the write path wrote: as their callers named them, and their keys.
    std::vector<std::pair<std::string, std::string>> written;
    std::set<std::string> writtenNames;
    std::vector<std::string> commands;
    std::vector<SysOwnerNote> owners;
    std::vector<std::string> probed;
};

Notes& N() {
    static Notes notes;
    return notes;
}

// path absolute, without doubled slashes, "." components or a trailing slash.
std::string Normalize(const char* path) {
    std::string in = path;
    if (in.empty() || in[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd))
            in = std::string(cwd) + "/" + in;
    }
    std::string out;
    size_t at = 0;
    while (at < in.size()) {
        size_t end = in.find('/', at);
        if (end == std::string::npos)
            end = in.size();
        std::string part = in.substr(at, end - at);
        if (!part.empty() && part != ".")
            out += "/" + part;
        at = end + 1;
    }
    return out.empty() ? "/" : out;
}

std::string ParentOf(const std::string& key) {
    return static_cast<const char*>(platform::DirectoryOf(key.c_str()));
}

std::string TreePath(const std::string& key) {
    return N().scratch + "/tree" + key;
}

// Where nothing is: the overlay never makes this name.
std::string NowherePath() {
    return N().scratch + "/gone";
}

// The overlay's entry for key, or for the nearest of its directories that it removed.
const Kind* Lookup(const std::string& key) {
    const auto& overlay = N().overlay;
    auto found = overlay.find(key);
    if (found != overlay.end())
        return &found->second;
    for (std::string dir = ParentOf(key); dir != "/"; dir = ParentOf(dir)) {
        auto up = overlay.find(dir);
        if (up != overlay.end())
            return up->second == kGone ? &up->second : nullptr;
    }
    return nullptr;
}

std::string ViewOf(const std::string& key) {
    const Kind* kind = Lookup(key);
    if (!kind)
        return key;
    return *kind == kGone ? NowherePath() : TreePath(key);
}

State Capture(const std::string& key) {
    State state;
    std::string view = ViewOf(key);
    struct stat st;
    if (lstat(view.c_str(), &st) != 0)
        return state;
    state.exists = true;
    state.mode = st.st_mode & 07777;
    if (S_ISDIR(st.st_mode)) {
        state.directory = true;
    } else if (S_ISLNK(st.st_mode)) {
        state.link = true;
        char target[4096];
        ssize_t n = readlink(view.c_str(), target, sizeof target);
        if (n > 0)
            state.content.assign(target, static_cast<size_t>(n));
    } else if (S_ISREG(st.st_mode)) {
        ICString content;
        if (SysReadFile(view.c_str(), content))
            state.content.assign(content, static_cast<size_t>(content.GetLength()));
    }
    return state;
}

bool Noting() {
    return N().mode != SYS_CHANGES_OFF && N().probes == 0;
}

// Makes dir and the directories above it in the scratch tree.
int MakeTreeDirs(const std::string& dir) {
    if (dir.size() <= 1)
        return 1;
    struct stat st;
    if (stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 1 : 0;
    if (!MakeTreeDirs(ParentOf(dir)))
        return 0;
    return mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST ? 1 : 0;
}

int Refuse(int error) {
    errno = error;
    return -1;
}

// What the system call would check first: the directory of key is there and writable.
int ParentWritable(const std::string& key) {
    std::string parent = ViewOf(ParentOf(key));
    struct stat st;
    if (stat(parent.c_str(), &st) != 0)
        return Refuse(ENOENT);
    if (!S_ISDIR(st.st_mode))
        return Refuse(ENOTDIR);
    if (access(parent.c_str(), W_OK | X_OK) != 0)
        return Refuse(EACCES);
    return 0;
}

int PutFile(const std::string& key, const std::string& content, mode_t mode) {
    std::string path = TreePath(key);
    if (!MakeTreeDirs(ParentOf(path)))
        return -1;
    unlink(path.c_str());
    // Owner-writable while it is filled; then the mode the file would have.
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    int ok =
        platform::WriteAll(fd, content.data(), content.size()) && fchmod(fd, mode | S_IRUSR) == 0;
    close(fd);
    if (!ok)
        return -1;
    N().overlay[key] = kFile;
    return 0;
}

// Removes a tree of the scratch directory, whatever modes its directories were given.
void RemoveTree(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        chmod(path.c_str(), 0700);
        if (DIR* dir = opendir(path.c_str())) {
            std::vector<std::string> names;
            while (dirent* entry = readdir(dir)) {
                if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
                    names.push_back(entry->d_name);
            }
            closedir(dir);
            for (const std::string& name : names)
                RemoveTree(path + "/" + name);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

void Forget(const std::string& key) {
    RemoveTree(TreePath(key));
    N().overlay[key] = kGone;
}

bool Same(const State& a, const State& b) {
    return a.exists == b.exists && (!a.exists || (a.directory == b.directory && a.link == b.link &&
                                                  a.mode == b.mode && a.content == b.content));
}

} // namespace

namespace platform {

ICString ReadPath(const char* path) {
    Notes& notes = N();
    if (notes.mode != SYS_CHANGES_CHECK || notes.overlay.empty() || !path || !*path)
        return ICString(path);
    std::string key = Normalize(path);
    if (!Lookup(key)) {
        // A link whose target the overlay holds is read through to that target.
        ICString target;
        if (!SysResolveLinks(path, target))
            return ICString(path);
        key = Normalize(target);
        if (!Lookup(key))
            return ICString(path);
    }
    return ICString(ViewOf(key).c_str());
}

int ListDirectory(const char* dir, std::vector<std::string>& names) {
    names.clear();
    std::set<std::string> found;
    std::string key = Normalize(dir);
    bool overlaid = N().mode == SYS_CHANGES_CHECK && !N().overlay.empty();
    const Kind* kind = overlaid ? Lookup(key) : nullptr;
    if (kind && *kind == kGone) {
        errno = ENOENT;
        return 0;
    }
    // The real directory and its place in the scratch tree, which holds what the overlay
    // made in it.
    bool listed = false;
    for (const std::string& path : {key, overlaid ? TreePath(key) : std::string()}) {
        if (path.empty())
            continue;
        DIR* listing = opendir(path.c_str());
        if (!listing)
            continue;
        listed = true;
        while (dirent* entry = readdir(listing)) {
            if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
                found.insert(entry->d_name);
        }
        closedir(listing);
    }
    if (!listed)
        return 0;
    for (const std::string& name : found) {
        const Kind* entry = overlaid ? Lookup(key + "/" + name) : nullptr;
        if (!entry || *entry != kGone)
            names.push_back(name);
    }
    return 1;
}

void NoteBefore(const char* path) {
    if (!Noting() || !path || !*path)
        return;
    std::string key = Normalize(path);
    Notes& notes = N();
    if (notes.before.count(key))
        return;
    notes.before[key] = Capture(key);
    notes.order.push_back(key);
}

void NoteWrite(const char* path, const char* target) {
    NoteBefore(target);
    if (!Noting() || !path || !*path)
        return;
    Notes& notes = N();
    if (notes.writtenNames.insert(path).second)
        notes.written.emplace_back(path, Normalize(target));
}

void NoteRename(const char* from, const char* to) {
    if (Noting())
        N().renamed[Normalize(from)] = Normalize(to);
}

int Overlaid() {
    return N().mode == SYS_CHANGES_CHECK && N().probes == 0 ? 1 : 0;
}

int OverlayWrite(const char* path, const char* content, size_t length, mode_t mode,
                 const char* backup) {
    std::string key = Normalize(path);
    if (ParentWritable(key) != 0)
        return -1;
    if (backup) {
        std::string backupKey = Normalize(backup);
        State previous = Capture(key);
        if (previous.exists && !previous.directory &&
            (ParentWritable(backupKey) != 0 ||
             // As the write path keeps it: no more open than the file that replaces it.
             PutFile(backupKey, previous.content, previous.mode & mode) != 0))
            return -1;
    }
    return PutFile(key, std::string(content, length), mode);
}

int OverlayRemove(const char* path) {
    std::string key = Normalize(path);
    State state = Capture(key);
    if (!state.exists)
        return Refuse(ENOENT);
    if (ParentWritable(key) != 0)
        return -1;
    if (state.directory) {
        std::vector<std::string> names;
        if (ListDirectory(key.c_str(), names) && !names.empty())
            return Refuse(ENOTEMPTY);
    }
    Forget(key);
    return 0;
}

int OverlayRename(const char* from, const char* to) {
    std::string fromKey = Normalize(from);
    std::string toKey = Normalize(to);
    State state = Capture(fromKey);
    if (!state.exists)
        return Refuse(ENOENT);
    if (state.directory)
        return Refuse(EISDIR); // the library renames files only
    if (ParentWritable(fromKey) != 0 || ParentWritable(toKey) != 0)
        return -1;
    if (fromKey == toKey)
        return 0;
    if (state.link) {
        RemoveTree(TreePath(toKey));
        if (!MakeTreeDirs(ParentOf(TreePath(toKey))) ||
            symlink(state.content.c_str(), TreePath(toKey).c_str()) != 0)
            return -1;
        N().overlay[toKey] = kLink;
    } else if (PutFile(toKey, state.content, state.mode) != 0) {
        return -1;
    }
    Forget(fromKey);
    return 0;
}

int OverlayMkdir(const char* path, mode_t mode) {
    std::string key = Normalize(path);
    if (Capture(key).exists)
        return Refuse(EEXIST);
    if (ParentWritable(key) != 0)
        return -1;
    std::string tree = TreePath(key);
    RemoveTree(tree);
    mode_t mask = umask(022);
    umask(mask);
    if (!MakeTreeDirs(tree) || chmod(tree.c_str(), (mode & ~mask & 07777) | S_IRWXU) != 0)
        return -1;
    N().overlay[key] = kDirectory;
    return 0;
}

int OverlayChmod(const char* path, mode_t mode) {
    std::string key = Normalize(path);
    State state = Capture(key);
    if (!state.exists)
        return Refuse(ENOENT);
    const Kind* kind = Lookup(key);
    std::string tree = TreePath(key);
    if (state.directory) {
        if (!kind && !MakeTreeDirs(tree))
            return -1;
        N().overlay[key] = kDirectory;
        // The scratch copy stays usable by its owner; the mode is what the report compares.
        return chmod(tree.c_str(), (mode & 07777) | S_IRWXU);
    }
    if (state.link)
        return 0; // chmod follows the link, and the library never chmods one
    return PutFile(key, state.content, mode & 07777);
}

int OverlaySymlink(const char* target, const char* path) {
    std::string key = Normalize(path);
    struct stat st;
    if (lstat(ViewOf(key).c_str(), &st) == 0)
        return Refuse(EEXIST);
    if (ParentWritable(key) != 0)
        return -1;
    std::string tree = TreePath(key);
    if (!MakeTreeDirs(ParentOf(tree)) || symlink(target, tree.c_str()) != 0)
        return -1;
    N().overlay[key] = kLink;
    return 0;
}

bool RunsCommand(const std::string& text) {
    Notes& notes = N();
    if (notes.mode == SYS_CHANGES_OFF || notes.probes > 0)
        return true;
    notes.commands.push_back(text);
    return notes.mode != SYS_CHANGES_CHECK;
}

void NoteOwner(const char* path, uid_t uid, gid_t gid, bool recursive) {
    // Normalized as the other notes are, so that a later note of a path replaces an earlier one.
    if (path && *path)
        N().owners.push_back({Normalize(path), uid, gid, recursive});
}

void NoteProbe(const std::string& what) {
    Notes& notes = N();
    if (notes.mode == SYS_CHANGES_OFF)
        return;
    for (const std::string& earlier : notes.probed) {
        if (earlier == what)
            return;
    }
    notes.probed.push_back(what);
}

} // namespace platform

int SysBeginChanges(SysChangeMode mode) {
    SysEndChanges();
    Notes& notes = N();
    notes = Notes();
    if (mode == SYS_CHANGES_CHECK) {
        const char* tmp = getenv("TMPDIR");
        std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/vxcheck-XXXXXX";
        std::vector<char> name(dir.begin(), dir.end());
        name.push_back('\0');
        if (!mkdtemp(name.data())) {
            SysSetFileReason(dir.c_str(), errno);
            return 0;
        }
        notes.scratch = name.data();
        if (mkdir((notes.scratch + "/tree").c_str(), 0700) != 0) {
            SysSetFileReason(notes.scratch.c_str(), errno);
            RemoveTree(notes.scratch);
            return 0;
        }
    }
    notes.mode = mode;
    return 1;
}

void SysEndChanges() {
    Notes& notes = N();
    if (!notes.scratch.empty())
        RemoveTree(notes.scratch);
    notes.scratch.clear();
    notes.overlay.clear();
    notes.mode = SYS_CHANGES_OFF;
    notes.probes = 0;
}

SysChangeMode SysGetChangeMode() {
    return N().mode;
}

int SysIsCheckRun() {
    return platform::Overlaid();
}

void platform::CollectChanges(SysChangeReport& out) {
    out = SysChangeReport();
    Notes& notes = N();
    ICString servicesFile;
    SysGetSvcFile(servicesFile);
    std::string services = Normalize(servicesFile);
    for (const std::string& key : notes.order) {
        const State& before = notes.before[key];
        State after = Capture(key);
        if (Same(before, after))
            continue;
        SysFileChange change;
        change.path = key;
        change.directory = before.directory || after.directory;
        change.link = before.link || after.link;
        change.existedBefore = before.exists;
        change.existsAfter = after.exists;
        change.before = before.content;
        change.after = after.content;
        change.modeBefore = before.mode;
        change.modeAfter = after.mode;
        auto rename = notes.renamed.find(key);
        if (rename != notes.renamed.end() && !after.exists) {
            change.action = "renamed";
            change.to = rename->second;
        } else {
            change.action = !before.exists ? "created" : !after.exists ? "removed" : "changed";
        }
        if (key == services && !change.directory)
            platform::CompareServiceEntries(change.before, change.after, out.services);
        out.files.push_back(change);
    }
    for (const auto& file : notes.written) {
        // A file whose content can be read: a link the write path did not follow is none.
        State before = notes.before[file.second], after = Capture(file.second);
        bool was = before.exists && !before.directory && !before.link;
        bool is = after.exists && !after.directory && !after.link;
        SysWrittenFile written;
        written.path = file.first;
        written.existedBefore = was;
        written.changed = was != is || (was && before.content != after.content);
        out.written.push_back(written);
    }
    out.commands = notes.commands;
    out.owners = notes.owners;
    out.probes = notes.probed;
}

SysProbe::SysProbe(const std::string& what) {
    platform::NoteProbe(what);
    ++N().probes;
}

SysProbe::~SysProbe() {
    if (N().probes > 0)
        --N().probes;
}

SysProbePause::SysProbePause() : m_probes(N().probes) {
    N().probes = 0;
}

SysProbePause::~SysProbePause() {
    N().probes = m_probes;
}
