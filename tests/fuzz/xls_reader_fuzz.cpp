// Feeds arbitrary bytes to the .xls reader (compound file, BIFF2-8 records), reading every row of
// every sheet as the provider does, from bytes read in place.
#include <stdexcept>
#include <string>

#include "data/providers/excel/workbook_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::data::excel;
  try {
    auto book = openXlsStreams(
        bytesInMemory(std::string(reinterpret_cast<const char*>(data), size)), "Sheet");
    SheetRow row;
    for (size_t i = 0; i < book->sheetNames().size(); ++i) {
      auto rows = book->openSheet(i);
      while (rows->next(row)) {
      }
    }
  } catch (const std::runtime_error&) {
  }
  return 0;
}
