// Query text analysis, the text-file preview rows and the code-and-name look-ups shared by
// the schema reader, the package builder and the windows.
//
// The query analysis does not parse SQL: it takes a SELECT text apart with a few word and
// keyword searches, enough to learn the table it reads and the columns it selects.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "kpxwizard/export.h"

#include "kpxwizard/connection.h"
#include "model/row_delimiters.h"

namespace kpx::modMain {

// The module-wide state, one instance for the component.
struct State {
  // Select list of the last successful ExtractNameFields: upper-cased names without enclosing
  // square brackets, in ascending order by character code; {"*"} for SELECT *.
  std::vector<std::string> colSelectedFields;
  // True when the last analysed query had WHERE, GROUP BY or ORDER BY after its table; reset
  // only by a successful short-form analysis. Callers of BuildQuerySpace also set it.
  bool bQueryHasClauses = false;
  // The query text the package reads the source through (see BuildQuerySpace).
  std::string strQuerySpace;
  // The first rows of a text file, filled by CreatePreview.
  std::array<std::string, 5> arrPreviewRows;
};

// The module's state.
KPX_WINDOWS_API State& state();
// Puts the state back to its initial values (for tests).
void resetState();

// Takes a SELECT text apart: returns the upper-cased table name, or "" when the text does not
// have the expected shape (or an error was reported). On success replaces colSelectedFields;
// may set bQueryHasClauses (a four-word query clears it).
KPX_WINDOWS_API std::string ExtractNameFields(std::string_view query);

// What ExtractNameFields found, as a value: the table ("" when the text has not the expected
// shape), the select list and whether the query has clauses after its table.
struct SelectQuery {
  std::string table;
  std::vector<std::string> fields;
  bool hasClauses = false;
};
SelectQuery AnalyseSelect(std::string_view query);

// The table name the query reads, as ExtractNameFields finds it, without touching the state.
KPX_WINDOWS_API std::string ExtractTableName(std::string_view query);

// The text without one enclosing pair of square brackets.
std::string RemoveBrackets(std::string_view text);

// Sets strQuerySpace to the text the package should run for `query` on a source of `kind`:
// for Excel kinds the upper-cased query with square brackets turned into back-quotes and the
// table name back-quoted; for Access, SQL Server and HTML the query unchanged; other kinds
// leave it as it was. A table name that is absent from the upper-cased text, or starts it, is
// reported with the standard error report and leaves strQuerySpace as it was.
KPX_WINDOWS_API void BuildQuerySpace(std::string_view query, std::string_view table, int32_t kind);

// The file name of `path` without folders and without its extension (from the first ".").
// A name without "." is reported with the standard error report and gives "".
std::string TakeNameTable(std::string_view path);

// Display name of a connection kind ("ACCESS", "SQL SERVER", ...), "" for unknown kinds.
KPX_WINDOWS_API std::string NameConnection(int32_t kind);

// True when every character is a decimal digit; true for "".
KPX_WINDOWS_API bool IsDigitsOnly(std::string_view text);

// Empties the five preview rows.
KPX_WINDOWS_API void ClearPreview();

// Loads the first rows of the text file `path` into arrPreviewRows (without clearing it):
// reads at most five physical lines (ended by CR LF, LF or CR; decoded from UTF-8, UTF-16
// with BOM or Windows-1252), joins them with CR LF and splits the text at the row delimiter
// (`delimiter` as for DelimiterText). The pieces from `firstRowFlag` on (piece 1 when it is -1)
// fill the rows, five at most. Returns 1 when done or when `path` is empty, -2 when the
// delimiter does not occur (also for an empty file). A file that cannot be read throws
// AutomationError (53 for a missing file, 75 otherwise) naming the file; a flag below -1
// throws AutomationError 9.
KPX_WINDOWS_API int16_t CreatePreview(const std::string& path, std::string_view delimiter,
                                      int16_t firstRowFlag);

// Prepares a transfer into a new destination table: describes it in arrDestinationStructure
// from the source's columns (read again unless the source is a text file), names it (the
// destination's TableName; else the source table's or text file's name; "Risultati" for a
// query), and makes `dest` a table connection with that name. False when the source columns
// cannot be read, or after the standard error report.
struct PreparedTable {
  bool prepared = false;
  // A table of the new table's name is already in the destination.
  bool alreadyExists = false;
  explicit operator bool() const { return prepared; }
};
KPX_WINDOWS_API PreparedTable ProcessCreate(clsConnection& src, clsConnection& dest);

}  // namespace kpx::modMain
