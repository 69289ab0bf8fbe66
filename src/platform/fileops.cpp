// Directories, copies, modes and emptying a directory.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <glob.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/overlay.h"
#include "vxconfig/fileio.h"
#include "vxconfig/sysutil.h"

int SysCheckRoot(const char* path) {
    return path && path[0] == '/' ? 1 : 0;
}

int SysMkdir(const char* path, const char* user, mode_t mode) {
    if (!path)
        return 0;
    platform::NoteBefore(path);
    if ((platform::Overlaid() ? platform::OverlayMkdir(path, mode) : mkdir(path, mode)) != 0)
        return 0;
    return SysChown(path, user, 0);
}

int SysChmod(const char* path, mode_t mode) {
    if (!path)
        return 0;
    platform::NoteBefore(path);
    return (platform::Overlaid() ? platform::OverlayChmod(path, mode) : chmod(path, mode)) == 0 ? 1
                                                                                                : 0;
}

int SysCopyFile(const char* source, const char* destination) {
    struct stat st;
    if (!source || !destination || SysStat(source, &st) != 0)
        return 0;
    ICString content;
    if (!SysReadFile(source, content))
        return 0;
    // The copy takes the source's whole mode word.
    SysWriteOptions options;
    options.mode = st.st_mode & 07777;
    return SysWriteFile(destination, content, static_cast<size_t>(content.GetLength()), options);
}

// What "cp SOURCE DESTINATION" does, without a shell: the source's wildcards are expanded,
// each file found is copied to the destination, or into it when it is a directory. The
// outcome is not judged.
static int CopyMatches(const char* source, const char* destination) {
    if (!source || !destination)
        return 1;
    glob_t found;
    if (glob(source, 0, nullptr, &found) != 0)
        return 1;
    struct stat st;
    bool intoDirectory = SysStat(destination, &st) == 0 && S_ISDIR(st.st_mode);
    for (size_t i = 0; i < found.gl_pathc; ++i) {
        const char* file = found.gl_pathv[i];
        struct stat fileStat;
        // cp without options leaves directories alone.
        if (SysStat(file, &fileStat) != 0 || S_ISDIR(fileStat.st_mode))
            continue;
        const char* slash = strrchr(file, '/');
        ICString target = intoDirectory ? ICString(destination) ^ (slash ? slash + 1 : file)
                                        : ICString(destination);
        SysCopyFile(file, target);
    }
    globfree(&found);
    return 1;
}

int SysCopyFileBin(ICString source, ICString destination) {
    return CopyMatches(source, destination);
}

int SysCopyJSPFiles(ICString source, ICString destination) {
    return CopyMatches(source, destination);
}

void SysFlushVXCache(const char* directory) {
    std::vector<std::string> names;
    if (!directory || !platform::ListDirectory(directory, names))
        return;
    // Files and empty subdirectories go; a non-empty subdirectory stays.
    for (const std::string& name : names)
        SysRemove(ICString(directory) ^ name.c_str());
}
