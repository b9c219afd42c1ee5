#include "data/providers/excel/biff_reader.h"

#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

#include "data/providers/excel/byte_reader.h"
#include "data/providers/excel/compound_file.h"
#include "data/providers/excel/number_format.h"

namespace kpx::data::excel {
namespace {

// Record identifiers.
enum : uint16_t {
  kBof2 = 0x0009,
  kBof3 = 0x0209,
  kBof4 = 0x0409,
  kBof = 0x0809,
  kEof = 0x000A,
  kContinue = 0x003C,
  kCodepage = 0x0042,
  kDatemode = 0x0022,
  kFormat23 = 0x001E,
  kFormat = 0x041E,
  kXf2 = 0x0043,
  kXf3 = 0x0243,
  kXf4 = 0x0443,
  kXf = 0x00E0,
  kBoundsheet = 0x0085,
  kSst = 0x00FC,
  kInteger2 = 0x0002,
  kNumber2 = 0x0003,
  kLabel2 = 0x0004,
  kBoolErr2 = 0x0005,
  kFormula2 = 0x0006,
  kString2 = 0x0007,
  kNumber = 0x0203,
  kLabel = 0x0204,
  kBoolErr = 0x0205,
  kRString = 0x00D6,
  kRk = 0x027E,
  kMulRk = 0x00BD,
  kLabelSst = 0x00FD,
  kFormula3 = 0x0206,
  kFormula4 = 0x0406,
  kFormula = 0x0006,
  kString = 0x0207,
};

constexpr uint32_t kMaxColumns = 256;

struct Record {
  uint16_t id;
  std::string_view data;
};

// A record with the CONTINUE records that follow it, read as one: character data split
// between records restarts with a fresh option byte.
class ContinuedReader {
 public:
  explicit ContinuedReader(std::vector<std::string_view> parts) : m_parts(std::move(parts)) {}
  bool atEnd() {
    while (m_part < m_parts.size() && m_pos >= m_parts[m_part].size()) next();
    return m_part >= m_parts.size();
  }
  std::string bytes(size_t n) {
    std::string out;
    while (out.size() < n) {
      if (atEnd()) throw OutOfBounds{};
      size_t take = std::min(n - out.size(), m_parts[m_part].size() - m_pos);
      out.append(m_parts[m_part].substr(m_pos, take));
      m_pos += take;
    }
    return out;
  }
  uint32_t uint(size_t n) {
    std::string b = bytes(n);
    uint32_t v = 0;
    for (size_t i = n; i-- > 0;) v = v << 8 | uint8_t(b[i]);
    return v;
  }
  // An XLUnicodeRichExtendedString.
  std::string string() {
    uint32_t count = uint(2);
    uint8_t flags = uint8_t(uint(1));
    uint32_t runs = flags & 0x08 ? uint(2) : 0;
    uint32_t ext = flags & 0x04 ? uint(4) : 0;
    bool wide = flags & 0x01;
    std::string out;
    for (uint32_t done = 0; done < count;) {
      if (m_part < m_parts.size() && m_pos >= m_parts[m_part].size()) {
        next();
        if (m_part >= m_parts.size()) throw OutOfBounds{};
        wide = uint8_t(m_parts[m_part][0]) & 0x01;  // the option byte of the continuation
        m_pos = 1;
        continue;
      }
      if (m_part >= m_parts.size()) throw OutOfBounds{};
      size_t unit = wide ? 2 : 1;
      size_t avail = (m_parts[m_part].size() - m_pos) / unit;
      if (avail == 0) throw OutOfBounds{};
      size_t take = std::min<size_t>(avail, count - done);
      std::string_view chunk = m_parts[m_part].substr(m_pos, take * unit);
      out += wide ? fromUtf16Le(chunk) : fromWindows1252(chunk);
      m_pos += take * unit;
      done += uint32_t(take);
    }
    skip(size_t(runs) * 4 + ext);
    return out;
  }
  void skip(size_t n) {
    while (n > 0) {
      if (atEnd()) throw OutOfBounds{};
      size_t take = std::min(n, m_parts[m_part].size() - m_pos);
      m_pos += take;
      n -= take;
    }
  }

