#include "data/providers/excel/biff_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "data/providers/excel/byte_reader.h"
#include "data/providers/excel/compound_file.h"
#include "data/providers/excel/number_format.h"
#include "data/providers/excel/workbook_stream.h"

namespace kpx::data::excel {
namespace {

constexpr size_t kMaxRecord = 8224;
// Longer texts go to the shared string table: a LABEL record holds at most 255 characters.
constexpr size_t kMaxLabelUnits = 255;
constexpr size_t kSpoolChunk = 64 * 1024;

// Cell formats after the 15 style formats and the default cell format (15).
enum : uint16_t { kXfGeneral = 15, kXfDate = 16, kXfDateTime = 17, kXfCurrency = 18 };

[[noreturn]] void writeFailed() {
  throw std::runtime_error("the workbook could not be written");
}

void record(std::string& out, uint16_t id, std::string_view data) {
  putU16(out, id);
  putU16(out, uint32_t(data.size()));
  out.append(data);
}

std::string bof(uint16_t type) {
  std::string d;
  putU16(d, 0x0600);
  putU16(d, type);
  putU16(d, 0x0DBB);
  putU16(d, 0x07CC);
  putU32(d, 0);
  putU32(d, 0x06);
  return d;
}

std::string xf(uint16_t format, bool style) {
  std::string d;
  putU16(d, 0);
  putU16(d, format);
  putU16(d, style ? 0xFFF5 : 0x0001);
  d += char(0x20);  // bottom aligned
  d += char(0);
  d += char(0);
  d += char(style || format == 0 ? 0 : 0x04);  // the number format differs from the style's
  putU32(d, 0);
  putU32(d, 0);
  putU16(d, 0x20C0);
  return d;
}

std::string format(uint16_t id, std::string_view code) {
  std::string d;
  putU16(d, id);
  putU16(d, uint32_t(code.size()));
  d += char(0);
  d.append(code);
  return d;
}

// The records before the sheets' names: fonts, number formats, cell formats.
std::string globalsHead() {
  std::string g;
  record(g, 0x0809, bof(0x0005));
  std::string cp;
  putU16(cp, 1200);
  record(g, 0x0042, cp);
  std::string window;
  for (uint32_t v : {0x0168u, 0x001Eu, 0x3A5Cu, 0x2328u, 0x0038u, 0u, 0u, 1u, 0x0258u})
    putU16(window, v);
  record(g, 0x003D, window);
  std::string datemode;
  putU16(datemode, 0);
  record(g, 0x0022, datemode);
  for (int i = 0; i < 4; ++i) {
    std::string font;
    for (uint32_t v : {200u, 0u, 0x7FFFu, 400u, 0u}) putU16(font, v);
    font.append(4, '\0');
    font += char(5);
    font += char(0);
    font += "Arial";
    record(g, 0x0031, font);
  }
  record(g, 0x041E, format(164, "YYYY-MM-DD"));
  record(g, 0x041E, format(165, "YYYY-MM-DD HH:MM:SS"));
  record(g, 0x041E, format(166, "[$$-409]#,##0.00##"));
  for (int i = 0; i < 15; ++i) record(g, 0x00E0, xf(0, true));
  record(g, 0x00E0, xf(0, false));
  record(g, 0x00E0, xf(164, false));
  record(g, 0x00E0, xf(165, false));
  record(g, 0x00E0, xf(166, false));
  std::string style;
  putU16(style, 0x8000);
  style += char(0);
  style += char(0xFF);
  record(g, 0x0293, style);
  return g;
}

// An anonymous temporary file written in large pieces.
class Spool {
 public:
  Spool() : m_file(std::tmpfile()) {
    if (!m_file) throw std::runtime_error("no temporary file could be created for the workbook");
  }
  ~Spool() { std::fclose(m_file); }
  Spool(const Spool&) = delete;
  Spool& operator=(const Spool&) = delete;
  std::string& buffer() { return m_buffer; }
  void flushIfFull() {
    if (m_buffer.size() >= kSpoolChunk) flush();
  }
  void flush() {
    if (!m_buffer.empty() &&
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
      writeFailed();
    m_written += m_buffer.size();
    m_buffer.clear();
  }
  uint64_t size() const { return m_written + m_buffer.size(); }
  // Overwrites bytes already written at `offset`.
  void patch(uint64_t offset, std::string_view bytes) {
    flush();
    if (std::fseek(m_file, long(offset), SEEK_SET) != 0 ||
        std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size() ||
        std::fseek(m_file, 0, SEEK_END) != 0)
      writeFailed();
  }
  void copyTo(std::FILE* out) {
    flush();
    if (std::fflush(m_file) != 0 || std::fseek(m_file, 0, SEEK_SET) != 0) writeFailed();
    std::string chunk(kSpoolChunk, '\0');
    for (size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), m_file)) > 0;)
      if (std::fwrite(chunk.data(), 1, n, out) != n) writeFailed();
    if (std::ferror(m_file)) writeFailed();
  }

