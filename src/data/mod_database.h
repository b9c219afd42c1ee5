// The schema reader: opens the data source a connection describes, lists its tables and
// views, answers whether a table or column exists, and fills a connection's Columns with
// name, type code, size and nullability.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kpxwizard/connection.h"

namespace kpx::data {
class DataSource;
}

namespace kpx::modDatabase {

// A list box the tables are added to; the UI adapts its widget to it.
class ListControl {
 public:
  virtual ~ListControl() = default;
  virtual void AddItem(const std::string& item) = 0;
};

// The module-wide state: the open catalog and what was read from it last.
struct State {
  std::unique_ptr<data::DataSource> oCatalog;  // the data source opened last
  int32_t nConnectionType = 0;                 // kind given to OpenDatabase last
  std::string oTable;                          // table whose columns were read last
};
State& state();
// Closes the catalog and forgets everything (for tests and unloading).
void resetState();

// Creates a new, empty database file (SQLite) at `path`; reports failures.
void CreaDataBase(const std::string& path);
// Opens the connection's data source as the catalog (text files: reads their columns).
bool OpenDatabase(clsConnection& conn);
// Adds the names of the catalog's tables (and views where the kind lists them) to `list`.
void ShowTables(ListControl& list);
void ShowTables(std::vector<std::string>& list);
// The catalog holds at least one object of type "TABLE".
bool HasTables();
// The catalog holds a table or view of that name (trimmed, without regard to case).
bool TableExists(std::string_view tableName);
bool ColumnExists(std::string_view column, std::string_view table);
// Fills conn.Columns from its table, or from the select list of its query.
bool CreateSetColumn(clsConnection& conn);
bool BuildADODBConnectionTextFile(clsConnection& conn);
// Splits at the last "\" (or "/"): the folder with its separator, and the file name.
bool GetDirectoryANDFile(const std::string& path, std::string& directory, std::string& file);
// The text after the first "." of the file name.
bool GetFileExtension(const std::string& fileName, std::string& extension);
// How often `part` occurs in `text`.
int16_t CountOccurrences(std::string_view text, std::string_view part);
// `name` without its first and last Len(qualifier) characters and trailing blanks.
std::string ExtractTextQualifier(std::string_view name, std::string_view qualifier);
// 0 and 1 and "NOT NULL" give false; 2, "NULL" and anything else true.
bool AttributesToNullable(int32_t attributes);
bool AttributesToNullable(std::string_view attributes);
void ClearSourceColumns();
void ClearDestinationColumns();
void ClearColumns(clsConnection& conn);

}  // namespace kpx::modDatabase
