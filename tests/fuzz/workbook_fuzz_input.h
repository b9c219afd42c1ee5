// Shared by the workbook fuzzers: reads a workbook from the fuzzer's bytes and every row of every
// sheet through the sheet-as-table view. Errors are fine, crashes and hangs are not.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "data/providers/excel/sheet_table.h"

template <typename Read>
int readEveryCell(const uint8_t* data, size_t size, Read read) {
  using namespace kpx::data;
  try {
    auto book = std::make_shared<excel::Workbook>(
        read(std::string_view(reinterpret_cast<const char*>(data), size)));
    for (const auto& sheet : book->sheets) {
      auto reader = excel::openSheetReader(book, sheet, true);
      while (reader->next())
        for (size_t i = 0; i < reader->columns().size(); ++i) toText(reader->field(i));
    }
  } catch (const std::runtime_error&) {
  }
  return 0;
}
