// The shared frame of the configuration file writers (see writerframe.h).
#include "writers/writerframe.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "conffile/conftext.h"
#include "sys/files/memstream.h"
#include "vxconfig/capture.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"
#include "vxconfig/outcome.h"
#include "vxconfig/sysutil.h"
#include "writers/secrets.h"

namespace writers {

namespace {

// The previous content under the backup name while the file itself stays: what a failed
// rewrite leaves, so that the previous file is found where a completed one would put it. A
// previous file that holds secrets gets a private backup, however open it was itself.
void KeepAsBackup(const char* path, const char* backup) {
    ICString previous;
    struct stat st;
    if (SysStat(path, &st) != 0 || !SysReadFile(path, previous))
        return;
    std::string content(previous, static_cast<size_t>(previous.GetLength()));
    SysWriteOptions options;
    options.mode = st.st_mode & 07777;
    if (HoldsSecrets(content))
        options.mode = PrivateMode(options.mode);
    SysWriteFile(backup, content.data(), content.size(), options);
}

// Every failure of the frame passes here or through ReportWithReason: the file's step is
// noted as failed with the last reason, whether or not the message is shown.
void Report(const ConfigFile& file, const char* path) {
    VXStepFailed("write", file.path);
    if (file.report)
        ICShowError(IC_MSG_CANNOT_CREATE_CONFIG, path);
}

// Message 3 and why, for a refusal of the frame's own that nobody would guess.
void ReportWithReason(const ConfigFile& file) {
    VXStepFailed("write", file.path);
    if (!file.report)
        return;
    ICString text;
    ICLoadMessage(text, IC_MSG_CANNOT_CREATE_CONFIG, file.path);
    OutputError(text + " " + SysGetLastReason());
}

} // namespace

const char* KnownOwner(const char* user) {
    return user && *user && SysIsUserExist(user) ? user : nullptr;
}

int WriteConfigFile(const ConfigFile& file, const LineWriter& lines) {
    // The lock spans the read of the previous file (for the merge and the host map) and the
    // rewrite, so that two writers of one directory cannot lose each other's lines.
    SysFileLock lock(file.path);
    if (!lock.Held()) {
        Report(file, file.path);
        return 0;
    }
    if (file.record && !file.record->CheckValues()) {
        Report(file, file.path);
        return 0;
    }
    platform::MemoryStream stream;
    if (!stream.Stream()) {
        SysSetFileReason(file.path, errno);
        Report(file, file.path);
        return 0;
    }
    ICString failed;
    std::string content;
    int written = lines(stream.Stream(), failed);
    if (!stream.Close(content) && written) {
        SysSetFileReason(file.path, ENOMEM);
        written = 0;
    }
    ICString backup = file.backup.IsEmpty() ? SysGetBackupName(file.path) : file.backup;
    if (!written) {
        ICString reason = SysGetLastReason();
        KeepAsBackup(file.path, backup);
        SysSetLastReason("%s", static_cast<const char*>(reason));
        Report(file, failed.IsEmpty() ? file.path : failed);
        return 0;
    }
    if (file.keepUserLines) {
        // The lines of the file being replaced, or of the backup an earlier run left.
        const char* previous = SysAccess(file.path, F_OK) == 0 ? file.path : backup;
        conffile::AppendUserLines(content, previous);
    }
    for (const KeyLine& key : file.ensured)
        EnsureKeyLine(content, key.keyword, " ", key.value);
    // A file that holds a password is private from its first byte and never lies where the
    // web server would hand it to anybody who asks.
    bool secret = HoldsSecrets(content);
    ICString served;
    if (secret && InServedDirectory(file.path, file.record, served)) {
        SysSetLastReason("%s: it holds a password and %s is served by the web server, so it is "
                         "not written there",
                         static_cast<const char*>(file.path), static_cast<const char*>(served));
        errno = EACCES;
        ReportWithReason(file);
        return 0;
    }
    SysWriteOptions options;
    options.mode = secret ? PrivateMode(file.mode) : file.mode;
    options.owner = KnownOwner(file.owner);
    options.backup = backup;
    if (!SysWriteFile(file.path, content.data(), content.size(), options)) {
        Report(file, file.path);
        return 0;
    }
    VXStepDone("write", file.path);
    return 1;
}

int CopyWithOwner(const char* source, const char* destination, const char* owner, mode_t mode,
                  const char* backup) {
    // A product file planted by a user (or a link to a file root alone may read) is no source.
    ICString content;
    if (!SysReadCopySource(source, content)) {
        // A source that is not there leaves nothing to copy (the copies are refreshes of
        // what the product or an earlier run may have); one that cannot be read is a failure.
        struct stat st;
        if (SysLstat(source, &st) == 0 || errno != ENOENT)
            VXStepFailed("copy", destination);
        return 0;
    }
    SysWriteOptions options;
    options.mode = mode;
    options.owner = KnownOwner(owner);
    options.backup = backup;
    if (!SysWriteFile(destination, content, static_cast<size_t>(content.GetLength()), options)) {
        VXStepFailed("copy", destination);
        return 0;
    }
    VXStepDone("copy", destination);
    return 1;
}

mode_t FileModeFor(const char* path, mode_t mode) {
    // A file that cannot be read is taken to hold secrets: it is never opened up blindly.
    ICString content;
    if (SysReadFile(path, content) &&
        !HoldsSecrets(std::string(content, static_cast<size_t>(content.GetLength()))))
        return mode;
    return PrivateMode(mode);
}

void MergeGlobalDefaults(MSInfo& info) {
    if (info.DefsDir.IsEmpty())
        return;
    MSInfo global;
    ICString dir = info.DefsDir;
    if (ICGetGlobalDefault(global, dir))
        ICMergeInstance(info, global);
}

} // namespace writers
