// The line-edit engine and the reader of whole files as lines (see lineedit.h).
#include "sys/files/lineedit.h"

#include <cerrno>

namespace platform {

int ReadTextLines(const char* path, TextLines& lines, bool* missing) {
    lines.clear();
    if (missing)
        *missing = false;
    SysLineReader in(path);
    if (!in.IsOpen()) {
        int error = errno;
        if (missing && error == ENOENT) {
            *missing = true;
            return 1;
        }
        SysSetFileReason(path, error);
        return 0;
    }
    while (const char* line = in.Next())
        lines.emplace_back(line, in.Length());
    if (in.Failed()) {
        SysSetFileReason(path, errno);
        return 0;
    }
    return 1;
}

void EndLastLine(TextLines& lines) {
    if (!lines.empty() && !lines.back().empty() && lines.back().back() != '\n')
        lines.back() += '\n';
}

int EditLineFile(const char* path, const LineEditOptions& options, const LineEditor& edit) {
    SysFileLock lock(path);
    if (!lock.Held())
        return 0;
    TextLines lines;
    bool missing = false;
    if (!ReadTextLines(path, lines, options.missingIsEmpty ? &missing : nullptr))
        return 0;
    switch (edit(lines, !missing)) {
    case kEditFailed:
        return 0;
    case kEditKeep:
        return 1;
    case kEditWrite:
        break;
    }
    std::string content;
    for (const std::string& line : lines)
        content += line;
    SysWriteOptions write;
    write.mode = options.mode;
    write.keepMode = options.keepMode;
    write.backup = missing && !options.backupWhenMissing ? nullptr : options.backup;
    return SysWriteFile(path, content.data(), content.size(), write);
}

} // namespace platform
