// Rooted account lookup: a sandbox keeps its users in ROOT/etc/passwd and ROOT/etc/shadow, so
// the stand-ins never consult the machine's own user database when a root is set.
#include "accounts.h"

#include <crypt.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <shadow.h>

namespace standin {

namespace {

bool RootSet() {
    const char* root = getenv("VXCONFIG_ROOT");
    return root && *root;
}

// The hash from the shadow file; empty when the user has no entry there.
std::string ShadowHash(const std::string& name) {
    FILE* f = fopen(RootedPath("/etc/shadow").c_str(), "r");
    if (!f)
        return "";
    std::string hash;
    while (struct spwd* sp = fgetspent(f)) {
        if (name == sp->sp_namp) {
            hash = sp->sp_pwdp ? sp->sp_pwdp : "";
            break;
        }
    }
    fclose(f);
    return hash;
}

} // namespace

std::string RootedPath(const char* absolute) {
    const char* root = getenv("VXCONFIG_ROOT");
    return std::string(root ? root : "") + absolute;
}

bool FindAccount(const std::string& name, Account& account) {
    if (name.empty())
        return false;
    struct passwd* pw = nullptr;
    FILE* f = nullptr;
    if (RootSet()) {
        f = fopen(RootedPath("/etc/passwd").c_str(), "r");
        if (!f)
            return false;
        while ((pw = fgetpwent(f)) != nullptr)
            if (name == pw->pw_name)
                break;
    } else {
        pw = getpwnam(name.c_str());
    }
    if (pw) {
        account.name = pw->pw_name;
        account.passwd = pw->pw_passwd ? pw->pw_passwd : "";
        account.home = pw->pw_dir ? pw->pw_dir : "";
        account.uid = pw->pw_uid;
        account.gid = pw->pw_gid;
    }
    if (f)
        fclose(f);
    return pw != nullptr;
}

bool CheckPassword(const Account& account, const std::string& clear) {
    std::string hash = ShadowHash(account.name);
    if (hash.empty())
        hash = account.passwd;
    // "x", "*LK*", "!" and the like are no hashes: nothing matches them.
    if (hash.size() < 2 || hash == "x" || hash[0] == '*' || hash[0] == '!')
        return false;
    struct crypt_data data;
    memset(&data, 0, sizeof data);
    const char* out = crypt_r(clear.c_str(), hash.c_str(), &data);
    return out && out[0] != '*' && hash == out;
}

} // namespace standin
