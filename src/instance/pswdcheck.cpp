#include <crypt.h>
#include <cstdio>
#include <cstring>

#include "sys/sysdb/passwd.h"
#include "vxconfig/cipher.h"
#include "vxconfig/fileio.h"
#include "vxconfig/sysroot.h"

// The hash of a shadowed account: the second field of the user's line of the shadow file,
// read directly rather than through a shell, so that no path ever reaches one.
static int ReadShadowHash(const char* user, ICString& hash) {
    SysLineReader shadow(SysRootPath("/etc/shadow"));
    size_t userLength = strlen(user);
    while (char* line = shadow.Next()) {
        if (strncmp(line, user, userLength) != 0 || line[userLength] != ':')
            continue;
        char* field = line + userLength + 1;
        field[strcspn(field, ":\r\n")] = 0;
        hash = field;
        return 1;
    }
    return 0;
}

int SysCheckDBPswd(const char* password, const char* user) {
    SysPasswdEntry entry;
    if (!SysLookupUser(user, entry))
        return 0;
    ICString hash = entry.passwd;
    if (strcmp(hash, "x") == 0 && !ReadShadowHash(user, hash))
        return 0;
    if (hash.IsEmpty())
        return 0;
    // The whole stored hash is the setting: crypt reads the salt it needs from it, which for
    // the traditional hashes is the first two characters.
    crypt_data data;
    memset(&data, 0, sizeof data);
    const char* outcome = crypt_r(password ? password : "", hash, &data);
    return outcome && strcmp(outcome, hash) == 0 ? 1 : 0;
}
