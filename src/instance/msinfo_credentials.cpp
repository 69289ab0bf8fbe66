// The record's passwords and merchant key: held only in their stored (enciphered) forms.
#include <cstring>

#include "vxconfig/cipher.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/msinfo.h"

namespace {

enum { kStoredSize = IC_STORED_KEY_LEN + 1, kClearSize = IC_MAX_PSWD_LEN + 1 };

// The password entered for a database owner is not the owner's login password.

int TooLong(const char* password) {
    return password && strlen(password) > IC_MAX_PSWD_LEN ? 1 : 0;
}

} // namespace

int MSInfo::SetMerKey(const char* key) {
    size_t n = key ? strlen(key) : 0;
    if (n == 0) {
        MerKey = IC_NO_MERKEY;
        return 1;
    }
    if (n != IC_MERKEY_LEN)
        return 0;
    char stored[kStoredSize];
    if (!ICEncKey(key, stored))
        return 0;
    MerKey = stored;
    return 1;
}

int MSInfo::CheckMerKey(const char* key) const {
    size_t n = key ? strlen(key) : 0;
    return n == 0 || n == IC_MERKEY_LEN ? 1 : 0;
}

int MSInfo::GetMerKey(ICString& out) const {
    out.Empty();
    if (stricmp(MerKey, IC_NO_MERKEY) == 0)
        return 1;
    char clear[IC_MERKEY_LEN + 1];
    if (ICDecKey(MerKey, clear))
        out = clear;
    return 1;
}

int MSInfo::SetPswdInternal(ICString& field, const char* password) {
    if (TooLong(password))
        return 0;
    char stored[kStoredSize];
    ICEncrypt(password ? password : "", stored, kStoredSize);
    field = stored;
    return 1;
}

int MSInfo::SetDBPswdInternal(ICString& field, const char* password) {
    if (!CheckDBPswd(password, DBOwner))
        return 0;
    return SetPswdInternal(field, password);
}

int MSInfo::CheckDBPswd(const char* password, ICString& owner) {
    if (TooLong(password))
        return 0;
    if (DBType == DB_ORACLE)
        return 1;
    if (ICCheckPswd(password ? password : "", owner))
        return 1;
    ICShowError(IC_MSG_WRONG_PASSWORD, owner);
    return 0;
}

int MSInfo::GetPswdInternal(const ICString& field, ICString& out) const {
    if (field.IsEmpty()) {
        out.Empty();
        return 1;
    }
    char clear[kClearSize];
    ICDecrypt(field, clear, kClearSize);
    out = clear;
    return 1;
}
