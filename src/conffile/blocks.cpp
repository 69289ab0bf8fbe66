// The marked-block scanner shared by the web server editors (see blocks.h).
#include "conffile/blocks.h"

namespace webserver {

const BlockMarks& ProductMarks() {
    static const BlockMarks marks = {kProductMark, {kProductEnd, kOldProductEnd}};
    return marks;
}

void CopyLine(FILE* out, const std::string& line) {
    fwrite(line.data(), 1, line.size(), out);
}

namespace {

bool EndsBlock(const std::string& line, const BlockMarks& marks) {
    for (const char* end : marks.ends) {
        if (line.find(end) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

void ScanBlocks(const Lines& lines, const BlockMarks& marks,
                const std::function<void(const std::string& line, LinePlace place)>& each) {
    // A start line begins a block only when an end line follows it somewhere.
    size_t lastEnd = lines.size();
    for (size_t i = lines.size(); i-- > 0;) {
        if (EndsBlock(lines[i], marks)) {
            lastEnd = i;
            break;
        }
    }
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (inside) {
            if (EndsBlock(line, marks))
                inside = false;
            else
                each(line, kInsideBlock);
            continue;
        }
        if (line.find(marks.start) != std::string::npos) {
            if (lastEnd != lines.size() && i < lastEnd)
                inside = true;
            // An end line of its own (a stray end marker) or a start without an end: the
            // marker line alone goes.
            continue;
        }
        each(line, kOutsideBlock);
    }
}

} // namespace webserver
