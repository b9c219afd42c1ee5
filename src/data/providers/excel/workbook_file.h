// Loading a workbook from a file of either format and saving it back whole, atomically.
#pragma once
#include <string>

#include "data/providers/excel/workbook.h"

namespace kpx::data::excel {

// The format a file name asks for: .xlsx (and .xlsm) is Office Open XML, anything else .xls.
WorkbookFormat formatForName(const std::string& path);

// Reads the workbook in `path`, whatever its format by its first bytes. Throws DataError
// naming the file when it cannot be read or is not a workbook.
Workbook loadWorkbook(const std::string& path);

// Parses workbook bytes already in memory; `singleSheetName` names a bare BIFF2-4 sheet.
// Throws std::runtime_error describing the damage.
Workbook parseWorkbook(std::string_view bytes, const std::string& singleSheetName);

// Writes `workbook` to a temporary file beside `path` and renames it into place, so that a
// failure leaves the old file as it was. Throws DataError naming the file on failure.
void saveWorkbook(const Workbook& workbook, const std::string& path, WorkbookFormat format);

}  // namespace kpx::data::excel
