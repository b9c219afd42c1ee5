// Writes a workbook's values as an .xlsx file through libxlsxwriter.
#pragma once
#include <string>

#include "data/providers/excel/workbook.h"

namespace kpx::data::excel {

// Writes `workbook` to the file `path` (replaced if present). Throws std::runtime_error
// with libxlsxwriter's reason when the file cannot be written.
void writeXlsx(const Workbook& workbook, const std::string& path);

}  // namespace kpx::data::excel
