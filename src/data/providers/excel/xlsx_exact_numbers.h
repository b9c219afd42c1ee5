// libxlsxwriter writes every number with 16 significant digits, which changes doubles such as
// 0.30000000000000004 (written 0.3). The writer notes the cells whose number would change and
// this puts their shortest exact text into the finished workbook.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kpx::data::excel {

struct ExactNumber {
  uint32_t row;
  uint32_t column;
  std::string text;  // the shortest text that reads back as the cell's double
};

// Whether 16 significant digits read back as `number`; when not, `exact` gets its shortest text.
bool needsExactText(double number, std::string& exact);

// Replaces the value text of each listed cell (in row, then column order) of the sheet part
// `sheetPart` of the workbook at `path`. Throws std::runtime_error when the workbook cannot be
// rewritten.
void writeExactNumbers(const std::string& path, const std::string& sheetPart,
                       const std::vector<ExactNumber>& numbers);

}  // namespace kpx::data::excel
