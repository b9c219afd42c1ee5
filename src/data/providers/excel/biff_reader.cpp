#include "data/providers/excel/biff_reader.h"

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <vector>

#include "data/providers/excel/biff_records.h"
#include "data/providers/excel/byte_reader.h"
#include "data/providers/excel/compound_file.h"
#include "data/providers/excel/format_rendering.h"
#include "data/providers/excel/number_format.h"
#include "data/providers/excel/shared_strings.h"
#include "data/providers/excel/workbook_stream.h"

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

[[noreturn]] void truncated() {
  throw std::runtime_error(
      "a record is shorter than its contents require (the file is truncated or damaged)");
}

// A record with the CONTINUE records that follow it, read as one as the records come (the
// shared string table can be as large as the workbook): character data split between records
// restarts with a fresh option byte.
class ContinuedReader {
 public:
  ContinuedReader(BiffRecordReader& records, std::string_view first)
      : m_records(records), m_part(first) {}
  bool atEnd() {
    while (!m_ended && m_pos >= m_part.size()) next();
    return m_pos >= m_part.size();
  }
  uint32_t uint(size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) {
      if (atEnd()) throw OutOfBounds{};
      v |= uint32_t(uint8_t(m_part[m_pos++])) << (8 * i);
    }
    return v;
  }
  // An XLUnicodeRichExtendedString, appended to `out`.
  void string(std::string& out) {
    uint32_t count = uint(2);
    uint8_t flags = uint8_t(uint(1));
    uint32_t runs = flags & 0x08 ? uint(2) : 0;
    uint32_t ext = flags & 0x04 ? uint(4) : 0;
    bool wide = flags & 0x01;
    for (uint32_t done = 0; done < count;) {
      if (m_pos >= m_part.size()) {
        next();
        if (m_part.empty()) throw OutOfBounds{};
        wide = uint8_t(m_part[0]) & 0x01;  // the option byte of the continuation
        m_pos = 1;
        continue;
      }
      size_t unit = wide ? 2 : 1;
      size_t avail = (m_part.size() - m_pos) / unit;
      if (avail == 0) throw OutOfBounds{};
      size_t take = std::min<size_t>(avail, count - done);
      std::string_view chunk = m_part.substr(m_pos, take * unit);
      out += wide ? fromUtf16Le(chunk) : fromWindows1252(chunk);
      m_pos += take * unit;
      done += uint32_t(take);
    }
    skip(size_t(runs) * 4 + ext);
  }
  void skip(size_t n) {
    while (n > 0) {
      if (atEnd()) throw OutOfBounds{};
      size_t take = std::min(n, m_part.size() - m_pos);
      m_pos += take;
      n -= take;
    }
  }

 private:
  // Moves to the next CONTINUE record; an empty part after the last.
  void next() {
    m_pos = 0;
    m_part = {};
    BiffRecord rec;
    if (m_ended || !m_records.next(rec)) {
      m_ended = true;
    } else if (rec.id != kContinue) {
      m_records.unread();
      m_ended = true;
    } else {
      m_part = rec.data;
    }
  }
  BiffRecordReader& m_records;
  std::string_view m_part;
  size_t m_pos = 0;
  bool m_ended = false;
};

// What every sheet of a workbook shares: its generation, text encoding, date system, the
// number formats its cells refer to and the shared strings.
struct BiffGlobals {
  int version = 8;
  uint32_t codepage = 1252;
  bool date1904 = false;
  std::map<uint32_t, std::string> formats;
  uint32_t nextImplicitFormat = 0;
  std::vector<uint32_t> xfFormats;
  std::vector<NumberClass> xfClasses;
  // Shared by the copies a bare worksheet's readings start from.
  std::shared_ptr<SharedStringTable> sst = std::make_shared<SharedStringTable>();

