// Opening a workbook file of either format as streams of rows.
#pragma once
#include <memory>
#include <string>

#include "data/providers/excel/workbook_stream.h"

namespace kpx::data::excel {

// The format a file name asks for: .xlsx (and .xlsm) is Office Open XML, anything else .xls.
WorkbookFormat formatForName(const std::string& path);

// Opens the workbook in `path`, whatever its format by its first bytes. Every error, on opening
// and on reading any sheet later, is a DataError naming the file.
std::shared_ptr<WorkbookStreams> openWorkbookFile(const std::string& path);

// A new workbook file `path` of `format`.
std::unique_ptr<WorkbookStreamWriter> createWorkbookWriter(const std::string& path,
                                                           WorkbookFormat format);

}  // namespace kpx::data::excel
