#include "vxconfig/messages.h"

static int UpperAscii(int c) {
    return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
}

int stricmp(const char* a, const char* b) {
    if (!a)
        a = "";
    if (!b)
        b = "";
    // Characters compare as signed values, as the plain char of the platform did.
    for (;; ++a, ++b) {
        int ca = static_cast<signed char>(*a);
        int cb = static_cast<signed char>(*b);
        if (ca == 0 || cb == 0)
            return ca - cb;
        int ua = UpperAscii(ca);
        int ub = UpperAscii(cb);
        if (ua != ub)
            return ua - ub;
    }
}

char* itoa(int value, char* buffer, int radix) {
    enum { kMaxDigits = 15 };
    if (radix < 2 || radix > 10)
        radix = 10;
    char digits[kMaxDigits];
    int count = 0;
    // Work on the negative side so that the most negative value needs no special case.
    int rest = value < 0 ? value : -value;
    do {
        digits[count++] = static_cast<char>('0' - rest % radix);
        rest /= radix;
    } while (rest != 0 && count < kMaxDigits);
    char* out = buffer;
    if (value < 0)
        *out++ = '-';
    while (count > 0)
        *out++ = digits[--count];
    *out = 0;
    return buffer;
}
