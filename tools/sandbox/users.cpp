// The sandbox's accounts: etc/passwd, etc/shadow, the users' homes and the database instance
// registry. The database users run as the building process's own user, so chown works
// unprivileged; built as root, the system accounts bin and nobody get ids of their own, so that
// the owners the library gives files can be told apart.
#include <crypt.h>
#include <cstring>
#include <string>
#include <unistd.h>

#include "sandbox_parts.h"

namespace sandbox {

namespace {

// Where the account's password hash is kept.
enum Hash { kLocked, kShadowed, kInPasswd };

// The ids of the system accounts when built as root.
enum : unsigned { kRootIds = 0, kBinIds = 2, kNobodyIds = 65534, kOwnIds = ~0u };

struct Account {
    const char* name;
    unsigned ids; // kOwnIds: the building process's uid and gid; the others only as root
    Hash hash;
    const char* gecos;
    const char* home; // under the root
};

const Account kAccounts[] = {
    {"root", kRootIds, kLocked, "Super-User", "/root"},
    {"bin", kBinIds, kLocked, "Program owner", "/usr/bin"},
    {"nobody", kNobodyIds, kLocked, "Unprivileged user", "/var/empty"},
    {SANDBOX_INSTANCE_USER, kOwnIds, kShadowed, "Relda instance owner",
     "/home/" SANDBOX_INSTANCE_USER},
    {SANDBOX_OWNER_USER, kOwnIds, kShadowed, "Vendrix database owner", "/home/" SANDBOX_OWNER_USER},
    {SANDBOX_PLAIN_USER, kOwnIds, kInPasswd, "Unshadowed account", "/home/" SANDBOX_PLAIN_USER},
};

// A fixed salt keeps every sandbox's files identical, which the tests rely on.
bool HashPassword(Builder& b, const char* setting, std::string& out) {
    crypt_data data;
    memset(&data, 0, sizeof data);
    const char* hash = crypt_r(SANDBOX_PASSWORD, setting, &data);
    if (!hash || hash[0] == '*')
        return b.Fail(std::string("crypt cannot hash with the setting ") + setting);
    out = hash;
    return true;
}

} // namespace

bool LayUsers(Builder& b, const SandboxOptions& options) {
    std::string shadowHash, plainHash;
    if (!HashPassword(b, "$6$vxsandbox$", shadowHash) || !HashPassword(b, "$5$vxplain$", plainHash))
        return false;
    std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
    std::string passwd, shadow;
    for (const Account& a : kAccounts) {
        if (!b.MakeDirs(a.home))
            return false;
        const char* inPasswd = a.hash == kInPasswd ? plainHash.c_str() : "x";
        std::string ids = uid + ":" + gid;
        if (a.ids == kRootIds || (a.ids != kOwnIds && geteuid() == 0))
            ids = std::to_string(a.ids) + ":" + std::to_string(a.ids);
        passwd += std::string(a.name) + ":" + inPasswd + ":" + ids + ":" + a.gecos + ":" +
                  b.Path(a.home) + ":/bin/sh\n";
        if (a.hash != kInPasswd)
            shadow += std::string(a.name) + ":" +
                      (a.hash == kShadowed ? shadowHash.c_str() : "*LK*") + ":11200::::::\n";
    }
    if (!b.MakeDirs("/home/" SANDBOX_INSTANCE_USER "/sqllib") ||
        !b.WriteText("/etc/passwd", passwd, 0644) || !b.WriteText("/etc/shadow", shadow, 0400))
        return false;
    // The database product's instance registry, one instance name per line; the first
    // instance's name is its owner's.
    if (options.relda &&
        !b.WriteText("/opt/Orvellrelda/V6.1/instance/instances.lst", SANDBOX_INSTANCE_USER "\n"))
        return false;
    return true;
}

} // namespace sandbox
