// The block the product keeps in a web server's file: the texts that mark it, and the lines
// that open and close it (the start line carries the block's title and the warning not to edit
// it, the end line the title of its end).
#ifndef VX_CONFFILE_MARKERS_H
#define VX_CONFFILE_MARKERS_H

#include <cstdio>

namespace webserver {

// The title of the product's block, the title of its end, and the end of the earlier releases;
// a line that contains one of them is a marker line of the block.
extern const char kProductMark[];
extern const char kProductEnd[];
extern const char kOldProductEnd[];

// "###### TITLE ###### (Do not edit this section)\n"
void WriteStartMarker(FILE* out, const char* title);
// "###### TITLE ######\n"
void WriteEndMarker(FILE* out, const char* title);

} // namespace webserver

#endif
