// A worksheet seen as a table: the first row names the columns (or F1, F2… when it does not)
// and each column's type comes from every value below it.
#pragma once
#include <memory>
#include <vector>

#include "data/providers/excel/workbook_stream.h"
#include "data/providers/provider.h"

namespace kpx::data::excel {

// The columns of the sheet `rows` reads, in one pass over it. With `header` the first row holds
// the names and an empty header cell gives F<position>; without it every column is named
// F<position>. A column whose non-empty cells are all numbers is adDouble, all money
// adCurrency, all dates adDate, all booleans adBoolean; anything else is text, adVarWChar of
// 255 or adLongVarWChar when a value is longer than 255 characters. An empty sheet has the one
// column F1. `usedRows`, when given, gets the number of rows up to the last non-empty one.
std::vector<ColumnInfo> sheetColumns(SheetRowStream& rows, bool header,
                                     uint32_t* usedRows = nullptr);

// Streams the rows of sheet `index` of `book` below the header, after a first pass that types
// the columns. A blank row within the sheet reads as a row of nulls.
std::unique_ptr<RowReader> openSheetReader(std::shared_ptr<const WorkbookStreams> book,
                                           size_t index, bool header);

}  // namespace kpx::data::excel
