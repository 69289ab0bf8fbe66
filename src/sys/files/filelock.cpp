// Advisory locks on the directory of a file, so that the processes rewriting files there take
// turns. A process that dies lets go of its locks with its descriptors.
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "sys/check/overlay.h"
#include "sys/files/pathparts.h"
#include "vxconfig/fileio.h"

namespace {

// One directory this process holds locked, and how many SysFileLock objects hold it.
struct HeldLock {
    dev_t device;
    ino_t inode;
    int fd;
    int count;
};

// Slots are reused but never moved, so a SysFileLock keeps its slot number.
std::vector<HeldLock> g_held;
std::mutex g_heldMutex;

int FindHeld(const struct stat& st) {
    for (size_t i = 0; i < g_held.size(); ++i) {
        if (g_held[i].fd >= 0 && g_held[i].device == st.st_dev && g_held[i].inode == st.st_ino)
            return static_cast<int>(i);
    }
    return -1;
}

int StoreHeld(const struct stat& st, int fd) {
    HeldLock lock = {st.st_dev, st.st_ino, fd, 1};
    for (size_t i = 0; i < g_held.size(); ++i) {
        if (g_held[i].fd < 0) {
            g_held[i] = lock;
            return static_cast<int>(i);
        }
    }
    g_held.push_back(lock);
    return static_cast<int>(g_held.size() - 1);
}

double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Tries until the deadline, with short pauses that grow a little, so that many waiting
// processes do not spin.
int LockWithin(int fd, int timeout) {
    double deadline = Now() + (timeout > 0 ? timeout : 0);
    long pause = 1000000; // 1 ms
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return 1;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return 0;
        if (Now() >= deadline) {
            errno = ETIMEDOUT;
            return 0;
        }
        timespec wait = {0, pause};
        nanosleep(&wait, nullptr);
        if (pause < 20000000)
            pause += pause / 2;
    }
}

} // namespace

SysFileLock::SysFileLock(const char* path, int timeout) : m_key(-1) {
    // The directory the file is written in: a link the trust rule does not follow is replaced
    // there, not followed.
    SysTrustedPath target;
    if (!path || !*path) {
        SysSetFileReason(path, EINVAL);
        return;
    }
    if (!SysResolveTrusted(path, target))
        return;
    // In a check run a directory the overlay made is locked in the scratch tree.
    ICString dir = platform::ReadPath(platform::DirectoryOf(target.path));
    int fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        int error = errno;
        if (fd >= 0)
            close(fd);
        SysSetLastReason("cannot lock %s: %s", static_cast<const char*>(dir), strerror(error));
        errno = error;
        return;
    }
    std::lock_guard<std::mutex> guard(g_heldMutex);
    int held = FindHeld(st);
    if (held >= 0) {
        close(fd);
        ++g_held[static_cast<size_t>(held)].count;
        m_key = held;
        return;
    }
    if (!LockWithin(fd, timeout)) {
        int error = errno;
        close(fd);
        if (error == ETIMEDOUT)
            SysSetLastReason("cannot lock %s: another process has held it for %d seconds",
                             static_cast<const char*>(dir), timeout);
        else
            SysSetLastReason("cannot lock %s: %s", static_cast<const char*>(dir), strerror(error));
        errno = error;
        return;
    }
    m_key = StoreHeld(st, fd);
}

SysFileLock::~SysFileLock() {
    if (m_key < 0)
        return;
    std::lock_guard<std::mutex> guard(g_heldMutex);
    HeldLock& lock = g_held[static_cast<size_t>(m_key)];
    if (--lock.count == 0) {
        flock(lock.fd, LOCK_UN);
        close(lock.fd);
        lock.fd = -1;
    }
}
