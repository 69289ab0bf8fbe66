// The instance data file: the record layouts of every version and the list file around them.
#include <cstdlib>

#include "vxconfig/cipher.h"
#include "vxconfig/datafile.h"
#include "vxconfig/mslist.h"

namespace {

// One line of a record layout: a text field, a number field, or one of the typed or special
// lines. A layout is an array of these ending with kEnd.
enum LineKind { kText, kNumber, kWebType, kDBType, kMerKey, kDiscard, kEnd };

struct LineSpec {
    LineKind kind;
    ICString MSInfo::*text;
    int MSInfo::*number;
};

#define TEXT(f)                                                                                    \
    { kText, &MSInfo::f, nullptr }
#define NUMBER(f)                                                                                  \
    { kNumber, nullptr, &MSInfo::f }
#define SPECIAL(k)                                                                                 \
    { k, nullptr, nullptr }

const LineSpec kCurrentLayout[] = {
    TEXT(Name),         SPECIAL(kMerKey), TEXT(RootPath), TEXT(HtmlPath),  TEXT(VXLogPath),
    TEXT(CachePath),    TEXT(MacroPath),  TEXT(CgiPath),  TEXT(DocRoot),   TEXT(NESSecure),
    TEXT(NESNonsecure), TEXT(IPAddr),     TEXT(ISHost),   TEXT(DBName),    TEXT(DBUser),
    TEXT(DBPswd),       TEXT(DBHost),     TEXT(DBNode),   TEXT(DBService), SPECIAL(kWebType),
    SPECIAL(kDBType),   NUMBER(MSProc),   NUMBER(MSPort), NUMBER(AuxPort), NUMBER(MaxCacheFiles),
    NUMBER(MSOption),   TEXT(DBOwner),    TEXT(CMSPswd),  TEXT(PVHost),    NUMBER(PVCycle),
    NUMBER(PVIntvl),    NUMBER(PVTmout),  SPECIAL(kEnd),
};

// Older versions; the extra line exists only in VX_DATAFILE_VERSION_EXTRA and is dropped for
// the others.
const LineSpec kOlderLayout[] = {
    TEXT(Name),        TEXT(MerKey),     TEXT(RootPath), TEXT(MacroPath), TEXT(CgiPath),
    TEXT(HtmlPath),    TEXT(IPAddr),     TEXT(ISHost),   TEXT(DBName),    TEXT(DBUser),
    TEXT(DBPswd),      TEXT(DBHost),     TEXT(DBNode),   TEXT(DBService), SPECIAL(kDiscard),
    SPECIAL(kWebType), SPECIAL(kDBType), NUMBER(MSProc), NUMBER(MSPort),  NUMBER(AuxPort),
    NUMBER(MSOption),  SPECIAL(kEnd),
};

#undef TEXT
#undef NUMBER
#undef SPECIAL

// Accepts value when it lies in 0..max; negative values fail like huge ones.
template <class E> int LoadRanged(E& field, FILE* fp, unsigned max) {
    int value;
    if (!LoadInt(value, fp) || static_cast<unsigned>(value) > max)
        return 0;
    field = static_cast<E>(value);
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
    return LoadRanged(type, fp, IS_BRINDLE);
}
int MSInfo::LoadDBType(eDBType& type, FILE* fp) {
    return LoadRanged(type, fp, DB_ORACLE);
}

int MSInfo::Store(FILE* fp) const {
    for (const LineSpec* line = kCurrentLayout; line->kind != kEnd; ++line) {
        int ok = 0;
        switch (line->kind) {
        case kText:
            ok = (this->*line->text).Store(fp);
            break;
        case kNumber:
            ok = StoreInt(this->*line->number, fp);
            break;
        case kMerKey:
            ok = MerKey.IsEmpty() ? ICString(IC_NO_MERKEY).Store(fp) : MerKey.Store(fp);
            break;
        case kWebType:
            ok = StoreISType(ISType, fp);
            break;
        case kDBType:
            ok = StoreDBType(DBType, fp);
            break;
        default:
            break;
        }
        if (!ok)
            return 0;
    }
    return 1;
}

int MSInfo::Load(FILE* fp, int version) {
    const LineSpec* layout = version == VX_DATAFILE_VERSION ? kCurrentLayout : kOlderLayout;
    for (const LineSpec* line = layout; line->kind != kEnd; ++line) {
        int ok = 0;
        switch (line->kind) {
        case kText:
            ok = (this->*line->text).Load(fp);
            break;
        case kMerKey:
            ok = MerKey.Load(fp);
            break;
        case kNumber:
            ok = LoadInt(this->*line->number, fp);
            break;
        case kWebType:
            ok = LoadISType(ISType, fp);
            break;
        case kDBType:
            ok = LoadDBType(DBType, fp);
            break;
        case kDiscard:
            if (version != VX_DATAFILE_VERSION_EXTRA)
                continue;
            ok = ICString().Load(fp);
            break;
        default:
            break;
        }
        if (!ok)
            return 0;
    }
    return 1;
}

// Opens path for writing, hands the stream to store and counts a failure of the final flush
// too: data still buffered may fail to reach the file only when it is closed.
template <class StoreFn> static int StoreToPath(const char* path, StoreFn store) {
    FILE* fp = fopen(path, "w+");
    if (!fp)
        return 0;
    int ok = store(fp);
    if (fclose(fp) != 0)
        ok = 0;
    return ok;
}

int MSInfo::Store(const char* path) const {
    return StoreToPath(path, [this](FILE* fp) { return Store(fp); });
}

int MSInfo::Load(const char* path) {
    FILE* fp = fopen(path, "r");
    if (!fp)
        return 0;
    int ok = Load(fp, VX_DATAFILE_VERSION);
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

int MSList::Load(const char* path) {
    FILE* fp = fopen(path, "r");
    if (!fp)
        return 0;
    int version = 0;
    int count = 0;
    if (!LoadInt(version, fp) || !LoadInt(count, fp) || version > VX_DATAFILE_VERSION ||
        count < 0) {
        fclose(fp);
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        MSInfo info;
        if (!info.Load(fp, version)) {
            Empty();
            fclose(fp);
            return 0;
        }
        // Creation registers an instance's ports, so a stored record is never port-tested.
        Add(info, 0);
    }
    int trailer = 0;
    int ok = LoadInt(trailer, fp) && trailer == version ? 1 : 0;
    fclose(fp);
    return ok;
}
