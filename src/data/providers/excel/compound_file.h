// The OLE2 compound file that holds an .xls workbook stream ("Workbook" in Excel 97 and
// later, "Book" in Excel 5.0/95).
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace kpx::data::excel {

// True when the bytes start with the compound file signature.
bool isCompoundFile(std::string_view bytes);

// The contents of the first stream named one of `names` (compared without regard to ASCII
// case); nullopt when there is none. Throws std::runtime_error describing the damage when
// the file's structures are inconsistent (chains that loop or leave the file).
std::optional<std::string> readCompoundStream(std::string_view file,
                                              std::initializer_list<std::string_view> names);

// A compound file holding one stream `name` with `contents`.
std::string writeCompoundFile(std::string_view name, std::string_view contents);

}  // namespace kpx::data::excel