 private:
  std::FILE* m_file;
  std::string m_buffer;
  uint64_t m_written = 0;
};

// The shared string table, written out as it grows: it is split into CONTINUE records where it
// outgrows one record, and a string's characters may be split, the continuation repeating the
// option byte. Only texts too long for a LABEL record go here, each once per cell.
class SharedStrings {
 public:
  SharedStrings() { m_record.append(8, '\0'); }  // the counts, filled in at the end
  uint32_t add(std::string_view utf16) {
    if (m_record.size() + 3 + 2 > kMaxRecord) endRecord();
    putU16(m_record, uint32_t(utf16.size() / 2));
    m_record += char(1);
    size_t done = 0;
    while (done < utf16.size()) {
      size_t room = (kMaxRecord - m_record.size()) & ~size_t(1);
      if (room == 0) {
        endRecord();
        m_record += char(1);
        continue;
      }
      size_t take = std::min(room, utf16.size() - done);
      m_record.append(utf16, done, take);
      done += take;
    }
    return m_count++;
  }
  uint64_t finish() {
    endRecord();
    std::string counts;
    putU32(counts, m_count);
    putU32(counts, m_count);
    m_spool.patch(4, counts);
    return m_spool.size();
  }
  void copyTo(std::FILE* out) { m_spool.copyTo(out); }

 private:
  void endRecord() {
    record(m_spool.buffer(), m_spool.size() == 0 ? 0x00FC : 0x003C, m_record);
    m_spool.flushIfFull();
    m_record.clear();
  }
  Spool m_spool;
  std::string m_record;
  uint32_t m_count = 0;
};

// A texts's characters as a LABEL record stores them: one byte each when they all fit (and
// mean the same in Windows-1252, as one-byte texts are read), else UTF-16.
void putLabelText(std::string& out, std::string_view utf16) {
  bool narrow = true;
  for (size_t i = 0; i < utf16.size() && narrow; i += 2) {
    uint8_t low = uint8_t(utf16[i]);
    narrow = utf16[i + 1] == 0 && (low < 0x80 || low >= 0xA0);
  }
  putU16(out, uint32_t(utf16.size() / 2));
  out += char(narrow ? 0 : 1);
  if (!narrow) {
    out.append(utf16);
    return;
  }
  for (size_t i = 0; i < utf16.size(); i += 2) out += utf16[i];
}

class XlsStreamWriter : public WorkbookStreamWriter {
 public:
  explicit XlsStreamWriter(std::FILE* out) : m_out(out) {}

  void beginSheet(const std::string& name) override {
    endSheet();
    m_sheetNames.push_back(name);
    m_sheetOffsets.push_back(m_sheets.size());
    std::string& s = m_sheets.buffer();
    record(s, 0x0809, bof(0x0010));
    m_dimensions = m_sheets.size() + 4;
    record(s, 0x0200, std::string(14, '\0'));
    std::string window;
    putU16(window, m_sheetNames.size() == 1 ? 0x06B6 : 0x00B6);
    putU16(window, 0);
    putU16(window, 0);
    putU32(window, 0x40);
    putU16(window, 0);
    putU16(window, 0);
    putU32(window, 0);
    record(s, 0x023E, window);
    m_rows = 0;
    m_columns = 0;
    m_open = true;
  }

  void writeRow(const SheetRow& row) override {
    std::string& s = m_sheets.buffer();
    for (uint32_t c = 0; c < row.cells.size(); ++c) {
      const Cell& cell = row.cells[c];
      if (cell.empty()) continue;
      m_rows = row.index + 1;
      m_columns = std::max(m_columns, c + 1);
      std::string& d = m_cell;
      d.clear();
      putU16(d, row.index);
      putU16(d, c);
      switch (cell.kind) {
        case CellKind::Text: {
          putU16(d, kXfGeneral);
          m_utf16 = toUtf16Le(cell.text);
          if (m_utf16.size() / 2 <= kMaxLabelUnits) {
            putLabelText(d, m_utf16);
            record(s, 0x0204, d);
          } else {
            putU32(d, m_strings.add(m_utf16));
            record(s, 0x00FD, d);
          }
          break;
        }
        case CellKind::Boolean:
          putU16(d, kXfGeneral);
          d += char(cell.number != 0);
          d += char(0);
          record(s, 0x0205, d);
          break;
        default: {
          uint16_t style = kXfGeneral;
          if (cell.kind == CellKind::Currency) style = kXfCurrency;
          if (cell.kind == CellKind::Date)
            style = cell.number == std::floor(cell.number) ? kXfDate : kXfDateTime;
          putU16(d, style);
          putF64(d, cell.number);
          record(s, 0x0203, d);
        }
      }
    }
    m_sheets.flushIfFull();
  }

