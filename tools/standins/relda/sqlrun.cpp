// Query results are collected before printing, as every column is as wide as its widest
// value or its name; numbers stand right-aligned in their column.
#include "sqlrun.h"

#include <cctype>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

#include "instance.h"

namespace relda {

namespace {

typedef std::vector<std::string> Row;

// Values as the processor shows them: NULL as "-".
std::string ValueText(sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
        return "-";
    const unsigned char* text = sqlite3_column_text(stmt, column);
    return text ? reinterpret_cast<const char*>(text) : "";
}

// The cells padded to their column widths, one blank apart, without trailing blanks; the
// cells of the right-aligned columns are padded in front.
void PrintLine(const Row& cells, const std::vector<size_t>& widths,
               const std::vector<bool>& right) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i)
            line += ' ';
        size_t pad = widths[i] - cells[i].size();
        if (right[i])
            line.append(pad, ' ');
        line += cells[i];
        if (!right[i] && i + 1 < cells.size())
            line.append(pad, ' ');
    }
    printf("%s\n", line.c_str());
}

// numeric: the columns whose values are all numbers (or NULL).
void PrintTable(const Row& heading, const std::vector<Row>& rows,
                const std::vector<bool>& numeric) {
    std::vector<size_t> widths;
    for (const std::string& h : heading)
        widths.push_back(h.size());
    for (const Row& r : rows)
        for (size_t i = 0; i < r.size(); ++i)
            if (r[i].size() > widths[i])
                widths[i] = r[i].size();
    Row underline;
    for (size_t w : widths)
        underline.push_back(std::string(w, '-'));
    const std::vector<bool> left(heading.size(), false);
    PrintLine(heading, widths, left);
    PrintLine(underline, widths, left);
    for (const Row& r : rows)
        PrintLine(r, widths, numeric);
    printf("\n  %zu record(s) selected.\n", rows.size());
}

bool IsBlank(const char* text) {
    while (*text && (isspace(static_cast<unsigned char>(*text)) || *text == ';'))
        ++text;
    return *text == 0;
}

// COMMIT and ROLLBACK outside a transaction: every statement commits on its own here.
bool IsIdleTransactionEnd(sqlite3* db, sqlite3_stmt* stmt) {
    std::string word;
    const char* s = sqlite3_sql(stmt);
    while (isspace(static_cast<unsigned char>(*s)))
        ++s;
    for (; *s && isalpha(static_cast<unsigned char>(*s)); ++s)
        word += static_cast<char>(toupper(static_cast<unsigned char>(*s)));
    return sqlite3_get_autocommit(db) && (word == "COMMIT" || word == "ROLLBACK");
}

Outcome RunOne(sqlite3* db, sqlite3_stmt* stmt) {
    if (IsIdleTransactionEnd(db, stmt))
        return Say(kMsgSqlCompleted);
    int columns = sqlite3_column_count(stmt);
    Row heading;
    for (int i = 0; i < columns; ++i)
        heading.push_back(Upper(sqlite3_column_name(stmt, i)));
    std::vector<Row> rows;
    std::vector<bool> numeric(static_cast<size_t>(columns), true);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        Row row;
        for (int i = 0; i < columns; ++i) {
            int type = sqlite3_column_type(stmt, i);
            if (type != SQLITE_INTEGER && type != SQLITE_FLOAT && type != SQLITE_NULL)
                numeric[static_cast<size_t>(i)] = false;
            row.push_back(ValueText(stmt, i));
        }
        rows.push_back(row);
    }
    if (rc != SQLITE_DONE)
        return SayEngineError(sqlite3_errmsg(db));
    if (columns == 0)
        return Say(kMsgSqlCompleted);
    PrintTable(heading, rows, numeric);
    return kOutcomeOk;
}

} // namespace

Outcome RunSql(sqlite3* db, const std::string& text) {
    Outcome worst = kOutcomeOk;
    const char* next = text.c_str();
    while (!IsBlank(next)) {
        sqlite3_stmt* stmt = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db, next, -1, &stmt, &tail) != SQLITE_OK) {
            Outcome o = SayEngineError(sqlite3_errmsg(db));
            return o > worst ? o : worst;
        }
        next = tail;
        if (!stmt) // only a comment
            continue;
        Outcome o = RunOne(db, stmt);
        sqlite3_finalize(stmt);
        if (o > worst)
            worst = o;
    }
    return worst;
}

} // namespace relda
