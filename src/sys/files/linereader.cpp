// The one reader of text files: whole lines of any length, or pieces of a fixed size where a
// file format was always read that way.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "vxconfig/fileio.h"

const char SYS_SEPARATORS[] = " \t\r\n";

SysLineReader::SysLineReader(const char* path, size_t piece)
    : m_fp(SysOpenRead(path)), m_own(true), m_piece(piece), m_line(nullptr), m_capacity(0),
      m_length(0), m_failed(0) {}

SysLineReader::SysLineReader(FILE* fp, size_t piece)
    : m_fp(fp), m_own(false), m_piece(piece), m_line(nullptr), m_capacity(0), m_length(0),
      m_failed(0) {}

SysLineReader::~SysLineReader() {
    if (m_own && m_fp)
        fclose(m_fp);
    free(m_line);
}

char* SysLineReader::Next() {
    m_length = 0;
    if (!m_fp)
        return nullptr;
    if (m_piece == 0) {
        ssize_t n = getline(&m_line, &m_capacity, m_fp);
        if (n < 0) {
            m_failed = ferror(m_fp) ? 1 : 0;
            return nullptr;
        }
        m_length = static_cast<size_t>(n);
        return m_line;
    }
    if (m_capacity < m_piece + 1) {
        char* grown = static_cast<char*>(realloc(m_line, m_piece + 1));
        if (!grown) {
            m_failed = 1;
            errno = ENOMEM;
            return nullptr;
        }
        m_line = grown;
        m_capacity = m_piece + 1;
    }
    if (!fgets(m_line, static_cast<int>(m_piece + 1), m_fp)) {
        m_failed = ferror(m_fp) ? 1 : 0;
        return nullptr;
    }
    m_length = strlen(m_line);
    return m_line;
}
