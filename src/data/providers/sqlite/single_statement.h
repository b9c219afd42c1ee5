// Running exactly one statement: text that reaches SQLite from outside (a CREATE TABLE built
// from names a file brings, a DELETE) must never carry a second statement along with it.
#pragma once
#include <sqlite3.h>

#include <string>

namespace kpx::data {

// Prepares `sql` and runs it to the end; a statement followed by anything but blanks,
// comments and semicolons is refused before anything runs, with a DataError that names the
// extra statement. `where` names the database in messages.
void runSingleStatement(sqlite3* db, const std::string& sql, const std::string& where);

}  // namespace kpx::data
