// Merging a regenerated configuration file with the user's own lines of its predecessor.
#include <cstdio>

#include "conffile/conftext.h"
#include "vxconfig/capture.h"
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

int AppendLine(const char* path, const char* line) {
    FILE* fp = fopen(path, "a");
    if (!fp)
        return 0;
    fputs(line, fp);
    fclose(fp);
    return 1;
}

} // namespace

int IsStandardDirective(ICString path, const char* keyword) {
    FILE* fp = fopen(path, "r");
    if (!fp)
        return 0;
    char line[conffile::kLineBuffer];
    int standard = 1;
    while (standard && fgets(line, sizeof line, fp)) {
        if (keyword && strcmp(conffile::FirstToken(line, " "), keyword) == 0)
            standard = 0;
    }
    fclose(fp);
    return standard;
}

int MergeIniFiles(ICString& path) {
    ICString backup = SysGetBackupName(path);
    FILE* old = fopen(backup, "r");
    if (!old)
        return 1;
    int result = 1;
    char line[conffile::kLineBuffer];
    while (fgets(line, sizeof line, old)) {
        ICString token = conffile::FirstToken(line, " \t");
        // A piece of blanks only, without a line end, has nothing to compare.
        if (token.IsEmpty() || IsRegenerated(token) || !IsStandardDirective(path, token))
            continue;
        if (!AppendLine(path, line)) {
            result = 0;
            break;
        }
    }
    fclose(old);
    return result;
}
