// The table-driven reader of keyword/value files and of the web server's product block.
#include <cstdio>

#include "conffile/blocks.h"
#include "conffile/conftext.h"
#include "vxconfig/fileio.h"
#include "vxconfig/keywords.h"

using conffile::kSeparators;
using conffile::Tokens;

namespace {

// Offers one line to the rows of table in order until one takes it.
void OfferLine(ParmEntry* table, const char* line, const char* match) {
    for (ParmEntry* row = table; row->keyword; ++row) {
        if (GetParm(*row, line, match))
            return;
    }
}

bool EndsBlock(const char* line) {
    for (const char* end : webserver::ProductMarks().ends) {
        if (strstr(line, end))
            return true;
    }
    return false;
}

} // namespace

int GetParm(ParmEntry& row, const char* line, const char* match) {
    const char* keyword = row.keyword ? *row.keyword : nullptr;
    if (!keyword)
        return 0;
    if (*keyword == '\0') {
        // A catch-all row keeps every line it is offered, whole and in file order.
        if (row.type != PARM_STRLIST)
            return 0;
        if (row.target)
            static_cast<ParmList<ICString>*>(row.target)->AddTail(ICString(line));
        return 1;
    }
    conffile::WritableCopy copy(line);
    Tokens tokens(copy.Text());
    const char* token = tokens.Next(kSeparators);
    if (!token || stricmp(token, keyword) != 0)
        return 0;
    if (!row.target)
        return 1;
    // Everything after the one separator that ended the keyword, further blanks included.
    char* rest = tokens.Next("");
    if (!rest)
        return 1;
    switch (row.type) {
    case PARM_INT:
        *static_cast<int*>(row.target) = conffile::LeadingInt(rest);
        break;
    case PARM_BOOL:
        *static_cast<int*>(row.target) = conffile::LeadingInt(rest) != 0 ? 1 : 0;
        break;
    case PARM_STRING:
        *static_cast<ICString*>(row.target) = rest;
        break;
    case PARM_STRLIST:
        GetStrList(row, rest);
        break;
    case PARM_NVLIST:
        return GetNVList(row, rest, match);
    default:
        break;
    }
    return 1;
}

ParmEntry& GetStrList(ParmEntry& row, char* value) {
    char separator = static_cast<char>(row.flags & 0xff);
    if (separator == '\0' || !row.target || !value)
        return row;
    ParmList<ICString>& list = *static_cast<ParmList<ICString>*>(row.target);
    // Every piece counts, empty ones and the last one included.
    for (char* piece = value;;) {
        char* end = strchr(piece, separator);
        if (end)
            *end = '\0';
        list.AddTailUnique(ICString(piece));
        if (!end)
            break;
        piece = end + 1;
    }
    return row;
}

int GetNVList(ParmEntry& row, char* value, const char* match) {
    if (!value)
        return 1;
    Tokens tokens(value);
    const char* name = tokens.Next(kSeparators);
    if (!name)
        return 1;
    const char* text = tokens.Next((row.flags & PARM_NV_REST) ? "" : kSeparators);
    if ((row.flags & PARM_NV_MATCH) && match) {
        const char* host = tokens.Next(kSeparators);
        if (!host || stricmp(host, match) != 0)
            return 0;
    } else if (row.flags & PARM_NV_NOTHIRD) {
        if (tokens.Next(kSeparators))
            return 0;
    }
    if (row.target)
        static_cast<ParmList<NameValue>*>(row.target)->AddTailUnique(NameValue(name, text));
    return 1;
}

int ParseFile(const char* path, ParmEntry* table) {
    if (!path || !table)
        return 0;
    SysLineReader in(path, conffile::kLineMax);
    if (!in.IsOpen())
        return 0;
    while (char* line = in.Next()) {
        conffile::CutAtNewline(line);
        // A row may rewrite the host name itself, so the match text is taken line by line.
        ICString match(s_msInfo.ISHost);
        OfferLine(table, line, match);
    }
    return 1;
}

int ParseISFile(const char* path, ParmEntry* table, const char* match) {
    if (!path || !table)
        return 0;
    SysLineReader in(path, conffile::kLineMax);
    if (!in.IsOpen())
        return 0;
    // The caller's text may live in a record the rows write to.
    ICString host(match);
    const char* hostText = match ? static_cast<const char*>(host) : nullptr;
    bool inBlock = false;
    while (char* line = in.Next()) {
        // The newline stays: it separates tokens, and rest-of-line values keep it.
        if (!inBlock) {
            inBlock = strstr(line, webserver::ProductMarks().start) != nullptr;
            continue;
        }
        if (EndsBlock(line))
            break;
        OfferLine(table, line, hostText);
    }
    return 1;
}
