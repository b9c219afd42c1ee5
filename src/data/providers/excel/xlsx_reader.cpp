#include "data/providers/excel/xlsx_reader.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>

#include "data/providers/excel/format_rendering.h"
#include "data/providers/excel/number_format.h"
#include "data/providers/excel/read_ahead.h"
#include "data/providers/excel/row_batch_queue.h"
#include "data/providers/excel/shape_cache.h"
#include "data/providers/excel/shared_strings.h"
#include "data/providers/excel/workbook_stream.h"
#include "data/providers/excel/xml_part_parser.h"
#include "data/providers/excel/zip_archive.h"
#include "data/providers/value.h"

namespace kpx::data::excel {
namespace {

const char* attribute(const char** attrs, std::string_view wanted) {
  for (int i = 0; attrs[i]; i += 2)
    if (localName(attrs[i]) == wanted) return attrs[i + 1];
  return nullptr;
}

// The leading digits of `text`; 0 when there are none or they do not fit. Read for every
// cell's style, so without measuring the text first.
uint32_t unsignedOf(const char* text) {
  uint64_t n = 0;
  for (const char* p = text; *p >= '0' && *p <= '9'; ++p) {
    n = n * 10 + uint64_t(*p - '0');
    if (n > UINT32_MAX) return 0;
  }
  return uint32_t(n);
}

// The local name of attribute `name` when it is one letter, else 0.
char oneLetterLocalName(const char* name) {
  std::string_view local = localName(name);
  return local.size() == 1 ? local[0] : 0;
}

// `big`: a part big enough for speed to matter (the shared strings), read by the XmlScanner
// and inflated on a thread of its own.
void parseWhole(const ZipArchive& zip, const std::string& part, XmlHandler& handler,
                bool big = false) {
  std::unique_ptr<ReadAhead> ahead;
  // Each call reads the part from its first byte again, as expat needs when it takes over.
  XmlPartParser parser(
      part,
      [&]() -> XmlPartParser::Reader {
        ahead.reset();  // stopped first: both would read the one archive
        auto read = [e = std::shared_ptr<ZipEntry>(zip.open(part))](char* out, size_t n) {
          return e->read(out, n);
        };
        if (!big) return read;
        ahead = std::make_unique<ReadAhead>(read);
        return [a = ahead.get()](char* out, size_t n) { return a->read(out, n); };
      },
      handler, big);
  while (parser.feed()) {
  }
}

// "xl/workbook.xml" + "worksheets/sheet1.xml" → "xl/worksheets/sheet1.xml".
std::string resolve(const std::string& base, const std::string& target) {
  if (!target.empty() && target[0] == '/') return target.substr(1);
  std::string dir = base.substr(0, base.rfind('/') + 1);
  std::string t = target;
  while (t.rfind("../", 0) == 0) {
    t.erase(0, 3);
    if (!dir.empty()) {
      dir.pop_back();
      dir.erase(dir.rfind('/') + 1);
    }
  }
  return dir + t;
}

std::string relsOf(const std::string& part) {
  size_t slash = part.rfind('/') + 1;
  return part.substr(0, slash) + "_rels/" + part.substr(slash) + ".rels";
}

struct Relationships : XmlHandler {
  std::map<std::string, std::string> targetById;
  std::map<std::string, std::string> targetByType;  // last segment of the type URI
  void start(std::string_view name, const char** attrs) override {
    if (name != "Relationship") return;
    const char* id = attribute(attrs, "Id");
    const char* target = attribute(attrs, "Target");
    const char* type = attribute(attrs, "Type");
    if (!target) return;
    if (id) targetById[id] = target;
    if (type) {
      std::string_view t = type;
      targetByType[std::string(t.substr(t.rfind('/') + 1))] = target;
    }
  }
  void end(std::string_view) override {}
};

struct WorkbookPart : XmlHandler {
  struct Entry {
    std::string name, relId;
  };
  std::vector<Entry> sheets;
  bool date1904 = false;
  void start(std::string_view name, const char** attrs) override {
    if (name == "sheet") {
      const char* n = attribute(attrs, "name");
      const char* id = attribute(attrs, "id");
      if (n && id) sheets.push_back({n, id});
    } else if (name == "workbookPr") {
      const char* d = attribute(attrs, "date1904");
      date1904 = d && (std::strcmp(d, "1") == 0 || std::strcmp(d, "true") == 0);
    }
  }
  void end(std::string_view) override {}
};

struct StylesPart : XmlHandler {
  std::map<uint32_t, std::string> formats;
  std::vector<NumberClass> xfClasses;
  std::vector<uint32_t> xfFormats;
  bool inCellXfs = false;
  void start(std::string_view name, const char** attrs) override {
    if (name == "numFmt") {
      const char* id = attribute(attrs, "numFmtId");
      const char* code = attribute(attrs, "formatCode");
      if (id && code) formats[unsignedOf(id)] = code;
    } else if (name == "cellXfs") {
      inCellXfs = true;
    } else if (name == "xf" && inCellXfs) {
      const char* id = attribute(attrs, "numFmtId");
      xfFormats.push_back(id ? unsignedOf(id) : 0);
    }
  }
  void end(std::string_view name) override {
    if (name == "cellXfs") inCellXfs = false;
  }
  // Classifies every cell format once, so that a cell costs one look-up.
  void classify() {
    for (uint32_t format : xfFormats) {
      auto it = formats.find(format);
      xfClasses.push_back(it != formats.end() ? classifyFormat(it->second)
                                              : classifyBuiltInFormat(format));
    }
  }
  NumberClass classOf(uint32_t xf) const {
    return xf < xfClasses.size() ? xfClasses[xf] : NumberClass::Plain;
  }
  std::string codeOf(uint32_t xf) const {
    uint32_t id = xf < xfFormats.size() ? xfFormats[xf] : 0;
    auto it = formats.find(id);
    return it != formats.end() ? it->second : builtInFormatCode(id);
  }
};

// Text of <si> items: the <t> runs, leaving out phonetic guides (<rPh>).
struct SharedStringsPart : XmlHandler {
  SharedStringTable table;
  bool inT = false;
  int phonetic = 0;
  void start(std::string_view name, const char**) override {
    if (name == "si")
      table.startString();
    else if (name == "rPh")
      ++phonetic;
    else if (name == "t")
      inT = phonetic == 0 && table.size() > 0;
  }
  void end(std::string_view name) override {
    if (name == "t")
      inT = false;
    else if (name == "rPh")
      --phonetic;
  }
  void text(std::string_view s) override {
    if (inT) table.extend(s);
  }
  // A string of one run, in one call rather than five.
  void leaf(std::string_view name, const char** attrs, std::string_view child,
            const char** childAttrs, std::string_view content) override {
    if (name != "si" || child != "t")
      return XmlHandler::leaf(name, attrs, child, childAttrs, content);
    table.startString();
    if (phonetic == 0) table.extend(content);
    inT = false;
  }
  size_t size() const { return table.size(); }
};

// What every sheet of one workbook reads its cells with.
struct WorkbookTables {
  StylesPart styles;
  SharedStringsPart strings;
  bool date1904 = false;
};

// The tables of the workbook opened last, by the identity of its file: a transfer opens its
// source several times, and the shared strings of a big workbook cost about as much to parse
// as its sheet. Only the newest are kept.
std::mutex g_keptMutex;
std::string g_keptIdentity;
std::shared_ptr<const WorkbookTables> g_kept;

std::shared_ptr<const WorkbookTables> keptTables(const std::string& identity) {
  std::lock_guard lock(g_keptMutex);
  return !identity.empty() && identity == g_keptIdentity ? g_kept : nullptr;
}

void keepTables(const std::string& identity, std::shared_ptr<const WorkbookTables> tables) {
  if (identity.empty()) return;
  std::lock_guard lock(g_keptMutex);
  g_keptIdentity = identity;
  g_kept = std::move(tables);
}

// "BC12" → column 54 (zero-based), row 11; false when it is no cell reference.
bool parseReference(const char* ref, uint32_t& row, uint32_t& col) {
  uint64_t c = 0, r = 0;
  const char* p = ref;
  for (; *p >= 'A' && *p <= 'Z'; ++p) {
    c = c * 26 + uint64_t(*p - 'A' + 1);
    if (c > 16384) return false;
  }
  if (p == ref || c == 0) return false;
  const char* digits = p;
  for (; *p >= '0' && *p <= '9'; ++p) {
    r = r * 10 + uint64_t(*p - '0');
    if (r > 1048576) return false;
  }
  if (p == digits || *p || r == 0) return false;
  row = uint32_t(r - 1);
  col = uint32_t(c - 1);
  return true;
}

enum class ValueType : uint8_t { Number, Shared, Text, Boolean, Date, Error };

ValueType valueTypeOf(const char* t) {
  if (!t) return ValueType::Number;
  // Told apart without measuring the text: this runs for every cell.
  if (t[0] && !t[1]) {
    switch (t[0]) {
      case 's':
        return ValueType::Shared;
      case 'n':
        return ValueType::Number;
      case 'b':
        return ValueType::Boolean;
      case 'd':
        return ValueType::Date;
    }
  }
  if (std::strcmp(t, "inlineStr") == 0 || std::strcmp(t, "str") == 0) return ValueType::Text;
  return ValueType::Error;  // "e" and unknown types read as empty cells
}

// A cell as the part writes it. The parsing thread only collects these; the reading thread
// converts them (SheetCells), so that the two share the work of a sheet.
struct RawCell {
  uint32_t column = 0;
  ValueType type = ValueType::Number;
  uint16_t style = 0;
  uint32_t offset = 0, length = 0;  // of the value in the row's bytes
};

// The values of a row's cells lie end to end in one string, whose storage goes round with the
// row's: a cell costs no allocation.
struct RawRow {
  uint32_t index = 0;
  std::vector<RawCell> cells;
  std::string bytes;
  std::string_view value(const RawCell& c) const { return {bytes.data() + c.offset, c.length}; }
};

using RawBatch = RowBatchOf<RawRow>;

// Turns a sheet part's events into raw rows, queued until the stream hands them out.
class SheetRows : public XmlHandler {
 public:
  SheetRows() = default;

