// Files the one way: every text file the library reads goes through SysLineReader, every file
// it or the front end writes goes through SysWriteFile, and every load-modify-store holds a
// SysFileLock. The last failure's reason (the file and strerror) is kept for the front end.
#ifndef VXCONFIG_FILEIO_H
#define VXCONFIG_FILEIO_H

#include <cstddef>
#include <cstdio>
#include <sys/stat.h>
#include <sys/types.h>

#include "vxconfig/icstring.h"
#include "vxconfig/reason.h"

// The token separators of every line the library reads: blank, tab, carriage return, newline.
VX_API extern const char SYS_SEPARATORS[];

// Reads a text file line by line. A line is delivered with its newline (the last one may have
// none) and is never cut, however long, unless a piece size is given: then a longer line comes
// in pieces of that many characters, each a line of its own, as the keyword/value readers
// have always read their files.
class VX_API SysLineReader {
public:
    // Opens path for reading; IsOpen tells whether that worked (errno says why not).
    explicit SysLineReader(const char* path, size_t piece = 0);
    // Reads an open stream, which stays the caller's to close.
    explicit SysLineReader(FILE* fp, size_t piece = 0);
    ~SysLineReader();
    SysLineReader(const SysLineReader&) = delete;
    SysLineReader& operator=(const SysLineReader&) = delete;

    int IsOpen() const { return m_fp != nullptr; }
    // The next line, NUL-terminated and writable until the next call; null at the end of the
    // file or on a read error (Failed tells which).
    char* Next();
    // The length of the line Next returned last.
    size_t Length() const { return m_length; }
    // 1 when reading stopped on an error rather than at the end of the file.
    int Failed() const { return m_failed; }

private:
    FILE* m_fp;
    bool m_own;
    size_t m_piece;
    char* m_line;
    size_t m_capacity;
    size_t m_length;
    int m_failed;
};

// A mode that stands for the mode of any newly created file (0666 less the creation mask),
// never writable by the group or others.
#define SYS_NEW_FILE_MODE static_cast<mode_t>(-1)

// How SysWriteFile gives the new file its mode and owner, keeps the previous content and
// treats a symbolic link.
struct VX_API SysWriteOptions {
    // The permission bits of the new file.
    mode_t mode = SYS_NEW_FILE_MODE;
    // With keepMode, a file being replaced keeps its own permission bits; mode is then only
    // for a file that did not exist.
    bool keepMode = false;
    // The user the file is given to; null keeps the owner and group of the file replaced
    // (where the process may), and a new file stays the process's own.
    const char* owner = nullptr;
    // The previous content is kept under this name first, replacing what stood there, so that
    // neither the file nor its backup is missing at any moment. Null: no backup.
    const char* backup = nullptr;
    // A fixed name in a directory others can write to: a symbolic link there, or a file of
    // another owner, is refused. Without it a symbolic link that may be trusted
    // (SysResolveTrusted) is kept and the file it points to replaced; any other link is
    // itself replaced by the new file, its target untouched, and the run is told so.
    bool noFollow = false;
};

// The one write path. The content goes into a temporary file beside the file (private to the
// process from its first byte), which is flushed, synced, given exactly its mode (whatever the
// creation mask) and owner, and renamed over the file; the directory is synced. The temporary
// and the rename are made in the file's directory as reached without following any link, so
// a directory swapped for a link meanwhile cannot redirect them. The file is therefore never
// missing and never half written, whatever fails or is killed. A file another user put into a
// directory others may write (or a link replaced) passes on neither its owner, its mode nor a
// backup; a backup never stays more open than the new file (its bits are those both share).
// Temporaries that a killed earlier run left beside the file are removed. The rewrite holds
// the file's lock (SysFileLock). Returns 1, or 0 with the file as it was, errno and the reason
// (SysGetLastReason) set.
VX_API int SysWriteFile(const char* path, const char* content, size_t length,
                        const SysWriteOptions& options = SysWriteOptions());

// The whole content of a file into out (a text may hold any bytes), reached by the trust rule
// (SysResolveTrusted): a last component that is a link that may not be followed is refused.
// 1, or 0 with errno and the reason set.
VX_API int SysReadFile(const char* path, ICString& out);
// The whole content of a file that is about to be copied, as SysReadFile, but it must also be
// a regular file (opened without waiting on a pipe) that no other user put into a directory
// others may write: such a file or link is refused and nothing is read. mode (when given)
// receives its mode word.
VX_API int SysReadCopySource(const char* path, ICString& out, mode_t* mode = nullptr);

// The trust rule of the paths root follows (that of OpenSSH's StrictModes and of the kernel's
// protected_symlinks): a symbolic link is followed only when the link and every directory on
// the way, of its own path and of where it points, belong to root or to this process's user
// and nobody else may write them; a directory others may write with the sticky bit set (like
// /tmp) is passed only where the entry in it belongs to root or this process's user. A link
// that belongs to the user a file is written for is not trusted for it either.
struct VX_API SysTrustedPath {
    // Where the path leads: every trusted link followed, no link left among its directories
    // (a part that does not exist yet is kept as written).
    ICString path;
    // 1 when the last component is a link that may not be followed: path names the link.
    int untrustedLink = 0;
    // Why not: the link, directory or entry that breaks the rule.
    ICString why;
};
// Resolves path by the trust rule: 1 with out filled in; 0 when a link that may not be
// followed stands among the directories of path (nothing may be done there), on a loop or an
// unreadable link, with errno (ELOOP for a link refused) and the reason naming it and why.
VX_API int SysResolveTrusted(const char* path, SysTrustedPath& out);

// The system calls the library examines and changes files with, as the seam gives them:
// they answer as the calls do (0, or -1 with errno), see a check run's overlay first, and
// note the state of what they change beforehand (vxconfig/changes.h).
VX_API int SysAccess(const char* path, int mode);
VX_API int SysStat(const char* path, struct stat* st);
VX_API int SysLstat(const char* path, struct stat* st);
// fopen(path, "re").
VX_API FILE* SysOpenRead(const char* path);
// A file, a symbolic link or an empty directory.
VX_API int SysRemove(const char* path);
VX_API int SysRename(const char* from, const char* to);
VX_API int SysSymlink(const char* target, const char* path);

// The advisory lock that serialises the rewrites of a file among processes, held for the
// lifetime of the object. It is taken on the directory that holds the file (after the links
// the trust rule follows), so it leaves nothing behind and covers every file written there. Within
// one process it may be taken again while held (the count is kept). Waits at most timeout seconds
// for another process to let go.
class VX_API SysFileLock {
public:
    enum { kDefaultTimeout = 60 };
    explicit SysFileLock(const char* path, int timeout = kDefaultTimeout);
    ~SysFileLock();
    SysFileLock(const SysFileLock&) = delete;
    SysFileLock& operator=(const SysFileLock&) = delete;
    // 1 when the lock is held; otherwise errno and the reason say why not.
    int Held() const { return m_key >= 0; }

private:
    int m_key;
};

// Where the file a path names really lies: symbolic links followed (relative ones from the
// link's own directory), the last one even when it points to nothing yet. 1, or 0 on a loop
// or an unreadable link.
VX_API int SysResolveLinks(const char* path, ICString& out);

#endif
