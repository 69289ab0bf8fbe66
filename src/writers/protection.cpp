// Web access to the instances' documents on the Orvell HTTP server: the Pass block that binds
// each instance's host names and addresses to its document root in front of the server's
// catch-all rule, and the instances' web password files.
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "conffile/conftext.h"
#include "conffile/markers.h"
#include "sys/hostcache.h"
#include "vxconfig/discovery.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/writers.h"
#include "writers/writerframe.h"

namespace {

const char kPassBlock[] = "Orvell Vendrix (Pass)";
const char kPassBlockEnd[] = "End of Orvell Vendrix (Pass)";
const char kPasswordFile[] = "vndx.pwd";
const char kWordSeparators[] = " \t\r\n";

// One per-host rule: the whole URL space of host served from the instance's document root.
void WriteHostPass(FILE* out, const MSInfo& info, const char* host) {
    fprintf(out, "Pass   /*  %s %s\n", static_cast<const char*>(info.DocRoot ^ "*"), host);
}

// The host-name rule of an instance and one rule for each address its host name has.
void WriteInstancePass(FILE* out, const MSInfo& info) {
    WriteHostPass(out, info, info.ISHost);
    for (const std::string& address : platform::HostAddresses(info.ISHost))
        WriteHostPass(out, info, address.c_str());
}

} // namespace

int CheckHomePass(const char* line) {
    if (!line)
        return 0;
    conffile::WritableCopy copy(line);
    conffile::Tokens words(copy.Text());
    const char* first = words.Next(kWordSeparators);
    const char* second = words.Next(kWordSeparators);
    return first && second && strcasecmp(first, "Pass") == 0 && strcasecmp(second, "/*") == 0 ? 1
                                                                                              : 0;
}

int WriteVXPassOrvell(const char* line, MSList& list, FILE* out, FILE*, int anyOrvell) {
    if (anyOrvell) {
        webserver::WriteStartMarker(out, kPassBlock);
        ICString product;
        ICGetInstPath(product);
        fprintf(out, "Pass\t/ca_html/*\t%s\n",
                static_cast<const char*>(product ^ "pasample" ^ "ca_html" ^ "*"));
        fprintf(out, "Pass\t/pasample/*\t%s\n",
                static_cast<const char*>(product ^ "pasample" ^ "*"));
        for (int i = 0; i < list.GetCount(); ++i) {
            MSInfo info;
            list.SetIndex(i);
            if (list.GetCurrent(info) && info.ISType == IS_WHARF)
                WriteInstancePass(out, info);
        }
        webserver::WriteEndMarker(out, kPassBlockEnd);
    }
    if (line)
        fputs(line, out);
    return 1;
}

int ISCreatePswdFile(const char* dir, eISType type, const char* serverRoot, const char* owner) {
    if (type != IS_WHARF)
        return 1;
    ICString target = ICString(dir) ^ kPasswordFile;
    ICString source = ICString(serverRoot) ^ "server" ^ "admin" ^ "icsclt.pwd";
    return writers::CopyWithOwner(source, target, owner, writers::kConfigMode,
                                  SysGetBackupName(target));
}
