// The server control tool's map from web server host to the main configuration file of the
// instance serving it: productDir/bin/icsrvctl.properties, one line per instance.
#include <cstring>
#include <unistd.h>

#include "vxconfig/fileio.h"
#include "vxconfig/writers.h"
#include "writers/writerframe.h"

namespace {

// Whether the line maps host: its text before the first "=" is the host name.
bool MapsHost(const char* line, const char* host) {
    size_t key = strcspn(line, "=");
    return strlen(host) == key && strncmp(line, host, key) == 0;
}

} // namespace

int CreatePAProperties(const MSInfo& info, const char* productDir, int remove) {
    writers::ConfigFile file;
    file.path = ICString(productDir ? productDir : "") ^ "bin" ^ "icsrvctl.properties";
    file.backup = file.path + ".old";
    file.owner = info.DBOwner;
    file.record = &info;
    file.mode = writers::kReadOnlyMode;
    return writers::WriteConfigFile(file, [&](FILE* out, ICString&) {
        // The other instances' lines, from the map being replaced (or the copy a run that
        // was stopped halfway left).
        const char* previous = SysAccess(file.path, F_OK) == 0 ? file.path : file.backup;
        SysLineReader in(previous);
        while (char* line = in.IsOpen() ? in.Next() : nullptr) {
            if (!MapsHost(line, info.ISHost))
                fwrite(line, 1, in.Length(), out);
        }
        if (!remove)
            fprintf(out, "%s=%s\n", static_cast<const char*>(info.ISHost),
                    static_cast<const char*>(info.HtmlPath ^ VX_MAIN_CONF));
        return 1;
    });
}
