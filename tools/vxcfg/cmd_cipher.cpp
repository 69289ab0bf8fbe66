// encrypt, decrypt, enckey, deckey: the stored forms of passwords and merchant keys.
#include <cstdio>
#include <cstring>

#include "frontend.h"
#include "vxconfig/vxconfig.h"

// Each of these takes exactly one text.
static int OneArgument(int argc, char** argv) {
    if (argc != 2)
        return UsageError(FindCommand(argv[0]), "expected exactly one argument, got %d", argc - 1);
    return VX_EXIT_OK;
}

int CmdEncrypt(int argc, char** argv) {
    if (int rc = OneArgument(argc, argv))
        return rc;
    if (strlen(argv[1]) > IC_MAX_PSWD_LEN)
        return UsageError(FindCommand(argv[0]), "a password has at most %d characters",
                          IC_MAX_PSWD_LEN);
    char stored[IC_STORED_KEY_LEN + 1];
    ICEncrypt(argv[1], stored, sizeof stored);
    printf("%s\n", stored);
    return VX_EXIT_OK;
}

int CmdDecrypt(int argc, char** argv) {
    if (int rc = OneArgument(argc, argv))
        return rc;
    char clear[IC_MAX_PSWD_LEN + 1];
    ICDecrypt(argv[1], clear, sizeof clear);
    printf("%s\n", clear);
    return VX_EXIT_OK;
}

int CmdEncKey(int argc, char** argv) {
    if (int rc = OneArgument(argc, argv))
        return rc;
    if (argv[1][0] == 0) {
        // No key at all is held as the marker.
        printf("%s\n", IC_NO_MERKEY);
        return VX_EXIT_OK;
    }
    char stored[IC_STORED_KEY_LEN + 1];
    if (!ICEncKey(argv[1], stored))
        return UsageError(FindCommand(argv[0]), "a merchant key is exactly %d hexadecimal digits",
                          IC_MERKEY_LEN);
    printf("%s\n", stored);
    return VX_EXIT_OK;
}

int CmdDecKey(int argc, char** argv) {
    if (int rc = OneArgument(argc, argv))
        return rc;
    if (stricmp(argv[1], IC_NO_MERKEY) == 0) {
        printf("\n");
        return VX_EXIT_OK;
    }
    char clear[IC_MERKEY_LEN + 1];
    if (!ICDecKey(argv[1], clear))
        return Failure("deckey: '%s' is not the stored form of a merchant key", argv[1]);
    printf("%s\n", clear);
    return VX_EXIT_OK;
}
