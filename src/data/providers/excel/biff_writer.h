// Writes a workbook's values as an Excel 97-2003 file (BIFF8 in a compound file), the
// format every generation of Excel and LibreOffice opens.
#pragma once
#include <string>

#include "data/providers/excel/workbook.h"

namespace kpx::data::excel {

// The bytes of the .xls file. Sheets and cells must already be within the format's limits
// (256 columns, 65,536 rows, 32,767 characters a cell, sheet names of 31 characters).
std::string writeXls(const Workbook& workbook);

}  // namespace kpx::data::excel
