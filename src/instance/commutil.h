// The cipher primitives the credential layer stands on. Stored forms are lower-case
// hexadecimal, so every stored form is one printable line twice as long as its clear text.
#ifndef VX_INSTANCE_COMMUTIL_H
#define VX_INSTANCE_COMMUTIL_H

// Key object of the previous cipher generation.
struct OldVxKey {
    const unsigned char* bytes;
    int length;
};
extern const OldVxKey old_vx_key;

// Fills key (33 bytes) with the default key text.
void gen1(char* key);

// mode 0 enciphers, 1 deciphers. Both read the input up to its NUL or inSize bytes and write a
// NUL-terminated text of at most outSize - 1 characters. Returns 1, or 0 for a bad argument.
int vx_crypt(const char* in, int inSize, char* out, int outSize, const char* key, int mode);
int old_vx_crypt(const char* in, int inSize, char* out, int outSize, const OldVxKey* key, int mode,
                 int flag);

#endif
