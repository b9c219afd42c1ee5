// Reads the values of an .xls workbook: Excel 2.x, 3.0 and 4.0 worksheets (a bare BIFF2/3/4
// record stream) and Excel 5.0/95 and 97-2003 workbooks (BIFF5/BIFF8 inside a compound file).
#pragma once
#include <string>
#include <string_view>

#include "data/providers/excel/workbook.h"

namespace kpx::data::excel {

// True when the bytes look like an .xls file of any generation.
bool looksLikeXls(std::string_view bytes);

// Reads every worksheet's values. A bare BIFF2-4 worksheet has no sheet name of its own and
// takes `singleSheetName` (Excel names it after the file). Throws std::runtime_error with a
// description of the damage for a file that is not a readable workbook.
Workbook readXls(std::string_view file, const std::string& singleSheetName);

}  // namespace kpx::data::excel