  void start(std::string_view name, const char** attrs) override {
    if (name == "c") {
      startCell(attrs);
    } else if (name == "v") {
      m_collect = true;
      m_hasValue = true;
    } else if (name == "row") {
      flush();
      const char* r = attribute(attrs, "r");
      uint64_t n = 0;
      if (r && *r >= '0' && *r <= '9') {
        for (const char* d = r; *d >= '0' && *d <= '9' && n <= 1048576; ++d)
          n = n * 10 + uint64_t(*d - '0');
      } else if (r) {
        n = std::strtoull(r, nullptr, 10);  // blanks and signs, as the C library reads them
      }
      if (r && (n == 0 || n > 1048576))
        throw std::runtime_error(std::string("row number ") + r + " is out of range");
      // A row without its number follows the one before; the first such row is row 1.
      m_row = r ? uint32_t(n - 1) : m_rowSeen ? m_row + 1 : 0;
      m_rowSeen = true;
      m_col = 0;
    } else if (name == "t" && m_inInline) {
      m_collect = true;
      m_hasValue = true;
    } else if (name == "is") {
      m_inInline = true;
    }
  }

  void end(std::string_view name) override {
    if (name == "v" || name == "t") {
      m_collect = false;
    } else if (name == "c") {
      endCell(m_value);
    } else if (name == "is") {
      m_inInline = false;
    } else if (name == "row") {
      m_cellsInRow = 0;
    } else if (name == "sheetData") {
      flush();  // the last row reaches the reader even when what follows is damaged
    }
  }

