#include <cstring>

#include "instance/commutil.h"
#include "vxconfig/cipher.h"

namespace {

enum { kKeyBufSize = 33, kEncipher = 0, kDecipher = 1 };

bool IsHexKey(const char* key) {
    if (!key || strlen(key) != IC_MERKEY_LEN)
        return false;
    for (const char* p = key; *p; ++p) {
        char c = *p;
        bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex)
            return false;
    }
    return true;
}

void CopyCut(char* out, int outSize, const char* text) {
    if (outSize <= 0)
        return;
    size_t length = strlen(text);
    if (length > static_cast<size_t>(outSize - 1))
        length = static_cast<size_t>(outSize - 1);
    memcpy(out, text, length);
    out[length] = 0;
}

// Runs the default-key cipher over text with the buffer sizes of the stored forms: the input
// padded by eight bytes, the output outFactor times that.
void DefaultKeyCrypt(const char* text, char* out, int outSize, int outFactor, int mode) {
    int n = static_cast<int>(strlen(text)) + 8;
    char* input = new char[n];
    memset(input, 0, n);
    memcpy(input, text, strlen(text));
    char* result = new char[outFactor * n];
    char key[kKeyBufSize];
    gen1(key);
    vx_crypt(input, n, result, outFactor * n, key, mode);
    CopyCut(out, outSize, result);
    delete[] input;
    delete[] result;
}

} // namespace

extern "C" int ICEncKey(const char* key, char* out) {
    if (!IsHexKey(key))
        return 0;
    char defaultKey[kKeyBufSize];
    char result[kKeyBufSize];
    gen1(defaultKey);
    vx_crypt(key, IC_MERKEY_LEN + 1, result, kKeyBufSize, defaultKey, kEncipher);
    if (strlen(result) != IC_STORED_KEY_LEN)
        return 0;
    strcpy(out, result);
    return 1;
}

extern "C" int ICDecKey(const char* stored, char* out) {
    if (!stored || !*stored) {
        out[0] = 0;
        return 0;
    }
    if (strlen(stored) != IC_STORED_KEY_LEN)
        return 0;
    char defaultKey[kKeyBufSize];
    char result[kKeyBufSize];
    gen1(defaultKey);
    vx_crypt(stored, kKeyBufSize, result, kKeyBufSize, defaultKey, kDecipher);
    if (strlen(result) != IC_MERKEY_LEN)
        return 0;
    strcpy(out, result);
    return 1;
}

extern "C" int ICEncrypt(const char* clear, char* out, int outSize) {
    if (!clear || !*clear) {
        if (outSize > 0)
            out[0] = 0;
        return 1;
    }
    DefaultKeyCrypt(clear, out, outSize, 4, kEncipher);
    return 1;
}

extern "C" int ICDecrypt(const char* stored, char* out, int outSize) {
    if (!stored || !*stored) {
        if (outSize > 0)
            out[0] = 0;
        return 1;
    }
    DefaultKeyCrypt(stored, out, outSize, 2, kDecipher);
    return 1;
}

extern "C" int ICCheckPswd(const char* password, const char* user) {
    return SysCheckDBPswd(password, user);
}

int ICEncryptWithMerKey(const char* clear, char* out, int outSize, const char* storedKey) {
    if (!clear || !*clear) {
        if (outSize > 0)
            out[0] = 0;
        return 1;
    }
    char merKey[IC_MERKEY_LEN + 1];
    if (!ICDecKey(storedKey, merKey))
        return 0;
    int n = static_cast<int>(strlen(clear)) + 8;
    char* input = new char[n];
    memset(input, 0, n);
    memcpy(input, clear, strlen(clear));
    char* result = new char[2 * n];
    vx_crypt(input, n, result, 2 * n, merKey, kEncipher);
    CopyCut(out, outSize, result);
    delete[] input;
    delete[] result;
    return 1;
}

int ICConvertCipher(ICString& text) {
    int length = text.GetLength();
    char* clear = new char[length / 2 + 1];
    char* stored = new char[length + 1];
    old_vx_crypt(text, length + 1, clear, length / 2 + 1, &old_vx_key, kDecipher, 1);
    int result = ICEncrypt(clear, stored, length + 1);
    text = stored;
    delete[] clear;
    delete[] stored;
    return result;
}
