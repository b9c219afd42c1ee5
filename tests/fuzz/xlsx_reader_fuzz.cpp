// Feeds arbitrary bytes to the .xlsx reader (zip archive, workbook, styles, shared strings
// and sheet XML) and to the sheet-as-table view over what it reads.
#include "data/providers/excel/xlsx_reader.h"
#include "workbook_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return readEveryCell(data, size,
                       [](std::string_view bytes) { return kpx::data::excel::readXlsx(bytes); });
}
