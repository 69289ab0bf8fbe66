// The frame of the web server file editors (see rewrite.h).
#include "webserver/rewrite.h"

#include <cerrno>
#include <string>
#include <unistd.h>

#include "sys/files/lineedit.h"
#include "sys/files/memstream.h"
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
        !platform::ReadTextLines(file.path, lines)) {
        Report(file, file.editFailed);
        return 0;
    }
    // What the editor writes after the last line must not join it (a marker line glued to
    // the user's line would take that line with the block on the next run).
    platform::EndLastLine(lines);
    platform::MemoryStream stream;
    if (!stream.Stream()) {
        SysSetFileReason(file.path, errno);
        Report(file, IC_MSG_CANNOT_CREATE_FILE, file.path);
        return 0;
    }
    edit(lines, stream.Stream());
    std::string content;
    bool closed = stream.Close(content);
    SysWriteOptions options;
    options.keepMode = true;
    if (!closed || !SysWriteFile(file.path, content.data(), content.size(), options)) {
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
