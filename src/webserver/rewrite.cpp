// The frame of the web server file editors (see rewrite.h).
#include "webserver/rewrite.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/outcome.h"
#include "vxconfig/sysutil.h"
#include "vxconfig/webconf.h"

namespace webserver {

namespace {

// Reports the failure with the editor's message and notes it, with the last reason, in the
// outcome.
void Report(const EditedFile& file, unsigned int id, const char* path = nullptr) {
    if (file.report)
        ICShowError(id, path);
    VXStepFailed("rewrite", file.path);
}

} // namespace

int RewriteWithCopy(const EditedFile& file, const LineEditor& edit) {
    SysFileLock lock(file.path);
    if (SysAccess(file.path, R_OK) != 0) {
        SysSetFileReason(file.path, errno);
        // A servlet engine file the installation lacks is no failure of the run.
        if (file.report)
            Report(file, IC_MSG_CANNOT_ACCESS_FILE, file.path);
        return 0;
    }
    Lines lines;
    if (!lock.Held() || !SysCopyFile(file.path, file.path + ".old") ||
        !ReadLines(file.path, lines)) {
        Report(file, file.editFailed);
        return 0;
    }
    // What the editor writes after the last line must not join it (a marker line glued to
    // the user's line would take that line with the block on the next run).
    if (!lines.empty() && !lines.back().empty() && lines.back().back() != '\n')
        lines.back() += '\n';
    char* data = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&data, &size);
    if (!out) {
        SysSetFileReason(file.path, errno);
        Report(file, IC_MSG_CANNOT_CREATE_FILE, file.path);
        return 0;
    }
    edit(lines, out);
    bool closed = fclose(out) == 0;
    SysWriteOptions options;
    options.keepMode = true;
    int written = closed && SysWriteFile(file.path, data, size, options);
    free(data);
    if (!written) {
        Report(file, IC_MSG_CANNOT_CREATE_FILE, file.path);
        return 0;
    }
    VXStepDone("rewrite", file.path);
    return 1;
}

ICString Slashed(const char* path) {
    std::string text = path ? path : "";
    ISXlateSlash(&text[0], '/');
    return text.c_str();
}

} // namespace webserver

void ISXlateSlash(char* s, char slash) {
    if (!s)
        return;
    for (; *s; ++s) {
        if (slash == '/' && *s == '\\')
            *s = '/';
        else if (slash == '\\' && *s == '/')
            *s = '\\';
    }
}