  // Texts are mostly ASCII, the same in every encoding here: those are copied straight into
  // `out`, whose storage a reader reuses from cell to cell.
  static void assign(std::string& out, std::string_view bytes, bool utf16) {
    bool ascii = !utf16;
    for (size_t i = 0; i < bytes.size() && ascii; ++i) ascii = uint8_t(bytes[i]) < 0x80;
    if (ascii)
      out.assign(bytes);
    else
      out = utf16 ? fromUtf16Le(bytes) : fromWindows1252(bytes);
  }
  void byteString(ByteReader& r, bool longLength, std::string& out) const {
    size_t n = longLength ? r.u16() : r.u8();
    assign(out, r.take(n), codepage == 1200);
  }
  static void unicodeString(ByteReader& r, bool longLength, std::string& out) {
    size_t n = longLength ? r.u16() : r.u8();
    uint8_t flags = r.u8();
    // Rich-text runs and phonetic data trail the characters; nothing needs them.
    if (flags & 0x08) r.skip(2);
    if (flags & 0x04) r.skip(4);
    bool wide = flags & 0x01;
    assign(out, r.take(wide ? n * 2 : n), wide);
  }
  void labelText(ByteReader& r, std::string& out) const {
    if (version == 8)
      unicodeString(r, true, out);
    else
      byteString(r, true, out);
  }
  std::string nameOrFormat(ByteReader& r, bool unicode, bool longLength) const {
    std::string out;
    if (unicode)
      unicodeString(r, longLength, out);
    else
      byteString(r, longLength, out);
    return out;
  }
  NumberClass classOfFormat(uint32_t id) const {
    auto it = formats.find(id);
    if (it != formats.end()) return classifyFormat(it->second);
    return version >= 5 ? classifyBuiltInFormat(id) : NumberClass::Plain;
  }
  NumberClass classOfXf(uint32_t xf) const {
    return xf < xfClasses.size() ? xfClasses[xf] : NumberClass::Plain;
  }
  std::string codeOfXf(uint32_t xf) const {
    if (xf >= xfFormats.size()) return "General";
    auto it = formats.find(xfFormats[xf]);
    if (it != formats.end()) return it->second;
    return version >= 5 ? builtInFormatCode(xfFormats[xf]) : "General";
  }
  // Classifies each cell format once, so that a cell costs an index.
  void classify() {
    xfClasses.clear();
    for (uint32_t format : xfFormats) xfClasses.push_back(classOfFormat(format));
  }
  // Takes the records that describe formats and dates; true when it took the record.
  bool take(const BiffRecord& rec);
  void readSst(BiffRecordReader& records, std::string_view first);
};

bool BiffGlobals::take(const BiffRecord& rec) {
  ByteReader r(rec.data);
  switch (rec.id) {
    case kCodepage:
      codepage = r.u16();
      return true;
    case kDatemode:
      date1904 = r.u16() == 1;
      return true;
    case kFormat23:
      formats[nextImplicitFormat++] = nameOrFormat(r, false, false);
      break;
    case kFormat:
      if (version == 4) {
        r.skip(2);
        formats[nextImplicitFormat++] = nameOrFormat(r, false, false);
      } else {
        uint32_t id = r.u16();
        formats[id] = version == 8 ? nameOrFormat(r, true, true) : nameOrFormat(r, false, false);
      }
      break;
    case kXf3:
    case kXf4:
      r.skip(1);
      xfFormats.push_back(r.u8());
      break;
    case kXf:
      r.skip(2);
      xfFormats.push_back(r.u16());
      break;
    default:
      return false;
  }
  classify();
  return true;
}

void BiffGlobals::readSst(BiffRecordReader& records, std::string_view first) {
  ContinuedReader r(records, first);
  r.skip(4);
  uint32_t unique = r.uint(4);
  // The count comes from the file; strings are added only as they are really read.
  std::string text;
  for (uint32_t i = 0; i < unique && !r.atEnd(); ++i) {
    text.clear();
    r.string(text);
    sst->add(text);
  }
  sst->finish();
}

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

