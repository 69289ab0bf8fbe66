// The entry to the web server configuration: the servlet engine where an instance needs it,
// then each web server type the instances use, once for all instances of that type.
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "vxconfig/discovery.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/outcome.h"
#include "vxconfig/webconf.h"
#include "webserver/servlets.h"

namespace {

// The servlet engine's two files in an engine directory.
struct EngineFiles {
    ICString bootstrap, servlets;
    explicit EngineFiles(const ICString& dir)
        : bootstrap(dir ^ "properties" ^ "bootstrap.properties"),
          servlets(dir ^ "properties" ^ "server" ^ "servlet" ^ "servletservice" ^
                   "servlets.properties") {}
};

// The instances whose edits an engine directory's two files receive, in order: each file is
// then edited for all of them in one rewrite. Neither edit reads the other file, so only the
// order of the files' notes depends on which comes first: as for the first instance, whose
// servlet list comes first for the Pro package.
struct EngineEdits {
    ICString dir;
    bool servletsFirst;
    std::vector<MSInfo> instances;
};

void Gather(std::vector<EngineEdits>& engines, const ICString& dir, const MSInfo& info,
            bool servletsFirst) {
    for (EngineEdits& engine : engines) {
        if (strcmp(engine.dir, dir) == 0) {
            engine.instances.push_back(info);
            return;
        }
    }
    engines.push_back({dir, servletsFirst, {info}});
}

// Edits the gathered engine files. Their results are not the driver's concern.
void EditEngines(const std::vector<EngineEdits>& engines) {
    for (const EngineEdits& engine : engines) {
        EngineFiles files(engine.dir);
        if (engine.servletsFirst)
            webserver::EditServletsFor(engine.instances, files.servlets);
        webserver::EditBootstrapFor(engine.instances, files.bootstrap);
        if (!engine.servletsFirst)
            webserver::EditServletsFor(engine.instances, files.servlets);
    }
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
    std::vector<EngineEdits> engines;
    for (int i = 0; i < list.GetCount(); ++i) {
        MSInfo info;
        list.SetIndex(i);
        list.GetCurrent(info);
        bool hosting = (info.MSOption & MS_OPT_HOSTING) != 0;
        if (hosting || IsPkgPro(info)) {
            if (LoomworkMissing()) {
                // The earlier instances' edits stand.
                EditEngines(engines);
                return 0;
            }
            ICString loomwork;
            SysGetLoomworkPath(loomwork);
            Gather(engines, loomwork, info, !hosting);
            // The hosting server also runs in the secure server's engine.
            ICString secureDir = loomwork + "-443";
            if (hosting && SysAccess(secureDir, F_OK) == 0)
                Gather(engines, secureDir, info, false);
        }
        orvell = orvell || info.ISType == IS_WHARF;
        netscape = netscape || info.ISType == IS_NETSCAPE;
    }
    EditEngines(engines);
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
