// What an operation changes on the machine. A recorded run notes the state of every path the
// library is about to touch and every command it runs; a check run does the same operation
// against an overlay instead: writes, removals, renames and new directories land in a scratch
// tree, reads see that tree first, and commands are recorded rather than run. Either way the
// report is the net effect: what differs between before and after.
#ifndef VXCONFIG_CHANGES_H
#define VXCONFIG_CHANGES_H

#include <string>
#include <sys/types.h>
#include <vector>

#include "vxconfig/export.h"

enum SysChangeMode {
    SYS_CHANGES_OFF = 0, // the seam works on the system, nothing is noted
    SYS_CHANGES_RECORD,  // the seam works on the system and notes what it does
    SYS_CHANGES_CHECK    // the seam works on an overlay and notes what it would do
};

// Starts noting in mode (RECORD or CHECK), dropping what an earlier run noted. A check run
// makes its scratch tree under TMPDIR (else /tmp). 1, or 0 with the reason set.
VX_API int SysBeginChanges(SysChangeMode mode);
// Stops noting; a check run's scratch tree is removed. What was noted stays readable through
// SysGetChanges until the next SysBeginChanges.
VX_API void SysEndChanges();
VX_API SysChangeMode SysGetChangeMode();
// 1 while a check run is on: commands are recorded, not run.
VX_API int SysIsCheckRun();

// The net change of one path.
struct SysFileChange {
    std::string path;   // as on the disk, root included
    std::string action; // "created", "changed", "removed", "renamed"; the drift check's "owner"
    std::string to;     // renamed: where the content went
    bool directory = false;
    bool link = false; // a symbolic link: before and after hold its targets
    bool existedBefore = false, existsAfter = false;
    std::string before, after; // the contents of a plain file
    mode_t modeBefore = 0, modeAfter = 0;
    uid_t uidBefore = 0, uidAfter = 0; // differ only in an owner's change ("owner")
    gid_t gidBefore = 0, gidAfter = 0;
};

// An owner a check run would give instead of giving it (by SysChown, or by the write path
// where its caller names the owner): path, links followed as the change would follow them
// (recursive: and the tree below it), to uid and gid.
struct SysOwnerNote {
    std::string path;
    uid_t uid = 0;
    gid_t gid = 0;
    bool recursive = false;
};

// An entry of the services file that appeared ("registered") or went ("released").
struct SysServiceChange {
    std::string name;
    std::string port; // "16000/tcp"
    std::string action;
};

// A file the write path wrote, named as its caller named it.
struct SysWrittenFile {
    std::string path;
    bool existedBefore = false; // a file stood there (a link that was not followed is none)
    bool changed = false;       // it is new, or its content differs from before
};

struct SysChangeReport {
    std::vector<SysFileChange> files;       // in the order they were first touched
    std::vector<SysWrittenFile> written;    // changed or not, in the order first written
    std::vector<SysServiceChange> services; // from the services file's change
    std::vector<std::string> commands;      // every command run, or that would be run
    std::vector<SysOwnerNote> owners;       // a check run's owners given, in their order
    std::vector<std::string> probes;        // questions answered by the running system
    bool Changed() const { return !files.empty() || !commands.empty(); }
};

// What was noted since SysBeginChanges, compared with the state now (the overlay's, in a
// check run). Paths whose content, mode and existence came out as they were are left out.
// Stored and clear passwords and merchant keys in the contents are shown as "********" (with
// " (changed)" where the new content's value differs) unless showSecrets is set.
VX_API void SysGetChanges(SysChangeReport& out, bool showSecrets = false);

// While one of these lives, the seam works on the real system even in a check run and notes
// nothing: a question asked of a running program (does the database exist?) gets the real
// answer, and the temporary files it writes and removes are real. What it asks is listed
// among the probes.
class VX_API SysProbe {
public:
    explicit SysProbe(const std::string& what);
    ~SysProbe();
    SysProbe(const SysProbe&) = delete;
    SysProbe& operator=(const SysProbe&) = delete;
};

// Inside a probe, a change the code makes for good (not one of the probe's own temporaries)
// is held back again while one of these lives: a check run still only reports it.
class VX_API SysProbePause {
public:
    SysProbePause();
    ~SysProbePause();
    SysProbePause(const SysProbePause&) = delete;
    SysProbePause& operator=(const SysProbePause&) = delete;

private:
    int m_probes;
};

// A unified diff (three lines of context) that turns before into after, both texts of any
// bytes, headed "--- a/LABEL" and "+++ b/LABEL"; a file that is absent on one side (null) is
// "/dev/null" there. A last line without line end is followed by "\ No newline at end of
// file". Empty when the texts are equal.
VX_API std::string SysUnifiedDiff(const std::string& label, const std::string* before,
                                  const std::string* after);

#endif
