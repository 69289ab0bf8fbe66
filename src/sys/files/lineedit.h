// Line files edited the one way: the file's lock taken, every line read whole, the caller's
// edit made on the lines in memory, and the result written once through the write path with the
// caller's mode and backup while the lock is still held, so that two processes editing one file
// never lose each other's lines and the file is never seen half edited.
#ifndef VX_SYS_FILES_LINEEDIT_H
#define VX_SYS_FILES_LINEEDIT_H

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "vxconfig/fileio.h"

namespace platform {

// The lines of a text file, each with its newline as read (the last may have none).
typedef std::vector<std::string> TextLines;

// Reads path into lines (emptied first), every line whole however long. 1; 1 with no lines
// and *missing set when the file does not exist and missing is given; else 0 with errno and
// the reason naming path.
int ReadTextLines(const char* path, TextLines& lines, bool* missing = nullptr);

// Gives the last line its newline when it has none, so that a line added after it stays a
// line of its own.
void EndLastLine(TextLines& lines);

// What an edit decided.
enum LineEditResult {
    kEditFailed, // nothing is written; the edit has set the reason
    kEditWrite,  // the lines are written
    kEditKeep,   // the file stays as it is: nothing needed changing
};

// How the edited file is written (SysWriteOptions) and what a missing file means.
struct LineEditOptions {
    mode_t mode = SYS_NEW_FILE_MODE;
    bool keepMode = false;
    // Where the previous content is kept; null: nowhere.
    const char* backup = nullptr;
    // A file that did not exist has no previous content; its backup name is still handed to
    // the write path (which notes it in a recorded run) only with this set.
    bool backupWhenMissing = false;
    // A missing file is edited as an empty one; without this it is a failure.
    bool missingIsEmpty = false;
};

// Changes lines in place; existed tells whether the file was there.
typedef std::function<LineEditResult(TextLines& lines, bool existed)> LineEditor;

// Edits path with edit under the file's lock. 1 when the lines were written or the edit kept
// the file as it was; 0 when the lock cannot be taken, the file cannot be read, the edit fails
// or the write fails, with the file as it was and the reason set (the lock's names the
// directory it is taken on, every other names the file).
int EditLineFile(const char* path, const LineEditOptions& options, const LineEditor& edit);

} // namespace platform

#endif
