// The OLE2 compound file that holds an .xls workbook stream ("Workbook" in Excel 97 and
// later, "Book" in Excel 5.0/95).
#pragma once
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "data/providers/excel/workbook_stream.h"

namespace kpx::data::excel {

// True when the bytes start with the compound file signature.
bool isCompoundFile(std::string_view bytes);
bool isCompoundFile(const ByteFile& file);

// The first stream named one of `names` (compared without regard to ASCII case), read in place
// sector by sector; nullptr when there is none. Throws std::runtime_error describing the damage
// when the file's structures are inconsistent (chains that loop or leave the file).
std::shared_ptr<ByteFile> openCompoundStream(std::shared_ptr<ByteFile> file,
                                             std::initializer_list<std::string_view> names);
// The same stream's contents copied whole.
std::optional<std::string> readCompoundStream(std::string_view file,
                                              std::initializer_list<std::string_view> names);

// Writes a compound file holding one stream `name` of `size` bytes to `out`: `writeData` is
// called once to write exactly those bytes. Throws std::runtime_error when writing fails.
void writeCompoundFile(std::FILE* out, std::string_view name, uint64_t size,
                       const std::function<void(std::FILE*)>& writeData);
// What `write` writes, collected in memory.
std::string bytesWrittenBy(const std::function<void(std::FILE*)>& write);
// A compound file holding one stream `name` with `contents`.
std::string writeCompoundFile(std::string_view name, std::string_view contents);

}  // namespace kpx::data::excel