bool isCellRecord(uint16_t id, int version) {
  switch (id) {
    case kInteger2:
    case kNumber2:
    case kLabel2:
    case kBoolErr2:
    case kNumber:
    case kLabel:
    case kBoolErr:
    case kRString:
    case kRk:
    case kMulRk:
    case kLabelSst:
    case kFormula3:
    case kFormula4:
      return true;
    case kFormula:  // BIFF3 and BIFF4 use their own identifiers for formulas
      return version == 2 || version >= 5;
    default:
      return false;
  }
}

// Turns cell records into cells, each put where `slot(row, column)` says (nullptr to drop it).
class CellDecoder {
 public:
  explicit CellDecoder(const BiffGlobals& globals) : m_g(globals), m_strings(*globals.sst) {}

  template <class Slot>
  void decode(const BiffRecord& rec, Slot&& slot) {
    ByteReader r(rec.data);
    if (rec.id == kString || rec.id == kString2) {
      if (m_pending && m_pendingCol < kMaxColumns) {
        if (Cell* c = slot(m_pendingRow, m_pendingCol)) {
          c->kind = CellKind::Text;
          c->number = 0;
          if (rec.id == kString2)
            m_g.byteString(r, false, c->text);
          else
            m_g.labelText(r, c->text);
        }
      }
      m_pending = false;
      return;
    }
    m_pending = false;
    uint32_t row = r.u16();
    uint32_t col = r.u16();
    NumberClass cls;
    m_style = 0;
    if (rec.id <= kString2 && m_g.version == 2) {
      r.skip(1);
      cls = m_g.classOfFormat(r.u8() & 0x3F);  // BIFF2 cells name their format directly
      r.skip(1);
    } else if (rec.id == kMulRk) {
      while (r.remaining() >= 8) {
        uint32_t xf = r.u16();
        m_style = uint16_t(xf);
        number(slot, row, col++, decodeRk(r.u32()), m_g.classOfXf(xf));
      }
      return;
    } else {
      m_style = r.u16();
      cls = m_g.classOfXf(m_style);
    }
    switch (rec.id) {
      case kInteger2:
        number(slot, row, col, r.u16(), cls);
        break;
      case kNumber2:
      case kNumber:
        number(slot, row, col, r.f64(), cls);
        break;
      case kRk:
        number(slot, row, col, decodeRk(r.u32()), cls);
        break;
      case kLabel2:
        text(slot, row, col, [&](std::string& out) { m_g.byteString(r, false, out); });
        break;
      case kLabel:
      case kRString:
        text(slot, row, col, [&](std::string& out) { m_g.labelText(r, out); });
        break;
      case kLabelSst: {
        uint32_t index = r.u32();
        if (index >= m_g.sst->size())
          throw std::runtime_error("a cell refers to a shared string that does not exist");
        if (Cell* c = col < kMaxColumns ? slot(row, col) : nullptr) {
          c->kind = CellKind::Text;
          c->number = 0;
          c->text.assign(m_strings.at(index));
        }
        break;
      }
      case kBoolErr2:
      case kBoolErr: {
        uint8_t value = r.u8();
        if (r.u8() == 0) boolean(slot, row, col, value != 0);
        break;  // error values (#N/A, #DIV/0!) read as empty cells
      }
      default: {  // formulas: the last computed result
        std::string_view result = r.take(8);
        if (uint8_t(result[6]) == 0xFF && uint8_t(result[7]) == 0xFF) {
          switch (uint8_t(result[0])) {
            case 0:
              m_pending = true;
              m_pendingRow = row;
              m_pendingCol = col;
              break;
            case 1:
              boolean(slot, row, col, result[2] != 0);
              break;
            default:
              break;  // an error or an empty text
          }
        } else {
          double v;
          std::memcpy(&v, result.data(), 8);
          number(slot, row, col, v, cls);
        }
      }
    }
  }

