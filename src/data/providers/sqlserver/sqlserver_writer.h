// Rows into one SQL Server table: one INSERT with bound parameters per row, all inside one
// transaction. A row the server refuses is reported alone and the transaction goes on, which
// the bulk-copy interface cannot do (it reports a refused row only for its whole batch).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "data/providers/sqlserver/dblib_session.h"
#include "data/providers/sqlserver/sqlserver_types.h"

namespace kpx::data {

// Begins the transaction on `session` for `table` (as the catalog spells it) and `columns`.
std::unique_ptr<RowWriter> openSqlServerWriter(std::shared_ptr<DbSession> session,
                                               const std::string& table,
                                               std::vector<CatalogColumn> columns);

}  // namespace kpx::data
