// Directories, copies, modes and emptying a directory.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

#include "vxconfig/sysutil.h"

int SysCheckRoot(const char* path) {
    return path && path[0] == '/' ? 1 : 0;
}

int SysMkdir(const char* path, const char* user, mode_t mode) {
    if (!path || mkdir(path, mode) != 0)
        return 0;
    return SysChown(path, user, 0);
}

int SysChmod(const char* path, mode_t mode) {
    return path && chmod(path, mode) == 0 ? 1 : 0;
}

int SysCopyFile(const char* source, const char* destination) {
    struct stat st;
    if (!source || !destination || stat(source, &st) != 0)
        return 0;
    FILE* in = fopen(source, "r");
    if (!in)
        return 0;
    FILE* out = fopen(destination, "w");
    if (!out) {
        fclose(in);
        return 0;
    }
    char buffer[8192];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, in)) > 0)
        fwrite(buffer, 1, n, out);
    fclose(in);
    fclose(out);
    // The copy takes the source's mode; a failure here does not undo the copy.
    chmod(destination, st.st_mode);
    return 1;
}

// "cp" through the shell, so that wildcards in the source are expanded; the outcome is not
// judged.
static int ShellCopy(const char* source, const char* destination) {
    char command[1024];
    snprintf(command, sizeof command, "cp %s %s\n", source, destination);
    int status = system(command);
    (void)status;
    return 1;
}

int SysCopyFileBin(ICString source, ICString destination) {
    return ShellCopy(source, destination);
}

int SysCopyJSPFiles(ICString source, ICString destination) {
    return ShellCopy(source, destination);
}

void SysFlushVXCache(const char* directory) {
    DIR* dir = directory ? opendir(directory) : nullptr;
    if (!dir)
        return;
    while (dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
            continue;
        // Files and empty subdirectories go; a non-empty subdirectory stays.
        remove(ICString(directory) ^ entry->d_name);
    }
    closedir(dir);
}
