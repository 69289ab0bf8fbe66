// The sandbox builder's frame: checks the root, then lays out each piece in turn.
#include "sandbox.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sandbox_parts.h"
#include "vxconfig/fileio.h"
#include "vxconfig/sysroot.h"

namespace sandbox {

namespace {

// A directory with anything in it besides "." and "..".
bool HoldsFiles(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (!dir)
        return false;
    bool any = false;
    while (dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) {
            any = true;
            break;
        }
    }
    closedir(dir);
    return any;
}

} // namespace

bool Builder::Fail(const std::string& why) {
    if (error.empty())
        error = why;
    return false;
}

bool Builder::MakeDirs(const char* absolute, mode_t mode) {
    std::string path = Path(absolute);
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/')
            continue;
        std::string part = path.substr(0, at);
        struct stat st;
        if (stat(part.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return Fail(part + " exists and is not a directory");
            continue;
        }
        if (mkdir(part.c_str(), mode) != 0)
            return Fail("cannot create " + part + ": " + strerror(errno));
    }
    return true;
}

bool Builder::WriteText(const char* absolute, const std::string& text, mode_t mode) {
    std::string path = Path(absolute);
    // Through the library's write path: a file replaced in one step, whatever it was (even a
    // read-only file or a running program), with the mode given.
    SysWriteOptions options;
    options.mode = mode;
    if (!SysWriteFile(path.c_str(), text.data(), text.size(), options))
        return Fail(std::string("cannot write ") + SysGetLastReason());
    return true;
}

bool Builder::CopyFile(const std::string& source, const char* absolute, mode_t mode) {
    int in = open(source.c_str(), O_RDONLY);
    if (in < 0)
        return Fail("cannot read " + source + ": " + strerror(errno));
    std::string text;
    char buffer[65536];
    ssize_t n;
    while ((n = read(in, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    close(in);
    if (n < 0)
        return Fail("cannot read " + source + ": " + strerror(errno));
    return WriteText(absolute, text, mode);
}

bool Builder::Start(const char* path, bool force, ICString& error) {
    ICString why;
    if (!SysCheckRootValue(path, &why)) {
        error = ICString("the sandbox root is refused: ") + why;
        return false;
    }
    root = path;
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    if (!force && HoldsFiles(root)) {
        error =
            (root + " already holds files; give --force to lay the sandbox out over them").c_str();
        return false;
    }
    return true;
}

bool Builder::Finish(bool ok, ICString& error) const {
    if (!ok)
        error = (this->error.empty() ? "cannot lay out " + root : this->error).c_str();
    return ok;
}

} // namespace sandbox

int SandboxBuild(const char* root, const SandboxOptions& options, ICString& error) {
    error.Empty();
    sandbox::Builder b;
    if (!b.Start(root, options.force, error))
        return 0;
    bool ok = b.MakeDirs("") && b.MakeDirs("/etc") && b.MakeDirs("/bin") &&
              b.MakeDirs("/etc/rc0.d") && b.MakeDirs("/etc/rc1.d") && b.MakeDirs("/etc/rc2.d") &&
              b.MakeDirs("/usr/lib") && b.MakeDirs("/tmp", 01777) &&
              chmod(b.Path("/tmp").c_str(), 01777) == 0 && sandbox::LayPackages(b, options) &&
              sandbox::LayProductFiles(b, options) && sandbox::LayWebServers(b, options) &&
              b.MakeDirs("/opt/Orvellvndx/Vendrix3/server/bin") &&
              b.WriteText("/opt/Orvellvndx/Vendrix3/server/bin/vndxprofile",
                          "# Environment of the product's login shells.\n") &&
              sandbox::LayUsers(b, options) && sandbox::LayDatabaseScripts(b, options) &&
              sandbox::LayServices(b) && sandbox::LayStandins(b, options);
    return b.Finish(ok, error) ? 1 : 0;
}
