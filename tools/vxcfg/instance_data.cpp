// Reading and safely replacing the instance data file, and reporting list conflicts.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

#include "instance_args.h"

namespace {

enum { kMsgLoadError = 8, kMsgCannotCreate = 3, kMsgNoInstance = 88 };

// The stored records hold enciphered passwords; a new file is for its owner only.
const mode_t kNewFileMode = 0600;

struct ConflictMessage {
    int bits;
    unsigned message;
};

// Overlapping and equal ports share one message, so it is shown once.
const ConflictMessage kConflictMessages[] = {
    {MS_DUP_NAME, 68},     {MS_DUP_PORT | MS_DUP_PORT_RANGE, 76},
    {MS_DUP_HOST, 69},     {MS_DUP_DOCROOT, 72},
    {MS_DUP_DATABASE, 77}, {MS_PORT_IN_USE, 87},
};

} // namespace

int LoadInstances(const std::string& path, MSList& list) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 && errno == ENOENT)
        return VX_EXIT_OK;
    if (!list.Load(path.c_str())) {
        list.Empty();
        ICShowError(kMsgLoadError);
        return VX_EXIT_FAIL;
    }
    return VX_EXIT_OK;
}

namespace {

// Makes every missing directory above path.
void MakeParents(const std::string& path) {
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        mkdir(path.substr(0, at).c_str(), 0755);
}

} // namespace

int StoreInstances(const InstanceArgs& args, const MSList& list) {
    const std::string& path = args.dataPath;
    if (args.defaultPath)
        MakeParents(path);
    char* content = nullptr;
    size_t length = 0;
    FILE* fp = open_memstream(&content, &length);
    if (!fp) {
        ICShowError(kMsgCannotCreate, path.c_str());
        return VX_EXIT_FAIL;
    }
    int stored = list.Store(fp);
    if (fclose(fp) != 0)
        stored = 0;
    struct stat st;
    mode_t mode = stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : kNewFileMode;
    if (stored)
        stored = SysReplaceFile(path.c_str(), content, length, nullptr, mode);
    free(content);
    if (!stored) {
        ICShowError(kMsgCannotCreate, path.c_str());
        return VX_EXIT_FAIL;
    }
    return VX_EXIT_OK;
}

int LoadAndSelect(const InstanceArgs& args, MSList& list) {
    if (int rc = LoadInstances(args.dataPath, list))
        return rc;
    const char* name = args.positional[0];
    MSInfo info;
    for (int i = 0; i < list.GetCount(); ++i) {
        list.SetIndex(i);
        if (list.GetCurrent(info) && stricmp(info.Name, name) == 0)
            return VX_EXIT_OK;
    }
    ICShowError(kMsgNoInstance, name);
    return VX_EXIT_FAIL;
}

int ReportConflicts(int bits) {
    for (const ConflictMessage& c : kConflictMessages) {
        if (bits & c.bits)
            ICShowError(c.message);
    }
    return VX_EXIT_FAIL;
}
