// The reading of the schema scripts' logs (see dbfiles.h). Lines are read whole, so the
// rest of a long line can never pass for a line of its own.
#include <cerrno>
#include <cstring>
#include <string>

#include "database/dbfiles.h"
#include "vxconfig/fileio.h"
#include "vxconfig/messages.h"
#include "vxconfig/msgids.h"

namespace database {

namespace {

// The first blank-separated token of line begins with prefix and ends with last.
bool FirstTokenIs(const std::string& line, const char* prefix, char last) {
    size_t start = line.find_first_not_of(SYS_SEPARATORS);
    if (start == std::string::npos)
        return false;
    size_t end = line.find_first_of(SYS_SEPARATORS, start);
    std::string token = line.substr(start, end == std::string::npos ? end : end - start);
    return token.size() >= strlen(prefix) + 1 && token.compare(0, strlen(prefix), prefix) == 0 &&
           token.back() == last;
}

void Report(const std::string& text) {
    if (pfnUpdate)
        pfnUpdate(text.c_str());
}

} // namespace

bool IsErrorLine(const char* line) {
    return line && (FirstTokenIs(line, "RELDA", 'E') || FirstTokenIs(line, "SQL", 'N'));
}

LogVerdict ScanDatabaseLog(const char* path, const char* database, bool sqlRule,
                           std::string* firstError) {
    SysLineReader in(path);
    if (!in.IsOpen()) {
        SysSetFileReason(path, errno);
        return kLogUnreadable;
    }
    bool collecting = false;
    std::string report;
    while (char* raw = in.Next()) {
        std::string line(raw, in.Length());
        // The line end (LF or CR LF) becomes one blank.
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (firstError && firstError->empty() && IsErrorLine(line.c_str()))
            *firstError = line;
        if (collecting) {
            if (line.empty()) {
                Report(report);
                return kLogFailed;
            }
            report += line + " ";
        } else if (FirstTokenIs(line, "RELDA", 'E')) {
            collecting = true;
            report = line + " ";
        } else if (sqlRule && FirstTokenIs(line, "SQL", 'N')) {
            ICUpdateStatus(IC_MSG_HOSTING_DB_FAILED, database);
            Report(line + " ");
            return kLogFailed;
        }
    }
    if (in.Failed()) {
        SysSetFileReason(path, errno);
        return kLogUnreadable;
    }
    return kLogClean;
}

} // namespace database
