// The instance data file: the record layouts of every version and the list file around them.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "sys/files/memstream.h"
#include "vxconfig/cipher.h"
#include "vxconfig/datafile.h"
#include "vxconfig/fileio.h"
#include "vxconfig/msfields.h"
#include "vxconfig/mslist.h"

namespace {

// The record layout of the older versions, by field name (the current one is the field
// table's, MSRecordLines). The line without a name exists only in VX_DATAFILE_VERSION_EXTRA
// and is read and dropped; the merchant key is a plain text there.
const char* const kOlderLayout[] = {
    "Name",   "MerKey", "RootPath", "MacroPath", "CgiPath", "HtmlPath", "IPAddr",
    "ISHost", "DBName", "DBUser",   "DBPswd",    "DBHost",  "DBNode",   "DBService",
    nullptr,  "ISType", "DBType",   "MSProc",    "MSPort",  "AuxPort",  "MSOption",
};

// The lines of a data file as the loaders read them: texts through ICString::Load, numbers
// through LoadInt, counted so that a refusal can name its line. A strict source also takes a
// number line only when it is a decimal number and nothing else, which tells an instance
// data file from any other text (whose lines atoi would read as zeros).
class DataLines {
public:
    DataLines(FILE* fp, const char* path, bool strict) : m_fp(fp), m_path(path), m_strict(strict) {}

    int Text(ICString& out) {
        ++m_line;
        if (out.Load(m_fp))
            return 1;
        return Refuse(feof(m_fp) ? EndWhy(out) : "a text of 512 characters or more");
    }

    int Number(int& value) {
        ++m_line;
        ICString text;
        if (!text.Load(m_fp)) {
            value = 0;
            return Refuse(feof(m_fp) ? EndWhy(text) : "not a number");
        }
        if (m_strict && !IsDecimal(text))
            return Refuse("not a number");
        value = atoi(text);
        return 1;
    }

    // Accepts a number of 0..max; negative values fail like huge ones.
    template <class E> int Ranged(E& field, unsigned max) {
        int value;
        if (!Number(value))
            return 0;
        if (static_cast<unsigned>(value) > max)
            return Refuse("a type out of range");
        field = static_cast<E>(value);
        return 1;
    }

    // The reason "path: line N: why", for the front end; always 0.
    int Refuse(const char* why) {
        if (m_path)
            SysSetLastReason("%s: line %d: %s", m_path, m_line, why);
        return 0;
    }

    // Strict files end with their trailer.
    int AtEnd() {
        if (!m_strict || fgetc(m_fp) == EOF)
            return 1;
        ++m_line;
        return Refuse("text after the end of the list");
    }

private:
    // What is wrong with a file that ended in the middle of a record.
    static const char* EndWhy(const ICString& partial) {
        return partial.IsEmpty() ? "the file ends early" : "the last line has no newline";
    }

    static bool IsDecimal(const char* text) {
        const char* p = text + (*text == '-');
        if (!*p || strlen(p) > 10)
            return false;
        return strspn(p, "0123456789") == strlen(p) &&
               strtoll(text, nullptr, 10) == static_cast<long long>(atoi(text));
    }

    FILE* m_fp;
    const char* m_path;
    bool m_strict;
    int m_line = 0;
};

// The largest value of an enumeration field.
unsigned LargestValue(const MSField& field) {
    unsigned count = 0;
    while (field.names[count].name)
        ++count;
    return count - 1;
}

int LoadField(MSInfo& info, const MSField& field, DataLines& lines) {
    if (field.IsText())
        return lines.Text(info.*field.text);
    if (field.kind != MS_FIELD_ENUM)
        return lines.Number(info.*field.number);
    int value;
    if (!lines.Ranged(value, LargestValue(field)))
        return 0;
    field.SetNumber(info, value);
    return 1;
}

int LoadRecord(MSInfo& info, DataLines& lines, int version) {
    if (version == VX_DATAFILE_VERSION) {
        for (const MSField* const* line = MSRecordLines(); *line; ++line) {
            if (!LoadField(info, **line, lines))
                return 0;
        }
        return 1;
    }
    for (const char* name : kOlderLayout) {
        if (!name && version != VX_DATAFILE_VERSION_EXTRA)
            continue;
        ICString dropped;
        if (!(name ? LoadField(info, *MSFindField(name), lines) : lines.Text(dropped)))
            return 0;
    }
    return 1;
}

} // namespace

int StoreInt(int value, FILE* fp) {
    return fprintf(fp, "%d\n", value) < 0 ? 0 : 1;
}

int LoadInt(int& value, FILE* fp) {
    ICString line;
    if (!line.Load(fp)) {
        value = 0;
        return 0;
    }
    value = atoi(line);
    return 1;
}

int MSInfo::StoreISType(eISType type, FILE* fp) const {
    return StoreInt(type, fp);
}
int MSInfo::StoreDBType(eDBType type, FILE* fp) const {
    return StoreInt(type, fp);
}
int MSInfo::LoadISType(eISType& type, FILE* fp) {
    DataLines lines(fp, nullptr, false);
    return lines.Ranged(type, IS_BRINDLE);
}
int MSInfo::LoadDBType(eDBType& type, FILE* fp) {
    DataLines lines(fp, nullptr, false);
    return lines.Ranged(type, DB_ORACLE);
}

