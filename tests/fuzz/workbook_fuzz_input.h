// Shared by the workbook fuzzers: opens a workbook from the fuzzer's bytes and reads every row
// of every sheet through the sheet-as-table view. Errors are fine, crashes and hangs are not.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "data/providers/excel/sheet_table.h"

template <typename Open>
int readEveryCell(const uint8_t* data, size_t size, Open open) {
  using namespace kpx::data;
  try {
    std::shared_ptr<const excel::WorkbookStreams> book =
        open(excel::bytesInMemory(std::string(reinterpret_cast<const char*>(data), size)));
    for (size_t i = 0; i < book->sheetNames().size(); ++i) {
      auto reader = excel::openSheetReader(
          book->openSheet(i), excel::sheetShape(*book->openSheet(i), true, *book), true);
      while (reader->next())
        for (size_t c = 0; c < reader->columns().size(); ++c) toText(reader->field(c));
    }
  } catch (const std::runtime_error&) {
  }
  return 0;
}
