// Reads the values of an .xlsx workbook (Office Open XML spreadsheet) through
// openXlsxStreams (workbook_stream.h): each part is decompressed and parsed as it is read, so
// no part is ever held whole in memory.
#pragma once
#include <string_view>

namespace kpx::data::excel {

// True when the bytes start like a zip archive.
bool looksLikeZip(std::string_view bytes);

}  // namespace kpx::data::excel
