// Taking one instance off the machine: its daemons stopped, its boot entries and TCP services
// released, its configuration files moved to their backup names. Directories, the database
// and the web server's configuration stay.
#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "lifecycle/instservices.h"
#include "vxconfig/bootreg.h"
#include "vxconfig/changes.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/lifecycle.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/outcome.h"
#include "vxconfig/services.h"
#include "vxconfig/svcctl.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/writers.h"

namespace {

// Adds the releases of services to edits.
void AddReleases(std::vector<SysTcpServiceEdit>& edits,
                 const std::vector<lifecycle::InstanceService>& services) {
    for (const lifecycle::InstanceService& service : services) {
        SysTcpServiceEdit edit;
        edit.name = service.name;
        edit.release = true;
        edits.push_back(std::move(edit));
    }
}

// Releases the services in one rewrite of the services file; their results count unless
// migrating.
int Release(std::vector<SysTcpServiceEdit>& services, bool counted) {
    SysEditTcpServices(services);
    int ok = 1;
    for (const SysTcpServiceEdit& service : services)
        ok = (service.result || !counted) && ok;
    return ok;
}

// Moves each file to its backup name. One already moved (or never written) is gone, which is
// what the deletion wants, so a deletion that was interrupted can be finished.
void SetAside(const ICString& dir, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        ICString path = dir ^ name;
        struct stat st;
        if (SysLstat(path, &st) != 0 && errno == ENOENT)
            VXStepDone("gone", path);
        else if (ICCreateBackup(path))
            VXStepDone("set aside", path);
        else
            VXStepFailed("set aside", path);
    }
}

// The status of a check run: the instance is not deleted, so message 49 would be untrue.
const char kWouldDeletePrefix[] = "Storix server instance ";
const char kWouldDeleteEnd[] = " would be deleted.";

} // namespace

int ICDeleteSingleInst(MSInfo& info, int migrating) {
    VXInstanceScope scope(info.Name);
    const bool counted = !migrating;
    if (SysIsVXSvcActive(info))
        SysStopVXSvc(info);
    int ok = SysUnregVXSvc(info) || !counted;
    // Every service of the instance in one rewrite of the services file; without the product
    // installation only the controller's and the processes' go.
    ICString product;
    bool installed = SysGetInstPath(product, 3) != 0;
    bool payment = installed && SysIsPayvaneInstalled();
    std::vector<SysTcpServiceEdit> services;
    AddReleases(services, {lifecycle::ControllerService(info)});
    AddReleases(services, lifecycle::ProcessServices(info));
    if (payment)
        AddReleases(services, lifecycle::PaymentServices(info));
    // The second block's names; their ports do not matter here.
    if (installed)
        AddReleases(services, lifecycle::SecondBlockServices(info, 0));
    ok = Release(services, counted) && ok;
    SetAside(info.HtmlPath, {"srvrctrl.conf", "vxtrade.conf"});
    if (!installed) {
        VXStepFailed("check", "product installation", "the installation directory is not found");
        ICShowError(IC_MSG_NO_INSTALL_PARAMETERS);
        return 0;
    }
    SetAside(info.DocRoot, {"reldawww.ini"});
    if (payment)
        SetAside(info.HtmlPath, {"pay_back.conf", "pay_payvane.conf"});
    SetAside(info.HtmlPath, {"pay_cyber.conf", "scheduler.conf"});
    CreatePAProperties(info, product, 1);
    if (ok && SysIsCheckRun()) {
        if (pfnUpdate)
            pfnUpdate((kWouldDeletePrefix + std::string(info.Name) + kWouldDeleteEnd).c_str());
    } else if (ok) {
        ICUpdateStatus(IC_MSG_INSTANCE_DELETED, info.Name);
    } else {
        ICShowError(IC_MSG_INSTANCE_NOT_DELETED, info.Name);
    }
    return ok;
}
