// Runs SQL statements on a database and prints their results.
#ifndef RELDA_SQLRUN_H
#define RELDA_SQLRUN_H

#include <string>

#include "messages.h"

struct sqlite3;

namespace relda {

// Runs every statement of text. A query prints a heading of its column names in upper case,
// an underline of dashes, one line per row starting with the row's first value, an empty line
// and "  N record(s) selected."; any other statement prints the completion message.
Outcome RunSql(sqlite3* db, const std::string& text);

} // namespace relda

#endif