 private:
  template <class Slot>
  void number(Slot& slot, uint32_t row, uint32_t col, double v, NumberClass cls) {
    if (col >= kMaxColumns || !std::isfinite(v)) return;
    if (Cell* c = slot(row, col)) {
      Cell n = numberCell(v, cls, m_g.date1904);
      c->kind = n.kind;
      c->style = m_style;
      c->number = n.number;
      c->text.clear();
    }
  }
  template <class Slot>
  void boolean(Slot& slot, uint32_t row, uint32_t col, bool value) {
    if (col >= kMaxColumns) return;
    if (Cell* c = slot(row, col)) {
      c->kind = CellKind::Boolean;
      c->number = value ? 1 : 0;
      c->text.clear();
    }
  }
  template <class Slot, class Fill>
  void text(Slot& slot, uint32_t row, uint32_t col, Fill&& fill) {
    if (col >= kMaxColumns) return;
    if (Cell* c = slot(row, col)) {
      c->kind = CellKind::Text;
      c->number = 0;
      fill(c->text);
    }
  }

  const BiffGlobals& m_g;
  SharedStringTable::Reader m_strings;
  uint16_t m_style = 0;  // the cell format of the number cells being read
  // A formula whose text result comes in the next STRING record.
  bool m_pending = false;
  uint32_t m_pendingRow = 0;
  uint32_t m_pendingCol = 0;
};

// Where one sheet's records are and how to read them.
struct SheetPlace {
  std::shared_ptr<ByteFile> stream;
  uint64_t offset;
  bool bare;  // a BIFF2-4 worksheet: its formats come among its cells
};

uint16_t rowOf(const BiffRecord& rec) {
  if (rec.data.size() < 2) truncated();
  return uint16_t(uint8_t(rec.data[0]) | uint8_t(rec.data[1]) << 8);
}

// Reads a sheet's records from its BOF and hands each cell record (and the STRING records
// holding formula results) to `take`, until it returns false or the sheet ends.
template <class Take>
void forEachCellRecord(BiffRecordReader& records, BiffGlobals& globals, bool bare, Take&& take) {
  BiffRecord rec;
  while (records.next(rec)) {
    if (rec.id == kEof) return;
    if (bare && (rec.id == kXf2 || globals.take(rec)))
      continue;  // BIFF2 cells carry their format themselves
    if (isCellRecord(rec.id, globals.version) || rec.id == kString || rec.id == kString2) {
      if (!take(rec)) return;
    }
  }
}

// A sheet whose cells come in row order, read a row at a time.
class StreamedSheet : public SheetRowStream {
 public:
  StreamedSheet(const SheetPlace& place, std::shared_ptr<BiffGlobals> globals)
      : m_records(place.stream, place.offset),
        m_globals(std::move(globals)),
        m_bare(place.bare),
        m_decoder(*m_globals) {
    BiffRecord bof;
    m_records.next(bof);  // checked when the workbook was opened
  }

  bool next(SheetRow& row) override {
    try {
      for (auto& c : row.cells) {
        c.kind = CellKind::Empty;
        c.text.clear();
      }
      bool started = false;
      bool filled = false;
      uint32_t current = 0;
      auto slot = [&](uint32_t, uint32_t col) {
        if (col >= row.cells.size()) row.cells.resize(col + 1);
        filled = true;
        return &row.cells[col];
      };
      while (!m_done) {
        bool more = false;
        forEachCellRecord(m_records, *m_globals, m_bare, [&](const BiffRecord& rec) {
          bool isString = rec.id == kString || rec.id == kString2;
          if (!isString) {
            uint32_t r = rowOf(rec);
            if (started && r != current) {
              m_records.unread();
              more = true;
              return false;
            }
            current = r;
            started = true;
          }
          m_decoder.decode(rec, slot);
          return true;
        });
        if (!more) m_done = true;
        if (filled) {
          row.index = current;
          return true;
        }
        started = false;
      }
      return false;
    } catch (const OutOfBounds&) {
      truncated();
    }
  }
  ReadProgress progress() const override {
    return {int64_t(m_records.position()), int64_t(m_records.size())};
  }

 private:
  BiffRecordReader m_records;
  std::shared_ptr<BiffGlobals> m_globals;
  bool m_bare;
  CellDecoder m_decoder;
  bool m_done = false;
};