int MSInfo::Store(FILE* fp) const {
    for (const MSField* const* line = MSRecordLines(); *line; ++line) {
        const MSField& field = **line;
        int ok;
        if (!field.IsText())
            ok = StoreInt(field.Number(*this), fp);
        else if (field.kind == MS_FIELD_KEY && (this->*field.text).IsEmpty())
            ok = ICString(IC_NO_MERKEY).Store(fp); // the marker of a record without a key
        else
            ok = (this->*field.text).Store(fp);
        if (!ok)
            return 0;
    }
    return 1;
}

int MSInfo::Load(FILE* fp, int version) {
    DataLines lines(fp, nullptr, false);
    return LoadRecord(*this, lines, version);
}

namespace {

// The mode of a data file made afresh: the records hold stored passwords.
const mode_t kPrivateMode = 0600;

// Replaces path with what store writes to a stream, through the one write path: a file that
// exists keeps its owner and its owner's permission bits (its group and others lose theirs),
// a new one is private. A file there that is not an instance data file (and not empty) is
// never replaced.
template <class StoreFn> int StoreToPath(const char* path, StoreFn store) {
    struct stat st;
    if (path && SysStat(path, &st) == 0 && st.st_size > 0 && !MSList::IsDataFile(path)) {
        // The loader's reason starts with the path, which is said once.
        ICString why = SysGetLastReason();
        const char* detail = why;
        size_t pathLength = strlen(path);
        if (strncmp(detail, path, pathLength) == 0 && strncmp(detail + pathLength, ": ", 2) == 0)
            detail += pathLength + 2;
        SysSetLastReason("%s: not an instance data file, so it is left as it is (%s)", path,
                         detail);
        errno = EEXIST;
        return 0;
    }
    platform::MemoryStream stream;
    if (!stream.Stream()) {
        SysSetFileReason(path, errno);
        return 0;
    }
    std::string content;
    if (!store(stream.Stream()) || !stream.Close(content)) {
        SysSetFileReason(path, ENOMEM);
        return 0;
    }
    SysWriteOptions options;
    options.mode = path && SysStat(path, &st) == 0 ? (st.st_mode & S_IRWXU) : kPrivateMode;
    return SysWriteFile(path, content.data(), content.size(), options);
}

// Opens path for the loaders; the reason names it when it cannot be read.
FILE* OpenForLoading(const char* path) {
    FILE* fp = SysOpenRead(path);
    if (!fp) {
        SysSetFileReason(path, path ? errno : EINVAL);
        return nullptr;
    }
    struct stat st;
    if (fstat(fileno(fp), &st) == 0 && S_ISDIR(st.st_mode)) {
        fclose(fp);
        SysSetFileReason(path, EISDIR);
        return nullptr;
    }
    return fp;
}

} // namespace

int MSInfo::Store(const char* path) const {
    return StoreToPath(path, [this](FILE* fp) { return Store(fp); });
}

int MSInfo::Load(const char* path) {
    FILE* fp = OpenForLoading(path);
    if (!fp)
        return 0;
    DataLines lines(fp, path, false);
    int ok = LoadRecord(*this, lines, VX_DATAFILE_VERSION);
    fclose(fp);
    return ok;
}

int MSList::Store(FILE* fp) const {
    if (!StoreInt(VX_DATAFILE_VERSION, fp) || !StoreInt(GetCount(), fp))
        return 0;
    for (Node* p = m_pHead; p; p = p->next) {
        if (!p->info->Store(fp))
            return 0;
    }
    return StoreInt(VX_DATAFILE_VERSION, fp);
}

int MSList::Store(const char* path) const {
    return StoreToPath(path, [this](FILE* fp) { return Store(fp); });
}

int MSList::ReadFile(const char* path, bool strict) {
    FILE* fp = OpenForLoading(path);
    if (!fp)
        return 0;
    DataLines lines(fp, path, strict);
    int version = 0;
    int count = 0;
    int ok = lines.Number(version);
    if (ok && version > VX_DATAFILE_VERSION)
        ok = lines.Refuse("a version newer than this program reads");
    else if (ok && strict && version <= 0)
        ok = lines.Refuse("not the version of an instance data file");
    ok = ok && lines.Number(count);
    if (ok && count < 0)
        ok = lines.Refuse("a negative number of records");
    if (!ok) {
        fclose(fp);
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        MSInfo info;
        // A value that could run as a command refuses the whole file, as a broken line does.
        bool loaded = LoadRecord(info, lines, version);
        if (loaded && !info.CheckValues()) {
            ICString why = SysGetLastReason();
            SysSetLastReason("%s: record %d: %s", path, i + 1, static_cast<const char*>(why));
            loaded = false;
        }
        if (!loaded) {
            Empty();
            fclose(fp);
            return 0;
        }
        // Creation registers an instance's ports, so a stored record is never port-tested.
        Add(info, 0);
    }
    int trailer = 0;
    ok = lines.Number(trailer) &&
         (trailer == version || lines.Refuse("the end line does not repeat the version")) &&
         lines.AtEnd();
    fclose(fp);
    return ok ? 1 : 0;
}

int MSList::Load(const char* path) {
    // Silent: the caller decides what a failure means; the reason names the file and why.
    return ReadFile(path, false);
}

int MSList::LoadDataFile(const char* path) {
    return ReadFile(path, true);
}

int MSList::IsDataFile(const char* path) {
    MSList scratch;
    return scratch.LoadDataFile(path);
}
