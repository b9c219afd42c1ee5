// The tables of a data source as the schema reader lists them, and choosing one of them by
// the name given on the command line.
#pragma once
#include <string>
#include <vector>

#include "cli/file_kind.h"
#include "kpxwizard/connection.h"

namespace kpx::cli {

struct CatalogTable {
  std::string name;
  std::string type;  // "TABLE" or "VIEW"
};

// Opens the connection's data source as the schema reader's catalog and lists the tables (and,
// for kinds that show them, the views). Throws CliError naming the file when it will not open.
std::vector<CatalogTable> listTables(clsConnection& connection, const FileKind& kind);

// The catalog's spelling of `wanted` (compared without regard to case, also with "$" appended
// for a worksheet); with `wanted` empty, the only table there is. Throws CliError that lists
// the tables when there is no such table or several to choose from; `option` is the option
// that chooses one (--from-table, --to-table).
std::string chooseTable(const std::vector<CatalogTable>& tables, const std::string& wanted,
                        const std::string& path, const std::string& option);

}  // namespace kpx::cli
