// Stored forms of passwords and of the merchant key, and the check of a clear password.
#ifndef VXCONFIG_CIPHER_H
#define VXCONFIG_CIPHER_H

#include "vxconfig/icstring.h"

// Stands for "no merchant key" in the record and in the instance data file.
#define IC_NO_MERKEY "Hb4WkQ9sTz2LmX7cRv1NyE5pUa8JdG3f"
#define IC_MERKEY_LEN 16
#define IC_STORED_KEY_LEN 32
#define IC_MAX_PSWD_LEN 16

// out: 33 bytes. Fails unless key is 16 hexadecimal digits.
extern "C" VX_API int ICEncKey(const char* key, char* out);
// out: 17 bytes. Written only on success (emptied for an empty stored text).
extern "C" VX_API int ICDecKey(const char* stored, char* out);
extern "C" VX_API int ICEncrypt(const char* clear, char* out, int outSize);
extern "C" VX_API int ICDecrypt(const char* stored, char* out, int outSize);
extern "C" VX_API int ICCheckPswd(const char* password, const char* user);

// clear enciphered with the merchant key that storedKey holds (the form the commerce server
// deciphers), cut to outSize - 1. Empty clear: empty out, 1. 0, out untouched, when storedKey
// does not decipher.
VX_API int ICEncryptWithMerKey(const char* clear, char* out, int outSize, const char* storedKey);
// Re-enciphers, in place, a text of the previous cipher generation.
VX_API int ICConvertCipher(ICString& text);

// 1 when user is an account of this system whose password is password.
VX_API int SysCheckDBPswd(const char* password, const char* user);

#endif
