// The lines that open and close a block the product keeps in a web server's file: the start
// line carries the block's title and the warning not to edit it, the end line the title of
// its end.
#ifndef VX_CONFFILE_MARKERS_H
#define VX_CONFFILE_MARKERS_H

#include <cstdio>

namespace webserver {

// "###### TITLE ###### (Do not edit this section)\n"
void WriteStartMarker(FILE* out, const char* title);
// "###### TITLE ######\n"
void WriteEndMarker(FILE* out, const char* title);

} // namespace webserver

#endif
