// The exception file of a data pump: the rows that failed, appended to a text file that is
// never truncated. The first failed row of a run writes a header line (time, package,
// step); each failed row is one line: "Row <n>: <description>" followed by the source values,
// each after the column delimiter. Every line ends with the row delimiter (CR LF).
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "data/providers/provider.h"

namespace kpx::dts {

class ExceptionFile {
 public:
  // Nothing is written when `path` is empty. The file is opened at the first failed row.
  ExceptionFile(std::string path, std::string packageName, std::string stepName,
                std::string columnDelimiter, std::string rowDelimiter);
  ~ExceptionFile();
  ExceptionFile(const ExceptionFile&) = delete;
  ExceptionFile& operator=(const ExceptionFile&) = delete;

  // Appends one failed row; `row` (may be null when the row could not be read) gives the
  // source values of its current row. DtsError when the file cannot be written.
  void writeRow(int64_t rowNumber, std::string_view description, const data::RowReader* row);
  // Appends a closing line saying why the run ended without its rows, when this run has
  // written to the file.
  void writeRunFailure(std::string_view description);

 private:
  void open();
  void appendSingleLine(std::string_view text);
  void flushLine();

  std::string m_path, m_package, m_step, m_columnDelimiter, m_rowDelimiter;
  std::FILE* m_file = nullptr;
  std::string m_line;
  std::string m_value;  // one value's text, before its line breaks go
};

}  // namespace kpx::dts