  void finish() override {
    endSheet();
    std::string head = globalsHead();
    std::vector<size_t> offsetFields;
    for (const std::string& sheetName : m_sheetNames) {
      std::string d;
      offsetFields.push_back(head.size() + 4);
      putU32(d, 0);
      d += char(0);
      d += char(0);
      std::string name = toUtf16Le(sheetName);
      d += char(name.size() / 2);
      d += char(1);
      d += name;
      record(head, 0x0085, d);
    }
    uint64_t stringsSize = m_strings.finish();
    uint64_t sheetsStart = head.size() + stringsSize + 4;
    if (sheetsStart + m_sheets.size() > 0xFFFFFFFFu)
      throw std::runtime_error("the workbook is larger than 4 GB");
    for (size_t i = 0; i < m_sheetNames.size(); ++i) {
      std::string at;
      putU32(at, uint32_t(sheetsStart + m_sheetOffsets[i]));
      head.replace(offsetFields[i], 4, at);
    }
    m_sheets.flush();
    writeCompoundFile(m_out, "Workbook", sheetsStart + m_sheets.size(), [&](std::FILE* out) {
      if (std::fwrite(head.data(), 1, head.size(), out) != head.size()) writeFailed();
      m_strings.copyTo(out);
      std::string eof;
      record(eof, 0x000A, {});
      if (std::fwrite(eof.data(), 1, eof.size(), out) != eof.size()) writeFailed();
      m_sheets.copyTo(out);
    });
  }

 private:
  // Ends the current sheet, its size now known.
  void endSheet() {
    if (!m_open) return;
    record(m_sheets.buffer(), 0x000A, {});
    std::string dim;
    putU32(dim, 0);
    putU32(dim, m_rows);
    putU16(dim, 0);
    putU16(dim, m_columns);
    putU16(dim, 0);
    m_sheets.patch(m_dimensions, dim);
    m_open = false;
  }

  std::FILE* m_out;
  Spool m_sheets;  // every sheet's records, one after another
  SharedStrings m_strings;
  std::vector<std::string> m_sheetNames;
  std::vector<uint64_t> m_sheetOffsets;
  uint64_t m_dimensions = 0;
  uint32_t m_rows = 0;
  uint32_t m_columns = 0;
  bool m_open = false;
  std::string m_cell;   // reused for each cell's record
  std::string m_utf16;  // reused for each text
};

// Writes the file where it is named: the caller makes the write atomic (the provider writes
// into a temporary file that it renames into place), and opening an existing file keeps the
// permissions it was made with.
class XlsFileWriter : public WorkbookStreamWriter {
 public:
  explicit XlsFileWriter(const std::string& path) : m_path(path) {
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) throw std::runtime_error("the file '" + path + "' could not be created");
    m_writer = std::make_unique<XlsStreamWriter>(m_file);
  }
  ~XlsFileWriter() override {
    if (m_file) std::fclose(m_file);
  }
  void beginSheet(const std::string& name) override { m_writer->beginSheet(name); }
  void writeRow(const SheetRow& row) override { m_writer->writeRow(row); }
  void finish() override {
    m_writer->finish();
    int closed = std::fclose(m_file);
    m_file = nullptr;
    if (closed != 0) throw std::runtime_error("the file '" + m_path + "' could not be written");
  }

 private:
  std::string m_path;
  std::FILE* m_file = nullptr;
  std::unique_ptr<XlsStreamWriter> m_writer;
};

}  // namespace

std::unique_ptr<WorkbookStreamWriter> createXlsStreamWriter(const std::string& path) {
  return std::make_unique<XlsFileWriter>(path);
}

std::string writeXls(const Workbook& workbook) {
  return bytesWrittenBy([&workbook](std::FILE* out) {
    XlsStreamWriter writer(out);
    SheetRow row;
    for (const Sheet& sheet : workbook.sheets) {
      writer.beginSheet(sheet.name);
      for (uint32_t r = 0; r < sheet.rows.size(); ++r) {
        row.index = r;
        row.cells = sheet.rows[r];
        writer.writeRow(row);
      }
    }
    writer.finish();
  });
}

}  // namespace kpx::data::excel
