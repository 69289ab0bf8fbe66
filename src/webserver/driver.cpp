// The entry to the web server configuration: the servlet engine where an instance needs it,
// then each web server type the instances use, once for all instances of that type.
#include <functional>
#include <string>
#include <unistd.h>

#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/outcome.h"
#include "vxconfig/webconf.h"

namespace {

// The servlet engine's two files in an engine directory.
struct EngineFiles {
    ICString bootstrap, servlets;
    explicit EngineFiles(const ICString& dir)
        : bootstrap(dir ^ "properties" ^ "bootstrap.properties"),
          servlets(dir ^ "properties" ^ "server" ^ "servlet" ^ "servletservice" ^
                   "servlets.properties") {}
};

// Edits the engine's two files for the instance; the Pro package edits its servlet list
// first. Their results are not the driver's concern.
void EditEngine(MSInfo& info, const ICString& dir, bool servletsFirst) {
    EngineFiles engine(dir);
    if (servletsFirst)
        SetServletProperties(info, engine.servlets);
    SetBootStrapProperties(info, engine.bootstrap);
    if (!servletsFirst)
        SetServletProperties(info, engine.servlets);
}

bool LoomworkMissing() {
    if (SysIsLoomworkInstalled())
        return false;
    ICUpdateStatus(IC_MSG_LOOMWORK_MISSING);
    VXStepFailed("configure servlet engine", "Loomwork", "Loomwork is not installed");
    return true;
}

// Runs a web server's editor. Its result stays out of the driver's (its failures are reported
// by its own messages), but a failure always reaches the outcome: one the editor did not note
// is noted with the last message it reported, or the last reason.
void ConfigureServer(const char* server, const std::function<int()>& edit) {
    VXOutcome noted;
    int done = 0;
    {
        VXOutcomeScope scope(noted);
        SysSetLastReason("%s", "");
        done = edit();
    }
    if (done || noted.Failed())
        return;
    std::string reason = SysGetLastReason();
    if (reason.empty() && !noted.errors.empty())
        reason = noted.errors.back();
    if (reason.empty())
        reason = "its configuration was not edited";
    VXStepFailed("configure web server", server, reason.c_str());
}

} // namespace

int ICSetISConf(MSList& list) {
    ICString inst;
    if (!ICGetInstPath(inst)) {
        ICShowError(IC_MSG_NO_INSTALL_PARAMETERS);
        VXStepFailed("configure web server", "", "the product installation was not found");
        return 0;
    }
    bool orvell = false, netscape = false;
    for (int i = 0; i < list.GetCount(); ++i) {
        MSInfo info;
        list.SetIndex(i);
        list.GetCurrent(info);
        bool hosting = (info.MSOption & MS_OPT_HOSTING) != 0;
        if (hosting || IsPkgPro(info)) {
            if (LoomworkMissing())
                return 0;
            ICString loomwork;
            SysGetLoomworkPath(loomwork);
            EditEngine(info, loomwork, !hosting);
            // The hosting server also runs in the secure server's engine.
            ICString secureDir = loomwork + "-443";
            if (hosting && SysAccess(secureDir, F_OK) == 0)
                EditEngine(info, secureDir, false);
        }
        orvell = orvell || info.ISType == IS_WHARF;
        netscape = netscape || info.ISType == IS_NETSCAPE;
    }
    if (orvell)
        ConfigureServer("Orvell HTTP server", [&] { return ISSetOrvellConf(list, inst); });
    if (netscape)
        ConfigureServer("Netscape Enterprise Server", [&] { return ISSetNSConf(list, inst); });
    return 1;
}

int ICSetISConf(const char* dataFile) {
    MSList list;
    list.Load(dataFile);
    return ICSetISConf(list);
}