// A sheet whose cells are not in row order (a producer may write them column by column):
// only such a sheet is collected whole before its rows are handed out.
class CollectedSheet : public SheetRowStream {
 public:
  CollectedSheet(const SheetPlace& place, std::shared_ptr<BiffGlobals> globals)
      : m_globals(std::move(globals)) {
    BiffRecordReader records(place.stream, place.offset);
    BiffRecord bof;
    records.next(bof);
    CellDecoder decoder(*m_globals);
    try {
      forEachCellRecord(records, *m_globals, place.bare, [&](const BiffRecord& rec) {
        decoder.decode(rec, [this](uint32_t row, uint32_t col) {
          m_sheet.set(row, col, Cell{});
          return &m_sheet.rows[row][col];
        });
        return true;
      });
    } catch (const OutOfBounds&) {
      truncated();
    }
  }
  bool next(SheetRow& row) override {
    for (; m_next < m_sheet.rows.size(); ++m_next) {
      auto& cells = m_sheet.rows[m_next];
      bool any = false;
      for (const Cell& c : cells) any = any || !c.empty();
      if (!any) continue;
      row.index = uint32_t(m_next++);
      row.cells = std::move(cells);
      return true;
    }
    return false;
  }

 private:
  std::shared_ptr<BiffGlobals> m_globals;
  Sheet m_sheet;
  size_t m_next = 0;
};

// True when every cell record of the sheet comes at or after the row of the one before.
bool cellsInRowOrder(const SheetPlace& place, BiffGlobals& globals) {
  BiffRecordReader records(place.stream, place.offset);
  BiffRecord bof;
  records.next(bof);
  bool ordered = true;
  uint32_t last = 0;
  try {
    forEachCellRecord(records, globals, place.bare, [&](const BiffRecord& rec) {
      if (rec.id == kString || rec.id == kString2) return true;
      uint32_t r = rowOf(rec);
      ordered = r >= last;
      last = r;
      return ordered;
    });
  } catch (const OutOfBounds&) {
    truncated();
  }
  return ordered;
}

class XlsStreams : public WorkbookStreams {
 public:
  XlsStreams(std::vector<std::string> names, std::vector<SheetPlace> places, BiffGlobals globals)
      : m_names(std::move(names)),
        m_places(std::move(places)),
        m_globals(std::make_shared<BiffGlobals>(std::move(globals))),
        m_ordered(m_places.size(), -1) {}
  const std::vector<std::string>& sheetNames() const override { return m_names; }
  std::string formatCode(uint16_t style) const override { return m_globals->codeOfXf(style); }
  std::unique_ptr<SheetRowStream> openSheet(size_t index) const override {
    const SheetPlace& place = m_places.at(index);
    // A bare worksheet's formats arrive among its cells, so each reading starts from a copy of
    // the (then empty) tables; a workbook's are complete and shared by every reading.
    auto globals = place.bare ? std::make_shared<BiffGlobals>(*m_globals) : m_globals;
    bool ordered;
    {
      std::lock_guard<std::mutex> lock(m_orderLock);  // sheets may be opened from two threads
      if (m_ordered[index] < 0) m_ordered[index] = cellsInRowOrder(place, *globals) ? 1 : 0;
      ordered = m_ordered[index];
    }
    if (place.bare) globals = std::make_shared<BiffGlobals>(*m_globals);
    if (ordered) return std::make_unique<StreamedSheet>(place, std::move(globals));
    return std::make_unique<CollectedSheet>(place, std::move(globals));
  }

 private:
  std::vector<std::string> m_names;
  std::vector<SheetPlace> m_places;
  std::shared_ptr<BiffGlobals> m_globals;
  mutable std::vector<int8_t> m_ordered;  // -1 until the sheet is first opened
  mutable std::mutex m_orderLock;
};

