// A worksheet seen as a table: the first row names the columns (or F1, F2… when it does not)
// and each column's type comes from every value below it.
#pragma once
#include <memory>
#include <vector>

#include "data/providers/excel/workbook_stream.h"
#include "data/providers/provider.h"

namespace kpx::data::excel {

// A sheet's columns and the number of its rows up to the last non-empty one.
struct SheetShape {
  std::vector<ColumnInfo> columns;
  uint32_t usedRows = 0;
};

// The shape of the sheet `rows` reads, from one pass over it. With `header` the first row
// holds the names and an empty header cell gives F<position>; without it every column is named
// F<position>; a number or date header cell is named as `book`'s format for it shows it. A column
// whose non-empty cells are all numbers is adDouble, all money adCurrency, all dates adDate, all
// booleans adBoolean; anything else is text, adVarWChar of 255 or adLongVarWChar when a value is
// longer than 255 characters. An empty sheet has the one column F1.
SheetShape sheetShape(SheetRowStream& rows, bool header, const WorkbookStreams& book);

// Reads the rows of a sheet below the header from `rows`, as `shape` (its shape from
// sheetShape) says. A blank row within the sheet reads as a row of nulls.
std::unique_ptr<RowReader> openSheetReader(std::unique_ptr<SheetRowStream> rows, SheetShape shape,
                                           bool header);

}  // namespace kpx::data::excel
