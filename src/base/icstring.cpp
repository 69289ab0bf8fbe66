#include "vxconfig/icstring.h"

#include <cctype>
#include <cstring>

static char s_szEmpty[1] = {0};
char* const ICString::pszNull = s_szEmpty;

// Texts that count as empty wherever a text is handed in.
static bool IsNullText(const char* s) {
    return s == nullptr || s == ICString::pszNull;
}

static int TextLength(const char* s) {
    return s ? static_cast<int>(strlen(s)) : 0;
}

ICString::ICString() {
    Init();
}

ICString::ICString(const ICString& other) {
    Init();
    CopyStr(other.m_pszText, other.m_nLength);
}

ICString::ICString(const char* text) {
    Init();
    CopyStr(text, TextLength(text));
}

ICString::~ICString() {
    Empty();
}

void ICString::Init() {
    m_pszText = pszNull;
    m_nLength = 0;
}

void ICString::CopyStr(const char* s, int n) {
    // The new buffer is made before the old one goes, so s may point into this string.
    char* copy = nullptr;
    if (n > 0 && !IsNullText(s)) {
        copy = new char[n + 1];
        memcpy(copy, s, n);
        copy[n] = 0;
    }
    Empty();
    if (copy) {
        m_pszText = copy;
        m_nLength = n;
    }
}

int ICString::IsEmpty() const {
    return m_pszText == pszNull;
}

void ICString::Empty() {
    if (m_pszText != pszNull)
        delete[] m_pszText;
    Init();
}

char ICString::GetAt(int i) const {
    return (i >= 0 && i < m_nLength) ? m_pszText[i] : 0;
}

void ICString::SetAt(int i, char c) {
    if (i >= 0 && i < m_nLength)
        m_pszText[i] = c;
}

ICString& ICString::operator=(const ICString& other) {
    if (this != &other)
        CopyStr(other.m_pszText, other.m_nLength);
    return *this;
}

ICString& ICString::operator=(const char* text) {
    if (text != m_pszText)
        CopyStr(text, TextLength(text));
    return *this;
}

void ICString::Expand(const char* s, int n) {
    if (n <= 0 || IsNullText(s))
        return;
    char* grown = new char[m_nLength + n + 1];
    memcpy(grown, m_pszText, m_nLength);
    memcpy(grown + m_nLength, s, n);
    grown[m_nLength + n] = 0;
    int length = m_nLength + n;
    Empty();
    m_pszText = grown;
    m_nLength = length;
}

ICString& ICString::operator+=(const ICString& other) {
    Expand(other.m_pszText, other.m_nLength);
    return *this;
}

ICString& ICString::operator+=(const char* text) {
    Expand(text, TextLength(text));
    return *this;
}

void ICString::ExpandCopy(const char* a, int alen, const char* b, int blen, char sep) {
    if (IsNullText(a) || alen < 0)
        alen = 0;
    if (IsNullText(b) || blen < 0)
        blen = 0;
    if (sep == 0 && (alen == 0 || blen == 0)) {
        if (alen == 0)
            CopyStr(b, blen);
        else
            CopyStr(a, alen);
        return;
    }
    int length = alen + blen + (sep ? 1 : 0);
    // Either side may be null here (as empty), which memcpy must not be handed.
    char* joined = new char[length + 1];
    if (alen > 0)
        memcpy(joined, a, alen);
    int at = alen;
    if (sep)
        joined[at++] = sep;
    if (blen > 0)
        memcpy(joined + at, b, blen);
    joined[length] = 0;
    Empty();
    m_pszText = joined;
    m_nLength = length;
}

int ICString::Truncate(int n) {
    if (n < 0 || n >= m_nLength)
        return 0;
    m_pszText[n] = 0;
    m_nLength = n;
    return 1;
}

// A stored line is read a byte at a time into 512 bytes at most, so an over-long line is
// cut there and the rest of it stays in the stream for the next read.
int ICString::Load(FILE* fp) {
    enum { kMaxLine = 512 };
    char buffer[kMaxLine + 1];
    int count = 0;
    int last = EOF;
    Empty();
    // One lock for the line instead of one per character: data files hold thousands of lines.
    flockfile(fp);
    while (count < kMaxLine) {
        last = getc_unlocked(fp);
        if (last == EOF || last == '\n')
            break;
        buffer[count++] = static_cast<char>(last);
    }
    funlockfile(fp);
    buffer[count] = 0;
    CopyStr(buffer, static_cast<int>(strlen(buffer)));
    return last == '\n' ? 1 : 0;
}

// Writes the text up to its NUL, which SetAt may have moved before the counted length.
int ICString::Store(FILE* fp) const {
    return fputs(m_pszText, fp) != EOF && fputc('\n', fp) != EOF ? 1 : 0;
}

void ICString::ToUpper() {
    for (int i = 0; i < m_nLength; ++i)
        m_pszText[i] = static_cast<char>(toupper(static_cast<unsigned char>(m_pszText[i])));
}

int ICString::Find(const char* s) const {
    if (!s)
        return -1;
    const char* at = strstr(m_pszText, s);
    return at ? static_cast<int>(at - m_pszText) : -1;
}

int ICString::FindPath(const char* s) const {
    ICString haystack(*this);
    ICString needle(s);
    haystack.ToUpper();
    needle.ToUpper();
    return haystack.Find(needle);
}

ICString operator+(const ICString& a, const ICString& b) {
    ICString r;
    r.ExpandCopy(a, a.GetLength(), b, b.GetLength(), 0);
    return r;
}

ICString operator+(const ICString& a, const char* b) {
    ICString r;
    r.ExpandCopy(a, a.GetLength(), b, TextLength(b), 0);
    return r;
}

ICString operator+(const char* a, const ICString& b) {
    ICString r;
    r.ExpandCopy(a, TextLength(a), b, b.GetLength(), 0);
    return r;
}

ICString operator^(const ICString& a, const ICString& b) {
    ICString r;
    r.ExpandCopy(a, a.GetLength(), b, b.GetLength(), '/');
    return r;
}

ICString operator^(const ICString& a, const char* b) {
    ICString r;
    r.ExpandCopy(a, a.GetLength(), b, TextLength(b), '/');
    return r;
}

ICString operator^(const char* a, const ICString& b) {
    ICString r;
    r.ExpandCopy(a, TextLength(a), b, b.GetLength(), '/');
    return r;
}
