// Text helpers shared by the configuration file reader, the capture and the merge.
#include "conffile/conftext.h"

#include <cctype>
#include <climits>

namespace conffile {

const char kSeparators[] = " \t\r\n";

char* Tokens::Next(const char* separators) {
    if (!m_next)
        return nullptr;
    char* start = m_next + strspn(m_next, separators);
    if (*start == '\0') {
        m_next = start;
        return nullptr;
    }
    char* end = start + strcspn(start, separators);
    if (*end != '\0') {
        *end = '\0';
        m_next = end + 1;
    } else {
        m_next = end;
    }
    return start;
}

WritableCopy::WritableCopy(const char* text) {
    size_t length = text ? strlen(text) : 0;
    m_text = length < sizeof m_local ? m_local : new char[length + 1];
    if (length)
        memcpy(m_text, text, length);
    m_text[length] = '\0';
}

WritableCopy::~WritableCopy() {
    if (m_text != m_local)
        delete[] m_text;
}

ICString FirstToken(const char* text, const char* separators) {
    const char* start = text + strspn(text, separators);
    ICString token;
    token.CopyStr(start, static_cast<int>(strcspn(start, separators)));
    return token;
}

int LeadingInt(const char* text) {
    while (isspace(static_cast<unsigned char>(*text)))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long value = 0;
    for (; isdigit(static_cast<unsigned char>(*text)); ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

} // namespace conffile
