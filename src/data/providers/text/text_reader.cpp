#include "data/providers/text/text_reader.h"

#include <cstdio>

namespace kpx::data {
namespace {

constexpr int32_t kDelimitedSize = 255;

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Byte length of the first `characters` code points of `s` (all of it when shorter).
size_t bytesOfCharacters(std::string_view s, size_t characters) {
  size_t i = 0;
  while (i < s.size() && characters > 0) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    --characters;
  }
  return i;
}

std::string lineText(const TextScanner& scanner) {
  return scanner.path() + ": line " + std::to_string(scanner.line());
}

}  // namespace

std::string defaultColumnName(size_t index) {
  char name[16];
  std::snprintf(name, sizeof name, "Col%03zu", index + 1);
  return name;
}

TextRowReader::TextRowReader(const TextFormat& format, size_t readSize)
    : m_format(format), m_scanner(format, readSize) {
  m_scanner.skipRows(m_format.skipRows);
  if (m_format.fixedWidth) {
    readFixedHeader();
  } else {
    readDelimitedHeader();
  }
  const auto& orders = textColumnDateOrders();
  const auto file = orders.find(m_format.path);
  if (file == orders.end()) return;
  m_dateOrders.assign(m_columns.size(), DateOrder::Iso);
  for (size_t i = 0; i < m_columns.size(); ++i) {
    const auto column = file->second.find(m_columns[i].name);
    if (column != file->second.end()) m_dateOrders[i] = column->second;
  }
}

void TextRowReader::readDelimitedHeader() {
  if (!m_scanner.nextRecord()) return;  // an empty file has no columns
  for (size_t i = 0; i < m_scanner.fieldCount(); ++i) {
    ColumnInfo column;
    std::string_view name = m_scanner.field(i);
    column.name =
        m_format.firstRowNames && !name.empty() ? std::string(name) : defaultColumnName(i);
    column.type = adVarChar;
    column.size = kDelimitedSize;
    column.attributes = adColNullable;
    m_columns.push_back(std::move(column));
  }
  m_havePending = !m_format.firstRowNames;
}

void TextRowReader::readFixedHeader() {
  const size_t count = m_format.widths.size();
  m_slices.resize(count);
  bool namesFromFile = false;
  if (m_format.firstRowNames && m_scanner.nextLine()) {
    namesFromFile = m_format.names.empty();
    if (namesFromFile) sliceFixedLine();
  }
  for (size_t i = 0; i < count; ++i) {
    ColumnInfo column;
    if (i < m_format.names.size() && !m_format.names[i].empty()) {
      column.name = m_format.names[i];
    } else if (namesFromFile && !m_slices[i].empty()) {
      column.name = std::string(m_slices[i]);
    } else {
      column.name = defaultColumnName(i);
    }
    column.type = adChar;
    column.size = m_format.widths[i];
    column.attributes = adColNullable;
    m_columns.push_back(std::move(column));
  }
}

bool TextRowReader::sliceFixedLine() {
  std::string_view rest = m_scanner.field(0);
  for (size_t i = 0; i < m_format.widths.size(); ++i) {
    size_t length = bytesOfCharacters(rest, static_cast<size_t>(m_format.widths[i]));
    m_slices[i] = trimBlanks(rest.substr(0, length));
    rest.remove_prefix(length);
  }
  return trimBlanks(rest).empty();
}

bool TextRowReader::next() {
  if (m_format.fixedWidth) {
    if (!m_scanner.nextLine()) return false;
    if (!sliceFixedLine()) {
      size_t total = 0;
      for (int width : m_format.widths) total += static_cast<size_t>(width);
      throw RowError(lineText(m_scanner) + ": the row is longer than the " + std::to_string(total) +
                     " characters its column lengths add up to.");
    }
    return true;
  }
  if (m_havePending) {
    m_havePending = false;
  } else if (!m_scanner.nextRecord()) {
    return false;
  }
  if (m_scanner.fieldCount() > m_columns.size()) {
    throw RowError(lineText(m_scanner) + ": " + std::to_string(m_scanner.fieldCount()) +
                   " fields where the file has " + std::to_string(m_columns.size()) + " columns.");
  }
  return true;
}

Value TextRowReader::field(size_t i) const {
  Value v = text(i);
  double date = 0;
  // A value that is not a date in its column's order stays text, for the destination to
  // refuse as it refuses any other value that is not a date.
  if (i < m_dateOrders.size() && v.kind == ValueKind::String &&
      parseDateInOrder(trimBlanks(v.text), m_dateOrders[i], date))
    return Value::fromDate(date);
  return v;
}

Value TextRowReader::text(size_t i) const {
  if (m_format.fixedWidth) {
    if (i >= m_slices.size() || m_slices[i].empty()) return Value::null();
    return Value::fromString(m_slices[i]);
  }
  if (i >= m_scanner.fieldCount()) return Value::null();
  std::string_view text = m_scanner.field(i);
  if (text.empty() && !m_scanner.quoted(i)) return Value::null();
  return Value::fromString(text);
}

ReadProgress TextRowReader::progress() const {
  return {m_scanner.bytesRead(), m_scanner.fileSize()};
}

}  // namespace kpx::data