 private:
  void next() {
    ++m_part;
    m_pos = 0;
  }
  std::vector<std::string_view> m_parts;
  size_t m_part = 0;
  size_t m_pos = 0;
};

class BiffParser {
 public:
  BiffParser(std::string_view stream, bool date1904Default)
      : m_stream(stream), m_date1904(date1904Default) {}

  Workbook readBareWorksheet(const std::string& name);
  Workbook readWorkbook();

 private:
  std::optional<Record> recordAt(size_t& pos) const {
    ByteReader r(m_stream);
    if (pos + 4 > m_stream.size()) return std::nullopt;
    r.seek(pos);
    uint16_t id = r.u16();
    uint16_t len = r.u16();
    if (len > r.remaining())
      throw std::runtime_error("a record runs past the end of the workbook stream");
    Record rec{id, r.take(len)};
    pos = r.position();
    return rec;
  }
  std::string decode(std::string_view bytes) const {
    return m_codepage == 1200 ? fromUtf16Le(bytes) : fromWindows1252(bytes);
  }
  std::string byteString(ByteReader& r, bool longLength) const {
    size_t n = longLength ? r.u16() : r.u8();
    return decode(r.take(n));
  }
  std::string unicodeString(ByteReader& r, bool longLength) const {
    size_t n = longLength ? r.u16() : r.u8();
    uint8_t flags = r.u8();
    uint32_t runs = flags & 0x08 ? r.u16() : 0;
    uint32_t ext = flags & 0x04 ? r.u32() : 0;
    std::string s = flags & 0x01 ? fromUtf16Le(r.take(n * 2)) : fromWindows1252(r.take(n));
    (void)runs;
    (void)ext;  // rich-text runs and phonetic data trail the characters; nothing needs them
    return s;
  }
  std::string labelText(ByteReader& r) const {
    return m_version == 8 ? unicodeString(r, true) : byteString(r, true);
  }

  // Handles the records that describe formats and dates; true when it took the record.
  bool takeGlobal(const Record& rec);
  void takeCell(const Record& rec, Sheet& sheet);
  NumberClass classOfXf(uint32_t xf) const {
    return xf < m_xfFormats.size() ? classOfFormat(m_xfFormats[xf]) : NumberClass::Plain;
  }
  NumberClass classOfFormat(uint32_t id) const {
    auto it = m_formats.find(id);
    if (it != m_formats.end()) return classifyFormat(it->second);
    return m_version >= 5 ? classifyBuiltInFormat(id) : NumberClass::Plain;
  }
  void putNumber(Sheet& sheet, uint32_t row, uint32_t col, double v, NumberClass cls) {
    if (col < kMaxColumns && std::isfinite(v)) sheet.set(row, col, numberCell(v, cls, m_date1904));
  }
  void putCell(Sheet& sheet, uint32_t row, uint32_t col, Cell c) {
    if (col < kMaxColumns) sheet.set(row, col, std::move(c));
  }
  void readSst(size_t& pos, std::string_view first);

