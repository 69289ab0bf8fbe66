// Creating the instances of the data file, one after the other, in the fixed order of steps:
// the product files the instance needs, its controller configuration, its TCP services and
// boot entries, every configuration file and the payment server scripts.
#include <string>
#include <unistd.h>
#include <vector>

#include "lifecycle/instservices.h"
#include "vxconfig/bootreg.h"
#include "vxconfig/changes.h"
#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/lifecycle.h"
#include "vxconfig/messages.h"
#include "vxconfig/msfields.h"
#include "vxconfig/msgids.h"
#include "vxconfig/mslist.h"
#include "vxconfig/outcome.h"
#include "vxconfig/portplan.h"
#include "vxconfig/services.h"
#include "vxconfig/svcctl.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/webconf.h"
#include "vxconfig/writers.h"
#include "webserver/package.h"
#include "writers/creation.h"

namespace {

const char kDescriptionLead[] = "Vendrix - ";
// The status of a check run: the instance is not created, so message 54 would be untrue.
const char kWouldCreatePrefix[] = "Storix server instance ";
const char kWouldCreateEnd[] = " would be created.";

// Adds the registrations of services to edits.
void AddRegistrations(std::vector<SysTcpServiceEdit>& edits,
                      const std::vector<lifecycle::InstanceService>& services) {
    for (const lifecycle::InstanceService& service : services) {
        SysTcpServiceEdit edit;
        edit.name = service.name;
        edit.port = service.port;
        edit.comment = kDescriptionLead + service.description;
        edits.push_back(std::move(edit));
    }
}

// The payment server migration script of the database type, which must not stay behind when
// the payment server is not installed.
ICString PayvaneMigrationScript(const MSInfo& info, const ICString& dir) {
    const MSTypeName& type = g_msDatabaseTypes[info.DBType == DB_ORACLE ? DB_ORACLE : DB_RELDA];
    return dir ^ "vx_schema" ^ type.word ^ "migrate" ^ "migratePayvane.sh";
}

} // namespace

int ICCreateSingleInst(MSInfo& info) {
    VXInstanceScope scope(info.Name);
    if (!SysIsMacrolinInstalled()) {
        VXStepFailed("check", "web macro product", "the web macro product is not installed");
        ICShowError(IC_MSG_MACROLIN_MISSING);
        return 0;
    }
    ICString dir;
    if (!SysGetInstPath(dir, 3)) {
        VXStepFailed("check", "product installation", "the installation directory is not found");
        ICShowError(IC_MSG_NO_INSTALL_PARAMETERS);
        return 0;
    }
    webserver::Packaging packaging = webserver::ReadPackaging(dir);
    if (packaging == webserver::kPackagingUnreadable) {
        VXStepFailed("read", dir ^ "html" ^ "en_US" ^ "vxadmin" ^ "common" ^ "config.js");
        return 0;
    }
    webserver::ApplyPackaging(packaging, info.MSOption);

    // The whole port plan is settled before anything is done for the instance: a port out of
    // range or held by another service refuses it, and nothing is registered.
    int block = lifecycle::FindSecondBlock(info);
    if (!block)
        SysSetLastReason("instance %s: no free second block of ports from %d up to 65535",
                         static_cast<const char*>(info.Name), VX_SECOND_BLOCK_START);
    if (!block || !VXPortPlan(info).Check(info.Name, block)) {
        // The reason names the port, the service that holds it and the instance.
        VXStepFailed("ports", info.Name);
        ICShowError(IC_MSG_PORT_IN_USE);
        ICShowError(IC_MSG_INSTANCE_NOT_CREATED, info.Name);
        return 0;
    }

    ICString library = dir ^ "bin" ^ "libmassimpt";
    SysCopyFile(library + (info.DBType == DB_ORACLE ? "_odbc" : "_relda") + ".so", library + ".so");
    if (SysIsVXSvcActive(info))
        SysStopVXSvc(info);
    CreateCtrlInit(info);

    // Every service of the instance in one rewrite of the services file.
    bool payment = SysIsPayvaneInstalled() != 0;
    std::vector<SysTcpServiceEdit> services;
    AddRegistrations(services, {lifecycle::ControllerService(info)});
    AddRegistrations(services, lifecycle::ProcessServices(info));
    if (payment)
        AddRegistrations(services, lifecycle::PaymentServices(info));
    AddRegistrations(services, lifecycle::SecondBlockServices(info, block));
    int ok = SysEditTcpServices(services);
    ok = SysRegVXSvc(info) && ok;

    // Each file written once: the personalization keys join the first writing of vxtrade.conf,
    // and the product macros it replaces are copied by it alone.
    bool personalized = SysIsPersonalizationInstalled() != 0;
    writers::CreateFileSet(info, dir, personalized);
    int mainWritten = writers::CreateMainConf(info, dir,
                                              personalized ? writers::PersonalizationKeys(info)
                                                           : std::vector<writers::KeyLine>());
    CreateMLInit(info, dir);
    CreatePaycyInit(info, dir);
    CreateSchedInit(info, dir);
    CreatePAProperties(info, dir, 0);
    if (payment) {
        CreatePaybkInit(info, dir);
        CreatePayetInit(info, dir);
        ok = CreatePayVaneCmd(info) && ok;
        ok = CreatePayVaneMigCmd(info) && ok;
    } else {
        SysRemove(PayvaneMigrationScript(info, dir));
    }
    if (personalized)
        writers::PersonalizeInstance(info, mainWritten != 0);
    if (info.MSOption & MS_OPT_HOSTING)
        SetConfigXML(info, dir ^ "Tools" ^ "config" ^ "config.xml");

    if (ok && SysIsCheckRun()) {
        if (pfnUpdate)
            pfnUpdate(
                std::string(kWouldCreatePrefix + std::string(info.Name) + kWouldCreateEnd).c_str());
    } else if (ok) {
        ICUpdateStatus(IC_MSG_INSTANCE_CREATED, info.Name);
    } else
        ICShowError(IC_MSG_INSTANCE_NOT_CREATED, info.Name);
    return 1;
}

int ICCreateInstance(const char* dataFile) {
    MSList list;
    list.Load(dataFile);
    for (int i = 0; i < list.GetCount(); ++i) {
        MSInfo copy;
        if (list.SetIndex(i) && list.GetCurrent(copy))
            ICCreateSingleInst(copy);
    }
    return 1;
}