  void text(std::string_view s) override {
    if (m_collect) m_value += s;
  }

  // A cell with its value, in one call rather than five.
  void leaf(std::string_view name, const char** attrs, std::string_view child,
            const char** childAttrs, std::string_view content) override {
    // Compared by hand: two string comparisons cost as much as the rest of the call.
    if (name.size() != 1 || name[0] != 'c' || child.size() != 1 || child[0] != 'v')
      return XmlHandler::leaf(name, attrs, child, childAttrs, content);
    startCell(attrs);
    m_hasValue = true;
    m_collect = false;
    endCell(content);
  }

  // Adds the row being read to the batch when it holds a value.
  void flush() {
    if (m_current.cells.empty()) return;
    if (m_emitted && m_row <= m_lastRow)
      throw std::runtime_error("row " + std::to_string(m_row + 1) + " comes after row " +
                               std::to_string(m_lastRow + 1) + "; rows must be in order");
    m_current.index = m_row;
    m_batch->add(m_current);
    m_current.bytes.clear();
    m_emitted = true;
    m_lastRow = m_row;
  }

  void fillInto(RawBatch& batch) { m_batch = &batch; }

 private:
  void startCell(const char** attrs) {
    // Every cell has these; one pass over its attributes finds all three.
    const char *ref = nullptr, *type = nullptr, *style = nullptr;
    for (int i = 0; attrs[i]; i += 2) {
      // Ten million cells: the usual one-letter names are told apart without measuring them.
      const char* a = attrs[i];
      const char letter = a[0] && !a[1] ? a[0] : oneLetterLocalName(a);
      const char** slot = letter == 'r'   ? &ref
                          : letter == 't' ? &type
                          : letter == 's' ? &style
                                          : nullptr;
      if (slot && !*slot) *slot = attrs[i + 1];
    }
    uint32_t row = m_row;
    if (ref) {
      if (!parseReference(ref, row, m_col))
        throw std::runtime_error(std::string("cell reference '") + ref + "' is not valid");
      if (row != m_row) {
        flush();
        m_row = row;
      }
    } else if (m_cellsInRow > 0) {
      ++m_col;
    }
    ++m_cellsInRow;
    m_type = valueTypeOf(type);
    m_style = uint16_t(style ? unsignedOf(style) : 0);
    m_value.clear();
    m_hasValue = false;
  }

