// Merging a regenerated configuration file with the user's own lines of its predecessor.
#include <cstdio>
#include <string>

#include "conffile/conftext.h"
#include "vxconfig/capture.h"
#include "vxconfig/fileio.h"
#include "vxconfig/sysutil.h"

namespace {

// Keys some writers leave out on purpose; a line of the old file must not bring them back.
const char* const kRegenerated[] = {
    "MACRO_PATH",
    "MS_CGIBIN_PATH",
    "PROCESSES",
    "BACKGROUND_CYCLE_TIME",
    "DBNAME",
    "PAY_STATE_TIMEOUT",
    "BACKGROUND_INTER_JOB_TIME",
    "IC_DBMS",
};

bool IsRegenerated(const ICString& token) {
    // A bare key line carries its line end in the token.
    ICString key;
    key.CopyStr(token, static_cast<int>(strcspn(token, "\r\n")));
    for (const char* name : kRegenerated) {
        if (strcmp(key, name) == 0)
            return true;
    }
    return false;
}

// The test of IsStandardDirective for one line: its first blank-separated token is keyword.
bool StartsWith(const char* line, const char* keyword) {
    return keyword && strcmp(conffile::FirstToken(line, " "), keyword) == 0;
}

// Whether a line of text (lines joined by newlines) starts with keyword.
bool AnyLineStartsWith(const std::string& text, const char* keyword) {
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        std::string line =
            text.substr(at, end == std::string::npos ? std::string::npos : end - at + 1);
        if (StartsWith(line.c_str(), keyword))
            return true;
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return false;
}

} // namespace

int IsStandardDirective(ICString path, const char* keyword) {
    SysLineReader in(path);
    if (!in.IsOpen())
        return 0;
    while (char* line = in.Next()) {
        if (StartsWith(line, keyword))
            return 0;
    }
    return 1;
}

// The new file is read once, the lines kept from the backup are added to it in memory (each
// one counting for the lines after it, as if appended one by one), and the result replaces
// the file in one step.
int MergeIniFiles(ICString& path) {
    ICString backup = SysGetBackupName(path);
    SysLineReader old(backup);
    if (!old.IsOpen())
        return 1;
    ICString current;
    if (!SysReadFile(path, current))
        return 0;
    std::string merged(current, static_cast<size_t>(current.GetLength()));
    size_t original = merged.size();
    while (char* line = old.Next()) {
        ICString token = conffile::FirstToken(line, " \t");
        // A line of blanks only, without a line end, has nothing to compare.
        if (token.IsEmpty() || IsRegenerated(token) || AnyLineStartsWith(merged, token))
            continue;
        merged.append(line, old.Length());
    }
    if (merged.size() == original)
        return 1;
    SysWriteOptions options;
    options.keepMode = true;
    return SysWriteFile(path, merged.data(), merged.size(), options);
}
