#include "vxconfig/fileio.h"
// Reading, locking and safely replacing the instance data file, and reporting list conflicts.
#include "vxconfig/fileio.h"
#include <cerrno>
#include <sys/stat.h>

#include "instance_args.h"
#include "vxconfig/fileio.h"

#include "vxconfig/fileio.h"
namespace {
#include "vxconfig/fileio.h"

#include "vxconfig/fileio.h"
struct ConflictMessage {
#include "vxconfig/fileio.h"
    int bits;
#include "vxconfig/fileio.h"
    ICMessageId message;
#include "vxconfig/fileio.h"
};
#include "vxconfig/fileio.h"

#include "vxconfig/fileio.h"
// Overlapping and equal ports share one message, so it is shown once.
#include "vxconfig/fileio.h"
const ConflictMessage kConflictMessages[] = {
#include "vxconfig/fileio.h"
    {MS_DUP_NAME, IC_MSG_NAME_NOT_UNIQUE},
#include "vxconfig/fileio.h"
    {MS_DUP_PORT | MS_DUP_PORT_RANGE, IC_MSG_PORTS_OVERLAP},
#include "vxconfig/fileio.h"
    {MS_DUP_HOST, IC_MSG_HOST_NOT_UNIQUE},
#include "vxconfig/fileio.h"
    {MS_DUP_DOCROOT, IC_MSG_DOCROOT_NOT_UNIQUE},
#include "vxconfig/fileio.h"
    {MS_DUP_DATABASE, IC_MSG_DATABASE_NOT_UNIQUE},
#include "vxconfig/fileio.h"
    {MS_PORT_IN_USE, IC_MSG_PORT_IN_USE},
#include "vxconfig/fileio.h"
};
#include "vxconfig/fileio.h"

#include "vxconfig/fileio.h"
bool IsDirectory(const char* path) {
#include "vxconfig/fileio.h"
    struct stat st;
#include "vxconfig/fileio.h"
    if (SysStat(path, &st) != 0)
#include "vxconfig/fileio.h"
        return false;
#include "vxconfig/fileio.h"
    if (!S_ISDIR(st.st_mode)) {
#include "vxconfig/fileio.h"
        errno = ENOTDIR;
#include "vxconfig/fileio.h"
        return false;
#include "vxconfig/fileio.h"
    }
#include "vxconfig/fileio.h"
    return true;
#include "vxconfig/fileio.h"
}
#include "vxconfig/fileio.h"

#include "vxconfig/fileio.h"
} // namespace
#include "vxconfig/fileio.h"

#include "vxconfig/fileio.h"
int InstanceData::Open(const VxArgs& args, bool forChange) {
#include "vxconfig/fileio.h"
    ICString product;
#include "vxconfig/fileio.h"
    ICGetInstPath(product);
#include "vxconfig/fileio.h"
    if (!IsDirectory(product)) {
#include "vxconfig/fileio.h"
        SysSetFileReason(product, errno);
#include "vxconfig/fileio.h"
        return FailWithReason(IC_MSG_NO_INSTALL_DIRECTORY);
#include "vxconfig/fileio.h"
    }
#include "vxconfig/fileio.h"
    if (const char* data = args.Value("--data")) {
#include "vxconfig/fileio.h"
        path = data;
#include "vxconfig/fileio.h"
    } else {
#include "vxconfig/fileio.h"
        path = static_cast<const char*>(product ^ "server" ^ "admin" ^ "vxconfig.dat");
#include "vxconfig/fileio.h"
        m_defaultPath = true;
#include "vxconfig/fileio.h"
    }
#include "vxconfig/fileio.h"
    if (forChange) {
#include "vxconfig/fileio.h"
        // A fresh installation has no data file directory yet: only the two directories
#include "vxconfig/fileio.h"
        // below the product are made, never the product itself.
#include "vxconfig/fileio.h"
        if (m_defaultPath) {
#include "vxconfig/fileio.h"
            SysMkdir(product ^ "server", nullptr, 0755);
#include "vxconfig/fileio.h"
            SysMkdir(product ^ "server" ^ "admin", nullptr, 0755);
#include "vxconfig/fileio.h"
        }
#include "vxconfig/fileio.h"
        m_lock.reset(new SysFileLock(path.c_str()));
#include "vxconfig/fileio.h"
        if (!m_lock->Held())
#include "vxconfig/fileio.h"
            return FailWithReason(IC_MSG_DATA_LOADING_ERROR);
#include "vxconfig/fileio.h"
    }
#include "vxconfig/fileio.h"
    struct stat st;
#include "vxconfig/fileio.h"
    if (SysLstat(path.c_str(), &st) != 0 && errno == ENOENT)
#include "vxconfig/fileio.h"
        return VX_EXIT_OK;
#include "vxconfig/fileio.h"
    if (SysStat(path.c_str(), &st) != 0 && errno == ENOENT)
#include "vxconfig/fileio.h"
        return VX_EXIT_OK; // a link to a file not made yet
#include "vxconfig/fileio.h"
    if (!list.LoadDataFile(path.c_str())) {
#include "vxconfig/fileio.h"
        list.Empty();
#include "vxconfig/fileio.h"
        return FailWithReason(IC_MSG_DATA_LOADING_ERROR);
#include "vxconfig/fileio.h"
    }
#include "vxconfig/fileio.h"
    return VX_EXIT_OK;
#include "vxconfig/fileio.h"
}
#include "vxconfig/fileio.h"

#include "vxconfig/fileio.h"
int InstanceData::Select(const char* name, MSInfo* out) {
#include "vxconfig/fileio.h"
    MSInfo info;
#include "vxconfig/fileio.h"
    for (int i = 0; i < list.GetCount(); ++i) {
#include "vxconfig/fileio.h"
        list.SetIndex(i);
#include "vxconfig/fileio.h"
        if (list.GetCurrent(info) && stricmp(info.Name, name) == 0) {
#include "vxconfig/fileio.h"
            if (out)
#include "vxconfig/fileio.h"
                *out = info;
#include "vxconfig/fileio.h"
            return VX_EXIT_OK;
#include "vxconfig/fileio.h"
        }
#include "vxconfig/fileio.h"
    }
#include "vxconfig/fileio.h"
    ICShowError(IC_MSG_NO_SUCH_INSTANCE, Shown(name).c_str());
#include "vxconfig/fileio.h"
    return VX_EXIT_FAIL;
#include "vxconfig/fileio.h"
}
#include "vxconfig/fileio.h"

#include "vxconfig/fileio.h"
int InstanceData::Store() {
#include "vxconfig/fileio.h"
    if (!list.Store(path.c_str()))
#include "vxconfig/fileio.h"
        return FailWithReason(IC_MSG_CANNOT_CREATE_CONFIG, path.c_str());
#include "vxconfig/fileio.h"
    return VX_EXIT_OK;
#include "vxconfig/fileio.h"
}
#include "vxconfig/fileio.h"

#include "vxconfig/fileio.h"
int ReportConflicts(int bits) {
#include "vxconfig/fileio.h"
    for (const ConflictMessage& c : kConflictMessages) {
#include "vxconfig/fileio.h"
        if (bits & c.bits)
#include "vxconfig/fileio.h"
            ICShowError(c.message);
#include "vxconfig/fileio.h"
    }
#include "vxconfig/fileio.h"
    return VX_EXIT_FAIL;
#include "vxconfig/fileio.h"
}