  void endCell(std::string_view value) {
    if (!m_hasValue || m_type == ValueType::Error) return;
    m_current.cells.push_back(
        {m_col, m_type, m_style, uint32_t(m_current.bytes.size()), uint32_t(value.size())});
    m_current.bytes += value;
  }

  uint32_t m_row = 0, m_col = 0, m_cellsInRow = 0, m_lastRow = 0;
  bool m_rowSeen = false, m_emitted = false;
  ValueType m_type = ValueType::Number;
  uint16_t m_style = 0;
  std::string m_value;
  bool m_hasValue = false, m_collect = false, m_inInline = false;
  RawRow m_current;
  RawBatch* m_batch = nullptr;
};

// Converts raw rows into the sheet's rows, on the reading thread.
class SheetCells {
 public:
  explicit SheetCells(const WorkbookTables& tables)
      : m_tables(tables), m_strings(tables.strings.table) {}

  // False when none of the row's cells holds a value that reads.
  bool convert(RawRow& raw, SheetRow& row) {
    row.index = raw.index;
    uint32_t width = 0;
    for (const RawCell& c : raw.cells) width = std::max(width, c.column + 1);
    row.resetCells(width);
    bool any = false;
    for (const RawCell& c : raw.cells) any |= store(c, raw.value(c), row);
    // A row's last cell holds a value, as it would had the row grown cell by cell.
    while (!row.cells.empty() && row.cells.back().empty()) row.cells.pop_back();
    return any;
  }

 private:
  static Cell& cell(SheetRow& row, uint32_t column) {
    if (column >= row.cells.size()) row.cells.resize(size_t(column) + 1);
    return row.cells[column];
  }

  bool store(const RawCell& raw, std::string_view value, SheetRow& row) {
    auto cell = [&]() -> Cell& { return SheetCells::cell(row, raw.column); };
    switch (raw.type) {
      case ValueType::Shared: {
        size_t index = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), index);
        if (error != std::errc() || end == value.data() || index >= m_tables.strings.size())
          throw std::runtime_error("a cell refers to shared string '" + std::string(value) +
                                   "', which does not exist");
        Cell& c = cell();
        c.kind = CellKind::Text;
        c.text.assign(m_strings.at(index));
        return true;
      }
      case ValueType::Text: {
        cell() = Cell::ofText(std::string(value));
        return true;
      }
      case ValueType::Boolean:
        cell() = Cell::ofBoolean(value == "1" || value == "true");
        return true;
      case ValueType::Date: {
        double ole;
        if (parseDate(value, ole))
          cell() = Cell::ofDate(ole);
        else
          cell() = Cell::ofText(std::string(value));
        return true;
      }
      case ValueType::Number: {
        double v = 0;
        const char* begin = value.data();
        if (!parseShortDecimal(value, v)) {
          auto [end, error] = std::from_chars(begin, begin + value.size(), v);
          if (error != std::errc() || end != begin + value.size()) {
            // Leading blanks, a plus sign and the like: the C library reads them.
            const std::string text(value);
            char* stop = nullptr;
            v = std::strtod(text.c_str(), &stop);
            if (stop == text.c_str()) return false;
          }
        }
        const NumberClass numberClass = m_tables.styles.classOf(raw.style);
        Cell& c = cell();
        if (numberClass == NumberClass::Plain) {
          c.kind = CellKind::Number;
          c.number = v;
          c.text.clear();
        } else {
          c = numberCell(v, numberClass, m_tables.date1904);
        }
        c.style = raw.style;
        return true;
      }
      case ValueType::Error:
        break;
    }
    return false;
  }

  const WorkbookTables& m_tables;
  SharedStringTable::Reader m_strings;
};