std::unique_ptr<WorkbookStreams> openBareWorksheet(std::shared_ptr<ByteFile> file,
                                                   const std::string& name) {
  BiffRecordReader records(file, 0);
  BiffRecord bof;
  if (!records.next(bof)) throw std::runtime_error("the file is empty");
  BiffGlobals globals;
  globals.version = bof.id == kBof2 ? 2 : bof.id == kBof3 ? 3 : 4;
  ByteReader b(bof.data);
  if (globals.version >= 3) {
    b.skip(2);
    if (b.u16() == 0x0100)
      throw std::runtime_error(
          "Excel 4.0 workbooks (several sheets in one file) cannot be read; save each sheet as its "
          "own file");
  }
  return std::make_unique<XlsStreams>(std::vector<std::string>{name},
                                      std::vector<SheetPlace>{{std::move(file), 0, true}},
                                      std::move(globals));
}

std::unique_ptr<WorkbookStreams> openWorkbook(std::shared_ptr<ByteFile> stream) {
  BiffRecordReader records(stream, 0);
  BiffRecord rec;
  if (!records.next(rec) || rec.id != kBof)
    throw std::runtime_error("the workbook stream does not start with a BOF record");
  BiffGlobals globals;
  ByteReader b(rec.data);
  globals.version = b.u16() == 0x0600 ? 8 : 5;
  std::vector<std::string> names;
  std::vector<SheetPlace> places;
  while (records.next(rec)) {
    if (rec.id == kEof) break;
    if (globals.take(rec)) continue;
    if (rec.id == kSst && globals.version == 8) {
      globals.readSst(records, rec.data);
    } else if (rec.id == kBoundsheet) {
      ByteReader r(rec.data);
      uint32_t offset = r.u32();
      r.skip(1);
      uint8_t type = r.u8();
      std::string sheetName = globals.nameOrFormat(r, globals.version == 8, false);
      if (type != 0) continue;
      names.push_back(std::move(sheetName));
      places.push_back({stream, offset, false});
    }
  }
  for (size_t i = 0; i < places.size(); ++i) {
    BiffRecordReader at(stream, places[i].offset);
    if (!at.next(rec) || rec.id != kBof)
      throw std::runtime_error("sheet '" + names[i] + "' does not start where the workbook says");
  }
  return std::make_unique<XlsStreams>(std::move(names), std::move(places), std::move(globals));
}

}  // namespace

bool looksLikeXls(std::string_view bytes) {
  if (isCompoundFile(bytes)) return true;
  if (bytes.size() < 4) return false;
  uint16_t id = uint8_t(bytes[0]) | uint8_t(bytes[1]) << 8;
  return id == kBof2 || id == kBof3 || id == kBof4;
}

std::unique_ptr<WorkbookStreams> openXlsStreams(std::shared_ptr<ByteFile> file,
                                                const std::string& singleSheetName) {
  try {
    if (isCompoundFile(*file)) {
      auto stream = openCompoundStream(file, {"Workbook", "Book"});
      if (!stream) throw std::runtime_error("the file holds no workbook stream");
      return openWorkbook(std::move(stream));
    }
    char start[4] = {};
    file->read(0, start, std::min<uint64_t>(4, file->size()));
    if (!looksLikeXls(std::string_view(start, std::min<uint64_t>(4, file->size()))))
      throw std::runtime_error("the file is not an Excel workbook");
    return openBareWorksheet(std::move(file), singleSheetName);
  } catch (const OutOfBounds&) {
    truncated();
  }
}

Workbook readXls(std::string_view file, const std::string& singleSheetName) {
  auto streams = openXlsStreams(bytesInMemory(std::string(file)), singleSheetName);
  Workbook wb;
  SheetRow row;
  for (size_t i = 0; i < streams->sheetNames().size(); ++i) {
    Sheet sheet{streams->sheetNames()[i], {}};
    auto rows = streams->openSheet(i);
    while (rows->next(row))
      for (uint32_t c = 0; c < row.cells.size(); ++c)
        if (!row.cells[c].empty()) sheet.set(row.index, c, row.cells[c]);
    wb.sheets.push_back(std::move(sheet));
  }
  return wb;
}

}  // namespace kpx::data::excel
