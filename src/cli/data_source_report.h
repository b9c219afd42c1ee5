// What inspect prints about one data source: its kind and its tables and views with their
// columns as the schema reader reads them, as text or JSON.
#pragma once
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/file_kind.h"
#include "kpxwizard/connection.h"

namespace kpx::cli {

struct ColumnReport {
  std::string name;
  int32_t type = 0;
  std::string typeName;
  int32_t size = 0;
  bool nullable = false;
};

struct TableReport {
  std::string name;
  std::string type;  // "TABLE" or "VIEW"
  std::vector<ColumnReport> columns;
};

struct DataSourceReport {
  std::string path;
  FileKind kind;
  std::vector<TableReport> tables;
};

// Reads the tables and columns of the connection's data source (a text file is its one table,
// named after the file). Throws CliError when the data source will not open.
DataSourceReport inspectConnection(clsConnection& connection, const FileKind& kind);

// {"kind": …, "connectionType": n, "path": …, "tables": [{"name": …, "type": …, "columns": […]}]}
std::string reportJson(const DataSourceReport& report);
// A readable listing, one block per table.
void printReport(std::ostream& out, const DataSourceReport& report);

}  // namespace kpx::cli
