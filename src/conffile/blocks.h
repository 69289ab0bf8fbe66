// The one scanner under every editor of the product's marked blocks. A file is read whole,
// line by line; a line that contains the start text begins an old block and the first later
// line that contains one of the end texts ends it; both marker lines and what stands between
// them are dropped, every other line is handed to the editor unchanged, byte for byte. A start
// line that no end line follows does not begin a block (the user's lines after it stay): an
// interrupted edit must never cost the rest of the file.
#ifndef VX_CONFFILE_BLOCKS_H
#define VX_CONFFILE_BLOCKS_H

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "conffile/markers.h"
#include "sys/files/lineedit.h"

namespace webserver {

struct BlockMarks {
    const char* start;
    std::vector<const char*> ends;
};
// The product's own marks, which every block of the product matches.
const BlockMarks& ProductMarks();

// The lines of a text file, each with its line end (the last may have none).
typedef platform::TextLines Lines;

// Where a line handed to the editor stands.
enum LinePlace {
    kOutsideBlock, // a line of the user's: the editor's rules apply
    kInsideBlock,  // a line between the marker lines of an old block: dropped unless kept
};

// Writes line to out byte for byte (a NUL inside the line included).
void CopyLine(FILE* out, const std::string& line);

// Walks lines and hands each line other than a marker line to each with its place.
void ScanBlocks(const Lines& lines, const BlockMarks& marks,
                const std::function<void(const std::string& line, LinePlace place)>& each);

} // namespace webserver

#endif
