// A worksheet seen as a table: the first row names the columns (or F1, F2… when it does not)
// and each column's type comes from every value below it.
#pragma once
#include <memory>
#include <vector>

#include "data/providers/excel/workbook.h"
#include "data/providers/provider.h"

namespace kpx::data::excel {

// The columns of `sheet`. With `header` the first row holds the names and an empty header
// cell gives F<position>; without it every column is named F<position>. A column whose
// non-empty cells are all numbers is adDouble, all money adCurrency, all dates adDate, all
// booleans adBoolean; anything else is text, adVarWChar of 255 or adLongVarWChar when a value
// is longer than 255 characters. An empty sheet has the one column F1.
std::vector<ColumnInfo> sheetColumns(const Sheet& sheet, bool header);

// Streams the rows of `sheet` below the header, reading the cells in place; `owner` keeps
// the workbook alive while the reader exists.
std::unique_ptr<RowReader> openSheetReader(std::shared_ptr<const void> owner, const Sheet& sheet,
                                           bool header);

}  // namespace kpx::data::excel
