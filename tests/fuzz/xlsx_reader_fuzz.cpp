// Feeds arbitrary bytes to the streaming .xlsx reader (zip archive, workbook, styles, shared
// strings and sheet XML) and to the sheet-as-table view over what it reads.
#include "workbook_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return readEveryCell(data, size,
                       [](auto file) { return kpx::data::excel::openXlsxStreams(file); });
}
