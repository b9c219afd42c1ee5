// Reads the values of an .xlsx workbook (Office Open XML spreadsheet): each part is
// decompressed and parsed as a stream, so no part is ever held whole in memory.
#pragma once
#include <string_view>

#include "data/providers/excel/workbook.h"

namespace kpx::data::excel {

// True when the bytes start like a zip archive.
bool looksLikeZip(std::string_view bytes);

// Reads every worksheet in workbook order. Throws std::runtime_error describing what is
// wrong for an archive that is not a readable workbook.
Workbook readXlsx(std::string_view file);

}  // namespace kpx::data::excel
