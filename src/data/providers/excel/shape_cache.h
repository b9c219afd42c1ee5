// The shapes of sheets already read in this process, for the unchanged file. A transfer opens
// its source more than once (to list its columns, then to read it), and a sheet's shape costs a
// full pass over the sheet: the cache spares the passes after the first.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "data/providers/excel/row_spool.h"
#include "data/providers/excel/sheet_table.h"

namespace kpx::data::excel {

// What tells one state of a file from another (its stamp, as text: identity, size, times and
// first and last bytes). Empty when the file cannot be examined.
std::string fileIdentity(const std::string& path);

// The shape kept for sheet `index` of the file `identity` read with or without `header`.
std::optional<SheetShape> knownShape(const std::string& identity, size_t index, bool header);
// `rows`, when given, are the rows the shape's pass read, kept for the next reader of the
// sheet; only the newest shape keeps them, so that at most one copy waits on disk.
void rememberShape(const std::string& identity, size_t index, bool header, const SheetShape& shape,
                   std::unique_ptr<RowSpool> rows = nullptr);
// The rows kept with the shape, handed to the first caller only; null when none are kept.
std::unique_ptr<RowSpool> takeRows(const std::string& identity, size_t index, bool header);

}  // namespace kpx::data::excel
