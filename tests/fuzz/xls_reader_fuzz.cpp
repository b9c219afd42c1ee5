// Feeds arbitrary bytes to the .xls reader (compound file, BIFF2-8 records) and to the
// sheet-as-table view over what it reads.
#include "workbook_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return readEveryCell(data, size,
                       [](auto file) { return kpx::data::excel::openXlsStreams(file, "Sheet"); });
}
