// Feeds arbitrary bytes to the .xls reader (compound file, BIFF2-8 records) and to the
// sheet-as-table view over what it reads: errors are fine, crashes and hangs are not.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "data/providers/excel/biff_reader.h"
#include "data/providers/excel/sheet_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::data;
  try {
    auto book = std::make_shared<excel::Workbook>(
        excel::readXls(std::string_view(reinterpret_cast<const char*>(data), size), "Sheet"));
    for (const auto& sheet : book->sheets) {
      auto reader = excel::openSheetReader(book, sheet, true);
      while (reader->next())
        for (size_t i = 0; i < reader->columns().size(); ++i) toText(reader->field(i));
    }
  } catch (const std::runtime_error&) {
  }
  return 0;
}
