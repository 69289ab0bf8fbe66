// The frame of the web server file editors: the file must be readable, its previous content is
// copied to the file's name with ".old" appended, the editor writes the new content from the
// lines (the last given a line end when it had none), and the result replaces the file through the
// one write path (its mode and owner kept). Failures are reported with the web server's messages
// and leave the file as it was.
#ifndef VX_WEBSERVER_REWRITE_H
#define VX_WEBSERVER_REWRITE_H

#include <cstdio>
#include <functional>
#include <vector>

#include "conffile/blocks.h"
#include "vxconfig/icstring.h"

namespace webserver {

struct EditedFile {
    ICString path;
    // The message when the copy cannot be made or read (the server's own "cannot modify").
    unsigned int editFailed = 0;
    // Whether a failure is reported at all (the servlet engine's editors report nothing).
    bool report = true;
};

typedef std::function<void(const Lines& lines, FILE* out)> LineEditor;

// Rewrites file.path with edit. 1, or 0 after message 28 (not readable), file.editFailed (no
// copy) or 26 (not rewritten). The rewrite is noted in the outcome, a failure with its reason
// (a missing file only when failures are reported).
int RewriteWithCopy(const EditedFile& file, const LineEditor& edit);

// Rewrites file.path with each of edits in turn, each given the lines the one before wrote: the
// content that as many RewriteWithCopy calls would leave, with the file read, copied and written
// once (the ".old" copy then holds the file as it was before the first edit). 1, or 0 as above.
int RewriteWithCopy(const EditedFile& file, const std::vector<LineEditor>& edits);

// A path with its backslashes turned into slashes.
ICString Slashed(const char* path);

} // namespace webserver

#endif
