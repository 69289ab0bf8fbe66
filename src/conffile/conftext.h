// Text helpers shared by the configuration file reader, the capture and the merge.
#ifndef VX_CONFFILE_CONFTEXT_H
#define VX_CONFFILE_CONFTEXT_H

#include <cstring>
#include <string>

#include "vxconfig/icstring.h"

namespace conffile {

// Lines are read in pieces of at most this many characters; a longer line is several pieces.
enum { kLineMax = 1024, kLineBuffer = kLineMax + 1 };

// Token separators of keyword/value lines.
extern const char kSeparators[];

// Splits a writable text the way strtok does, but keeps its position in the object, so
// several texts can be split at once. An empty separator set yields the rest of the text.
class Tokens {
public:
    explicit Tokens(char* text) : m_next(text) {}
    // The next token, or null when only separators (or nothing) remain.
    char* Next(const char* separators);

private:
    char* m_next;
};

// A writable copy of a text, for splitting it in place; on the stack when it fits a line.
class WritableCopy {
public:
    explicit WritableCopy(const char* text);
    ~WritableCopy();
    WritableCopy(const WritableCopy&) = delete;
    WritableCopy& operator=(const WritableCopy&) = delete;
    char* Text() { return m_text; }

private:
    char m_local[kLineBuffer];
    char* m_text;
};

// The first token of text (separators as given), copied; empty when there is none.
ICString FirstToken(const char* text, const char* separators);

// Cuts text at its first newline.
inline void CutAtNewline(char* text) {
    if (char* nl = strchr(text, '\n'))
        *nl = '\0';
}

// The leading decimal number of text as atoi reads it; out-of-range values are clamped.
int LeadingInt(const char* text);

// The merge that keeps a user's own lines: appends to content (a freshly written file) each
// line of the file at oldPath whose first word starts no line of content yet and is not one of
// the keys the writers leave out on purpose. 1, or 0 when oldPath cannot be read.
int AppendUserLines(std::string& content, const char* oldPath);

} // namespace conffile

#endif
