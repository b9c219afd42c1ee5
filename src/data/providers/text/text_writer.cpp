#include "data/providers/text/text_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "data/providers/text_compare.h"

namespace kpx::data {
namespace {

constexpr size_t kFlushSize = 256 * 1024;
constexpr size_t kRowsPerBatch = 512, kBatches = 4;
constexpr size_t kNoColumn = static_cast<size_t>(-1);

size_t countCharacters(std::string_view s) {
  size_t n = 0;
  for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::string quotedName(const std::string& name) {
  return "\"" + name + "\"";
}

}  // namespace

TextRowWriter::TextRowWriter(const TextFormat& format, const std::vector<std::string>& columns)
    : m_format(format), m_columns(columns) {
  if (m_format.readOnly) {
    throw DataError("The text file " + m_format.path +
                    " is open for reading only (Mode=1); rows cannot be written to it.");
  }
  if (m_format.fixedWidth) planFixedLayout();
  m_writesLater = !m_format.fixedWidth && !m_format.qualifier.empty();
  m_scanOnce = !m_format.rowDelimiter.empty() && !m_format.columnDelimiter.empty();
  for (const std::string* s :
       {&m_format.rowDelimiter, &m_format.columnDelimiter, &m_format.qualifier})
    if (!s->empty()) m_starts[static_cast<unsigned char>((*s)[0])] = true;
  m_starts['\n'] = true;

  m_file = std::make_unique<FileReplacement>(m_format.path, "text file");

  if (!m_format.firstRowNames) return;
  try {
    for (size_t i = 0; i < m_columns.size() && !m_format.fixedWidth; ++i) {
      if (i > 0) m_row += m_format.columnDelimiter;
      appendDelimitedField(m_columns[i], true, m_columns[i]);
    }
    for (size_t slot = 0; slot < m_widths.size(); ++slot) {
      appendFixedField(m_slotNames[slot], slot, true);
    }
  } catch (const RowError& e) {
    rollback();
    throw DataError(std::string(e.what()) + " (in the header row)");
  } catch (...) {
    rollback();
    throw;
  }
  m_out += m_row;
  m_out += m_format.rowDelimiter;
  m_row.clear();
}

TextRowWriter::~TextRowWriter() {
  if (m_file) rollback();
}

void TextRowWriter::checkOpen() const {
  if (!m_file) throw DataError("The writer of the text file " + m_format.path + " is finished.");
}

void TextRowWriter::appendDelimitedField(std::string_view text, bool textValue,
                                         const std::string& column) {
  const std::string& q = m_format.qualifier;
  if (m_scanOnce) {
    // Most values hold none of the bytes that start a delimiter or the qualifier: one look at
    // each byte says so, where the searches below would each run over the value.
    bool special = false;
    for (char c : text) special |= m_starts[static_cast<unsigned char>(c)];
    if (!special) {
      if (textValue && !q.empty()) m_row += q;
      m_row += text;
      if (textValue && !q.empty()) m_row += q;
      return;
    }
  }
  bool lineBreak = m_format.rowDelimiter == "\r\n"
                       ? text.find('\n') != std::string_view::npos
                       : text.find(m_format.rowDelimiter) != std::string_view::npos;
  bool delimiter = lineBreak || text.find(m_format.columnDelimiter) != std::string_view::npos;
  if (q.empty()) {
    if (delimiter) {
      throw RowError(m_format.path + ": row " + std::to_string(m_rows + 1) +
                         ": the value of column " + quotedName(column) + " holds the " +
                         (lineBreak ? "row delimiter" : "column delimiter") +
                         " and the file has no text qualifier to enclose it.",
                     column, std::string(text));
    }
    m_row += text;
    return;
  }
  if (!textValue && !delimiter && text.find(q) == std::string_view::npos) {
    m_row += text;
    return;
  }
  m_row += q;
  for (size_t start = 0;;) {
    size_t at = text.find(q, start);
    m_row += text.substr(start, at - start);
    if (at == std::string_view::npos) break;
    m_row += q;
    m_row += q;
    start = at + q.size();
  }
  m_row += q;
}

void TextRowWriter::planFixedLayout() {
  // When "Column Names" names every column written, the file keeps that layout (fields the
  // writer does not fill stay blank); otherwise widths go to the columns by position.
  bool byName = !m_format.names.empty();
  std::vector<size_t> slotOf(m_columns.size());
  for (size_t i = 0; i < m_columns.size() && byName; ++i) {
    byName = false;
    for (size_t k = 0; k < m_format.names.size() && k < m_format.widths.size(); ++k) {
      if (equalsIgnoringCase(m_format.names[k], m_columns[i])) {
        slotOf[i] = k;
        byName = true;
        break;
      }
    }
  }
  size_t slots = byName ? m_format.widths.size() : m_columns.size();
  m_columnAt.assign(slots, kNoColumn);
  for (size_t slot = 0; slot < slots; ++slot) {
    if (slot >= m_format.widths.size()) {
      throw DataError("The text file " + m_format.path +
                      " is fixed width but gives no width for the column " +
                      quotedName(m_columns[slot]) + "; set one in \"Column Lengths\".");
    }
    m_widths.push_back(m_format.widths[slot]);
    m_slotNames.push_back(
        byName ? (slot < m_format.names.size() ? m_format.names[slot] : std::string())
               : m_columns[slot]);
  }
  for (size_t i = 0; i < m_columns.size(); ++i) m_columnAt[byName ? slotOf[i] : i] = i;
}

void TextRowWriter::appendFixedField(std::string_view text, size_t slot, bool header) {
  const std::string& column = m_slotNames[slot];
  size_t width = static_cast<size_t>(m_widths[slot]);
  size_t characters = countCharacters(text);
  bool lineBreak = text.find('\n') != std::string_view::npos ||
                   text.find(m_format.rowDelimiter) != std::string_view::npos;
  if (characters > width || lineBreak) {
    std::string reason = lineBreak ? " holds a line break, which a fixed-width row cannot hold."
                                   : " is " + std::to_string(characters) +
                                         " characters long, more than the width of " +
                                         std::to_string(width) + " its column has.";
    if (header) {
      throw DataError("The text file " + m_format.path + ": the column name " + quotedName(column) +
                      reason + " Widen the column in \"Column Lengths\".");
    }
    throw RowError(m_format.path + ": row " + std::to_string(m_rows + 1) +
                       ": the value of column " + quotedName(column) + reason,
                   column, std::string(text));
  }
  m_row += text;
  m_row.append(width - characters, ' ');
}

void TextRowWriter::writeRow(const Value* values, size_t count) {
  checkOpen();
  if (count != m_columns.size()) {
    throw RowError(m_format.path + ": row " + std::to_string(m_accepted + 1) + ": " +
                   std::to_string(count) + " values for " + std::to_string(m_columns.size()) +
                   " columns.");
  }
  if (!m_writesLater) {
    appendRow(values, count);
    ++m_accepted;
    return;
  }
  ++m_accepted;
  RowBatch& batch = m_pipe ? m_pipe->filling() : m_batch;
  if (batch.values.empty()) batch.values.resize(kRowsPerBatch * std::max<size_t>(count, 1));
  StoredValue* slots = batch.values.data() + batch.rows * count;
  for (size_t i = 0; i < count; ++i) slots[i].assign(values[i]);
  if (++batch.rows * count < batch.values.size()) return;
  if (!m_pipe) {
    m_pipe = std::make_unique<RowBatchPipe>(kBatches, batch.values.size(),
                                            [this](RowBatch& b) { appendRows(b); });
    std::swap(m_pipe->filling().values, batch.values);
    m_pipe->filling().rows = batch.rows;
    batch = {};
  }
  m_pipe->send();
}

void TextRowWriter::appendRows(RowBatch& batch) {
  const size_t n = m_columns.size();
  m_values.resize(n);
  for (size_t row = 0; row < batch.rows; ++row) {
    for (size_t i = 0; i < n; ++i) m_values[i] = batch.values[row * n + i].view();
    appendRow(m_values.data(), n);
  }
  batch.rows = 0;
}

void TextRowWriter::appendRow(const Value* values, size_t count) {
  m_row.clear();
  if (m_format.fixedWidth) {
    for (size_t slot = 0; slot < m_widths.size(); ++slot) {
      m_text.clear();
      if (m_columnAt[slot] != kNoColumn) appendText(values[m_columnAt[slot]], m_text);
      appendFixedField(m_text, slot, false);
    }
  }
  for (size_t i = 0; i < count && !m_format.fixedWidth; ++i) {
    m_text.clear();
    appendText(values[i], m_text);
    if (i > 0) m_row += m_format.columnDelimiter;
    if (!values[i].isNull()) {
      appendDelimitedField(m_text, values[i].kind == ValueKind::String, m_columns[i]);
    }
  }
  m_out += m_row;
  m_out += m_format.rowDelimiter;
  ++m_rows;
  if (m_out.size() >= kFlushSize) flush();
}

void TextRowWriter::flush() {
  m_file->write(m_out.data(), m_out.size());
  m_out.clear();
}

void TextRowWriter::commit() {
  checkOpen();
  if (m_pipe) {
    if (m_pipe->filling().rows > 0) m_pipe->send();
    m_pipe->drain();
    m_pipe.reset();
  }
  appendRows(m_batch);
  flush();
  auto file = std::move(m_file);
  file->commit();
}

void TextRowWriter::rollback() {
  m_pipe.reset();
  if (!m_file) return;
  m_file->abandon();
  m_file.reset();
}

}  // namespace kpx::data
