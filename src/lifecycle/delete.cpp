// Taking one instance off the machine: its daemons stopped, its boot entries and TCP services
// released, its configuration files moved to their backup names. Directories, the database
// and the web server's configuration stay.
#include "lifecycle/instservices.h"
#include "vxconfig/bootreg.h"
#include "vxconfig/discovery.h"
#include "vxconfig/lifecycle.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/services.h"
#include "vxconfig/svcctl.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/writers.h"

namespace {

// Releases the services; their results count unless migrating.
int Release(const std::vector<lifecycle::InstanceService>& services, bool counted) {
    int ok = 1;
    for (const lifecycle::InstanceService& service : services)
        ok = (ICUnregTcpService(service.name.c_str()) || !counted) && ok;
    return ok;
}

void SetAside(const ICString& dir, std::initializer_list<const char*> names) {
    for (const char* name : names)
        ICCreateBackup(dir ^ name);
}

} // namespace

int ICDeleteSingleInst(MSInfo& info, int migrating) {
    const bool counted = !migrating;
    if (SysIsVXSvcActive(info))
        SysStopVXSvc(info);
    int ok = SysUnregVXSvc(info) || !counted;
    ok = Release({lifecycle::ControllerService(info)}, counted) && ok;
    ok = Release(lifecycle::ProcessServices(info), counted) && ok;
    SetAside(info.HtmlPath, {"srvrctrl.conf", "vxtrade.conf"});
    ICString product;
    if (!SysGetInstPath(product, 3)) {
        ICShowError(IC_MSG_NO_INSTALL_PARAMETERS);
        return 0;
    }
    SetAside(info.DocRoot, {"reldawww.ini"});
    if (SysIsPayvaneInstalled()) {
        SetAside(info.HtmlPath, {"pay_back.conf", "pay_payvane.conf"});
        ok = Release(lifecycle::PaymentServices(info), counted) && ok;
    }
    // The second block's names; their ports do not matter here.
    std::vector<lifecycle::InstanceService> block = lifecycle::SecondBlockServices(info, 0);
    SetAside(info.HtmlPath, {"pay_cyber.conf", "scheduler.conf"});
    ok = Release(block, counted) && ok;
    CreatePAProperties(info, product, 1);
    if (ok)
        ICUpdateStatus(IC_MSG_INSTANCE_DELETED, info.Name);
    else
        ICShowError(IC_MSG_INSTANCE_NOT_DELETED, info.Name);
    return ok;
}
