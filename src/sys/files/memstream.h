// Text built in memory through a stream: the writers keep writing with fprintf and friends,
// nothing is built by repeated concatenation, and the whole text goes to the write path at once.
#ifndef VX_SYS_FILES_MEMSTREAM_H
#define VX_SYS_FILES_MEMSTREAM_H

#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

class MemoryStream {
public:
    // Opens the stream; Stream() is null when that failed (errno says why).
    MemoryStream();
    ~MemoryStream();
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    // Where the text is written: null when the stream could not be opened or is closed.
    FILE* Stream() const { return m_fp; }
    // Ends the stream and hands the whole text to out. False, with out untouched and errno
    // ENOMEM, when the stream never opened or memory ran out while it was written.
    bool Close(std::string& out);

private:
    char* m_data;
    size_t m_size;
    FILE* m_fp;
};

} // namespace platform

#endif
