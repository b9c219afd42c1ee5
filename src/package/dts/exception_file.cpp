#include "package/dts/exception_file.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include "package/dts/dts_error.h"

namespace kpx::dts {

ExceptionFile::ExceptionFile(std::string path, std::string packageName, std::string stepName,
                             std::string columnDelimiter, std::string rowDelimiter)
    : m_path(std::move(path)),
      m_package(std::move(packageName)),
      m_step(std::move(stepName)),
      m_columnDelimiter(columnDelimiter.empty() ? "|" : std::move(columnDelimiter)),
      m_rowDelimiter(rowDelimiter.empty() ? "\r\n" : std::move(rowDelimiter)) {}

ExceptionFile::~ExceptionFile() {
  if (m_file) std::fclose(m_file);
}

void ExceptionFile::open() {
  m_file = std::fopen(m_path.c_str(), "ab");
  if (!m_file) {
    throw DtsError(kErrStepFailed, kSourceDataPump,
                   "Cannot write the exception file '" + m_path + "': " + std::strerror(errno));
  }
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  m_line.assign(stamp);
  m_line += " Package '" + m_package + "', step '" + m_step + "'";
  flushLine();
}

// A failed row stays on its line: line breaks in its description and values become blanks.
void ExceptionFile::appendSingleLine(std::string_view text) {
  for (char c : text) m_line.push_back(c == '\r' || c == '\n' ? ' ' : c);
}

void ExceptionFile::flushLine() {
  m_line += m_rowDelimiter;
  if (std::fwrite(m_line.data(), 1, m_line.size(), m_file) != m_line.size() ||
      std::fflush(m_file) != 0) {
    throw DtsError(kErrStepFailed, kSourceDataPump,
                   "Cannot write the exception file '" + m_path + "': " + std::strerror(errno));
  }
  m_line.clear();
}

void ExceptionFile::writeRow(int64_t rowNumber, std::string_view description,
                             const data::RowReader* row) {
  if (m_path.empty()) return;
  if (!m_file) open();
  m_line = "Row " + std::to_string(rowNumber) + ": ";
  appendSingleLine(description);
  if (row) {
    for (size_t i = 0; i < row->columns().size(); ++i) {
      m_line += m_columnDelimiter;
      m_value.clear();
      data::appendText(row->field(i), m_value);
      appendSingleLine(m_value);
    }
  }
  flushLine();
}

void ExceptionFile::writeRunFailure(std::string_view description) {
  if (!m_file) return;
  m_line = "The run failed and its open transaction was rolled back: ";
  appendSingleLine(description);
  flushLine();
}

}  // namespace kpx::dts
