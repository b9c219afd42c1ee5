// The bulk writer into one SQLite table: one transaction, values bound as numbers where the
// column is numeric.
#pragma once
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "data/providers/provider.h"

namespace kpx::data {

// Begins the transaction and prepares the INSERT into `table` (already resolved to its catalog
// name) for `columns`; DataError when the table cannot take them.
std::unique_ptr<RowWriter> openSqliteWriter(std::shared_ptr<sqlite3> db, const std::string& table,
                                            std::vector<ColumnInfo> columns);

}  // namespace kpx::data
