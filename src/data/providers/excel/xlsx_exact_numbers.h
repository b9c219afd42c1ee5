// libxlsxwriter writes every number with 16 significant digits, which changes doubles such as
// 0.30000000000000004 (written 0.3). The writer notes the cells whose number would change and
// this puts their shortest exact text into the finished workbook. The noted cells wait in a
// temporary file and each sheet is rewritten as a stream, so a workbook full of such numbers
// costs no more memory than one holding none.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kpx::data::excel {

class ExactNumbers {
 public:
  // Temporary files go where temporaryFolder() says, removed as soon as they are made.
  ExactNumbers() = default;
  ~ExactNumbers();
  ExactNumbers(const ExactNumbers&) = delete;
  ExactNumbers& operator=(const ExactNumbers&) = delete;

  // The cells noted from now on belong to the next sheet.
  void beginSheet();
  // Notes cell (row, column) of the current sheet, in row then column order, when 16
  // significant digits would not read back as `number`.
  void note(uint32_t row, uint32_t column, double number);
  // Replaces the value text of every noted cell in the closed workbook at `path`, whose sheets
  // are its parts xl/worksheets/sheetN.xml in order. Throws std::runtime_error when the
  // workbook cannot be rewritten.
  void writeInto(const std::string& path);

 private:
  std::FILE* m_list = nullptr;  // the noted cells of every sheet, one after the other
  std::vector<uint64_t> m_counts;
};

}  // namespace kpx::data::excel
