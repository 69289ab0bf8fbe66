// The memory stream of the writers (see memstream.h).
#include "sys/files/memstream.h"

#include <cerrno>
#include <cstdlib>

namespace platform {

MemoryStream::MemoryStream() : m_data(nullptr), m_size(0), m_fp(open_memstream(&m_data, &m_size)) {}

MemoryStream::~MemoryStream() {
    if (m_fp)
        fclose(m_fp);
    free(m_data);
}

bool MemoryStream::Close(std::string& out) {
    bool ok = m_fp && fclose(m_fp) == 0;
    m_fp = nullptr;
    if (!ok) {
        errno = ENOMEM;
        return false;
    }
    out.assign(m_data, m_size);
    return true;
}

} // namespace platform
