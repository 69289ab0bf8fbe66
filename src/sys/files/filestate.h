// What a reader remembers of a file to tell later, with one stat, whether it still holds what
// was read: every rewrite through the write path makes a new file, and an edit in place changes
// the size or the times.
#ifndef VX_SYS_FILES_FILESTATE_H
#define VX_SYS_FILES_FILESTATE_H

#include <string>
#include <sys/stat.h>
#include <vector>

namespace platform {

// True when a and b describe the same file with the same size and times.
bool SameFileState(const struct stat& a, const struct stat& b);

// The files read while one lives (by SysOpenRead in this thread, missing ones included), each
// with its state then; Unchanged() tells whether each is still as it was.
class ReadRecorder {
public:
    ReadRecorder();
    ~ReadRecorder();
    ReadRecorder(const ReadRecorder&) = delete;
    ReadRecorder& operator=(const ReadRecorder&) = delete;

    struct Read {
        std::string path;
        bool existed;
        struct stat state;
    };
    const std::vector<Read>& Reads() const { return m_reads; }
    // Called by the file seam for each path opened for reading.
    static void Note(const char* path);

private:
    ReadRecorder* m_outer;
    std::vector<Read> m_reads;
};

// True when every file of reads is as it was read (a missing one still missing).
bool Unchanged(const std::vector<ReadRecorder::Read>& reads);

} // namespace platform

#endif
