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

// The lines of text as the line reader would read them from a file that holds it.
Lines SplitLines(const std::string& text) {
    Lines lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(at, end - at));
        at = end;
    }
    return lines;
}

} // namespace

int RewriteWithCopy(const EditedFile& file, const LineEditor& edit) {
    return RewriteWithCopy(file, std::vector<LineEditor>{edit});
}

int RewriteWithCopy(const EditedFile& file, const std::vector<LineEditor>& edits) {
    if (edits.empty())
        return 1;
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
    std::string content;
    for (size_t i = 0; i < edits.size(); ++i) {
        if (i > 0)
            lines = SplitLines(content);
        // What the editor writes after the last line must not join it (a marker line glued
        // to the user's line would take that line with the block on the next run).
        platform::EndLastLine(lines);
        platform::MemoryStream stream;
        if (!stream.Stream()) {
            SysSetFileReason(file.path, errno);
            Report(file, IC_MSG_CANNOT_CREATE_FILE, file.path);
            return 0;
        }
        edits[i](lines, stream.Stream());
        content.clear();
        if (!stream.Close(content)) {
            SysSetFileReason(file.path, ENOMEM);
            Report(file, IC_MSG_CANNOT_CREATE_FILE, file.path);
            return 0;
        }
    }
    SysWriteOptions options;
    options.keepMode = true;
    if (!SysWriteFile(file.path, content.data(), content.size(), options)) {
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
