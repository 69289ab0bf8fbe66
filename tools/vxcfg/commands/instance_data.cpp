// Reading, locking and safely replacing the instance data file, and reporting list conflicts.
#include <cerrno>
#include <sys/stat.h>

#include "commands/instance_args.h"

namespace {

struct ConflictMessage {
    int bits;
    ICMessageId message;
};

// Overlapping and equal ports share one message, so it is shown once.
const ConflictMessage kConflictMessages[] = {
    {MS_DUP_NAME, IC_MSG_NAME_NOT_UNIQUE},
    {MS_DUP_PORT | MS_DUP_PORT_RANGE, IC_MSG_PORTS_OVERLAP},
    {MS_DUP_HOST, IC_MSG_HOST_NOT_UNIQUE},
    {MS_DUP_DOCROOT, IC_MSG_DOCROOT_NOT_UNIQUE},
    {MS_DUP_DATABASE, IC_MSG_DATABASE_NOT_UNIQUE},
    {MS_PORT_IN_USE, IC_MSG_PORT_IN_USE},
};

bool IsDirectory(const char* path) {
    struct stat st;
    if (SysStat(path, &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

} // namespace

int InstanceData::Open(const VxArgs& args, bool forChange) {
    ICString product;
    ICGetInstPath(product);
    if (!IsDirectory(product)) {
        SysSetFileReason(product, errno);
        return FailWithReason(IC_MSG_NO_INSTALL_DIRECTORY);
    }
    if (const char* data = args.Value("--data")) {
        path = data;
    } else {
        path = static_cast<const char*>(product ^ "server" ^ "admin" ^ "vxconfig.dat");
        m_defaultPath = true;
    }
    if (forChange) {
        // A fresh installation has no data file directory yet: only the two directories
        // below the product are made, never the product itself.
        if (m_defaultPath) {
            SysMkdir(product ^ "server", nullptr, 0755);
            SysMkdir(product ^ "server" ^ "admin", nullptr, 0755);
        }
        m_lock.reset(new SysFileLock(path.c_str()));
        if (!m_lock->Held())
            return FailWithReason(IC_MSG_DATA_LOADING_ERROR);
    }
    struct stat st;
    if (SysLstat(path.c_str(), &st) != 0 && errno == ENOENT)
        return VX_EXIT_OK;
    if (SysStat(path.c_str(), &st) != 0 && errno == ENOENT)
        return VX_EXIT_OK; // a link to a file not made yet
    if (!list.LoadDataFile(path.c_str())) {
        list.Empty();
        return FailWithReason(IC_MSG_DATA_LOADING_ERROR);
    }
    return VX_EXIT_OK;
}

int InstanceData::OpenNamed(const VxArgs& args, bool forChange, MSInfo* out) {
    if (int rc = Open(args, forChange))
        return rc;
    return Select(args.operands[0], out);
}

int InstanceData::Select(const char* name, MSInfo* out) {
    MSInfo info;
    for (int i = 0; i < list.GetCount(); ++i) {
        list.SetIndex(i);
        if (list.GetCurrent(info) && stricmp(info.Name, name) == 0) {
            if (out)
                *out = info;
            return VX_EXIT_OK;
        }
    }
    ICShowError(IC_MSG_NO_SUCH_INSTANCE, Shown(name).c_str());
    return VX_EXIT_FAIL;
}

int InstanceData::OpenChosen(const VxArgs& args, std::vector<MSInfo>& out) {
    out.clear();
    if (int rc = Open(args, false))
        return rc;
    if (args.operands.empty()) {
        for (int i = 0; i < list.GetCount(); ++i) {
            MSInfo info;
            list.SetIndex(i);
            list.GetCurrent(info);
            out.push_back(info);
        }
    }
    for (const char* name : args.operands) {
        MSInfo info;
        if (int rc = Select(name, &info))
            return rc;
        out.push_back(info);
    }
    return VX_EXIT_OK;
}

int InstanceData::Store() {
    if (!list.Store(path.c_str()))
        return FailWithReason(IC_MSG_CANNOT_CREATE_CONFIG, path.c_str());
    return VX_EXIT_OK;
}

int CheckRunnable(const VxCommand& command, const MSInfo& info) {
    // The controller and the database commands run as this user: without one nothing of
    // the instance could run, which should not first show at creation or start.
    if (info.DBUser.IsEmpty())
        return UsageError(command,
                          "instance %s has no database instance user and this installation "
                          "names none: give --dbuser USER",
                          Shown(info.Name).c_str());
    return VX_EXIT_OK;
}

int ReportConflicts(int bits) {
    for (const ConflictMessage& c : kConflictMessages) {
        if (!(bits & c.bits))
            continue;
        // A refused port plan leaves the port, its holder and the instance in the reason.
        if (c.bits == MS_PORT_IN_USE && *SysGetLastReason()) {
            ICString text;
            ICLoadMessage(text, c.message);
            Failure("%s: %s", static_cast<const char*>(text), Shown(SysGetLastReason()).c_str());
        } else {
            ICShowError(c.message);
        }
    }
    return VX_EXIT_FAIL;
}