  std::string_view m_stream;
  int m_version = 8;
  uint32_t m_codepage = 1252;
  bool m_date1904;
  std::map<uint32_t, std::string> m_formats;
  uint32_t m_nextImplicitFormat = 0;
  std::vector<uint32_t> m_xfFormats;
  std::vector<std::string> m_sst;
  // A formula whose text result comes in the next STRING record.
  struct Pending {
    uint32_t row, col;
  };
  std::optional<Pending> m_pendingString;
};

double decodeRk(uint32_t rk) {
  double v;
  if (rk & 0x02) {
    v = double(int32_t(rk) >> 2);
  } else {
    uint64_t bits = uint64_t(rk & 0xFFFFFFFC) << 32;
    std::memcpy(&v, &bits, 8);
  }
  return rk & 0x01 ? v / 100 : v;
}

bool BiffParser::takeGlobal(const Record& rec) {
  ByteReader r(rec.data);
  switch (rec.id) {
    case kCodepage:
      m_codepage = r.u16();
      return true;
    case kDatemode:
      m_date1904 = r.u16() == 1;
      return true;
    case kFormat23:
      m_formats[m_nextImplicitFormat++] = byteString(r, false);
      return true;
    case kFormat:
      if (m_version == 4) {
        r.skip(2);
        m_formats[m_nextImplicitFormat++] = byteString(r, false);
      } else {
        uint32_t id = r.u16();
        m_formats[id] = m_version == 8 ? unicodeString(r, true) : byteString(r, false);
      }
      return true;
    case kXf3:
    case kXf4:
      r.skip(1);
      m_xfFormats.push_back(r.u8());
      return true;
    case kXf:
      r.skip(2);
      m_xfFormats.push_back(r.u16());
      return true;
    default:
      return false;
  }
}

void BiffParser::takeCell(const Record& rec, Sheet& sheet) {
  ByteReader r(rec.data);
  if (rec.id == kString || rec.id == kString2) {
    if (m_pendingString) {
      std::string s = rec.id == kString2 ? byteString(r, false) : labelText(r);
      putCell(sheet, m_pendingString->row, m_pendingString->col, Cell::ofText(std::move(s)));
    }
    m_pendingString.reset();
    return;
  }
  bool isCell = rec.id == kInteger2 || rec.id == kNumber2 || rec.id == kLabel2 ||
                rec.id == kBoolErr2 || (rec.id == kFormula2 && m_version == 2) ||
                rec.id == kNumber || rec.id == kLabel || rec.id == kBoolErr || rec.id == kRString ||
                rec.id == kRk || rec.id == kMulRk || rec.id == kLabelSst || rec.id == kFormula3 ||
                rec.id == kFormula4 || (rec.id == kFormula && m_version >= 5);
  if (!isCell) return;
  m_pendingString.reset();
  uint32_t row = r.u16();
  uint32_t col = r.u16();
  NumberClass cls;
  if (rec.id <= kString2 && m_version == 2) {
    r.skip(1);
    cls = classOfFormat(r.u8() & 0x3F);  // BIFF2 cells name their format directly
    r.skip(1);
  } else if (rec.id == kMulRk) {
    while (r.remaining() >= 8) {
      uint32_t xf = r.u16();
      putNumber(sheet, row, col++, decodeRk(r.u32()), classOfXf(xf));
    }
    return;
  } else {
    cls = classOfXf(r.u16());
  }
  switch (rec.id) {
    case kInteger2:
      putNumber(sheet, row, col, r.u16(), cls);
      break;
    case kNumber2:
    case kNumber:
      putNumber(sheet, row, col, r.f64(), cls);
      break;
    case kRk:
      putNumber(sheet, row, col, decodeRk(r.u32()), cls);
      break;
    case kLabel2:
      putCell(sheet, row, col, Cell::ofText(byteString(r, false)));
      break;
    case kLabel:
    case kRString:
      putCell(sheet, row, col, Cell::ofText(labelText(r)));
      break;
    case kLabelSst: {
      uint32_t index = r.u32();
      if (index >= m_sst.size())
        throw std::runtime_error("a cell refers to a shared string that does not exist");
      putCell(sheet, row, col, Cell::ofText(m_sst[index]));
      break;
    }
    case kBoolErr2:
    case kBoolErr: {
      uint8_t value = r.u8();
      if (r.u8() == 0) putCell(sheet, row, col, Cell::ofBoolean(value != 0));
      break;  // error values (#N/A, #DIV/0!) read as empty cells
    }
    default: {  // formulas: the last computed result
      std::string_view result = r.take(8);
      if (uint8_t(result[6]) == 0xFF && uint8_t(result[7]) == 0xFF) {
        switch (uint8_t(result[0])) {
          case 0:
            m_pendingString = Pending{row, col};
            break;
          case 1:
            putCell(sheet, row, col, Cell::ofBoolean(result[2] != 0));
            break;
          default:
            break;  // an error or an empty text
        }
      } else {
        double v;
        std::memcpy(&v, result.data(), 8);
        putNumber(sheet, row, col, v, cls);
      }
    }
  }
}

void BiffParser::readSst(size_t& pos, std::string_view first) {
  std::vector<std::string_view> parts{first};
  for (;;) {
    size_t at = pos;
    auto next = recordAt(at);
    if (!next || next->id != kContinue) break;
    parts.push_back(next->data);
    pos = at;
  }
  ContinuedReader r(std::move(parts));
  r.skip(4);
  uint32_t unique = r.uint(4);
  // The count comes from the file; strings are added only as they are really read.
  for (uint32_t i = 0; i < unique && !r.atEnd(); ++i) m_sst.push_back(r.string());
}

Workbook BiffParser::readBareWorksheet(const std::string& name) {
  size_t pos = 0;
  auto bof = recordAt(pos);
  if (!bof) throw std::runtime_error("the file is empty");
  m_version = bof->id == kBof2 ? 2 : bof->id == kBof3 ? 3 : 4;
  ByteReader b(bof->data);
  if (m_version >= 3) {
    b.skip(2);
    uint16_t type = b.u16();
    if (type == 0x0100)
      throw std::runtime_error(
          "Excel 4.0 workbooks (several sheets in one file) cannot be read; save each sheet as its "
          "own file");
  }
  Workbook wb;
  wb.sheets.push_back(Sheet{name, {}});
  while (auto rec = recordAt(pos)) {
    if (rec->id == kEof) break;
    if (rec->id == kXf2) {
      continue;  // BIFF2 cells carry their format themselves
    }
    if (!takeGlobal(*rec)) takeCell(*rec, wb.sheets.back());
  }
  return wb;
}

Workbook BiffParser::readWorkbook() {
  size_t pos = 0;
  auto bof = recordAt(pos);
  if (!bof || bof->id != kBof)
    throw std::runtime_error("the workbook stream does not start with a BOF record");
  ByteReader b(bof->data);
  m_version = b.u16() == 0x0600 ? 8 : 5;
  struct SheetEntry {
    uint32_t offset;
    std::string name;
  };
  std::vector<SheetEntry> entries;
  while (auto rec = recordAt(pos)) {
    if (rec->id == kEof) break;
    if (takeGlobal(*rec)) continue;
    if (rec->id == kSst && m_version == 8) {
      readSst(pos, rec->data);
    } else if (rec->id == kBoundsheet) {
      ByteReader r(rec->data);
      uint32_t offset = r.u32();
      r.skip(1);
      uint8_t type = r.u8();
      std::string sheetName = m_version == 8 ? unicodeString(r, false) : byteString(r, false);
      if (type == 0) entries.push_back({offset, std::move(sheetName)});
    }
  }
  Workbook wb;
  for (auto& entry : entries) {
    Sheet sheet{entry.name, {}};
    size_t at = entry.offset;
    auto sbof = recordAt(at);
    if (!sbof || sbof->id != kBof)
      throw std::runtime_error("sheet '" + entry.name + "' does not start where the workbook says");
    m_pendingString.reset();
    while (auto rec = recordAt(at)) {
      if (rec->id == kEof) break;
      takeCell(*rec, sheet);
    }
    wb.sheets.push_back(std::move(sheet));
  }
  return wb;
}

}  // namespace

bool looksLikeXls(std::string_view bytes) {
  if (isCompoundFile(bytes)) return true;
  if (bytes.size() < 4) return false;
  uint16_t id = uint8_t(bytes[0]) | uint8_t(bytes[1]) << 8;
  return id == kBof2 || id == kBof3 || id == kBof4;
}

Workbook readXls(std::string_view file, const std::string& singleSheetName) {
  try {
    if (isCompoundFile(file)) {
      auto stream = readCompoundStream(file, {"Workbook", "Book"});
      if (!stream) throw std::runtime_error("the file holds no workbook stream");
      return BiffParser(*stream, false).readWorkbook();
    }
    if (!looksLikeXls(file)) throw std::runtime_error("the file is not an Excel workbook");
    return BiffParser(file, false).readBareWorksheet(singleSheetName);
  } catch (const OutOfBounds&) {
    throw std::runtime_error(
        "a record is shorter than its contents require (the file is truncated or damaged)");
  }
}

}  // namespace kpx::data::excel
