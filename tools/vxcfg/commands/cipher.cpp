// encrypt, decrypt, enckey, deckey: the stored forms of passwords and merchant keys.
#include <cstdio>
#include <cstring>

#include "cli/frontend.h"
#include "vxconfig/vxconfig.h"

int CmdEncrypt(const VxCommand& self, const VxArgs& args) {
    const char* text = args.operands[0];
    if (strlen(text) > IC_MAX_PSWD_LEN)
        return UsageError(self, "a password has at most %d characters", IC_MAX_PSWD_LEN);
    char stored[IC_STORED_KEY_LEN + 1];
    ICEncrypt(text, stored, sizeof stored);
    printf("%s\n", stored);
    return VX_EXIT_OK;
}

int CmdDecrypt(const VxCommand&, const VxArgs& args) {
    const char* text = args.operands[0];
    char clear[IC_MAX_PSWD_LEN + 1];
    ICDecrypt(text, clear, sizeof clear);
    printf("%s\n", clear);
    return VX_EXIT_OK;
}

int CmdEncKey(const VxCommand& self, const VxArgs& args) {
    const char* text = args.operands[0];
    if (text[0] == 0) {
        // No key at all is held as the marker.
        printf("%s\n", IC_NO_MERKEY);
        return VX_EXIT_OK;
    }
    char stored[IC_STORED_KEY_LEN + 1];
    if (!ICEncKey(text, stored))
        return UsageError(self, "a merchant key is exactly %d hexadecimal digits", IC_MERKEY_LEN);
    printf("%s\n", stored);
    return VX_EXIT_OK;
}

int CmdDecKey(const VxCommand&, const VxArgs& args) {
    const char* text = args.operands[0];
    if (stricmp(text, IC_NO_MERKEY) == 0) {
        printf("\n");
        return VX_EXIT_OK;
    }
    char clear[IC_MERKEY_LEN + 1];
    if (!ICDecKey(text, clear))
        return Failure("deckey: '%s' is not the stored form of a merchant key",
                       Shown(text).c_str());
    printf("%s\n", clear);
    return VX_EXIT_OK;
}
