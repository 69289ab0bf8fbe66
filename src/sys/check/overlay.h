// What the seam functions ask of the change notes and the check run's overlay (changes.cpp).
// Every primitive that changes a file first calls NoteBefore; while Overlaid() it hands the
// change to the overlay instead of making it, and every primitive that opens, examines or
// lists a path goes through ReadPath or ListDirectory.
#ifndef VX_SYS_CHECK_OVERLAY_H
#define VX_SYS_CHECK_OVERLAY_H

#include <cstddef>
#include <string>
#include <sys/types.h>
#include <vector>

#include "vxconfig/changes.h"
#include "vxconfig/icstring.h"

namespace platform {

// The path a read of path must open: the overlay's copy, a path that exists nowhere when the
// overlay removed it, else path itself (always path itself outside a check run).
ICString ReadPath(const char* path);
// The names in directory dir, "." and ".." left out, as the seam sees them: the overlay's
// additions and removals taken into account. 0 when dir cannot be listed (errno set).
int ListDirectory(const char* dir, std::vector<std::string>& names);

// Notes the state of path (content, mode, existence) the first time the seam is about to
// change it, in a recorded or a check run.
void NoteBefore(const char* path);
// Notes the state of target (where the write path writes, links followed) as NoteBefore does,
// and that the write path's caller named the file path.
void NoteWrite(const char* path, const char* target);
// Notes that from was renamed to to (both already noted).
void NoteRename(const char* from, const char* to);

// 1 in a check run outside a probe: the primitives below take the place of the real change.
int Overlaid();
// The overlay's forms of the primitives. Each checks what the system call would (the file
// there, the directory writable, the name free) and answers as it would: 0 and -1 as the
// system calls, with errno set.
int OverlayWrite(const char* path, const char* content, size_t length, mode_t mode,
                 const char* backup);
int OverlayRemove(const char* path);
int OverlayRename(const char* from, const char* to);
int OverlayMkdir(const char* path, mode_t mode);
int OverlayChmod(const char* path, mode_t mode);
int OverlaySymlink(const char* target, const char* path);

// Notes a command about to be run (its text as a shell would show it): true when it is to be
// run, false in a check run, where it is only recorded.
bool RunsCommand(const std::string& text);
// Notes a question answered by the running system.
void NoteProbe(const std::string& what);
// Notes the owner a check run would give path (recursive: and the tree below it).
void NoteOwner(const char* path, uid_t uid, gid_t gid, bool recursive);
// The changes noted since SysBeginChanges, with contents as they are (SysGetChanges is this
// with the secrets masked, done where the product's files are known).
void CollectChanges(SysChangeReport& out);

} // namespace platform

#endif
