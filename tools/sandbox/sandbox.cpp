// The sandbox builder's frame: checks the root, then lays out each piece in turn.
#include "sandbox.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sandbox_parts.h"

namespace sandbox {

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
    // A fresh file each time: an earlier one may be read-only or a running program.
    unlink(path.c_str());
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, mode);
    if (fd < 0)
        return Fail("cannot write " + path + ": " + strerror(errno));
    bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    // The mode is set explicitly: the file may have existed with another one.
    ok = fchmod(fd, mode) == 0 && ok;
    ok = close(fd) == 0 && ok;
    return ok ? true : Fail("cannot write " + path + ": " + strerror(errno));
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

bool Builder::Start(const char* path, ICString& error) {
    if (!path || path[0] != '/') {
        error = "the sandbox root must be an absolute path";
        return false;
    }
    if (strchr(path, '.')) {
        error = "the sandbox root must not contain a dot";
        return false;
    }
    root = path;
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    if (root == "/") {
        error = "the sandbox root must not be /";
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
    if (!b.Start(root, error))
        return 0;
    bool ok = b.MakeDirs("") && b.MakeDirs("/etc") && b.MakeDirs("/bin") &&
              b.MakeDirs("/tmp", 01777) && chmod(b.Path("/tmp").c_str(), 01777) == 0 &&
              sandbox::LayPackages(b, options) && sandbox::LayUsers(b, options) &&
              sandbox::LayServices(b) && sandbox::LayStandins(b, options);
    return b.Finish(ok, error) ? 1 : 0;
}
