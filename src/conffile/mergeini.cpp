// Merging a regenerated configuration file with the user's own lines of its predecessor.
#include <cstdio>
#include <string>
#include <unistd.h>
#include <unordered_set>

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

// The first blank-separated token of each line of text, as StartsWith compares them.
void AddLineKeys(const std::string& text, size_t from, std::unordered_set<std::string>& keys) {
    for (size_t at = from; at < text.size();) {
        size_t end = text.find('\n', at);
        size_t next = end == std::string::npos ? text.size() : end + 1;
        keys.insert(static_cast<const char*>(
            conffile::FirstToken(text.substr(at, next - at).c_str(), " ")));
        at = next;
    }
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

int conffile::AppendUserLines(std::string& content, const char* oldPath) {
    SysLineReader old(oldPath);
    if (!old.IsOpen())
        return 0;
    // Each kept line counts for the lines after it, as if they were appended one by one.
    std::unordered_set<std::string> keys;
    AddLineKeys(content, 0, keys);
    while (char* line = old.Next()) {
        ICString token = conffile::FirstToken(line, " \t");
        // A line of blanks only, without a line end, has nothing to compare.
        if (token.IsEmpty() || IsRegenerated(token) ||
            keys.count(static_cast<const char*>(token)) != 0)
            continue;
        size_t at = content.size();
        content.append(line, old.Length());
        AddLineKeys(content, at, keys);
    }
    return 1;
}

// The new file is read once, the lines kept from the backup are added to it in memory, and
// the result replaces the file in one step.
int MergeIniFiles(ICString& path) {
    ICString backup = SysGetBackupName(path);
    if (SysAccess(backup, F_OK) != 0)
        return 1;
    ICString current;
    if (!SysReadFile(path, current))
        return 0;
    std::string merged(current, static_cast<size_t>(current.GetLength()));
    size_t original = merged.size();
    if (!conffile::AppendUserLines(merged, backup))
        return 1;
    if (merged.size() == original)
        return 1;
    SysWriteOptions options;
    options.keepMode = true;
    return SysWriteFile(path, merged.data(), merged.size(), options);
}
