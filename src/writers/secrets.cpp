// The secrets of an instance's files (see secrets.h), and the change report with them masked.
#include "writers/secrets.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <set>
#include <vector>

#include "sys/check/overlay.h"
#include "vxconfig/changes.h"
#include "vxconfig/datafile.h"
#include "vxconfig/keywords.h"
#include "vxconfig/webpaths.h"

namespace writers {

const char kControllerPasswordKey[] = "CONTROL_DBPASS";
const char kPaymentPasswordKey[] = "DBPassword";
const char kSecretMask[] = "********";

namespace {

const char kChangedMark[] = " (changed)";
// What ends a line's key: the blank of "KEY value" or the equals sign of "KEY=value".
const char kKeyEnds[] = " \t=";
// Nothing for others, no writing for the group.
const mode_t kPrivateBits = 0750;

struct Range {
    size_t begin, end;
};

// The keys of the secret lines: those the parameter tables read into the record's stored
// passwords and merchant key, as every release spells them, and the writers' own two.
const std::set<std::string>& SecretKeys() {
    static const std::set<std::string> keys = [] {
        std::set<std::string> out = {kControllerPasswordKey, kPaymentPasswordKey};
        const void* const fields[] = {&s_msInfo.DBPswd, &s_msInfo.MerKey, &s_msInfo.CMSPswd};
        VXKeyword releases[3];
        releases[0].SetKeyword();
        releases[1].SetKeywordV2();
        releases[2].SetKeywordV1();
        const char** const first = s_keyword.m_pszKeyword;
        std::less<const char**> before;
        for (const ParmEntry* table : {s_tblMSCfg, s_tblPBCfg, s_tblPVCfg}) {
            for (const ParmEntry* row = table; row->keyword; ++row) {
                if (std::find(std::begin(fields), std::end(fields), row->target) ==
                        std::end(fields) ||
                    before(row->keyword, first) || !before(row->keyword, first + VX_KEYWORD_SLOTS))
                    continue;
                for (const VXKeyword& spelling : releases) {
                    if (const char* key = spelling.m_pszKeyword[row->keyword - first])
                        out.insert(key);
                }
            }
        }
        return out;
    }();
    return keys;
}

// The values of the keyword lines whose key is a secret one.
void KeywordSecrets(const std::string& text, std::vector<Range>& out) {
    for (size_t at = 0; at < text.size();) {
        size_t end = std::min(text.find('\n', at), text.size());
        size_t keyEnd = std::min(text.find_first_of(kKeyEnds, at), end);
        if (keyEnd < end && SecretKeys().count(text.substr(at, keyEnd - at))) {
            size_t valueEnd = end > keyEnd + 1 && text[end - 1] == '\r' ? end - 1 : end;
            if (valueEnd > keyEnd + 1)
                out.push_back({keyEnd + 1, valueEnd});
        }
        at = end + 1;
    }
}

// The lines of [begin, end) of text that equal one of values.
void LinesHolding(const std::string& text, size_t begin, size_t end,
                  std::initializer_list<const ICString*> values, std::vector<Range>& out) {
    for (size_t at = begin; at < end;) {
        size_t stop = std::min(text.find('\n', at), end);
        for (const ICString* value : values) {
            if (!value->IsEmpty() && text.compare(at, stop - at, *value) == 0) {
                out.push_back({at, stop});
                break;
            }
        }
        at = stop + 1;
    }
}

// The stored passwords and merchant keys of text when it is a whole instance data file, read
// by the data file's own loader; nothing otherwise.
void DataFileSecrets(const std::string& text, std::vector<Range>& out) {
    if (text.empty() || text.size() > static_cast<size_t>(LONG_MAX))
        return;
    FILE* fp = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (!fp)
        return;
    std::vector<Range> found;
    int version = 0, count = 0, trailer = 0;
    bool ok =
        LoadInt(version, fp) && LoadInt(count, fp) && version <= VX_DATAFILE_VERSION && count >= 0;
    for (int i = 0; ok && i < count; ++i) {
        long begin = ftell(fp);
        MSInfo record;
        ok = record.Load(fp, version) == 1;
        if (ok)
            LinesHolding(text, static_cast<size_t>(begin), static_cast<size_t>(ftell(fp)),
                         {&record.DBPswd, &record.MerKey, &record.CMSPswd}, found);
    }
    ok = ok && LoadInt(trailer, fp) && trailer == version &&
         ftell(fp) == static_cast<long>(text.size());
    fclose(fp);
    if (ok)
        out.insert(out.end(), found.begin(), found.end());
}

std::vector<Range> SecretRanges(const std::string& text) {
    std::vector<Range> ranges;
    KeywordSecrets(text, ranges);
    DataFileSecrets(text, ranges);
    std::sort(ranges.begin(), ranges.end(),
              [](const Range& a, const Range& b) { return a.begin < b.begin; });
    return ranges;
}

// path without doubled slashes, "." components or a trailing slash.
std::string Clean(const char* path) {
    std::string out;
    for (const char* p = path; *p;) {
        const char* end = p;
        while (*end && *end != '/')
            ++end;
        std::string part(p, end);
        if (!part.empty() && part != ".")
            out += "/" + part;
        p = *end ? end + 1 : end;
    }
    return out.empty() ? "/" : out;
}

// Where path really is, its links followed; empty when it does not exist (yet).
std::string Real(const char* path) {
    char* real = realpath(path, nullptr);
    std::string out = real ? real : "";
    free(real);
    return out;
}

bool Within(const std::string& path, const std::string& dir) {
    return !path.empty() && !dir.empty() &&
           (dir == "/" || path == dir ||
            (path.compare(0, dir.size(), dir) == 0 && path[dir.size()] == '/'));
}

} // namespace

mode_t PrivateMode(mode_t mode) {
    return mode & kPrivateBits;
}

bool HoldsSecrets(const std::string& text) {
    return !SecretRanges(text).empty();
}

std::string MaskSecrets(const std::string& text, const std::string* other) {
    std::set<std::string> known;
    if (other) {
        for (const Range& r : SecretRanges(*other))
            known.insert(other->substr(r.begin, r.end - r.begin));
    }
    std::string out;
    size_t at = 0;
    for (const Range& r : SecretRanges(text)) {
        if (r.begin < at)
            continue;
        out.append(text, at, r.begin - at);
        out += kSecretMask;
        if (other && !known.count(text.substr(r.begin, r.end - r.begin)))
            out += kChangedMark;
        at = r.end;
    }
    out.append(text, at, std::string::npos);
    return out;
}

bool InServedDirectory(const char* path, const MSInfo* record, ICString& served) {
    if (!path || !*path)
        return false;
    std::vector<ICString> dirs;
    if (record && !record->DocRoot.IsEmpty())
        dirs.push_back(record->DocRoot);
    ISPath web;
    if (SysGetISOrvellInfo(web))
        dirs.push_back(web[ISPATH_DOCS]);
    if (record && record->ISType == IS_NETSCAPE) {
        MSInfo instance = *record;
        SysGetISNESInfo(web, instance);
        dirs.push_back(web[ISPATH_DOCS]);
    }
    std::string file = Clean(path);
    std::string realFile = Real(file.substr(0, file.rfind('/')).c_str());
    if (!realFile.empty())
        realFile += file.substr(file.rfind('/'));
    for (const ICString& dir : dirs) {
        if (dir.IsEmpty())
            continue;
        std::string realDir = Real(dir);
        if (Within(file, Clean(dir)) || Within(realFile, realDir)) {
            served = dir;
            return true;
        }
    }
    return false;
}

} // namespace writers

void SysGetChanges(SysChangeReport& out, bool showSecrets) {
    platform::CollectChanges(out);
    if (showSecrets)
        return;
    for (SysFileChange& change : out.files) {
        if (change.directory || change.link)
            continue;
        std::string before = change.before;
        change.before = writers::MaskSecrets(before);
        change.after = writers::MaskSecrets(change.after, change.existedBefore ? &before : nullptr);
    }
}
