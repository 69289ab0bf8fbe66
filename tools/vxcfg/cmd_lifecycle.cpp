// vxcfg create, delete and migrate: the instances of the data file made, taken off the machine
// (and out of the data file) or carried over from an earlier release, with the library's
// status lines and a summary.
#include <cstdio>
#include <string>
#include <vector>

#include "errorwatch.h"
#include "frontend.h"
#include "instance_args.h"
#include "vxconfig/vxconfig.h"

int CmdCreate(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    if (int rc = data.Open(args, false))
        return rc;
    std::vector<MSInfo> chosen;
    if (args.operands.empty()) {
        for (int i = 0; i < data.list.GetCount(); ++i) {
            MSInfo info;
            data.list.SetIndex(i);
            data.list.GetCurrent(info);
            chosen.push_back(info);
        }
    }
    for (const char* name : args.operands) {
        MSInfo info;
        if (int rc = data.Select(name, &info))
            return rc;
        chosen.push_back(info);
    }
    if (chosen.empty()) {
        printf("No instances in %s: nothing to create.\n", Shown(data.path.c_str()).c_str());
        return VX_EXIT_OK;
    }
    int created = 0;
    {
        ErrorWatch watch;
        for (MSInfo& info : chosen) {
            SysClearLastReason();
            if (!ICCreateSingleInst(info)) {
                // Refused before anything was done: say why, when the library said.
                if (*SysGetLastReason())
                    Failure("%s", Shown(SysGetLastReason()).c_str());
            } else if (!watch.Reported(IC_MSG_INSTANCE_NOT_CREATED, info.Name)) {
                ++created;
            }
        }
    }
    int total = static_cast<int>(chosen.size());
    printf("Created %d of %d instance%s.%s\n", created, total, total == 1 ? "" : "s",
           created ? " Next: vxcfg webconf, vxcfg createdb, vxcfg start NAME." : "");
    return created == total ? VX_EXIT_OK : VX_EXIT_FAIL;
}

int CmdDelete(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    MSInfo info;
    if (int rc = data.OpenNamed(args, true, &info))
        return rc;
    if (!ICDeleteSingleInst(info, 0)) {
        printf("%s stays in %s: the deletion did not complete.\n", Shown(info.Name).c_str(),
               Shown(data.path.c_str()).c_str());
        return VX_EXIT_FAIL;
    }
    data.list.Delete();
    if (int rc = data.Store())
        return rc;
    printf("%s removed from %s.\n", Shown(info.Name).c_str(), Shown(data.path.c_str()).c_str());
    return VX_EXIT_OK;
}

int CmdMigrate(const VxCommand&, const VxArgs&) {
    if (!ICMigrate()) {
        printf("Migration stopped: an instance could not be created or its web server "
               "configured.\n");
        return VX_EXIT_FAIL;
    }
    printf("Migration done.\n");
    return VX_EXIT_OK;
}
