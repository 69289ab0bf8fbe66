// Accounts of the system the stand-ins run in: the rooted etc/passwd and etc/shadow when
// VXCONFIG_ROOT is set, the real user database otherwise.
#ifndef STANDIN_ACCOUNTS_H
#define STANDIN_ACCOUNTS_H

#include <string>
#include <sys/types.h>

namespace standin {

struct Account {
    std::string name;
    std::string passwd; // the password field of etc/passwd ("x" when shadowed)
    std::string home;
    uid_t uid = 0;
    gid_t gid = 0;
};

// $VXCONFIG_ROOT (empty when unset) followed by an absolute path.
std::string RootedPath(const char* absolute);

// Fills account and answers true when the user is known.
bool FindAccount(const std::string& name, Account& account);

// True when clear matches the account's password hash (shadow entry first, else the
// password field itself). A locked or missing hash never matches.
bool CheckPassword(const Account& account, const std::string& clear);

} // namespace standin

#endif
