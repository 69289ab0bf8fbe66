// File states for readers that keep what they read for the run (see filestate.h).
#include "sys/files/filestate.h"

#include "vxconfig/fileio.h"

namespace platform {

namespace {

thread_local ReadRecorder* t_recorder = nullptr;

long long Nanoseconds(const timespec& t) {
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

} // namespace

bool SameFileState(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           Nanoseconds(a.st_mtim) == Nanoseconds(b.st_mtim) &&
           Nanoseconds(a.st_ctim) == Nanoseconds(b.st_ctim);
}

ReadRecorder::ReadRecorder() : m_outer(t_recorder) {
    t_recorder = this;
}

ReadRecorder::~ReadRecorder() {
    t_recorder = m_outer;
}

void ReadRecorder::Note(const char* path) {
    for (ReadRecorder* r = t_recorder; r; r = r->m_outer) {
        Read read{path, false, {}};
        read.existed = SysStat(path, &read.state) == 0;
        r->m_reads.push_back(read);
    }
}

bool Unchanged(const std::vector<ReadRecorder::Read>& reads) {
    for (const ReadRecorder::Read& read : reads) {
        struct stat now;
        bool exists = SysStat(read.path.c_str(), &now) == 0;
        if (exists != read.existed || (exists && !SameFileState(read.state, now)))
            return false;
    }
    return true;
}

} // namespace platform
