// add, set, remove: edit the instance data file. It is locked from the load to the store,
// written only when the whole command succeeded, and replaced in one step.
#include <string>
#include <unistd.h>

#include "commands/instance_args.h"

namespace {

// The list's own rules test only the servers' ports (and none for the first instance); the
// whole plan (payment ports, database access, 1024..65535, no other service's port) is held
// here, before anything is stored, and again by creation before it registers anything.
int CheckPortPlan(const MSInfo& info) {
    return VXPortPlan(info).Check(info.Name) ? 0 : MS_PORT_IN_USE;
}

// What shows that the instance is still on the machine: its controller's service, its boot
// entry or its controller configuration; empty when none of them is left.
std::string StillCreated(MSInfo& info) {
    ICString service;
    GetVXServicePfx(info.Name, service);
    if (ICGetTcpServicePort(service) > 0)
        return std::string("service ") + static_cast<const char*>(service) + " is registered";
    ICString dir;
    if (SysGetIniPath(info, dir) && !dir.IsEmpty())
        return "its boot entry is in /etc/rc.vndx";
    ICString conf = info.HtmlPath ^ "srvrctrl.conf";
    if (SysAccess(conf, F_OK) == 0)
        return std::string(static_cast<const char*>(conf)) + " is in place";
    return std::string();
}

} // namespace

int CmdAdd(const VxCommand& self, const VxArgs& args) {
    InstanceData data;
    if (int rc = data.Open(args, true))
        return rc;
    ICString product;
    ICGetInstPath(product);
    data.list.SetDefault(product, nullptr);
    MSInfo info;
    const char* name = args.operands[0];
    if (!data.list.GetDefault(info, name))
        return UsageError(self,
                          "'%s' is refused: an instance name of 1 to 8 characters: letters, "
                          "digits and . _ - + , : @ =, not . or ..",
                          Shown(name).c_str());
    if (int rc = ApplyInstanceOptions(self, args, info))
        return rc;
    // The directories made from the defaults and the name did not pass the setters.
    if (!info.CheckValues())
        return UsageError(self, "%s", Shown(SysGetLastReason()).c_str());
    if (int rc = CheckRunnable(self, info))
        return rc;
    if (int bits = data.list.Add(info, 1))
        return ReportConflicts(bits);
    if (int bits = CheckPortPlan(info))
        return ReportConflicts(bits);
    return data.Store();
}

int CmdSet(const VxCommand& self, const VxArgs& args) {
    bool any = false;
    for (const auto& given : args.given)
        any = any || given.first->record;
    if (!any)
        return UsageError(self, "no option given, nothing to change");
    InstanceData data;
    MSInfo info;
    if (int rc = data.OpenNamed(args, true, &info))
        return rc;
    if (int rc = ApplyInstanceOptions(self, args, info))
        return rc;
    if (int rc = CheckRunnable(self, info))
        return rc;
    if (int bits = data.list.MergeCurrent(info))
        return ReportConflicts(bits);
    if (int bits = CheckPortPlan(info))
        return ReportConflicts(bits);
    return data.Store();
}

int CmdRemove(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    MSInfo info;
    if (int rc = data.OpenNamed(args, true, &info))
        return rc;
    // Without its record nothing could delete the instance any more.
    std::string created = StillCreated(info);
    if (!created.empty() && !args.Has("--force"))
        return Failure("%s is still created (%s): vxcfg delete %s takes it off the machine and "
                       "out of the data file; remove --force drops only the record",
                       Shown(info.Name).c_str(), Shown(created.c_str()).c_str(),
                       Shown(info.Name).c_str());
    data.list.Delete();
    return data.Store();
}
