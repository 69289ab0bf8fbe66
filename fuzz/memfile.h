// The fuzz input as a file the readers can open by name, kept in memory.
#ifndef VXFUZZ_MEMFILE_H
#define VXFUZZ_MEMFILE_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

class MemFile {
public:
    MemFile() {
        m_fd = memfd_create("vxfuzz", 0);
        if (m_fd < 0)
            abort();
        snprintf(m_path, sizeof m_path, "/proc/self/fd/%d", m_fd);
    }
    // Replaces the file's content; its name stays valid for every input.
    const char* Hold(const uint8_t* data, size_t size) {
        if (ftruncate(m_fd, 0) != 0 ||
            (size && pwrite(m_fd, data, size, 0) != static_cast<ssize_t>(size)))
            abort();
        return m_path;
    }

private:
    int m_fd;
    char m_path[64];
};

#endif
