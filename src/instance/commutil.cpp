#include "instance/commutil.h"

#include <cstring>
#include <openssl/evp.h>
#include <openssl/sha.h>

namespace {

const char kHexDigits[] = "0123456789abcdef";

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int BoundedLength(const char* s, int size) {
    return size > 0 ? static_cast<int>(strnlen(s, static_cast<size_t>(size))) : 0;
}

// Hex text to bytes; stops at the first pair that is not two hexadecimal digits.
int DecodeHex(const char* hex, int hexLength, unsigned char* bytes, int maxBytes) {
    int count = 0;
    for (int i = 0; i + 1 < hexLength && count < maxBytes; i += 2) {
        int hi = HexValue(hex[i]);
        int lo = HexValue(hex[i + 1]);
        if (hi < 0 || lo < 0)
            break;
        bytes[count++] = static_cast<unsigned char>(hi << 4 | lo);
    }
    return count;
}

void EncodeHex(const unsigned char* bytes, int count, char* out) {
    for (int i = 0; i < count; ++i) {
        out[2 * i] = kHexDigits[bytes[i] >> 4];
        out[2 * i + 1] = kHexDigits[bytes[i] & 15];
    }
    out[2 * count] = 0;
}

// AES-128 in CTR mode: the same keystream enciphers and deciphers, byte for byte.
int AesCtr(const char* keyText, const unsigned char* in, int count, unsigned char* out) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(keyText), strlen(keyText), digest);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    if (!ctx)
        return 0;
    int produced = 0;
    int tail = 0;
    int ok = EVP_EncryptInit_ex(ctx, EVP_aes_128_ctr(), nullptr, digest, digest + 16) == 1 &&
             EVP_EncryptUpdate(ctx, out, &produced, in, count) == 1 &&
             EVP_EncryptFinal_ex(ctx, out + produced, &tail) == 1;
    EVP_CIPHER_CTX_free(ctx);
    return ok;
}

// Clear bytes end at their first NUL; a stored form never carries one.
void TerminateClear(unsigned char* bytes, int count, char* out) {
    int length = static_cast<int>(strnlen(reinterpret_cast<char*>(bytes), count));
    memcpy(out, bytes, length);
    out[length] = 0;
}

const unsigned char kOldKey[] = {0x5a, 0x13, 0x7e, 0x29, 0x44, 0x61, 0x0d, 0x38};

} // namespace

const OldVxKey old_vx_key = {kOldKey, static_cast<int>(sizeof kOldKey)};

void gen1(char* key) {
    strcpy(key, "vx3-default-credential-key-2026");
}

int vx_crypt(const char* in, int inSize, char* out, int outSize, const char* key, int mode) {
    if (!in || !out || outSize <= 0 || !key)
        return 0;
    out[0] = 0;
    int length = BoundedLength(in, inSize);
    if (mode == 0) {
        int count = length < (outSize - 1) / 2 ? length : (outSize - 1) / 2;
        unsigned char* clear = new unsigned char[count + 1];
        unsigned char* sealed = new unsigned char[count + 1];
        memcpy(clear, in, count);
        int ok = AesCtr(key, clear, count, sealed);
        if (ok)
            EncodeHex(sealed, count, out);
        delete[] clear;
        delete[] sealed;
        return ok;
    }
    int maxBytes = outSize - 1;
    unsigned char* sealed = new unsigned char[length / 2 + 1];
    unsigned char* clear = new unsigned char[length / 2 + 1];
    int count = DecodeHex(in, length, sealed, maxBytes);
    int ok = AesCtr(key, sealed, count, clear);
    if (ok)
        TerminateClear(clear, count, out);
    delete[] sealed;
    delete[] clear;
    return ok;
}

int old_vx_crypt(const char* in, int inSize, char* out, int outSize, const OldVxKey* key, int mode,
                 int /*flag*/) {
    if (!in || !out || outSize <= 0 || !key || key->length <= 0)
        return 0;
    out[0] = 0;
    int length = BoundedLength(in, inSize);
    if (mode == 0) {
        int count = length < (outSize - 1) / 2 ? length : (outSize - 1) / 2;
        unsigned char* mixed = new unsigned char[count + 1];
        for (int i = 0; i < count; ++i)
            mixed[i] = static_cast<unsigned char>(in[i]) ^ key->bytes[i % key->length];
        EncodeHex(mixed, count, out);
        delete[] mixed;
        return 1;
    }
    unsigned char* mixed = new unsigned char[length / 2 + 1];
    int count = DecodeHex(in, length, mixed, outSize - 1);
    for (int i = 0; i < count; ++i)
        mixed[i] ^= key->bytes[i % key->length];
    TerminateClear(mixed, count, out);
    delete[] mixed;
    return 1;
}
