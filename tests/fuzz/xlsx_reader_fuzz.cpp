// Feeds arbitrary bytes to the .xlsx reader (zip archive, workbook, styles, shared strings
// and sheet XML) and to the sheet-as-table view over what it reads.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "data/providers/excel/sheet_table.h"
#include "data/providers/excel/xlsx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::data;
  try {
    auto book = std::make_shared<excel::Workbook>(
        excel::readXlsx(std::string_view(reinterpret_cast<const char*>(data), size)));
    for (const auto& sheet : book->sheets) {
      auto reader = excel::openSheetReader(book, sheet, true);
      while (reader->next())
        for (size_t i = 0; i < reader->columns().size(); ++i) toText(reader->field(i));
    }
  } catch (const std::runtime_error&) {
  }
  return 0;
}
