#include "data/providers/sqlite/single_statement.h"

#include "data/providers/provider.h"
#include "data/providers/sqlite/busy_wait.h"
#include "data/providers/sqlite/sqlite_statement.h"
#include "data/providers/statement_excerpt.h"

namespace kpx::data {
namespace {

// What prepare_v2 leaves after the first statement, checked for a further statement: the tail
// is prepared too, and anything that yields a statement (or does not parse) is refused.
void refuseSecondStatement(sqlite3* db, const char* tail, const std::string& sql,
                           const std::string& where) {
  while (tail && *tail) {
    Statement next;
    const char* rest = nullptr;
    if (sqlite3_prepare_v2(db, tail, -1, &next.stmt, &rest) != SQLITE_OK || next.stmt) {
      throw DataError("The statement for '" + where +
                      "' holds a second statement, which is not run: " + statementExcerpt(tail) +
                      "; the whole text: " + statementExcerpt(sql));
    }
    if (rest == tail) break;
    tail = rest;
  }
}

}  // namespace

void runSingleStatement(sqlite3* db, const std::string& sql, const std::string& where) {
  // SQLite would stop reading at the character and run what comes before it.
  if (sql.find('\0') != std::string::npos) {
    throw DataError("The statement for '" + where +
                    "' holds a NUL character, which no name may hold; it is not run");
  }
  Statement st;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()) + 1, &st.stmt, &tail) !=
      SQLITE_OK) {
    throw DataError("The statement failed on '" + where + "': " + sqlite3_errmsg(db) +
                    "; the statement: " + statementExcerpt(sql));
  }
  refuseSecondStatement(db, tail, sql, where);
  if (!st.stmt) throw DataError("The statement for '" + where + "' is empty");
  int rc;
  while ((rc = sqlite3_step(st.stmt)) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) {
    const std::string locked = lockedDatabaseMessage(db);
    throw DataError("The statement failed on '" + where +
                    "': " + (locked.empty() ? sqlite3_errmsg(db) : locked) +
                    "; the statement: " + statementExcerpt(sql));
  }
}

}  // namespace kpx::data
