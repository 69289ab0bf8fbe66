// Capture of an installation's configuration files into the records of an instance list.
#include <string>
#include <unistd.h>
#include <vector>

#include "sys/files/filestate.h"
#include "vxconfig/capture.h"
#include "vxconfig/changes.h"
#include "vxconfig/discovery.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/services.h"
#include "vxconfig/webpaths.h"

namespace {

// What differs between the releases whose files are captured.
struct Release {
    int version;
    void (VXKeyword::*chooseKeywords)();
    const char* mainBase;  // the main file is this + ".conf"
    const char* webServer; // the Orvell HTTP server file with the product block
};

const Release kReleases[] = {
    {1, &VXKeyword::SetKeywordV1, "mserver", "httpd.vndx"},
    {2, &VXKeyword::SetKeywordV2, "mserver", "httpd.vndx"},
    {3, &VXKeyword::SetKeyword, "vxtrade", "httpd.conf"},
};

const Release* FindRelease(int version) {
    for (const Release& r : kReleases) {
        if (r.version == version)
            return &r;
    }
    return nullptr;
}

// A file of a directory, or no name at all when the directory is not known.
ICString FileIn(const ICString& dir, const char* name) {
    return dir.IsEmpty() ? ICString() : dir ^ name;
}

int ParseIfNamed(const ICString& path, ParmEntry* table) {
    return !path.IsEmpty() && ParseFile(path, table);
}

// An instance of the current release as captured, kept for the run: every registration of an
// instance captures all the others again, and their files have not changed since. It answers
// again only for the same registry entry while every file it read is as it was read, the same
// products are installed and, when the main file named no port, the services file still gives
// the instance's service the same port. Captures that failed or ran in a check run are not
// kept.
struct Captured {
    std::string name, configDir, webServerFile;
    bool payment, hosting;
    std::string service; // the service whose port was taken, or empty
    int servicePort;
    std::vector<platform::ReadRecorder::Read> reads;
    MSInfo result;

    bool Names(const MSInfo& record, const ICString& webServer) const {
        return name == static_cast<const char*>(record.Name) &&
               configDir == static_cast<const char*>(record.HtmlPath) &&
               webServerFile == static_cast<const char*>(webServer);
    }
};

std::vector<Captured> s_captured;

const Captured* FindCaptured(const MSInfo& record, const ICString& webServerFile) {
    if (SysIsCheckRun())
        return nullptr;
    for (const Captured& c : s_captured) {
        if (c.Names(record, webServerFile))
            return platform::Unchanged(c.reads) && (SysIsPayvaneInstalled() != 0) == c.payment &&
                           (SysIsHWLInstalled() != 0) == c.hosting &&
                           (c.service.empty() ||
                            ICGetTcpServicePort(c.service.c_str()) == c.servicePort)
                       ? &c
                       : nullptr;
    }
    return nullptr;
}

void KeepCaptured(const MSInfo& record, const ICString& webServerFile,
                  const platform::ReadRecorder& recorder, bool portFromService,
                  const MSInfo& result) {
    Captured kept{static_cast<const char*>(record.Name),
                  static_cast<const char*>(record.HtmlPath),
                  static_cast<const char*>(webServerFile),
                  (result.MSOption & MS_OPT_PAYVANE) != 0,
                  (result.MSOption & MS_OPT_HOSTING) != 0,
                  portFromService ? static_cast<const char*>(result.SvcPfx) : "",
                  portFromService ? ICGetTcpServicePort(result.SvcPfx) : 0,
                  recorder.Reads(),
                  result};
    for (Captured& c : s_captured) {
        if (c.Names(record, webServerFile)) {
            c = std::move(kept);
            return;
        }
    }
    s_captured.push_back(std::move(kept));
}

} // namespace

int CaptureVXConfig(MSList& list, int version) {
    const Release* release = FindRelease(version);
    if (!release)
        return 1;
    ISPath webPaths;
    ICString webServerFile;
    if (SysGetISOrvellInfo(webPaths))
        webServerFile = webPaths[ISPATH_ORVELL_CONFIG] ^ release->webServer;

    (s_keyword.*release->chooseKeywords)();
    ICString configDir, mainDir;
    if (version == 1) {
        SysGetCfgPathV1(configDir);
        SysGetMSCfgPathV1(mainDir);
    }

    SysGetInstanceInfo(list, version);
    // The first release knew exactly one instance, described by its files alone.
    int count = version == 1 ? 1 : list.GetCount();
    for (int i = 0; i < count;) {
        MSInfo record;
        if (list.SetIndex(i))
            list.GetCurrent(record);
        if (!record.HtmlPath.IsEmpty())
            configDir = record.HtmlPath;
        ICString mainFile = version == 1 ? FileIn(mainDir, "mserver.conf")
                                         : FileIn(configDir, ICString(release->mainBase) + ".conf");

        // The current release's instances are named by registry entries alone.
        bool keepable = version == 3 && !SysIsCheckRun();
        if (keepable) {
            if (const Captured* kept = FindCaptured(record, webServerFile)) {
                s_msInfo = kept->result;
                if (list.SetIndex(i))
                    list.SetCurrent(kept->result);
                ++i;
                continue;
            }
        }
        platform::ReadRecorder recorder;
        s_msInfo = record;
        if (!record.DefsDir.IsEmpty())
            GetGlobalDefault(s_msInfo, record.DefsDir);

        bool failed = !ParseIfNamed(mainFile, s_tblMSCfg);
        // The web macro file lives in the document root the main file has just named.
        ICString macroFile = FileIn(s_msInfo.DocRoot, "reldawww.ini");
        if (!ParseIfNamed(macroFile, s_tblMLCfg))
            failed = true;
        ParseIfNamed(FileIn(configDir, "pay_back.conf"), s_tblPBCfg);
        ParseIfNamed(FileIn(configDir, "pay_payvane.conf"), s_tblPVCfg);
        if (!webServerFile.IsEmpty()) {
            ICString host(s_msInfo.ISHost);
            ParseISFile(webServerFile, s_tblISCfg, host);
        }

        // The reader stores what the files say without the setters' checks; a value that
        // could run as a command, or a directory that breaks the instance path rule, drops
        // the instance like a missing file does, and says why.
        if (!failed && !s_msInfo.CheckValues()) {
            ICShowError(IC_MSG_INSTANCE_DEFINITION);
            failed = true;
        }
        if (failed) {
            // The next record moves into position i and is handled next.
            if (list.SetIndex(i))
                list.Delete();
            --count;
            continue;
        }
        bool portFromService = s_msInfo.MSPort < 0;
        ProcessParm(s_msInfo, version);
        if (keepable)
            KeepCaptured(record, webServerFile, recorder, portFromService, s_msInfo);
        if (version == 1) {
            list.Add(s_msInfo, 1);
        } else if (list.SetIndex(i)) {
            list.SetCurrent(s_msInfo);
        }
        ++i;
    }
    return 1;
}

int ICGetVXConfig(MSList& list, int version) {
    return CaptureVXConfig(list, version);
}
