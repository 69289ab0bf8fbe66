// Editors of path lists: remove or re-root the elements that lie under a directory.
#include <cstring>

#include "vxconfig/capture.h"

namespace {

// The text of an element: the string itself, or the value of a pair.
ICString& PathOf(ICString& s) {
    return s;
}
ICString& PathOf(NameValue& nv) {
    return nv.value;
}

// prefix at position 0 of path, ignoring case, followed by "/" or the end; with loose, any
// text may follow.
bool UnderPrefix(const ICString& path, const char* prefix, bool loose) {
    if (!prefix || !*prefix || path.FindPath(prefix) != 0)
        return false;
    int length = static_cast<int>(strlen(prefix));
    if (loose || length >= path.GetLength())
        return true;
    return path.GetAt(length) == '/';
}

template <class T> int RemoveUnder(ParmList<T>& list, const char* prefix, bool loose) {
    int removed = 0;
    T item;
    for (int more = list.GetFirst(item); more; more = list.GetNext(item)) {
        if (UnderPrefix(PathOf(item), prefix, loose)) {
            list.Delete();
            ++removed;
        }
    }
    return removed;
}

template <class T>
int ReplaceUnder(ParmList<T>& list, const char* oldPrefix, const char* newPrefix) {
    int replaced = 0;
    T item;
    for (int more = list.GetFirst(item); more; more = list.GetNext(item)) {
        ICString& path = PathOf(item);
        if (!UnderPrefix(path, oldPrefix, false))
            continue;
        path = ICString(newPrefix) + (static_cast<const char*>(path) + strlen(oldPrefix));
        list.Replace(item);
        ++replaced;
    }
    return replaced;
}

} // namespace

int RemovePathStrList(ParmList<ICString>& list, const char* prefix) {
    return RemoveUnder(list, prefix, false);
}

int ReplacePathStrList(ParmList<ICString>& list, const char* oldPrefix, const char* newPrefix) {
    return ReplaceUnder(list, oldPrefix, newPrefix);
}

int RemovePathNVList(ParmList<NameValue>& list, const char* prefix) {
    return RemoveUnder(list, prefix, false);
}

int ReplacePathNVList(ParmList<NameValue>& list, const char* oldPrefix, const char* newPrefix) {
    return ReplaceUnder(list, oldPrefix, newPrefix);
}

int DeletePathNVList(ParmList<ICString>& list, const char* prefix, const char*) {
    return RemoveUnder(list, prefix, true);
}
