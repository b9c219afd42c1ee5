// Tells what kind of data source a file is: by its first bytes when it exists, else by the
// ending of its name.
#pragma once
#include <cstdint>
#include <string>

namespace kpx::cli {

struct FileKind {
  int32_t conType = 0;          // enConnectionType; 0 when the kind cannot be told
  bool sqlite = false;          // an ACCESS-kind file that is (or will be) a SQLite database
  bool accessFile = false;      // a Microsoft Access .mdb/.accdb file (read-only here)
  char defaultDelimiter = ',';  // text files: tab for .tsv
};

// The kind of `path`. An mssql:// address is a SQL Server database. An existing file is judged by
// its content first (SQLite header, Access header, Excel compound file or BIFF record, .xlsx zip,
// HTML markup), then by its name: .csv/.txt/.tsv text, .xls/.xlsx Excel (kind 3), .htm/.html HTML,
// .db/.sqlite/.sqlite3 SQLite, .mdb/.accdb Access.
FileKind detectFileKind(const std::string& path);

// Whether `path` is an mssql:// address rather than a file.
bool isServerAddress(const std::string& path);

// Throws CliError unless `path` is a file: "<what> '<path>' is a directory, not a file" or
// "<what> '<path>' does not exist; <hint>".
void requireFile(const std::string& path, const std::string& what, const std::string& hint);

// The name of a kind for people, in the program's language: "SQLite database", "Excel workbook", …
std::string describeKind(const FileKind& kind);

}  // namespace kpx::cli
