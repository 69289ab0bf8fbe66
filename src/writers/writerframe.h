// The frame every configuration file writer shares: the lines are streamed into memory, the
// user's own lines of the previous file are kept where the file asks for it, and the result
// replaces the file through the one write path with its backup, owner and mode, under the
// file's lock. A file whose lines hold a password or key is made private (PrivateMode) from
// its first byte and is refused in a directory the web server serves (secrets.h). A failure is
// reported with message 3 and the file is left as it was.
#ifndef VX_WRITERS_WRITERFRAME_H
#define VX_WRITERS_WRITERFRAME_H

#include <cstdio>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "vxconfig/msinfo.h"

namespace writers {

// The permission bits of the configuration files and of the read-only host map.
enum : mode_t { kConfigMode = 0644, kReadOnlyMode = 0444, kProgramMode = 0555 };

// Writes the lines to out. 1, or 0 with failed naming the file that could not be opened (a
// template), which the frame then reports instead of the file itself.
typedef std::function<int(FILE* out, ICString& failed)> LineWriter;

// A keyword line a file must hold: "KEYWORD VALUE".
struct KeyLine {
    ICString keyword, value;
};

struct ConfigFile {
    ICString path;
    // Where the previous content is kept; empty: the usual backup name.
    ICString backup;
    // The file's owner; empty, or not a user of the system, keeps the process's own.
    ICString owner;
    // The permission bits; those of a file that holds secrets are PrivateMode(mode).
    mode_t mode = kConfigMode;
    // The user's own lines of the previous file are appended (the merge of regenerated files).
    bool keepUserLines = false;
    // The record the lines come from: one whose texts are not safe values (a line break in a
    // host name would add a line of its own) is refused.
    const MSInfo* record = nullptr;
    // Message 3 on failure; editors that report nothing of their own turn it off.
    bool report = true;
    // Keyword lines added in order after the user's lines, each where no line of the file has
    // its keyword yet (EnsureKeyLine with a blank as separator): the file is written once with
    // them rather than rewritten for each.
    std::vector<KeyLine> ensured;
};

// Appends "\n" + keyword + " " + value + "\n" to content unless the first word of one of its
// lines (split at separators) is keyword.
void EnsureKeyLine(std::string& content, const char* keyword, const char* separators,
                   const char* value);

// Writes file from lines. 1, or 0 after message 3 (with the file's or the template's path).
int WriteConfigFile(const ConfigFile& file, const LineWriter& lines);

// A copy of source at destination with its owner and mode, through the write path, the
// previous destination kept under backup when one is given. 1, or 0.
int CopyWithOwner(const char* source, const char* destination, const char* owner, mode_t mode,
                  const char* backup = nullptr);

// The mode the file at path is given: mode when it holds no secrets, else (or when it cannot
// be read) PrivateMode(mode).
mode_t FileModeFor(const char* path, mode_t mode);

// Takes the record's unset fields from the global defaults of its defaults directory.
void MergeGlobalDefaults(MSInfo& info);

// The owner to give files: user when it is a user of the system, else none (the process's).
const char* KnownOwner(const char* user);

} // namespace writers

#endif