// Parsing runs on a thread of its own a batch ahead of the reader (RowsAhead), and inflating on
// another (ReadAhead), so that a copy keeps both cores busy. Everything the parsing thread
// touches besides the queue is its own until it is joined; the workbook tables are only read.
class XlsxSheetStream : public SheetRowStream {
 public:
  XlsxSheetStream(std::shared_ptr<ByteFile> file, const std::string& part,
                  std::shared_ptr<const WorkbookTables> tables)
      : m_tables(std::move(tables)),
        m_zip(std::move(file)),
        m_cells(*m_tables),
        m_parser(
            part,
            [this, part] {
              // The one before is stopped first: both would use the one archive.
              m_inflating.reset();
              std::shared_ptr<ZipEntry> entry = m_zip.open(part);
              m_total = entry->progress().total;
              m_inflating = std::make_unique<ReadAhead>(
                  [entry](char* out, size_t n) { return entry->read(out, n); });
              return
                  [ahead = m_inflating.get()](char* out, size_t n) { return ahead->read(out, n); };
            },
            m_rows, true) {}
  bool next(SheetRow& row) override {
    do {
      if (!m_ahead.next(m_raw)) return false;
    } while (!m_cells.convert(m_raw, row));
    return true;
  }
  ReadProgress progress() const override { return {m_done.load(), m_total}; }

 private:
  // Runs on the parsing thread: one piece of the part at a time.
  bool parseSome(RawBatch& batch) {
    m_rows.fillInto(batch);
    const bool more = m_parser.feed();
    if (!more) m_rows.flush();
    m_done.store(int64_t(m_inflating->delivered()));
    return more;
  }

  std::shared_ptr<const WorkbookTables> m_tables;
  ZipArchive m_zip;
  SheetRows m_rows;
  SheetCells m_cells;
  int64_t m_total = 0;
  std::unique_ptr<ReadAhead> m_inflating;
  XmlPartParser m_parser;
  std::atomic<int64_t> m_done{0};
  RawRow m_raw;
  RowsAhead<RawRow> m_ahead{[this](RawBatch& batch) { return parseSome(batch); }};
};

class XlsxWorkbook : public WorkbookStreams {
 public:
  explicit XlsxWorkbook(std::shared_ptr<ByteFile> file) : m_file(std::move(file)) {
    ZipArchive zip(m_file);
    std::string workbookPath = "xl/workbook.xml";
    if (zip.has("_rels/.rels")) {
      Relationships root;
      parseWhole(zip, "_rels/.rels", root);
      auto it = root.targetByType.find("officeDocument");
      if (it != root.targetByType.end()) workbookPath = resolve("", it->second);
    }
    WorkbookPart workbook;
    parseWhole(zip, workbookPath, workbook);
    Relationships rels;
    if (zip.has(relsOf(workbookPath))) parseWhole(zip, relsOf(workbookPath), rels);

    auto partOfType = [&](const char* type, const char* fallback) {
      auto it = rels.targetByType.find(type);
      return it != rels.targetByType.end() ? resolve(workbookPath, it->second)
                                           : resolve(workbookPath, fallback);
    };
    const std::string identity = m_file->path().empty() ? "" : fileIdentity(m_file->path());
    m_tables = keptTables(identity);
    if (!m_tables) {
      auto tables = std::make_shared<WorkbookTables>();
      tables->date1904 = workbook.date1904;
      if (std::string p = partOfType("styles", "styles.xml"); zip.has(p))
        parseWhole(zip, p, tables->styles);
      tables->styles.classify();
      if (std::string p = partOfType("sharedStrings", "sharedStrings.xml"); zip.has(p))
        parseWhole(zip, p, tables->strings, true);
      tables->strings.table.finish();
      m_tables = std::move(tables);
      keepTables(identity, m_tables);
    }

    for (const auto& entry : workbook.sheets) {
      auto it = rels.targetById.find(entry.relId);
      if (it == rels.targetById.end())
        throw std::runtime_error("sheet '" + entry.name + "' has no part in the archive");
      std::string part = resolve(workbookPath, it->second);
      // Chart sheets and missing parts hold no table.
      if (part.find("chartsheets/") != std::string::npos || !zip.has(part)) continue;
      m_names.push_back(entry.name);
      m_parts.push_back(part);
    }
  }

  const std::vector<std::string>& sheetNames() const override { return m_names; }
  std::unique_ptr<SheetRowStream> openSheet(size_t index) const override {
    return std::make_unique<XlsxSheetStream>(m_file, m_parts.at(index), m_tables);
  }
  std::string formatCode(uint16_t style) const override { return m_tables->styles.codeOf(style); }

 private:
  std::shared_ptr<ByteFile> m_file;
  std::shared_ptr<const WorkbookTables> m_tables;
  std::vector<std::string> m_names, m_parts;
};

}  // namespace

bool looksLikeZip(std::string_view bytes) {
  return bytes.size() >= 4 && bytes.substr(0, 4) == "PK\x03\x04";
}

std::unique_ptr<WorkbookStreams> openXlsxStreams(std::shared_ptr<ByteFile> file) {
  return std::make_unique<XlsxWorkbook>(std::move(file));
}

}  // namespace kpx::data::excel
