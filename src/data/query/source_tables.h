// The tables of a data source as SQLite virtual tables (module "kpx_rows"): each scan opens
// the source table anew and streams its rows, so nothing is copied into the database.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "data/providers/provider.h"

namespace kpx::data {

// Name of the collation that compares text without regard to case (compareIgnoringCase).
inline constexpr const char* kNoCaseCollation = "KPX_NOCASE";

// One source table made visible to SQL.
struct BoundTable {
  std::string sqlName;     // the name the query used for it
  std::string sourceName;  // the name in the source's catalog
  std::vector<ColumnInfo> columns;
  std::vector<std::string> sqlColumns;  // column names as declared to SQLite (made unique)
};

// Binds tables of one source into one database. Must outlive the database connection.
class SourceTables {
 public:
  explicit SourceTables(DataSource& source) : m_source(source) {}
  // Registers the module and the collation on `db`.
  void install(sqlite3* db);
  // Makes the source table `sourceName` visible as `sqlName`; DataError when it has no
  // columns or SQLite refuses the declaration.
  void bind(sqlite3* db, const std::string& sqlName, const std::string& sourceName);
  // The table bound under `sqlName` (exactly as bound), or nullptr.
  const BoundTable* find(const std::string& sqlName) const;

  DataSource& source() { return m_source; }
  const BoundTable& at(size_t i) const { return *m_tables.at(i); }
  size_t size() const { return m_tables.size(); }

 private:
  DataSource& m_source;
  std::vector<std::unique_ptr<BoundTable>> m_tables;  // stable addresses for the cursors
};

}  // namespace kpx::data
