// The one character rule for values that can reach a shell.
#include "vxconfig/safevalue.h"

#include <cstring>

const char SYS_SAFE_PUNCTUATION[] = "._-+,:@=";
const char SYS_INSTANCE_PATH_RULE[] = SYS_INSTANCE_PATH_RULE_TEXT;

int SysIsSafeValue(const char* text, SysValueKind kind) {
    if (!text || !*text)
        return 1;
    if (text[0] == '-')
        return 0;
    for (const char* p = text; *p; ++p) {
        char c = *p;
        bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (letterOrDigit || strchr(SYS_SAFE_PUNCTUATION, c))
            continue;
        if (c == '/' && kind != SYS_VALUE_NAME)
            continue;
        return 0;
    }
    if (kind == SYS_VALUE_NAME && (strcmp(text, ".") == 0 || strcmp(text, "..") == 0))
        return 0;
    if (kind == SYS_VALUE_INSTANCE_PATH &&
        (text[0] != '/' || strchr(text, '.') || strspn(text, "/") == strlen(text)))
        return 0;
    return 1;
}
