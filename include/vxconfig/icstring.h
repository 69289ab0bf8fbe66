// ICString: the owned, counted, NUL-terminated string every text of the library is held in.
#ifndef VXCONFIG_ICSTRING_H
#define VXCONFIG_ICSTRING_H

#include <cstdio>

#include "vxconfig/export.h"

class VX_API ICString {
public:
    ICString();
    ICString(const ICString& other);
    ICString(const char* text);
    ~ICString();

    // Sets the shared empty text without freeing anything (for constructors).
    void Init();
    void CopyStr(const char* s, int n);
    int IsEmpty() const;
    void Empty();
    int GetLength() const { return m_nLength; }

    char GetAt(int i) const;
    void SetAt(int i, char c);

    ICString& operator=(const ICString& other);
    ICString& operator=(const char* text);

    void Expand(const char* s, int n);
    ICString& operator+=(const ICString& other);
    ICString& operator+=(const char* text);
    void ExpandCopy(const char* a, int alen, const char* b, int blen, char sep);

    int Truncate(int n);
    int Load(FILE* fp);
    int Store(FILE* fp) const;
    void ToUpper();
    int Find(const char* s) const;
    int FindPath(const char* s) const;

    operator const char*() const { return m_pszText; }

    // Comparing through the text pointers would compare addresses; use strcmp or stricmp.
    bool operator==(const ICString&) const = delete;
    bool operator!=(const ICString&) const = delete;

    // The one static empty text shared by every empty string; never written.
    static char* const pszNull;

private:
    char* m_pszText;
    int m_nLength;
};

// Concatenation.
VX_API ICString operator+(const ICString& a, const ICString& b);
VX_API ICString operator+(const ICString& a, const char* b);
VX_API ICString operator+(const char* a, const ICString& b);

// Path join: exactly one "/" between the two sides, whatever they hold.
VX_API ICString operator^(const ICString& a, const ICString& b);
VX_API ICString operator^(const ICString& a, const char* b);
VX_API ICString operator^(const char* a, const ICString& b);

#endif
