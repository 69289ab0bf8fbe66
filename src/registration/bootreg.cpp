// Boot registration: the instance registry "/etc/rc.vndx" (one comment line and one start line
// per instance), the three run-level scripts that start and stop every controller, and the
// links of the product's database drivers in "/usr/lib".
#include "vxconfig/bootreg.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <glob.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "sys/files/lineedit.h"
#include "vxconfig/capture.h"
#include "vxconfig/discovery.h"
#include "vxconfig/environment.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/msinfo.h"
#include "vxconfig/mslist.h"
#include "vxconfig/outcome.h"
#include "vxconfig/safevalue.h"
#include "vxconfig/svcctl.h"
#include "vxconfig/sysroot.h"
#include "vxconfig/sysutil.h"

namespace {

const char kRegistry[] = "/etc/rc.vndx";
const char kRegistryBackup[] = "/etc/rc.vndx.old";
const char kEntryMark[] = "#Vendrix Instance";
const char kEntryPrefix[] = "#Vendrix Instance - ";
const char kControllerConf[] = "/srvrctrl.conf";
const char kRegistryHeader[] = "#! /bin/ksh\n"
                               "# rc.vndx - Orvell Vendrix initialization file.\n"
                               "#\n";
const mode_t kRegistryMode = 0754;
const mode_t kBootScriptMode = 0744;
// The run-level scripts, written in this order, always all three.
const char* const kBootScripts[] = {
    "/etc/rc0.d/K54vx3_mserverd",
    "/etc/rc1.d/K54vx3_mserverd",
    "/etc/rc2.d/S88vx3_mserverd",
};
// The characters that end the conf token of a start line.
const char kTokenEnd[] = " &\t\r\n\"";

// Boot script lines. "{R}" stands for the system root (empty on a real system), so that a
// script generated in a sandbox runs there; every other byte is the script's own. The stop
// requests are built in a private directory that mktemp makes (mode 0700, a fresh name): fixed
// names in /tmp would let any user plant a link or a file there that root then appends to or
// runs at shutdown, and noclobber cannot help, as it still opens a FIFO or device put there.
const char* const kScriptHead[] = {
    "#Orvell Vendrix Startup/Stop Scripts ",
    " ",
    "if [ ! -d {R}/opt ]",
    "then \t\t # /opt is not mounted",
    "\texit",
    "fi",
    "",
    "is_running()",
    "{",
    "\tpid=`ps -e | grep $1 | awk '{ print $1 }'` ",
    "\tif [ \"${pid}\" = \"\" ] ",
    "\tthen ",
    "\t\treturn 1 \t # failure ",
    "\telse ",
    "\t\treturn 0 \t # success ",
    "\tfi ",
    "} ",
    "",
    "not_running() ",
    "{ ",
    "\tpid=`ps -e | grep $1 | awk '{ print $1 }'` ",
    "\tif [ \"${pid}\" = \"\" ] ",
    "\tthen ",
    "\t\treturn 0 \t # success ",
    "\telse ",
    "\t\treturn 1 \t # failure ",
    "\tfi ",
    "} ",
    "",
    "stop_server() ",
    "{ ",
    "\tstopdir=`mktemp -d {R}/tmp/vxstop.XXXXXX` || return 1",
    "",
    "\techo \"export CONTENT_LENGTH=20\" >> $stopdir/stop.sh",
    "\techo \"export REQUEST_METHOD=POST\" >> $stopdir/stop.sh",
    "",
};
// The four stop lines of one instance: {F} its request file, {N} its name.
const char* const kScriptStop[] = {
    "\techo \"\\$COMMAND=STOP_SERVER\" >> {F}",
    "\techo \"NAME={N}\" >> {F}",
    "\techo \"{R}/opt/Orvellvndx/Vendrix3/server/admin/webconfig < {F}\" >> $stopdir/stop.sh",
    "",
};
const char* const kScriptMiddle[] = {
    "\tchmod a+x $stopdir/stop.sh",
    "\t$stopdir/stop.sh 2>/dev/null 1>/dev/null",
    "",
    "\trm -r $stopdir",
    "\treturn ",
    " } ",
    "",
    "case  \"$1\" in ",
    "'start') ",
    "\tif [ -x {R}/opt/Orvellvndx/Vendrix3/bin/srvrctrl ] ",
    "\tthen ",
    "\t\tif not_running srvrctrl ",
    "\t\tthen ",
    "\t\t\t# Starting the different servers ",
};
const char kScriptStart[] = "\t\t\t{S} ";
// Stands in for the start lines when there are none: an empty branch is a syntax error.
const char kScriptNoStart[] = "\t\t\t: ";
const char* const kScriptTail[] = {
    "\t\telse ",
    "\t\t\techo \"WARNING: srvrctrl processes are already running\" ",
    "\t\t\techo \"WARNING: srvrctrl automatic process aborted.\" ",
    "\t\tfi ",
    "\tfi ",
    "\t;; ",
    "",
    "'stop') ",
    "\tif is_running srvrctrl ",
    "\tthen ",
    "\t\tstop_server srvrctrl ",
    "\tfi ",
    "\t;; ",
    "*) ",
    "\techo \"Usage: $0 { start | stop }\" ",
    "\t;; ",
    "esac ",
};

// Fills the placeholders of one script line and appends it with its newline.
void AppendLine(std::string& out, const char* line, const char* name = "", const char* file = "",
                const char* start = "") {
    ICString root = SysGetRoot();
    for (const char* p = line; *p; ++p) {
        if (p[0] == '{' && p[1] && p[2] == '}') {
            const char* value = p[1] == 'R'   ? static_cast<const char*>(root)
                                : p[1] == 'N' ? name
                                : p[1] == 'F' ? file
                                : p[1] == 'S' ? start
                                              : nullptr;
            if (value) {
                out += value;
                p += 2;
                continue;
            }
        }
        out += *p;
    }
    out += '\n';
}

template <size_t N> void AppendLines(std::string& out, const char* const (&lines)[N]) {
    for (const char* line : lines)
        AppendLine(out, line);
}

void AppendStopLines(std::string& out, const char* name, const char* file) {
    for (const char* line : kScriptStop)
        AppendLine(out, line, name, file);
}

// The configuration directory of a record: the CONFIG_PATH value.
const ICString& ConfigDir(const MSInfo& instance) {
    return instance.HtmlPath;
}

ICString ControllerConf(const MSInfo& instance) {
    return ConfigDir(instance) + kControllerConf;
}

// Whether a registry line is the start line of the controller configured by conf: the line
// holds dir, and the token that begins at that place equals conf.
bool IsStartLineOf(const char* line, const char* dir, const char* conf) {
    if (!*dir)
        return false;
    const char* at = strstr(line, dir);
    if (!at)
        return false;
    size_t length = strcspn(at, kTokenEnd);
    return length == strlen(conf) && strncmp(at, conf, length) == 0;
}

// Edits the registry under its lock, with its mode and backup: a registry that does not exist
// yet is edited as an empty one, and every line handed to edit ends with its newline (a long
// line is never cut into two).
int EditRegistry(const char* path, const platform::LineEditor& edit) {
    ICString backup = SysRootPath(kRegistryBackup);
    platform::LineEditOptions options;
    options.mode = kRegistryMode;
    options.backup = backup;
    options.backupWhenMissing = true;
    options.missingIsEmpty = true;
    return platform::EditLineFile(path, options, [&](platform::TextLines& lines, bool existed) {
        platform::EndLastLine(lines);
        return edit(lines, existed);
    });
}

// The link name of a driver: the part from its last "_" up to its last "." removed, then only
// what follows the last "/". Empty when the path holds no "_".
std::string DriverLinkName(const std::string& path) {
    size_t underscore = path.rfind('_');
    if (underscore == std::string::npos)
        return std::string();
    size_t dot = path.rfind('.');
    std::string name = path;
    if (dot != std::string::npos && dot > underscore)
        name = path.substr(0, underscore) + path.substr(dot);
    else
        name = path.substr(0, underscore);
    size_t slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// Replaces link (under the rooted "/usr/lib") by a symbolic link to target.
void LinkDriver(const std::string& target, const std::string& link) {
    ICString path = SysRootPath(("/usr/lib/" + link).c_str());
    SysRemove(path);
    if (SysSymlink(target.c_str(), path) != 0)
        SysSetFileReason(path, errno);
}

// The system links of the product's ODBC drivers and of the Relda client library. 0 when the
// drivers cannot be listed.
int LinkDrivers(MSInfo& instance, const char* inst) {
    ICString pattern = (ICString(inst) ^ "bin") ^ "lib*odbc*";
    glob_t found;
    int rc = glob(pattern, 0, nullptr, &found);
    if (rc != 0 && rc != GLOB_NOMATCH)
        return 0;
    for (size_t i = 0; rc == 0 && i < found.gl_pathc; ++i) {
        std::string path = found.gl_pathv[i];
        std::string link = DriverLinkName(path);
        if (link.empty() || !SysIsSafeValue(link.c_str(), SYS_VALUE_NAME))
            continue;
        if (instance.DBType == DB_ORACLE) {
            LinkDriver(path, link);
        } else {
            size_t dot = link.find('.');
            size_t last = link.rfind('.');
            std::string relda = link.substr(0, dot) + "_relda" +
                                (last == std::string::npos ? "" : link.substr(last));
            LinkDriver(std::string((ICString(inst) ^ "bin") ^ relda.c_str()), link);
        }
    }
    if (rc == 0)
        globfree(&found);
    if (instance.DBType != DB_ORACLE) {
        ICString relda;
        SysGetDBOrvellPath(relda);
        LinkDriver(std::string((relda ^ "lib") ^ "librelda.so.1"), "librelda.so.1");
    }
    return 1;
}

// Notes the registry's step: done when ok, else failed with reason (null: the last reason).
int NoteBoot(int ok, const char* path, const char* reason = nullptr) {
    if (ok)
        VXStepDone("boot", path);
    else
        VXStepFailed("boot", path, reason);
    return ok;
}

} // namespace

namespace {

// The text of the boot scripts for the instances of the machine and this one, from one capture
// of them. False when the instances cannot be listed.
bool BootScriptText(MSInfo& instance, int removing, std::string& text) {
    ICString inst;
    MSList list;
    if (!ICGetInstPath(inst) || !ICGetVXConfig(list, 3))
        return false;
    // Each instance with its place in the list, which names its stop request.
    std::vector<std::pair<int, MSInfo>> others;
    for (int i = 0; i < list.GetCount(); ++i) {
        MSInfo other;
        if (list.SetIndex(i) && list.GetCurrent(other))
            others.emplace_back(i, other);
    }
    AppendLines(text, kScriptHead);
    for (const auto& other : others) {
        std::string file = "$stopdir/stop" + std::to_string(other.first) + ".sh";
        AppendStopLines(text, other.second.Name, file.c_str());
    }
    AppendStopLines(text, instance.Name, "$stopdir/stopcurrent.sh");
    AppendLines(text, kScriptMiddle);
    for (auto& other : others)
        AppendLine(text, kScriptStart, "", "",
                   SysGetStartCommand(other.second, ControllerConf(other.second)));
    if (!removing)
        AppendLine(text, kScriptStart, "", "",
                   SysGetStartCommand(instance, ControllerConf(instance)));
    if (others.empty() && removing)
        AppendLine(text, kScriptNoStart);
    AppendLines(text, kScriptTail);
    return true;
}

// Writes the boot script text (listed: the instances could be listed) at path, whole or not at
// all: an incomplete one would stop nothing.
int WriteBootScript(const char* path, bool listed, const std::string& text) {
    if (!listed) {
        SysSetLastReason("%s: the instances of this machine cannot be listed", path);
        VXStepFailed("write", path);
        return 0;
    }
    SysWriteOptions options;
    options.mode = kBootScriptMode;
    if (!SysWriteFile(path, text.data(), text.size(), options)) {
        VXStepFailed("write", path);
        ICShowError(IC_MSG_CANNOT_CREATE_CONFIG, path);
        return 0;
    }
    VXStepDone("write", path);
    return 1;
}

} // namespace

int SysCreateRCFile(const char* path, MSInfo& instance, int removing) {
    std::string text;
    bool listed = BootScriptText(instance, removing, text);
    return WriteBootScript(path, listed, text);
}

int SysConfigReboot(MSInfo& instance, int removing) {
    // The three scripts are the same text: the instances are captured once for all of them.
    std::string text;
    bool listed = BootScriptText(instance, removing, text);
    int all = 1;
    for (const char* script : kBootScripts)
        if (!WriteBootScript(SysRootPath(script), listed, text))
            all = 0;
    return all;
}

int SysRegVXSvc(MSInfo& instance) {
    ICString path = SysRootPath(kRegistry);
    ICString inst;
    if (!ICGetInstPath(inst))
        return NoteBoot(0, path, "the product installation directory cannot be found");
    if (!instance.CheckValues())
        return NoteBoot(0, path);
    ICString conf = ControllerConf(instance);
    int written = EditRegistry(path, [&](platform::TextLines& lines, bool existed) {
        platform::TextLines kept;
        if (!existed)
            kept.push_back(kRegistryHeader);
        for (std::string& line : lines)
            if (!IsStartLineOf(line.c_str(), ConfigDir(instance), conf))
                kept.push_back(std::move(line));
        kept.push_back(std::string(kEntryPrefix) + static_cast<const char*>(instance.Name) + "\n");
        kept.push_back(std::string(SysGetStartCommand(instance, conf)) + "\n");
        lines.swap(kept);
        return platform::kEditWrite;
    });
    if (!NoteBoot(written, path))
        return 0;
    SysConfigReboot(instance, 0);
    SysSetEnvironment(instance, 0);
    if (!LinkDrivers(instance, inst)) {
        VXStepFailed("link", (ICString(inst) ^ "bin") ^ "lib*odbc*",
                     "the product's drivers cannot be listed");
        return 0;
    }
    if (!SysSetDBUserProfile(instance)) {
        VXStepFailed("profile", instance.DBUser);
        return 0;
    }
    return 1;
}

int SysUnregVXSvc(MSInfo& instance) {
    if (SysIsVXSvcActive(instance))
        SysStopVXSvc(instance);
    ICString dir;
    SysGetIniPath(instance, dir);
    ICString conf = dir + kControllerConf;
    ICString path = SysRootPath(kRegistry);
    bool registered = true;
    int written = EditRegistry(path, [&](platform::TextLines& lines, bool existed) {
        if (!existed) {
            registered = false;
            return platform::kEditKeep;
        }
        // One line of look-behind: a comment line is held until the next line shows whether
        // it belongs to the instance being removed.
        platform::TextLines kept;
        const std::string* held = nullptr;
        for (const std::string& line : lines) {
            if (line.find(kEntryMark) != std::string::npos) {
                held = &line;
                continue;
            }
            if (IsStartLineOf(line.c_str(), dir, conf)) {
                held = nullptr;
                continue;
            }
            if (held)
                kept.push_back(*held);
            held = nullptr;
            kept.push_back(line);
        }
        lines.swap(kept);
        return platform::kEditWrite;
    });
    if (!written) {
        VXStepFailed("unboot", path);
        return 0;
    }
    if (!registered) {
        // Nothing is registered for boot: the entry is gone already.
        VXStepDone("gone", path);
        return 0;
    }
    VXStepDone("unboot", path);
    SysConfigReboot(instance, 1);
    SysSetEnvironment(instance, 1);
    return 1;
}
