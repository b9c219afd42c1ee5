// The schema reader: opens the data source a connection describes, lists its tables and
// views, answers whether a table or column exists, and fills a connection's Columns with
// name, type code, size and nullability.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "kpxwizard/export.h"

#include "kpxwizard/connection.h"

namespace kpx::data {
class DataSource;
}

namespace kpx::modDatabase {

// One column of a table to create: {name, type name, size ("0": none), null clause}. The null
// clause is "NULL" or "NOT NULL"; rows taken from the mapping grid may hold "-1" or "0".
using StructureRow = std::array<std::string, 4>;
// The columns of a table to create, in the order of the source columns.
using StructureArray = std::vector<StructureRow>;

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
  StructureArray arrDestinationStructure;      // the destination table to create
};
KPX_WINDOWS_API State& state();
// Closes the catalog and forgets everything (for tests and unloading).
void resetState();

// Creates a new, empty database file (SQLite) at `path`; reports failures.
KPX_WINDOWS_API void CreaDataBase(const std::string& path);
// Opens the connection's data source as the catalog (text files: reads their columns).
KPX_WINDOWS_API bool OpenDatabase(clsConnection& conn);
// Adds the names of the catalog's tables (and views where the kind lists them) to `list`.
KPX_WINDOWS_API void ShowTables(ListControl& list);
void ShowTables(std::vector<std::string>& list);
// The catalog holds at least one object of type "TABLE".
KPX_WINDOWS_API bool HasTables();
// The catalog holds a table or view of that name (trimmed, without regard to case).
KPX_WINDOWS_API bool TableExists(std::string_view tableName);
KPX_WINDOWS_API bool ColumnExists(std::string_view column, std::string_view table);
// Fills conn.Columns from its table, or from the select list of its query.
KPX_WINDOWS_API bool CreateSetColumn(clsConnection& conn);
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
KPX_WINDOWS_API void ClearColumns(clsConnection& conn);

// --- Column type mapping (ADO data type codes to type names) ---

// The Jet type name of an ADO type code ("Long", "VarChar", ...); "VarChar" for unknown codes.
KPX_WINDOWS_API std::string JetTypeName(int32_t code);
// The SQL Server type name ("int", "nvarchar", ...); "nvarchar" for unknown codes.
KPX_WINDOWS_API std::string SqlServerTypeName(int32_t code);
// The text-file type name: "int", "Binary" or "VarChar" (unknown codes).
KPX_WINDOWS_API std::string TextTypeName(int32_t code);
// The width of a text-file column of that type: fixed by the type, or `columnSize` for text.
int32_t TextTypeSize(int32_t code, int32_t columnSize);
// "VarChar" 202, "char" 129, "integer" 3, "Binary" 128 (exact case); 0 for any other name.
int16_t TypeCodeFromName(std::string_view name);
// "NULL" when nullable, else "NOT NULL".
KPX_WINDOWS_API std::string NullClause(bool nullable);
// Whether the text is exactly "NULL".
bool IsNullText(std::string_view text);
// "-1" and "NULL" give "NULL", "0" and "NOT NULL" give "NOT NULL", anything else "".
std::string NullText(std::string_view text);
// " " for an empty or zero size, else " (size) " with the size as written, 255 when larger.
// A size that is not a number raises error 13 naming it.
std::string SizeClause(std::string_view size);

// --- Table creation ---

// Replaces arrDestinationStructure with the current wizard's Source columns in the type names
// of `dest`'s kind (SQL Server names for kind 2, Jet names otherwise); sizes "0" for "text",
// "Bit" and "ntext". Errors are reported; the rows filled so far stay.
KPX_WINDOWS_API void GenerateStructureArray(const clsConnection& dest);
// `conn`'s columns in text-file terms (type, width, "NULL"). A width above 32767 is an
// overflow, reported; the rows filled so far are returned.
KPX_WINDOWS_API StructureArray GenerateStructureArrayTextFile(const clsConnection& conn);
// Replaces `conn`'s columns and fills the current wizard's Destination columns from `arr`.
// 1 done; 2 when `conn` is a fixed-width file and a row has no width ("0" or ""); 0 after
// the standard error report.
KPX_WINDOWS_API int16_t FillTextDestinationColumns(const StructureArray& arr, clsConnection& conn);
// The CREATE TABLE text for the current wizard's Destination (its TableName and kind), lines
// ended by CR LF: [name] and NULL clauses for SQL Server, back-quoted names for Access and
// Excel, no NULL clauses for Excel. With no rows, the opening line alone.
KPX_WINDOWS_API std::string GenerateScriptCreate(const StructureArray& arr);

}  // namespace kpx::modDatabase
