// vxcfg verify: whether each instance is installed as its record gives it. A check run of the
// instance's creation and web server configuration tells what would change; what changes on
// every run anyway is the library's to set aside. Exit 0 in sync, 3 drifted, 1 on error.
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "cli/frontend.h"
#include "commands/instance_args.h"
#include "vxconfig/vxconfig.h"

namespace {

std::string Mode(mode_t mode) {
    char text[8];
    snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

// The path below the root, as a diff names it.
std::string Label(const std::string& path) {
    std::string root = static_cast<const char*>(SysGetRoot());
    std::string below = path;
    if (!root.empty() && below.compare(0, root.size(), root) == 0)
        below = below.substr(root.size());
    return below.substr(below.find_first_not_of('/'));
}

// From what is installed to what the record gives; directories and links have no text.
std::string DiffOf(const SysFileChange& file) {
    if (file.directory || file.link)
        return std::string();
    if (file.before.find('\0') != std::string::npos || file.after.find('\0') != std::string::npos)
        return "Binary file " + Label(file.path) + " differs\n";
    return SysUnifiedDiff(Label(file.path), file.existedBefore ? &file.before : nullptr,
                          file.existsAfter ? &file.after : nullptr);
}

// uid:gid
std::string Owner(uid_t uid, gid_t gid) {
    return std::to_string(uid) + ":" + std::to_string(gid);
}

// The file is there with another owner than the record gives it.
bool OwnerDiffers(const SysFileChange& file) {
    return file.uidBefore != file.uidAfter || file.gidBefore != file.gidAfter;
}

const char* Bool(bool value) {
    return value ? "true" : "false";
}

// One instance's object of the JSON document's data.
std::string DriftJson(const char* name, const VXDrift& drift, bool diff) {
    std::string files, services;
    for (const SysFileChange& file : drift.files) {
        files +=
            std::string(files.empty() ? "" : ", ") + "{\"path\": " + JsonString(file.path) +
            ", \"action\": " + JsonString(file.action) + ", \"mode_before\": " +
            (file.existedBefore ? JsonString(Mode(file.modeBefore)) : "null") +
            ", \"mode_after\": " + (file.existsAfter ? JsonString(Mode(file.modeAfter)) : "null");
        if (OwnerDiffers(file))
            files += ", \"owner_before\": " + JsonString(Owner(file.uidBefore, file.gidBefore)) +
                     ", \"owner_after\": " + JsonString(Owner(file.uidAfter, file.gidAfter));
        if (diff)
            files += ", \"diff\": " + JsonString(DiffOf(file));
        files += "}";
    }
    for (const SysServiceChange& service : drift.services)
        services += std::string(services.empty() ? "" : ", ") +
                    "{\"name\": " + JsonString(service.name) +
                    ", \"port\": " + JsonString(service.port) +
                    ", \"action\": " + JsonString(service.action) + "}";
    return "{\"instance\": " + JsonString(name) + ", \"in_sync\": " + Bool(drift.InSync()) +
           ", \"files\": [" + files + "], \"services\": [" + services +
           "], \"boot\": {\"registered\": " + Bool(drift.bootRegistered) +
           ", \"in_sync\": " + Bool(drift.bootInSync) + "}}";
}

void PrintDrift(const char* name, const VXDrift& drift, bool diff) {
    if (drift.InSync()) {
        printf("%s: in sync\n", Shown(name).c_str());
        return;
    }
    printf("%s: drifted\n", Shown(name).c_str());
    for (const SysFileChange& file : drift.files) {
        std::string line = "  " + file.action + " " + file.path;
        if (file.existedBefore && file.existsAfter && file.modeBefore != file.modeAfter)
            line +=
                " (mode " + Mode(file.modeBefore) + ", record gives " + Mode(file.modeAfter) + ")";
        if (OwnerDiffers(file))
            line += " (owner " + Owner(file.uidBefore, file.gidBefore) + ", record gives " +
                    Owner(file.uidAfter, file.gidAfter) + ")";
        printf("%s\n", Shown(line.c_str()).c_str());
    }
    for (const SysServiceChange& service : drift.services)
        printf("  service %s %s: %s\n", Shown(service.name.c_str()).c_str(),
               Shown(service.port.c_str()).c_str(),
               service.action == "registered" ? "missing" : "left over");
    if (!drift.bootRegistered)
        printf("  boot: not registered\n");
    else if (!drift.bootInSync)
        printf("  boot: start line differs from the record's\n");
    if (diff) {
        for (const SysFileChange& file : drift.files)
            fputs(DiffOf(file).c_str(), stdout);
    }
}

} // namespace

int CmdVerify(const VxCommand&, const VxArgs& args) {
    InstanceData data;
    std::vector<MSInfo> chosen;
    if (int rc = data.OpenChosen(args, chosen))
        return rc;
    // The check run's own notices ("would be created") are not what verify answers.
    ICTextCallback info = pfnInfo, status = pfnUpdate;
    pfnInfo = pfnUpdate = nullptr;
    struct Restore {
        ICTextCallback &i, &u, ii, uu;
        ~Restore() { i = ii, u = uu; }
    } restore{pfnInfo, pfnUpdate, info, status};
    const bool diff = args.Has("--diff");
    bool drifted = false;
    for (MSInfo& info : chosen) {
        VXDrift drift;
        SysClearLastReason();
        if (!VXVerifyInstance(info, data.list, drift))
            return Failure("%s cannot be verified: %s", Shown(info.Name).c_str(),
                           Shown(SysGetLastReason()).c_str());
        drifted = drifted || !drift.InSync();
        if (ReportsJson())
            ReportDataJson(DriftJson(info.Name, drift, diff));
        else
            PrintDrift(info.Name, drift, diff);
    }
    return drifted ? VX_EXIT_WOULD_CHANGE : VX_EXIT_OK;
}
